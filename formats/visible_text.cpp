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

bool isShownAsItself(char32_t point)
{
    switch (QChar::category(point)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return false;
    default:
        return true;
    }
}

// Appends how the unit of bytes at `at` shows and returns how many bytes it takes.
qsizetype appendUnit(QString &text, QByteArrayView bytes, qsizetype at)
{
    const auto byte = static_cast<unsigned char>(bytes[at]);
    if (byte < 0x20) {
        text += QStringView(kControlNames[byte]);
        return 1;
    }
    if (byte == 0x7F) {
        text += u"<DEL>";
        return 1;
    }
    if (byte < 0x80) {
        text += QChar(char16_t(byte));
        return 1;
    }
    const auto [point, length] = utf8At(bytes, at);
    if (length > 0 && isShownAsItself(point)) {
        const char32_t units[] = {point};
        text += QString::fromUcs4(units, 1);
        return length;
    }
    if (byte < 0xA0) {
        constexpr char16_t digits[] = u"0123456789ABCDEF";
        const char16_t escape[] = {u'<', u'x', digits[byte >> 4], digits[byte & 0xF], u'>'};
        text += QStringView(escape, 5);
    } else {
        text += QChar(char16_t(byte));
    }
    return 1;
}

// Appends how the bytes show, each character mapped to the byte it shows;
// the bytes start at `firstByte` of the whole.
void appendMapped(MappedText &mapped, QByteArrayView bytes, qsizetype firstByte)
{
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype before = mapped.text.size();
        const qsizetype taken = appendUnit(mapped.text, bytes, at);
        mapped.byteOf.insert(mapped.byteOf.size(), mapped.text.size() - before, firstByte + at);
        at += taken;
    }
}

}  // namespace

QString visibleText(QByteArrayView bytes, qsizetype limit)
{
    QString text;
    text.reserve(qMin(bytes.size(), limit) + 16);
    qsizetype at = 0;
    while (at < bytes.size() && at < limit)
        at += appendUnit(text, bytes, at);
    if (at < bytes.size())
        text += u'\u2026';
    return text;
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
