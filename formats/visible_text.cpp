#include "formats/visible_text.h"

namespace {

constexpr const char16_t *kControlNames[32] = {
    u"<NUL>", u"<SOH>", u"<STX>", u"<ETX>", u"<EOT>", u"<ENQ>", u"<ACK>", u"<BEL>",
    u"<BS>",  u"<HT>",  u"<LF>",  u"<VT>",  u"<FF>",  u"<CR>",  u"<SO>",  u"<SI>",
    u"<DLE>", u"<DC1>", u"<DC2>", u"<DC3>", u"<DC4>", u"<NAK>", u"<SYN>", u"<ETB>",
    u"<CAN>", u"<EM>",  u"<SUB>", u"<ESC>", u"<FS>",  u"<GS>",  u"<RS>",  u"<US>",
};

}  // namespace

QString visibleText(QByteArrayView bytes, qsizetype limit)
{
    const qsizetype shown = qMin(bytes.size(), limit);
    QString text;
    text.reserve(shown + 16);
    for (qsizetype i = 0; i < shown; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte < 32)
            text += QStringView(kControlNames[byte]);
        else if (byte == 127)
            text += u"<DEL>";
        else
            text += QChar(char16_t(byte));
    }
    if (shown < bytes.size())
        text += u'\u2026';
    return text;
}
