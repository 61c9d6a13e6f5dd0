#pragma once

#include "platform/failure.h"

// The number of the failure an action raises, or 0 when it raises none.
template <typename Action>
qint32 failureNumberOf(Action action)
{
    try {
        action();
    } catch (const Failure &failure) {
        return failure.number;
    }
    return err::NoNumber;
}

// What an action returns, or minus the number of the failure it raises.
template <typename Action>
int outcomeOf(Action action)
{
    int result = 0;
    const qint32 failure = failureNumberOf([&] { result = int(action()); });
    return failure ? -failure : result;
}
