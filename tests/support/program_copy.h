#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// The built program copied into a program directory of its own, run
// headless, and ended by its process id when the test is done.
struct ProgramCopy {
    QTemporaryDir dir;
    QProcess process;
    // A command the program is started through, such as setpriv to run it
    // as another user; empty to start it directly.
    QStringList launcher;

    ProgramCopy()
    {
        if (!QFile::copy(QStringLiteral(CORVANE_BINARY), program()))
            qFatal("cannot copy the program");
    }
    ~ProgramCopy()
    {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }

    QString program() const { return dir.filePath(QStringLiteral("corvane")); }
    QString file(const char *name) const { return dir.filePath(QLatin1String(name)); }

    void start(const QString &platform = QStringLiteral("offscreen"))
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        if (launcher.isEmpty())
            process.start(program(), {});
        else
            process.start(launcher.first(), launcher.mid(1) << program());
        if (!process.waitForStarted(10000))
            qFatal("the program did not start");
    }
};
