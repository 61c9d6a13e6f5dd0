#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// The built program copied into a program directory of its own, run
// headless, and ended by its process id when the test is done.
struct ProgramCopy {
    QTemporaryDir dir;
    QProcess process;

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
        process.start(program(), {});
        if (!process.waitForStarted(10000))
            qFatal("the program did not start");
    }
};
