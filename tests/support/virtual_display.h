#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <QTest>

// An X server of the test's own (Xvfb), on the first free display number,
// ended by its process id when the test is done.
struct VirtualDisplay {
    QProcess server;
    QString name;  // such as ":3"

    VirtualDisplay()
    {
        // -displayfd makes Xvfb choose a free display and write its number once it accepts clients.
        server.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                                              QStringLiteral("0"), QStringLiteral("1024x768x24"),
                                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QTest::qWaitFor([this] { return server.canReadLine() || server.state() == QProcess::NotRunning; }, 15000);
        const QByteArray number = server.readLine().trimmed();
        if (!number.isEmpty())
            name = u':' + QString::fromLatin1(number);
    }
    ~VirtualDisplay()
    {
        server.kill();
        server.waitForFinished(5000);
    }

    bool isUp() const { return !name.isEmpty(); }

    // Runs xdotool on this display; its standard output.
    QByteArray xdotool(const QStringList &arguments, int timeoutMs = 10000) const
    {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), name);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), arguments);
        if (!tool.waitForFinished(timeoutMs)) {
            tool.kill();
            tool.waitForFinished();
        }
        return tool.readAllStandardOutput();
    }
};
