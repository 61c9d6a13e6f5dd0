#include "formats/ack_layout.h"

#include "formats/frame_code.h"

namespace {

void appendFrameCharacters(QByteArray &bytes, const std::array<QString, 5> &codes)
{
    for (const QString &code : codes) {
        if (code != u'0')
            bytes += frameCharacter(code);
    }
}

}  // namespace

AckParts ackParts(const AckSources &sources)
{
    AckParts parts;
    appendFrameCharacters(parts.head, sources.startCodes);
    parts.head += "MSH";
    parts.head += sources.beforeDate.toLatin1();
    parts.tail += sources.afterDate.toLatin1();
    parts.tail += '\r';
    parts.tail += "MSA";
    parts.tail += sources.msaSegment.toLatin1();
    appendFrameCharacters(parts.tail, sources.endCodes);
    return parts;
}
