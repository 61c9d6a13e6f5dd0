// Any text as a frame code: the conversion never crashes, fails only with 5,
// 6 or 13, and agrees with an independent reading of the text (number_text.h).
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/basic_numbers.h"
#include "core/frame_code.h"
#include "number_text.h"

namespace {

// The character's code, or minus the failure number, that the code should give.
int expectedResult(const QString &code)
{
    const std::optional<OracleNumber> number = oracleWholeNumber(code);
    if (!number)
        return -err::TypeMismatch;
    if (number->overflow)
        return -err::Overflow;
    const double whole = std::floor(number->value);
    if (whole < double(std::numeric_limits<qint32>::min()) || whole > double(std::numeric_limits<qint32>::max()))
        return -err::Overflow;
    if (whole < 0 || whole > 255)
        return -err::InvalidArgument;
    return int(whole);
}

void check(const QString &code)
{
    int result = 0;
    try {
        result = static_cast<unsigned char>(frameCharacter(code));
    } catch (const Failure &failure) {
        if (failure.number != err::InvalidArgument && failure.number != err::Overflow
            && failure.number != err::TypeMismatch)
            std::abort();
        result = -failure.number;
    }
    const int expected = expectedResult(code);
    if (result != expected) {
        std::fprintf(stderr, "frame code \"%s\": got %d, expected %d (negative: failure number)\n",
                     code.toUtf8().constData(), result, expected);
        std::abort();
    }
    // A code that gives a character has a value, and wholeNumber agrees with it.
    if (result >= 0) {
        const std::optional<double> number = wholeNumber(code);
        if (!number || int(std::floor(*number)) != result)
            std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // As the settings file holds it (one byte, one character) and as typed
    // into the setup field (any UTF-16 text).
    check(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    check(QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)));
    return 0;
}
