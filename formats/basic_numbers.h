#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <limits>
#include <optional>

#include "platform/failure.h"

// The leading decimal number of a text: leading blanks skipped, an optional
// sign, digits, an optional fraction and exponent; reading stops at the first
// character that cannot continue the number. No number gives 0. A value too
// large for a double is failure 6.
double leadingNumber(QStringView text);
// The same, telling apart a text that does not begin with a number.
std::optional<double> leadingNumberIfAny(QStringView text);

// The value when the whole text, blanks around it aside, is one number;
// infinite when the number is beyond what a double holds.
std::optional<double> wholeNumber(QStringView text);

// The shortest decimal text that reads back as the same value: no leading
// blank, no leading zeros, a fraction only when there is one.
QString shortestDecimal(double value);

// How numbers are printed into text files: a blank or a minus sign, the
// digits, a trailing blank.
QByteArray printForm(qint64 value);

// Rounded to the nearest whole number, halves to the even neighbour; failure 6
// when the result does not fit the type.
qint16 roundToInteger(double value);
qint32 roundToLong(double value);

// "True"/"False" in any letter case, or a whole number where 0 is false;
// anything else is failure 13.
bool truthValue(QStringView text);

// Counters never wrap: passing the largest value of their type is failure 6.
template <typename T>
T checkedAdd(T value, T step)
{
    T sum;
    if (__builtin_add_overflow(value, step, &sum))
        raise(err::Overflow);
    return sum;
}
