#include "formats/hex_view.h"

QString hexLine(QByteArrayView bytes, qsizetype offset)
{
    if (offset < 0 || offset >= bytes.size())
        return {};
    constexpr char16_t digits[] = u"0123456789abcdef";
    const QByteArrayView line = bytes.sliced(offset, qMin(kHexLineBytes, bytes.size() - offset));
    QString text = QString::number(offset, 16).rightJustified(8, u'0') + u' ';
    text.reserve(80);
    for (qsizetype i = 0; i < kHexLineBytes; ++i) {
        text += i == kHexLineBytes / 2 ? QStringView(u"  ") : QStringView(u" ");
        if (i < line.size()) {
            const auto byte = static_cast<unsigned char>(line[i]);
            text += QChar(digits[byte >> 4]);
            text += QChar(digits[byte & 0xF]);
        } else {
            text += QStringView(u"  ");  // keeps the bars in place on a short line
        }
    }
    text += QStringView(u"  |");
    for (const char byte : line)
        text += byte >= 0x20 && byte <= 0x7E ? QChar(char16_t(byte)) : QChar(u'.');
    text += u'|';
    return text;
}
