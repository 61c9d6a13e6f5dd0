// Any bytes, split into reads anywhere, under any frame characters: message
// mode loses and invents nothing (the units and the rest give back exactly
// the bytes), and each message runs from its start characters to the first
// end characters after them.
#include <QByteArrayList>

#include "formats/message_framing.h"

namespace {

void expect(bool holds, const char *what)
{
    if (!holds)
        qFatal("message framing: %s", what);
}

}  // namespace

// The first byte picks the frame characters; 0xFF in the rest ends a read.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    static const char *const starts[] = {"", "\x0b", "\x0b\x0b"};
    static const char *const ends[] = {"", "\x1c\r", "\x1c"};
    const QByteArray start = starts[data[0] % 3], end = ends[data[0] / 3 % 3];
    const QByteArrayList reads = QByteArray(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1).split('\xff');
    MessageFramer framer;
    QList<FramedUnit> units;
    for (const QByteArray &read : reads)
        units += framer.take(read, start, end);
    if (auto rest = framer.rest())
        units += *rest;
    QByteArray given;
    for (const FramedUnit &unit : units) {
        expect(!unit.bytes.isEmpty(), "an empty unit");
        given += unit.bytes;
        if (unit.kind == FramedUnit::Kind::Message && !end.isEmpty()) {
            expect(unit.bytes.startsWith(start) && unit.bytes.endsWith(end), "a message without its frame");
            expect(unit.bytes.indexOf(end, start.size()) == unit.bytes.size() - end.size(), "a message past its end");
        }
    }
    expect(given == reads.join(), "bytes lost or added");
    return 0;
}
