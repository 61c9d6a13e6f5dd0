#pragma once

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include <utility>

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// Lines each ended by CR LF, as the program writes text files.
inline QByteArray crlfLines(const QList<QByteArray> &lines)
{
    QByteArray text;
    for (const QByteArray &line : lines)
        text += line + "\r\n";
    return text;
}

using Changes = QList<std::pair<QByteArray, QByteArray>>;

// The settings file of a first start from defaults (desktop/corvconf.ini, as installed),
// with the value line after each named header changed (or the entry added).
inline QByteArray settingsWith(const Changes &changes)
{
    QList<QByteArray> lines = readBytes(QStringLiteral(CORVANE_DEFAULT_SETTINGS)).chopped(1).split('\n');
    for (QByteArray &line : lines)
        line.chop(1);  // the CR
    for (const auto &[header, value] : changes) {
        const qsizetype at = lines.indexOf(header);
        if (at < 0)
            lines << header << value;  // an entry a first start does not write
        else
            lines[at + 1] = value;
    }
    return crlfLines(lines);
}

// Settings for a program that starts listening at once on `port` and stores
// into `dataPath`; `changes` come on top.
inline QByteArray listeningSettings(quint16 port, const QString &dataPath, const Changes &changes = {})
{
    return settingsWith(Changes{{"[Port]", QByteArray::number(port)}, {"[AutoStart]", "On"},
                                {"[Logfile Location]", QFile::encodeName(dataPath)}} + changes);
}

// The value line after a header of a settings file.
inline QByteArray valueAfter(const QByteArray &file, const QByteArray &header)
{
    const QList<QByteArray> lines = file.split('\n');
    const qsizetype at = lines.indexOf(header + '\r');
    return at >= 0 && at + 1 < lines.size() ? lines[at + 1].chopped(1) : "<missing>";
}
