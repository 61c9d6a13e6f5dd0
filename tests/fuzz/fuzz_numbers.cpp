// Any text through the number readers, and any double through the shortest
// decimal form: nothing crashes, the only failure is 6 for a leading number
// too large for a double, wholeNumber agrees with an independent reading of
// the text (number_text.h), and every finite value printed by shortestDecimal
// reads back as exactly that value.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/basic_numbers.h"
#include "number_text.h"

namespace {

[[noreturn]] void fail(const char *what, const QString &text)
{
    std::fprintf(stderr, "numbers: %s: \"%s\"\n", what, text.toUtf8().constData());
    std::abort();
}

bool sameBits(double a, double b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void checkPrintedValue(double value)
{
    if (!std::isfinite(value))
        return;
    const QString text = shortestDecimal(value);
    const QString digits = text.startsWith(u'-') ? text.mid(1) : text;
    if (digits.isEmpty() || digits.front() == u' ' || (digits.size() > 1 && digits[0] == u'0' && digits[1].isDigit()))
        fail("a blank or a leading zero in the shortest form", text);
    try {
        if (!sameBits(leadingNumber(text), value + 0.0))
            fail("shortestDecimal does not read back via leadingNumber", text);
        const std::optional<double> whole = wholeNumber(text);
        if (!whole || !sameBits(*whole, value + 0.0))
            fail("shortestDecimal does not read back via wholeNumber", text);
    } catch (const Failure &) {
        fail("shortestDecimal does not read back at all", text);
    }
}

void checkText(const QString &text)
{
    std::optional<double> leading;
    bool overflow = false;
    try {
        leading = leadingNumberIfAny(text);
        if (leadingNumber(text) != leading.value_or(0.0))
            fail("leadingNumber and leadingNumberIfAny disagree", text);
    } catch (const Failure &failure) {
        if (failure.number != err::Overflow)
            fail("unexpected failure", text);
        overflow = true;
    }
    try {
        wholeNumber(text);
    } catch (const Failure &) {
        fail("wholeNumber raised a failure", text);
    }
    const std::optional<OracleNumber> oracleLeading = oracleLeadingNumber(text);
    if (overflow != (oracleLeading && oracleLeading->overflow))
        fail(overflow ? "overflow where the number fits" : "no overflow where the number is too large", text);
    if (!overflow && leading.has_value() != oracleLeading.has_value())
        fail(leading ? "a leading number where there is none" : "a leading number missed", text);
    if (leading && !sameBits(*leading, oracleLeading->value + 0.0))
        fail("the leading number's value differs", text);

    std::optional<double> whole;
    try {
        whole = wholeNumber(text);
    } catch (const Failure &) {
        fail("wholeNumber raised a failure", text);
    }
    const std::optional<OracleNumber> oracle = oracleWholeNumber(text);
    if (whole.has_value() != oracle.has_value())
        fail(whole ? "wholeNumber took a text that is not one number" : "wholeNumber missed a number", text);
    if (whole) {
        if (oracle->overflow ? !std::isinf(*whole) : !sameBits(*whole, oracle->value + 0.0))
            fail("wholeNumber's value differs", text);
        if (!overflow && !sameBits(*whole, leading.value_or(0.0)))
            fail("wholeNumber and leadingNumber disagree", text);
    }
    if (leading)
        checkPrintedValue(*leading);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkText(QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size)));
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        checkPrintedValue(value);
    }
    return 0;
}
