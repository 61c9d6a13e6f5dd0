#include "formats/visible_text.h"

namespace {

constexpr const char16_t *kControlNames[32] = {
    u"<NUL>", u"<SOH>", u"<STX>", u"<ETX>", u"<EOT>", u"<ENQ>", u"<ACK>", u"<BEL>",
    u"<BS>",  u"<HT>",  u"<LF>",  u"<VT>",  u"<FF>",  u"<CR>",  u"<SO>",  u"<SI>",
    u"<DLE>", u"<DC1>", u"<DC2>", u"<DC3>", u"<DC4>", u"<NAK>", u"<SYN>", u"<ETB>",
    u"<CAN>", u"<EM>",  u"<SUB>", u"<ESC>", u"<FS>",  u"<GS>",  u"<RS>",  u"<US>",
};

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// The code point of the well-formed UTF-8 sequence at `at` and its length;
// a length of 0 when there is none (overlong forms and surrogates included).
std::pair<char32_t, qsizetype> utf8At(QByteArrayView bytes, qsizetype at)
{
    const auto byte = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    qsizetype length = 0;
    char32_t point = 0;
    unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        point = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        point = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        point = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return {0, 0};
    }
    if (at + length > bytes.size() || byte(at + 1) < low || byte(at + 1) > high)
        return {0, 0};
    for (qsizetype i = 1; i < length; ++i) {
        if (!isContinuation(byte(at + i)))
            return {0, 0};
        point = (point << 6) | (byte(at + i) & 0x3F);
    }
    return {point, length};
}

using Kind = VisibleRun::Kind;

// One shown unit: a byte, or a well-formed UTF-8 sequence taken whole.
struct Unit {
    Kind kind;
    qsizetype length;
    char32_t value;  // the byte, or the sequence's code point
};

// Characters that show blank or move the text around them.
bool isNeverRaw(char32_t point)
{
    if (point == 0xA0 || QChar::isNonCharacter(point))
        return true;
    switch (QChar::category(point)) {
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        return false;
    }
}

Unit unitAt(QByteArrayView bytes, qsizetype at)
{
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x20 || byte == 0x7F)
        return {Kind::Name, 1, byte};
    if (byte < 0x80)
        return {Kind::Plain, 1, byte};
    const auto [point, length] = utf8At(bytes, at);
    // A control in UTF-8 stays bytes, so its C1 byte shows as an escape.
    if (length > 0 && QChar::category(point) != QChar::Other_Control)
        return {isNeverRaw(point) ? Kind::Escape : Kind::Utf8, length, point};
    return {byte < 0xA0 || isNeverRaw(byte) ? Kind::Escape : Kind::Plain, 1, byte};
}

// <x9C> for a byte, <U+202E> for a code point (four hex digits at least).
void appendEscape(QString &text, const Unit &unit)
{
    constexpr char16_t digits[] = u"0123456789ABCDEF";
    char16_t escape[10] = {u'<', u'x'};
    qsizetype size = 2;
    int count = 2;
    if (unit.length > 1) {
        escape[1] = u'U';
        escape[size++] = u'+';
        count = unit.value > 0xFFFFF ? 6 : unit.value > 0xFFFF ? 5 : 4;
    }
    for (int shift = 4 * (count - 1); shift >= 0; shift -= 4)
        escape[size++] = digits[(unit.value >> shift) & 0xF];
    escape[size++] = u'>';
    text += QStringView(escape, size);
}

void appendUnit(QString &text, const Unit &unit)
{
    switch (unit.kind) {
    case Kind::Name:
        text += unit.value == 0x7F ? QStringView(u"<DEL>") : QStringView(kControlNames[unit.value]);
        break;
    case Kind::Plain:
        text += QChar(char16_t(unit.value));
        break;
    case Kind::Utf8:
        if (QChar::requiresSurrogates(unit.value)) {
            text += QChar(QChar::highSurrogate(unit.value));
            text += QChar(QChar::lowSurrogate(unit.value));
        } else {
            text += QChar(char16_t(unit.value));
        }
        break;
    case Kind::Escape:
        appendEscape(text, unit);
        break;
    }
}

// Hands each unit and where it starts to `take`, the last one begun before
// `limit`; returns where the units stopped.
template <typename Take>
qsizetype forEachUnit(QByteArrayView bytes, qsizetype limit, Take take)
{
    qsizetype at = 0;
    while (at < bytes.size() && at < limit) {
        const Unit unit = unitAt(bytes, at);
        take(unit, at);
        at += unit.length;
    }
    return at;
}

constexpr char16_t kCut = u'\u2026';

// Appends how the bytes show, each character mapped to the byte it shows;
// the bytes start at `firstByte` of the whole.
void appendMapped(MappedText &mapped, QByteArrayView bytes, qsizetype firstByte)
{
    forEachUnit(bytes, bytes.size(), [&](const Unit &unit, qsizetype at) {
        const qsizetype before = mapped.text.size();
        appendUnit(mapped.text, unit);
        mapped.byteOf.insert(mapped.byteOf.size(), mapped.text.size() - before, firstByte + at);
    });
}

}  // namespace

QString visibleText(QByteArrayView bytes, qsizetype limit)
{
    QString text;
    text.reserve(qMin(bytes.size(), limit) + 16);
    if (forEachUnit(bytes, limit, [&](const Unit &unit, qsizetype) { appendUnit(text, unit); }) < bytes.size())
        text += kCut;
    return text;
}

QList<VisibleRun> visibleRuns(QByteArrayView bytes, qsizetype limit)
{
    QList<VisibleRun> runs;
    const qsizetype shown = forEachUnit(bytes, limit, [&](const Unit &unit, qsizetype at) {
        if (runs.isEmpty() || runs.last().kind != unit.kind)
            runs.append({unit.kind, QString(), at, 0});
        appendUnit(runs.last().text, unit);
        runs.last().byteCount += unit.length;
    });
    if (shown < bytes.size()) {
        if (runs.isEmpty() || runs.last().kind != Kind::Plain)
            runs.append({Kind::Plain, QString(), shown, 0});
        runs.last().text += kCut;
    }
    return runs;
}

Decoding decodingOf(QByteArrayView bytes)
{
    bool utf8 = false, latin1 = false;
    forEachUnit(bytes, bytes.size(), [&](const Unit &unit, qsizetype) {
        utf8 |= unit.length > 1;
        latin1 |= unit.length == 1 && unit.value >= 0x80;
    });
    if (utf8)
        return latin1 ? Decoding::Mixed : Decoding::Utf8;
    return latin1 ? Decoding::Latin1 : Decoding::Ascii;
}

QString decodingName(Decoding decoding)
{
    switch (decoding) {
    case Decoding::Ascii:
        return QStringLiteral("ASCII");
    case Decoding::Utf8:
        return QStringLiteral("UTF-8");
    case Decoding::Latin1:
        return QStringLiteral("ISO 8859-1");
    case Decoding::Mixed:
        break;
    }
    return QStringLiteral("mixed UTF-8 and ISO 8859-1");
}

MappedText arrivalLines(QByteArrayView bytes)
{
    MappedText mapped;
    mapped.text.reserve(bytes.size());
    mapped.byteOf.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        if (end < bytes.size())
            end += bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? 2 : 1;
        if (start > 0) {
            mapped.text += u'\n';
            mapped.byteOf.append(-1);
        }
        appendMapped(mapped, bytes.sliced(start, end - start), start);
        start = end;
    }
    return mapped;
}
