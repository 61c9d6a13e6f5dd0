#include "formats/port_text.h"

#include <QString>

#include <algorithm>

#include "formats/basic_numbers.h"

qint32 portNumberOf(QStringView text)
{
    return roundToLong(leadingNumber(text));
}

QString shownPort(QStringView setting)
{
    return shortestDecimal(leadingNumber(setting));
}

PortText checkPortText(QStringView text)
{
    // The range is judged on the leading number as the start-up reads the
    // port, so "65535.5", "70000abc" and "1e9" are all beyond the largest.
    const QStringView trimmed = text.trimmed();
    double value = 0;
    try {
        value = leadingNumber(trimmed);
    } catch (const Failure &) {
        return PortText::OutOfRange;  // beyond what a double holds
    }
    if (value < 0 || value > 65535)
        return PortText::OutOfRange;
    QStringView number = trimmed;
    if (number.startsWith(u'-') || number.startsWith(u'+'))
        number = number.sliced(1);
    const bool plainWhole =
        !number.isEmpty() && std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
    return plainWhole ? PortText::Valid : PortText::Invalid;
}
