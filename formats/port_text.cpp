#include "formats/port_text.h"

#include <QString>

#include <algorithm>

PortText checkPortText(QStringView text)
{
    QStringView number = text.trimmed();
    if (number.startsWith(u'-') || number.startsWith(u'+'))
        number = number.sliced(1);
    if (number.isEmpty() || !std::all_of(number.begin(), number.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return PortText::Invalid;
    bool fits = false;
    const qlonglong value = text.trimmed().toString().toLongLong(&fits);
    return fits && value >= 0 && value <= 65535 ? PortText::Valid : PortText::OutOfRange;
}
