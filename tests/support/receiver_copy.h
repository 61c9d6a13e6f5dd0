#pragma once

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <functional>
#include <unistd.h>

#include "program_copy.h"
#include "raw_client.h"
#include "sender.h"
#include "test_files.h"

// Polls a condition until it holds or the deadline passes; the program runs
// in a process of its own, so nothing here needs the test's event loop.
inline bool pollUntil(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return condition();
        QThread::usleep(500);
    }
    return true;
}

// The inodes of the TCP sockets listening on a port, from /proc/net/tcp.
inline QList<QByteArray> listeningSockets(quint16 port)
{
    QList<QByteArray> inodes;
    const QByteArray wanted = ':' + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray &line : readBytes(QStringLiteral("/proc/net/tcp")).split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 9 && fields[1].endsWith(wanted) && fields[3] == "0A")
            inodes << fields[9];
    }
    return inodes;
}

// A copy of the program with automatic start on a free loopback port and its
// data file beside it, unless the test says otherwise.
struct ReceiverCopy : ProgramCopy {
    quint16 port = freePort();
    QString dataPath = file("data.txt");

    void writeSettings(QList<std::pair<QByteArray, QByteArray>> changes = {})
    {
        changes.prepend({"[Logfile Location]", QFile::encodeName(dataPath)});
        changes.prepend({"[Port]", QByteArray::number(port)});
        changes.prepend({"[AutoStart]", "On"});
        writeBytes(file("corvconf.ini"), settingsWith(changes));
    }

    // Starts the program and waits until it listens.
    bool startListening(const QList<std::pair<QByteArray, QByteArray>> &changes = {}, int timeoutMs = 20000)
    {
        writeSettings(changes);
        if (!handOver(dir.path()))
            return false;
        start();
        return waitUntilListening(timeoutMs);
    }
    bool waitUntilListening(int timeoutMs = 20000) const
    {
        return pollUntil([this] { return listening() || !running(); }, timeoutMs) && listening();
    }

    // Runs the program as the unprivileged user "nobody" when the test runs
    // as root, for whom file permissions do not apply; its directory is then
    // handed over to that user at start. False when that is not possible here.
    bool dropPrivileges()
    {
        if (::geteuid() != 0)
            return true;
        if (!QFileInfo::exists(QStringLiteral("/usr/bin/setpriv")))
            return false;
        launcher = {QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                    QStringLiteral("--clear-groups"), QStringLiteral("--")};
        return true;
    }
    bool handOver(const QString &path) const
    {
        if (launcher.isEmpty())
            return true;
        bool ok = ::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0;
        QDirIterator files(path, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (files.hasNext())
            ok = ::lchown(QFile::encodeName(files.next()).constData(), 65534, 65534) == 0 && ok;
        return ok;
    }

    qint64 pid() const { return process.processId(); }

    // Alive and not a zombie; does not need the test's event loop.
    bool running() const
    {
        if (pid() <= 0)
            return false;
        const QByteArray stat = readBytes(QStringLiteral("/proc/%1/stat").arg(pid()));
        const qsizetype close = stat.lastIndexOf(')');
        return close > 0 && stat.size() > close + 2 && stat[close + 2] != 'Z' && stat[close + 2] != 'X';
    }

    // The program itself holds a socket listening on its port.
    bool listening() const
    {
        const QList<QByteArray> inodes = listeningSockets(port);
        if (inodes.isEmpty() || pid() <= 0)
            return false;
        const QString fds = QStringLiteral("/proc/%1/fd").arg(pid());
        for (const QString &fd : QDir(fds).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            char target[128];
            const ssize_t n = ::readlink(QFile::encodeName(fds + u'/' + fd).constData(), target, sizeof target);
            const QByteArray link(target, n > 0 ? n : 0);
            if (link.startsWith("socket:[") && inodes.contains(link.mid(8).chopped(1)))
                return true;
        }
        return false;
    }

    QByteArray dataFile() const { return readBytes(dataPath); }
    QByteArray errorFile() const { return readBytes(file("iferrors.txt")); }

    // The report's lines without their ends and without the stamp in front.
    QList<QByteArray> reportLines() const
    {
        QList<QByteArray> lines = readBytes(file("ifreport.txt")).split('\n');
        lines.removeLast();
        for (QByteArray &line : lines) {
            line.chop(line.endsWith('\r') ? 1 : 0);
            if (line.size() >= 12 && std::all_of(line.begin(), line.begin() + 12, [](char c) { return c >= '0' && c <= '9'; }))
                line.remove(0, 12);
        }
        return lines;
    }
    qsizetype reportCount(const QByteArray &line) const { return reportLines().count(line); }

    // The last lines of the report, once they are there.
    bool reportEndsWith(const QList<QByteArray> &last, int timeoutMs = 10000) const
    {
        return pollUntil(
            [&] {
                const QList<QByteArray> lines = reportLines();
                return lines.size() >= last.size() && lines.mid(lines.size() - last.size()) == last;
            },
            timeoutMs);
    }

    bool waitForReport(const QByteArray &line, qsizetype count, int timeoutMs = 10000) const
    {
        return pollUntil([&] { return reportCount(line) >= count; }, timeoutMs);
    }

    // A sender that comes afterwards is answered, and its message stored.
    bool answersAFreshSender(const QByteArray &message = "\x0bMSH|^~\\&|FRESH|||||ADT^A01|F|P|2.3\x1c\r")
    {
        const QByteArray before = dataFile();
        RawClient fresh;
        if (!fresh.connectTo(port) || !fresh.exchange(message) || !isDefaultAck(fresh.received))
            return false;
        return dataFile() == before + message + "\r\n";
    }
};

// The lines of a data file whose arrivals hold no LF: each line's CR LF removed.
inline QList<QByteArray> storedLines(const QByteArray &data)
{
    QList<QByteArray> lines = data.split('\n');
    lines.removeLast();
    for (QByteArray &line : lines)
        line.chop(1);
    return lines;
}
