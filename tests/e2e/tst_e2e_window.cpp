// The built program in a real window on a virtual display, used by keyboard.
#include <QtTest>

#include "program_copy.h"
#include "test_files.h"
#include "virtual_display.h"

class EndToEndWindow : public QObject {
    Q_OBJECT
private slots:
    void fileMenuExitByKeyboard()
    {
        VirtualDisplay display;
        QVERIFY2(display.isUp(), "Xvfb (Debian package xvfb) is needed");
        qputenv("DISPLAY", display.name.toLatin1());
        ProgramCopy copy;
        writeBytes(copy.file("corvconf.ini"), settingsWith({{"[ExitWarning]", "False"}}));
        copy.start(QStringLiteral("xcb"));

        const QByteArray window =
            display.xdotool({QStringLiteral("search"), QStringLiteral("--sync"), QStringLiteral("--name"),
                             QStringLiteral("^Interface$")})
                .split('\n')
                .first();
        QVERIFY2(!window.isEmpty(), "the window did not appear");
        display.xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), QString::fromLatin1(window)});
        display.xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("alt+f"),
                         QStringLiteral("x")});

        QVERIFY(copy.process.waitForFinished(15000));
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        const QList<QByteArray> report = readBytes(copy.file("ifreport.txt")).split('\n');
        QCOMPARE(report.size(), 3);
        QVERIFY2(report[1].endsWith("Program was ended.\r"), report[1].constData());
    }
};

QTEST_GUILESS_MAIN(EndToEndWindow)
#include "tst_e2e_window.moc"
