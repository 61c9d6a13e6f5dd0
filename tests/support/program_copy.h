#pragma once

#include <QtTest>

#include <unistd.h>

#include "sender.h"
#include "test_files.h"

// The built program copied into a directory of its own (a complete install),
// run headless and killed by its process id at the end.
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
    QByteArray dataFile() const { return readBytes(dataPath); }
    QByteArray report() const { return readBytes(file("ifreport.txt")); }
    void writeSettings(const Changes &changes = {}) const
    {
        writeBytes(file("corvconf.ini"), listeningSettings(port, dataPath, changes));
    }

    void start(const QString &platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());  // as the launcher starts it: a bare data file name lands here
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (unprivileged && ::geteuid() == 0) {
            QProcess::execute(QStringLiteral("chown"), {"-R", "65534:65534", dir.path()});
            process.start(QStringLiteral("setpriv"), {"--reuid=65534", "--regid=65534", "--clear-groups", file("corvane")});
        } else {
            process.start(file("corvane"), {});
        }
        if (!process.waitForStarted(10000))
            qFatal("the program did not start");
    }
    bool startListening()
    {
        writeSettings();
        start();
        return waitUntilListening();
    }
    // A socket listens on the port (state 0A in /proc/net/tcp or tcp6), or the program has ended.
    bool waitUntilListening()
    {
        const QRegularExpression listening(QStringLiteral(":%1 \\S+ 0A ").arg(port, 4, 16, QChar(u'0')).toUpper());
        const auto found = [&] {
            return QString::fromLatin1(readBytes(QStringLiteral("/proc/net/tcp")) + readBytes(QStringLiteral("/proc/net/tcp6")))
                .contains(listening);
        };
        return QTest::qWaitFor([&] { return found() || !running(); }, 20000) && found();
    }
    bool running() { return process.state() == QProcess::Running; }
    bool ended() { return QTest::qWaitFor([this] { return !running(); }, 15000); }
};
