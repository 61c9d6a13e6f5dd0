// Any text through the number readers and any double through shortestDecimal:
// the only failure is 6, for a leading number too large for a double; both
// readers agree with number_text.h; each finite double's shortest form has no
// blank or leading zero and reads back as exactly that double.
#include <bit>
#include <cmath>
#include <cstring>

#include "formats/basic_numbers.h"
#include "number_text.h"

namespace {

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

void checkShortest(double value)
{
    static const QRegularExpression form(QStringLiteral("^-?(0|[1-9][0-9]*)(\\.[0-9]+)?(E[+-]?[0-9]+)?\\z"));
    const QString text = shortestDecimal(value);
    const bool readsBack = agrees(leadingNumber(text), value) && agrees(wholeNumber(text), value);
    expect(!std::isfinite(value) || (form.match(text).hasMatch() && readsBack), "the shortest form is wrong", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const std::optional<double> leading = oracleNumber(text, false);
    try {
        const std::optional<double> got = leadingNumberIfAny(text);
        expect(agrees(got, leading) && !std::isinf(got.value_or(0)), "leadingNumberIfAny differs", text);
        checkShortest(got.value_or(0));
    } catch (const Failure &failure) {
        expect(failure.number == err::Overflow && std::isinf(leading.value_or(0)), "an unexpected failure", text);
    }
    expect(agrees(wholeNumber(text), oracleNumber(text, true)), "wholeNumber differs", text);
    double value = 0;
    std::memcpy(&value, data, std::min(size, sizeof value));
    checkShortest(value);
    return 0;
}
