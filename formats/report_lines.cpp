#include "formats/report_lines.h"

#include "formats/basic_numbers.h"

QByteArray stampedLine(const QString &stamp, const char *text)
{
    return stamp.toLatin1() + text;
}

QByteArray textAndNumber(const char *text, qint64 number)
{
    return text + printForm(number);
}

QList<QByteArray> errorRecordLines(qint16 number, const QString &stamp)
{
    return {printForm(number), stamp.toLatin1()};
}
