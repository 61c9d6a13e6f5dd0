#include "formats/arrival_shape.h"

#include "formats/byte_search.h"

#include <QStringList>

ArrivalShape arrivalShape(QByteArrayView arrival, QByteArrayView start, QByteArrayView end)
{
    ArrivalShape shape;
    shape.continuesPrevious = !start.isEmpty() && !arrival.startsWith(start);
    shape.continuesInNext = !end.isEmpty() && !arrival.endsWith(end);
    if (end.isEmpty()) {
        shape.messages = arrival.isEmpty() || shape.continuesPrevious ? 0 : 1;
        return shape;
    }
    // As the framer reads them: a start, then the first end after it.
    for (qsizetype at = 0;;) {
        const qsizetype first = start.isEmpty() ? at : findBytes(arrival, start, at);
        const qsizetype last = first < 0 ? -1 : findBytes(arrival, end, first + start.size());
        if (last < 0)
            return shape;
        ++shape.messages;
        at = last + end.size();
    }
}

QString shapeDescription(const ArrivalShape &shape)
{
    QStringList parts;
    if (shape.continuesPrevious)
        parts += QStringLiteral("continues the previous arrival");
    if (shape.continuesInNext)
        parts += QStringLiteral("continues in the next arrival");
    const bool piece = shape.continuesPrevious || shape.continuesInNext;
    if (shape.messages > 1 || (shape.messages == 1 && piece))
        parts += shape.messages == 1 ? QStringLiteral("holds 1 framed message")
                                     : QStringLiteral("holds %1 framed messages").arg(shape.messages);
    else if (shape.messages == 0 && !piece)
        parts += QStringLiteral("holds no framed message");
    return parts.join(QStringLiteral("; "));
}
