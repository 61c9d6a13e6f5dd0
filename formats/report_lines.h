#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The shapes of lines in the report file: the 12-digit stamp directly
// followed by a text, or a text directly followed by a number in print form.
QByteArray stampedLine(const QString &stamp, const char *text);
QByteArray textAndNumber(const char *text, qint64 number);

// The error file's record of one socket error: the number in print form, then
// the stamp.
QList<QByteArray> errorRecordLines(qint16 number, const QString &stamp);
