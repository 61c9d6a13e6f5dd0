#include "formats/basic_numbers.h"

#include <charconv>
#include <cmath>

namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

bool isDigit(QStringView s, qsizetype i)
{
    return i < s.size() && s[i] >= u'0' && s[i] <= u'9';
}

qsizetype skipBlanks(QStringView s, qsizetype i)
{
    while (i < s.size() && isBlank(s[i]))
        ++i;
    return i;
}

struct Scanned {
    qsizetype end = 0;      // one past the number's last character
    bool found = false;     // at least one mantissa digit
    bool tooLarge = false;  // beyond what a double holds
    double value = 0;
};

// Reads the number that starts at `from`, as far as it goes.
Scanned scanNumber(QStringView s, qsizetype from)
{
    Scanned result;
    qsizetype i = from;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    // The decimal exponent of the leading significant digit, should the value
    // be out of a double's range: it tells too large from too small.
    qint64 magnitude = 0;
    bool significant = false;
    const qsizetype mantissaStart = i;
    qsizetype digits = 0;
    for (; isDigit(s, i); ++i, ++digits) {
        significant = significant || s[i] != u'0';
        magnitude += significant ? 1 : 0;
    }
    --magnitude;
    if (i < s.size() && s[i] == u'.') {
        for (++i; isDigit(s, i); ++i, ++digits) {
            if (!significant)
                --magnitude;
            significant = significant || s[i] != u'0';
        }
    }
    if (digits == 0)
        return result;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        const bool negativeExponent = j < s.size() && s[j] == u'-';
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-'))
            ++j;
        if (isDigit(s, j)) {
            qint64 exponent = 0;
            for (; isDigit(s, j); ++j)
                exponent = qMin<qint64>(exponent * 10 + (s[j].unicode() - u'0'), 1'000'000'000);
            magnitude += negativeExponent ? -exponent : exponent;
            i = j;
        }
    }
    const QByteArray text = s.sliced(mantissaStart, i - mantissaStart).toLatin1();
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    Q_UNUSED(ptr);
    if (ec == std::errc::result_out_of_range) {
        result.tooLarge = magnitude >= 0;
        value = result.tooLarge ? std::numeric_limits<double>::infinity() : 0;  // too small to hold reads as zero
    }
    result.end = i;
    result.found = true;
    result.value = negative ? -value : value;
    return result;
}

}  // namespace

std::optional<double> leadingNumberIfAny(QStringView text)
{
    const Scanned n = scanNumber(text, skipBlanks(text, 0));
    if (!n.found)
        return std::nullopt;
    if (n.tooLarge)
        raise(err::Overflow);
    return n.value + 0.0;  // + 0.0 turns -0 into 0
}

double leadingNumber(QStringView text)
{
    return leadingNumberIfAny(text).value_or(0.0);
}

std::optional<double> wholeNumber(QStringView text)
{
    const Scanned n = scanNumber(text, skipBlanks(text, 0));
    if (!n.found || skipBlanks(text, n.end) != text.size())
        return std::nullopt;
    return n.value + 0.0;  // beyond a double: infinity, which no caller takes for a value
}

QString shortestDecimal(double value)
{
    value += 0.0;
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    Q_UNUSED(ec);
    return QString::fromLatin1(buffer, end - buffer).toUpper();
}

QByteArray printForm(qint64 value)
{
    QByteArray text = value < 0 ? QByteArray() : QByteArray(" ");
    text += QByteArray::number(value);
    text += ' ';
    return text;
}

namespace {

template <typename T>
T roundHalfEven(double value)
{
    const double rounded = std::nearbyint(value);  // the default rounding mode sends halves to even
    if (!(rounded >= double(std::numeric_limits<T>::min()) && rounded <= double(std::numeric_limits<T>::max())))
        raise(err::Overflow);
    return T(rounded);
}

}  // namespace

qint16 roundToInteger(double value)
{
    return roundHalfEven<qint16>(value);
}

qint32 roundToLong(double value)
{
    return roundHalfEven<qint32>(value);
}

bool truthValue(QStringView text)
{
    const QStringView word = text.trimmed();
    if (word.compare(u"True", Qt::CaseInsensitive) == 0)
        return true;
    if (word.compare(u"False", Qt::CaseInsensitive) == 0)
        return false;
    if (const auto number = wholeNumber(text))
        return *number != 0;
    raise(err::TypeMismatch);
}
