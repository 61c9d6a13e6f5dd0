#include "formats/port_text.h"

#include <QString>

#include <algorithm>

#include "formats/basic_numbers.h"

namespace {

// Read as the start-up reads the port: "65535.5", "70000abc" and "1e9" are
// all numbers beyond the largest port.
bool leadingNumberOutOfRange(QStringView text)
{
    try {
        const double value = leadingNumber(text);
        return value < 0 || value > 65535;
    } catch (const Failure &) {
        return true;  // beyond what a double holds
    }
}

}  // namespace

PortText checkPortText(QStringView text)
{
    QStringView number = text.trimmed();
    if (number.startsWith(u'-') || number.startsWith(u'+'))
        number = number.sliced(1);
    if (number.isEmpty() || !std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return leadingNumberOutOfRange(text) ? PortText::OutOfRange : PortText::Invalid;
    bool fits = false;
    const qlonglong value = text.trimmed().toString().toLongLong(&fits);
    return fits && value >= 0 && value <= 65535 ? PortText::Valid : PortText::OutOfRange;
}
