// Any text as a frame code, as the settings file holds it (one byte, one
// character) and as typed into the setup field (any UTF-16 text): the
// character, or failure 13 (no number), 6 (beyond 32 bits) or 5 (outside 0 to
// 255), follows from the reading in number_text.h.
#include <cmath>

#include "formats/frame_code.h"
#include "number_text.h"
#include "platform/failure.h"

namespace {

void check(const QString &code)
{
    const std::optional<double> number = oracleNumber(code, true);
    const double whole = std::floor(number.value_or(0));
    const int expected = !number                                         ? -err::TypeMismatch
                         : whole < -2147483648.0 || whole > 2147483647.0 ? -err::Overflow
                         : whole < 0 || whole > 255                      ? -err::InvalidArgument
                                                                         : int(whole);
    int got = 0;
    try {
        got = static_cast<unsigned char>(frameCharacter(code));
    } catch (const Failure &failure) {
        got = -failure.number;
    }
    if (got != expected)
        qFatal("frame code \"%s\": got %d, expected %d (negative: failure)", qUtf8Printable(code), got, expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    check(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    check(QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)));
    return 0;
}
