#pragma once

#include <QByteArrayView>
#include <QString>

// How an arrival stands to the MLLP framing: a message split over reads
// arrives in pieces, and one read can bring several messages.
struct ArrivalShape {
    bool continuesPrevious = false;  // does not begin with the start characters (none configured: never)
    bool continuesInNext = false;    // does not end with the end characters (none configured: never)
    int messages = 0;                // framed messages it holds whole (start ... end)
};

// By the frame characters in use, either of which may be empty. Bytes before
// the first start or after the last end count. With no end characters the
// arrival ends its message, as message mode takes each read as one.
ArrivalShape arrivalShape(QByteArrayView arrival, QByteArrayView start, QByteArrayView end);

// "continues the previous arrival", "continues in the next arrival", "holds
// 3 framed messages", joined by "; "; empty for one whole message. The count
// shows where it is not one, or is one beside a piece of another message.
QString shapeDescription(const ArrivalShape &shape);
