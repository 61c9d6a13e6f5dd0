// Any text through the number readers and as a frame code, against a reading
// written apart from formats/basic_numbers.cpp: blanks (space, tab), a sign,
// digits with at most one point, an exponent only when it has digits; the
// value as the C library reads it, infinite when too large for a double. A
// reader fails only with 6, for a leading number too large; a frame code with
// 13 (no number), 6 (beyond 32 bits) or 5 (outside 0 to 255).
#include <QRegularExpression>

#include <bit>
#include <cmath>
#include <cstdlib>

#include "formats/basic_numbers.h"
#include "formats/frame_code.h"
#include "tests/support/failure_number.h"

namespace {

std::optional<double> oracleNumber(const QString &text, bool whole)
{
    static const QRegularExpression leading(
        QStringLiteral("^[ \\t]*([+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?)"));
    static const QRegularExpression entire(leading.pattern() + QStringLiteral("[ \\t]*\\z"));
    const QRegularExpressionMatch match = (whole ? entire : leading).match(text);
    if (!match.hasMatch())
        return std::nullopt;
    return std::strtod(match.captured(1).toLatin1().constData(), nullptr);
}

void expect(bool holds, const char *what, const QString &text)
{
    if (!holds)
        qFatal("numbers: %s: \"%s\"", what, qUtf8Printable(text));
}

// The same value to the bit, a negative zero read as zero.
bool agrees(std::optional<double> got, std::optional<double> expected)
{
    return got.has_value() == expected.has_value()
           && (!got || std::bit_cast<quint64>(*got) == std::bit_cast<quint64>(*expected + 0.0));
}

void checkFrameCode(const QString &code)
{
    const std::optional<double> number = oracleNumber(code, true);
    const double whole = std::floor(number.value_or(0));
    const int expected = !number ? -err::TypeMismatch
                         : whole < -2147483648.0 || whole > 2147483647.0 ? -err::Overflow
                         : whole < 0 || whole > 255 ? -err::InvalidArgument : int(whole);
    expect(outcomeOf([&] { return static_cast<unsigned char>(frameCharacter(code)); }) == expected, "the frame code differs",
           code);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<double> leading = oracleNumber(text, false);
    try {
        const std::optional<double> got = leadingNumberIfAny(text);
        expect(agrees(got, leading) && !std::isinf(got.value_or(0)), "leadingNumberIfAny differs", text);
    } catch (const Failure &failure) {
        expect(failure.number == err::Overflow && std::isinf(leading.value_or(0)), "an unexpected failure", text);
    }
    expect(agrees(wholeNumber(text), oracleNumber(text, true)), "wholeNumber differs", text);
    checkFrameCode(text);
    checkFrameCode(QString(reinterpret_cast<const QChar *>(data), qsizetype(size / 2)));  // as typed: any UTF-16
    return 0;
}
