#include "formats/field_query.h"

#include "formats/hl7_position.h"

#include <QList>

#include <algorithm>

namespace {

// A number of one to four digits, no leading zero, read from `at` on.
std::optional<int> numberAt(QStringView text, qsizetype &at)
{
    qsizetype end = at;
    while (end < text.size() && end - at < 5 && text[end] >= u'0' && text[end] <= u'9')
        ++end;
    if (end == at || end - at > 4 || text[at] == u'0')
        return std::nullopt;
    const int number = text.sliced(at, end - at).toInt();
    at = end;
    return number;
}

// The text as UTF-8, then as ISO 8859-1 where that differs and can hold it.
QList<QByteArray> byteForms(QStringView text)
{
    QList<QByteArray> forms = {text.toUtf8()};
    const bool latin1 = std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() <= 0xFF; });
    if (latin1 && forms[0].size() != text.size())
        forms += text.toLatin1();
    return forms;
}

char asciiLower(char byte)
{
    return byte >= 'A' && byte <= 'Z' ? char(byte - 'A' + 'a') : byte;
}

bool containsIgnoringAsciiCase(QByteArrayView bytes, QByteArrayView sought)
{
    for (qsizetype at = 0; at + sought.size() <= bytes.size(); ++at) {
        qsizetype i = 0;
        while (i < sought.size() && asciiLower(bytes[at + i]) == asciiLower(sought[i]))
            ++i;
        if (i == sought.size())
            return true;
    }
    return false;
}

// Part `number` (from 1) of the parts, empty past the last.
QByteArrayView partAt(const QList<QByteArrayView> &parts, int number)
{
    return number <= parts.size() ? parts[number - 1] : QByteArrayView();
}

}  // namespace

std::optional<FieldQuery> parseFieldQuery(QStringView text)
{
    const qsizetype equals = text.indexOf(u'=');
    if (equals < 5 || text[3] != u'-')
        return std::nullopt;
    FieldQuery query;
    for (qsizetype i = 0; i < 3; ++i) {
        const char16_t c = text[i].unicode();
        const bool letter = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
        if (!letter && !(i > 0 && c >= u'0' && c <= u'9'))
            return std::nullopt;
        query.segment += char(letter ? c & ~0x20 : c);
    }
    qsizetype at = 4;
    const auto field = numberAt(text, at);
    if (!field)
        return std::nullopt;
    query.field = *field;
    if (at < equals && text[at] == u'(') {
        const auto repetition = numberAt(text, ++at);
        if (!repetition || at >= equals || text[at] != u')')
            return std::nullopt;
        query.repetition = *repetition;
        ++at;
    }
    if (at < equals && text[at] == u'.') {
        const auto component = numberAt(text, ++at);
        if (!component)
            return std::nullopt;
        query.component = *component;
    }
    if (at != equals)
        return std::nullopt;
    query.value = text.sliced(equals + 1).toString();
    return query;
}

bool fieldMatches(QByteArrayView message, const FieldQuery &query)
{
    const auto separators = declaredSeparators(message);
    if (!separators || query.field < 1)
        return false;
    const QList<QByteArray> forms = byteForms(query.value);
    const auto holds = [&](QByteArrayView text) { return forms.contains(text); };
    // MSH-1 and MSH-2 hold the separators, so nothing in them separates.
    const bool whole = query.segment == "MSH" && query.field <= 2;
    for (const QByteArrayView segment : hl7Segments(message)) {
        const QList<QByteArrayView> fields = hl7Fields(segment, separators->field);
        if (fields[0] != query.segment)
            continue;
        const QByteArrayView field = partAt(fields, query.field + 1);
        if (query.repetition == 0 && query.component == 0 && holds(field))
            return true;
        const QList<QByteArrayView> repetitions = hl7Parts(field, whole ? std::nullopt : separators->repetition());
        for (int repetition = 1; repetition <= repetitions.size(); ++repetition) {
            if (query.repetition != 0 && query.repetition != repetition)
                continue;
            QByteArrayView text = repetitions[repetition - 1];
            if (query.component > 0)
                text = partAt(hl7Parts(text, whole ? std::nullopt : separators->component()), query.component);
            if (holds(text))
                return true;
        }
        // A repetition past the last holds nothing.
        if (query.repetition > repetitions.size() && holds({}))
            return true;
    }
    return false;
}

bool textMatches(QByteArrayView bytes, QStringView text)
{
    const QList<QByteArray> forms = byteForms(text);
    return std::any_of(forms.begin(), forms.end(),
                       [&](const QByteArray &form) { return containsIgnoringAsciiCase(bytes, form); });
}
