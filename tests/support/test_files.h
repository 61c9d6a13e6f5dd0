#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

// Lines joined and each ended by CR LF, as the program writes text files.
inline QByteArray crlfLines(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}

inline QByteArray goldenFile(const char *name)
{
    return readBytes(QStringLiteral(CORVANE_TEST_DATA "/") + QLatin1String(name));
}

// The settings file after a first start from defaults, with a few values
// changed where `changes` says so (header -> value line).
inline QByteArray settingsWith(const QList<std::pair<QByteArray, QByteArray>> &changes)
{
    QList<QByteArray> lines = goldenFile("first_start.ini").split('\n');
    for (QByteArray &line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    lines.removeLast();
    for (const auto &[header, value] : changes) {
        const qsizetype at = lines.indexOf(header);
        if (at < 0)
            qFatal("no header %s", header.constData());
        lines[at + 1] = value;
    }
    return crlfLines(lines);
}
