#pragma once

#include <QtTest>

#include <functional>
#include <unistd.h>

#include "sender.h"
#include "test_files.h"

// Polls until the condition holds or the deadline passes. The program is
// another process: the wait needs no event loop, and a short poll keeps long
// runs of waits fast.
inline bool pollUntil(const std::function<bool()> &condition, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::usleep(500);
    }
    return true;
}

// Every default acknowledgement is this long, whatever the minute.
constexpr qsizetype kAckSize = 50;

// How many default acknowledgements the bytes are, or -1 when they hold anything else.
inline qsizetype defaultAcks(const QByteArray &bytes)
{
    static const QRegularExpression acks(
        QStringLiteral("^(?:\\x0bMSH\\|{5}\\d{12}\\|\\|ACK\\|{9}\\rMSA\\|AA\\|{6}\\x1c\\r)*+\\z"));
    return acks.match(QString::fromLatin1(bytes)).hasMatch() ? bytes.size() / kAckSize : -1;
}

// A sender that waits blocking on its socket: nothing else needs the event
// loop, and a wait lasts only as long as the answer takes.
struct Client : Sender {
    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return socket.waitForConnected(5000);
    }
    // Takes in (and sends the rest) until `enough` holds, the connection ends or the deadline passes.
    bool until(const std::function<bool()> &enough, int timeoutMs = 5000)
    {
        const QDeadlineTimer deadline(timeoutMs);
        while (!enough() && socket.state() == QAbstractSocket::ConnectedState && !deadline.hasExpired())
            socket.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
        return enough();
    }
    qsizetype answers() const { return received.size() / kAckSize; }
    // Sends and waits for one more answer.
    bool exchange(const QByteArray &message, int timeoutMs = 5000)
    {
        const qsizetype before = answers();
        send(message);
        return until([&] { return answers() > before; }, timeoutMs);
    }
};

// The built program copied into a directory of its own (a complete install),
// run headless and killed by its process id at the end. writeSettings() sets
// automatic start on a free loopback port, the data file beside the program.
struct ProgramCopy {
    QTemporaryDir dir;
    QProcess process;
    quint16 port = freePort();
    QString dataPath = file("data.txt");
    bool unprivileged = false;  // run as "nobody" (when root), so that file permissions bind it

    ProgramCopy()
    {
        if (!QFile::copy(QStringLiteral(CORVANE_BINARY), file("corvane")))
            qFatal("cannot copy the program");
    }
    ~ProgramCopy()
    {
        process.kill();
        process.waitForFinished(5000);
    }

    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }

    void writeSettings(QList<std::pair<QByteArray, QByteArray>> changes = {})
    {
        changes.prepend({"[Logfile Location]", QFile::encodeName(dataPath)});
        changes.prepend({"[Port]", QByteArray::number(port)});
        changes.prepend({"[AutoStart]", "On"});
        writeBytes(file("corvconf.ini"), settingsWith(changes));
    }

    void start(const QString &platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (unprivileged && ::geteuid() == 0) {
            QProcess::execute(QStringLiteral("chown"), {QStringLiteral("-R"), QStringLiteral("65534:65534"), dir.path()});
            process.start(QStringLiteral("setpriv"), {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                                      QStringLiteral("--clear-groups"), file("corvane")});
        } else {
            process.start(file("corvane"), {});
        }
        if (!process.waitForStarted(10000))
            qFatal("the program did not start");
    }

    bool startListening(const QList<std::pair<QByteArray, QByteArray>> &changes = {})
    {
        writeSettings(changes);
        start();
        return waitUntilListening();
    }
    bool waitUntilListening(int timeoutMs = 20000)
    {
        return pollUntil([this] { return listening() || !running(); }, timeoutMs) && listening();
    }

    bool running() { return process.state() == QProcess::Running && !process.waitForFinished(0); }

    // A socket listens on the port (the program's: the tests leave it free).
    bool listening() const
    {
        const QString local = QString::number(port, 16).toUpper().rightJustified(4, u'0');
        return QString::fromLatin1(readBytes(QStringLiteral("/proc/net/tcp")))
            .contains(QRegularExpression(QStringLiteral(":%1 \\S+ 0A ").arg(local)));
    }

    QByteArray dataFile() const { return readBytes(dataPath); }
    QByteArray report() const { return readBytes(file("ifreport.txt")); }
    QString unstampedReport() const
    {
        static const QRegularExpression stamp(QStringLiteral("^\\d{12}"), QRegularExpression::MultilineOption);
        return QString::fromLatin1(report()).remove(stamp);
    }
    bool waitForReport(const QByteArray &line, qsizetype count = 1, int timeoutMs = 10000) const
    {
        return pollUntil([&] { return report().count(line + "\r\n") >= count; }, timeoutMs);
    }

    // A sender that comes afterwards is answered, and its message stored.
    bool answersAFreshSender()
    {
        const QByteArray before = dataFile(), message = "\x0bMSH|^~\\&|FRESH|||||ADT^A01|F|P|2.3\x1c\r";
        Client fresh;
        return waitUntilListening() && fresh.connectTo(port) && fresh.exchange(message)
               && defaultAcks(fresh.received) == 1 && dataFile() == before + message + "\r\n";
    }
};
