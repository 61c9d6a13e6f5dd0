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

// The text of the first MSH segment; empty where there is none.
QByteArrayView firstMshSegment(QByteArrayView message)
{
    for (qsizetype at = 0; at < message.size();) {
        const Segment segment = segmentAround(message, at);
        const QByteArrayView text = message.sliced(segment.start, segment.end - segment.start);
        if (isMsh(text))
            return text;
        at = segment.end + 1;
    }
    return {};
}

}  // namespace

std::optional<Hl7Separators> declaredSeparators(QByteArrayView arrival)
{
    const QByteArrayView msh = firstMshSegment(arrival);
    if (msh.isEmpty())
        return std::nullopt;
    Hl7Separators separators;
    separators.field = msh[3];
    const QByteArrayView rest = msh.sliced(4);
    const qsizetype end = rest.indexOf(separators.field);
    separators.encoding = rest.first(qMin<qsizetype>(end < 0 ? rest.size() : end, 4)).toByteArray();
    return separators;
}

QByteArrayView mshField(QByteArrayView message, int number)
{
    const QByteArrayView msh = firstMshSegment(message);
    if (msh.isEmpty() || number < 2)
        return {};
    const char separator = msh[3];
    qsizetype start = 4;
    for (int field = 2; field < number; ++field) {
        const qsizetype next = msh.indexOf(separator, start);
        if (next < 0)
            return {};
        start = next + 1;
    }
    const qsizetype end = msh.indexOf(separator, start);
    return msh.sliced(start, (end < 0 ? msh.size() : end) - start);
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

QList<QByteArrayView> hl7Segments(QByteArrayView message)
{
    QList<QByteArrayView> segments;
    for (qsizetype at = 0; at < message.size();) {
        const Segment segment = segmentAround(message, at);
        if (segment.end > segment.start)
            segments.append(message.sliced(segment.start, segment.end - segment.start));
        at = segment.end + 1;
    }
    return segments;
}

QList<QByteArrayView> hl7Fields(QByteArrayView segment, char fieldSeparator)
{
    QList<QByteArrayView> fields = hl7Parts(segment, fieldSeparator);
    if (isMsh(segment))
        fields.insert(1, segment.sliced(3, 1));
    return fields;
}

QList<QByteArrayView> hl7Parts(QByteArrayView text, std::optional<char> separator)
{
    QList<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype next; separator && (next = text.indexOf(*separator, start)) >= 0; start = next + 1)
        parts.append(text.sliced(start, next - start));
    parts.append(text.sliced(start));
    return parts;
}

QList<Hl7Cell> hl7Cells(QByteArrayView message, const Hl7Separators &separators)
{
    QList<Hl7Cell> cells;
    for (const QByteArrayView segment : hl7Segments(message)) {
        const QList<QByteArrayView> fields = hl7Fields(segment, separators.field);
        const QByteArray name = fields[0].toByteArray();
        const auto add = [&](QByteArrayView text, int field, int repetition, int component) {
            if (!text.isEmpty())
                cells.append({segment.data() - message.data(), name, field, repetition, component,
                              text.data() - message.data(), text.size()});
        };
        // MSH-1 and MSH-2 hold the separators, so nothing in them separates.
        const int firstSplit = isMsh(segment) ? 3 : 1;
        for (int field = 1; field < qMin<qsizetype>(firstSplit, fields.size()); ++field)
            add(fields[field], field, 1, 0);
        for (int field = firstSplit; field < fields.size(); ++field) {
            const QList<QByteArrayView> repetitions = hl7Parts(fields[field], separators.repetition());
            for (int repetition = 1; repetition <= repetitions.size(); ++repetition) {
                const QList<QByteArrayView> components = hl7Parts(repetitions[repetition - 1], separators.component());
                if (components.size() == 1)
                    add(components[0], field, repetition, 0);
                else
                    for (int component = 1; component <= components.size(); ++component)
                        add(components[component - 1], field, repetition, component);
            }
        }
    }
    return cells;
}
