#include "core/basic_numbers.h"

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
    qsizetype end = 0;     // one past the number's last character
    bool found = false;    // at least one mantissa digit
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
    const qsizetype mantissaStart = i;
    qsizetype digits = 0;
    while (isDigit(s, i)) {
        ++i;
        ++digits;
    }
    if (i < s.size() && s[i] == u'.') {
        ++i;
        while (isDigit(s, i)) {
            ++i;
            ++digits;
        }
    }
    if (digits == 0)
        return result;
    bool negativeExponent = false;
    if (i < s.size() && (s[i] == u'e' || s[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) {
            negativeExponent = s[j] == u'-';
            ++j;
        }
        if (isDigit(s, j)) {
            while (isDigit(s, j))
                ++j;
            i = j;
        }
    }
    const QByteArray text = s.sliced(mantissaStart, i - mantissaStart).toLatin1();
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    Q_UNUSED(ptr);
    if (ec == std::errc::result_out_of_range) {
        if (!negativeExponent)
            raise(err::Overflow);
        value = 0;  // too small to hold: it reads as zero
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
    return n.value + 0.0;  // + 0.0 turns -0 into 0
}

double leadingNumber(QStringView text)
{
    return leadingNumberIfAny(text).value_or(0.0);
}

std::optional<double> wholeNumber(QStringView text)
{
    Scanned n;
    try {
        n = scanNumber(text, skipBlanks(text, 0));
    } catch (const Failure &) {
        return std::numeric_limits<double>::infinity();
    }
    if (!n.found || skipBlanks(text, n.end) != text.size())
        return std::nullopt;
    return n.value + 0.0;
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
