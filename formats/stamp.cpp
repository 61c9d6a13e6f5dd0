#include "formats/stamp.h"

namespace {

QString twoDigits(int value)
{
    return QString::number(value).rightJustified(2, u'0');
}

}  // namespace

QString stampOf(const QDateTime &localTime)
{
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    return QString::number(date.year()) + twoDigits(date.month()) + twoDigits(date.day())
           + twoDigits(time.hour()) + twoDigits(time.minute());
}
