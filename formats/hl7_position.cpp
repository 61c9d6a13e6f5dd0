#include "formats/hl7_position.h"

namespace {

bool endsSegment(char byte)
{
    return byte == '\r' || byte == '\n';
}

// The segment holding byte `at`: where its name starts (frame characters
// and other control bytes before it skipped) and where it ends.
struct Segment {
    qsizetype start;
    qsizetype end;
};

Segment segmentAround(QByteArrayView bytes, qsizetype at)
{
    qsizetype start = at;
    while (start > 0 && !endsSegment(bytes[start - 1]))
        --start;
    while (start < bytes.size() && static_cast<unsigned char>(bytes[start]) < 0x20 && !endsSegment(bytes[start]))
        ++start;
    qsizetype end = start;
    while (end < bytes.size() && !endsSegment(bytes[end]))
        ++end;
    return {start, end};
}

bool isMsh(QByteArrayView segment)
{
    return segment.size() > 3 && segment.first(3) == "MSH";
}

}  // namespace

std::optional<Hl7Separators> declaredSeparators(QByteArrayView arrival)
{
    for (qsizetype at = 0; at < arrival.size();) {
        const Segment segment = segmentAround(arrival, at);
        const QByteArrayView text = arrival.sliced(segment.start, segment.end - segment.start);
        if (isMsh(text)) {
            Hl7Separators separators;
            separators.field = text[3];
            const QByteArrayView rest = text.sliced(4);
            const qsizetype end = rest.indexOf(separators.field);
            separators.encoding = rest.first(qMin<qsizetype>(end < 0 ? rest.size() : end, 4)).toByteArray();
            return separators;
        }
        at = segment.end + 1;
    }
    return std::nullopt;
}

QString hl7Position(QByteArrayView arrival, qsizetype at, const Hl7Separators &separators)
{
    if (at < 0 || at >= arrival.size() || endsSegment(arrival[at]))
        return {};
    const Segment segment = segmentAround(arrival, at);
    if (at < segment.start)
        return {};
    const QByteArrayView text = arrival.sliced(segment.start, segment.end - segment.start);
    const qsizetype offset = at - segment.start;
    const qsizetype nameEnd = text.indexOf(separators.field);
    const QString name = QString::fromLatin1(text.first(nameEnd < 0 ? text.size() : nameEnd));
    if (nameEnd < 0 || offset < nameEnd)
        return name;
    // MSH-1 is the field separator itself, so MSH's fields count one further.
    const bool msh = isMsh(text);
    const qsizetype fieldStart = text.sliced(0, offset + 1).lastIndexOf(separators.field) + 1;
    const qsizetype field = text.sliced(0, offset + 1).count(separators.field) + (msh ? 1 : 0);
    if (msh && offset == nameEnd)
        return name + QStringLiteral("-1");
    if (msh && field == 2)
        return name + QStringLiteral("-2");
    QString position = name + u'-' + QString::number(field);
    // Within the field: its repetition, then the component and subcomponent.
    QByteArrayView inField = text.sliced(fieldStart, offset + 1 - fieldStart);
    if (const auto repetition = separators.repetition()) {
        const qsizetype repetitions = inField.count(*repetition);
        if (repetitions > 0)
            position += QStringLiteral("(%1)").arg(repetitions + 1);
        inField = inField.sliced(inField.lastIndexOf(*repetition) + 1);
    }
    if (!separators.component())
        return position;
    position += u'.' + QString::number(inField.count(*separators.component()) + 1);
    // The subcomponent only where the component has more than one.
    const auto subcomponent = separators.subcomponent();
    if (!subcomponent)
        return position;
    const auto endsComponent = [&](char byte) {
        return byte == separators.field || byte == *separators.component() || byte == separators.repetition();
    };
    qsizetype start = offset, end = offset + 1;
    while (start > 0 && !endsComponent(text[start]))
        --start;
    while (end < text.size() && !endsComponent(text[end]))
        ++end;
    const QByteArrayView component = text.sliced(start, end - start);
    if (component.contains(*subcomponent))
        position += u'.' + QString::number(text.sliced(start, offset + 1 - start).count(*subcomponent) + 1);
    return position;
}
