#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

// What message mode stores and answers one by one, cut from a connection's
// bytes however the socket's reads split or joined them.
struct FramedUnit {
    enum class Kind {
        Message,   // from the start-of-frame characters to the end-of-frame characters, both included
        Outside,   // bytes outside any frame
        CutShort,  // a message that ended without its end-of-frame characters
    };
    Kind kind;
    QByteArray bytes;
};

// One connection's framing state. A message that grows past kMostMessage
// without its end is given up as it stands (CutShort), and what follows is
// outside until the next start. With no start characters every byte after an
// end begins a message; with no end characters each read is one message.
class MessageFramer {
public:
    static constexpr qsizetype kMostMessage = qsizetype(64) * 1024 * 1024;

    // The units that `bytes` completes, in order; what may still go on is kept.
    QList<FramedUnit> take(const QByteArray &bytes, QByteArrayView start, QByteArrayView end);
    // What is kept, as a unit of its own (a message cut short or outside
    // bytes), for a connection that ends; the framer starts afresh.
    std::optional<FramedUnit> rest();

private:
    QByteArray m_pending;      // a message begun, or the first characters of a start
    bool m_inMessage = false;
    qsizetype m_searched = 0;  // how far into m_pending no end was found
    bool m_outsideToEnd = false;  // a message was given up with no start characters to resume at
};
