#include "formats/ack_layout.h"

#include "formats/frame_code.h"

namespace {

QByteArray frameCharacters(const std::array<QString, 5> &codes)
{
    QByteArray characters;
    for (const QString &code : codes) {
        if (code != u'0')
            characters += frameCharacter(code);
    }
    return characters;
}

// The escape character the answer declares: the third encoding character
// after MSH-1.
char declaredEscape(const QByteArray &beforeDate)
{
    if (beforeDate.size() < 4)
        return '\\';
    const qsizetype end = beforeDate.indexOf(beforeDate[0], 1);
    return end < 0 || end > 3 ? beforeDate[3] : '\\';
}

}  // namespace

AckParts ackParts(const AckSources &sources)
{
    AckParts parts;
    parts.startCharacters = frameCharacters(sources.startCodes);
    parts.endCharacters = frameCharacters(sources.endCodes);
    const QByteArray beforeDate = sources.beforeDate.toLatin1();
    parts.escape = declaredEscape(beforeDate);
    parts.head = parts.startCharacters + "MSH" + beforeDate;
    const QByteArray msa = sources.msaSegment.toLatin1();
    const QByteArray segmentEnd = sources.afterDate.toLatin1() + "\rMSA";
    parts.tail = segmentEnd + msa + parts.endCharacters;

    // MSA-1 lies between the first two separators, MSA-2 after the second.
    parts.msaSeparator = msa.isEmpty() ? '|' : msa[0];
    const QByteArray fields = msa.isEmpty() ? QByteArray(1, parts.msaSeparator) : msa;
    const qsizetype second = fields.indexOf(parts.msaSeparator, 1);
    const qsizetype third = second < 0 ? -1 : fields.indexOf(parts.msaSeparator, second + 1);
    parts.tailBeforeId = segmentEnd + (second < 0 ? fields + parts.msaSeparator : fields.first(second + 1));
    parts.tailAfterId = (third < 0 ? QByteArray() : fields.sliced(third)) + parts.endCharacters;
    return parts;
}

QByteArray tailWithControlId(const AckParts &parts, QByteArrayView controlId)
{
    QByteArray tail;
    tail.reserve(parts.tailBeforeId.size() + controlId.size() + parts.tailAfterId.size() + 16);
    tail += parts.tailBeforeId;
    const QByteArray framing = parts.startCharacters + parts.endCharacters + "\r\n";
    for (const char byte : controlId) {
        if (byte == parts.msaSeparator)
            tail += QByteArray(1, parts.escape) + 'F' + parts.escape;
        else if (framing.contains(byte))
            tail += parts.escape + QByteArray("X") + QByteArray(1, byte).toHex().toUpper() + parts.escape;
        else
            tail += byte;
    }
    return tail + parts.tailAfterId;
}
