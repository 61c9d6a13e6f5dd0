// The built program's life: its start-up, its window used by keyboard, a
// port taken before it starts, its files failing it while it runs, and kills.
// None of these may crash it or leave an answered arrival out of the data
// file. Where it shows a box, an offscreen run waits in it: the process stays up.
#include <signal.h>
#include <sys/stat.h>

#include "program_copy.h"

namespace {

QByteArray message(int i)
{
    return "\x0bMSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|F" + QByteArray::number(i)
           + "|P|2.3\rPID|1||4711||Doe\x1c\r";
}

// Sends one message at a time until one goes unanswered, at most `limit`;
// the answered ones as stored lines.
QByteArray sendUntilUnanswered(Client &sender, int &next, int limit)
{
    QByteArray answered;
    for (int i = 0; i < limit && sender.exchange(message(next), 3000); ++i)
        answered += message(next++) + "\r\n";
    ++next;
    return answered;
}

}  // namespace

class EndToEndProgram : public QObject {
    Q_OBJECT
private slots:
    void startsReportsAndRewritesItsSettings()
    {
        ProgramCopy copy;
        // Entries out of order and under their second names, as older files have them.
        QByteArray older = goldenFile("first_start.ini");
        older.replace("[MSH before date]", "[ACK before date]").replace("[MSH after date]", "[ACK after date]");
        writeBytes(copy.file("corvconf.ini"), "[Port]\r\n2575\r\n" + older.replace("[Port]\r\n65535\r\n", ""));
        const QDateTime before = QDateTime::currentDateTime();
        copy.start();
        const QByteArray expected = settingsWith({{"[Port]", "2575"}});
        QVERIFY(pollUntil([&] { return readBytes(copy.file("corvconf.ini")) == expected; }, 20000));
        QVERIFY(copy.running());
        const QByteArray report = copy.report();
        QCOMPARE(report.mid(12), "Program started.\r\n");
        const auto stamp = QDateTime::fromString(QString::fromLatin1(report.left(12)), QStringLiteral("yyyyMMddHHmm"));
        QVERIFY2(stamp.isValid() && qAbs(stamp.secsTo(before)) < 120, report.constData());
    }

    void fileMenuExitByKeyboard()
    {
        QProcess xvfb;  // -displayfd: a free display, its number written once it takes clients
        xvfb.start(QStringLiteral("Xvfb"), QStringLiteral("-displayfd 1 -screen 0 1024x768x24 -nolisten tcp").split(' '));
        QVERIFY2(QTest::qWaitFor([&] { return xvfb.canReadLine(); }, 15000), "Xvfb (Debian package xvfb) is needed");
        qputenv("DISPLAY", ':' + xvfb.readLine().trimmed());
        ProgramCopy copy;
        writeBytes(copy.file("corvconf.ini"), settingsWith({{"[ExitWarning]", "False"}}));
        copy.start(QStringLiteral("xcb"));
        // Finds the window, focuses it and types Alt+F, X (an X error at the end: the window is gone).
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"),
                      QStringLiteral("search --sync --name ^Interface$ windowfocus --sync key --delay 100 alt+f x").split(' '));
        QVERIFY2(xdotool.waitForFinished(15000), "the window did not appear");
        QVERIFY(copy.process.waitForFinished(15000));
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(copy.unstampedReport(), QStringLiteral("Program started.\r\nProgram was ended.\r\n"));
        xvfb.kill();
        xvfb.waitForFinished();
    }

    // The start at start-up fails with a box; the program stays up and does
    // not listen, also once the port is free again.
    void portTakenBeforeStart()
    {
        ProgramCopy program;
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, program.port));
        program.writeSettings();
        program.start();
        // Past the start once it has reported it and sleeps (in the box).
        const QString stat = QStringLiteral("/proc/%1/stat").arg(program.process.processId());
        QVERIFY(pollUntil([&] {
            return program.report().contains("Start requested.") && readBytes(stat).split(' ').value(2) == "S";
        }));
        other.close();
        Client sender;
        QVERIFY(!sender.connectTo(program.port));
        QVERIFY(program.running());
        QCOMPARE(program.unstampedReport(), QStringLiteral("Program started.\r\nStart requested.\r\n"));
    }

    void faultWhileRunning_data()
    {
        QTest::addColumn<QString>("fault");      // a command in the program's directory
        QTest::addColumn<bool>("unprivileged");  // so that permissions bind a test run by root
        QTest::addColumn<bool>("keepsEarlier");  // the data file still holds the lines from before
        QTest::addColumn<bool>("allAnswered");   // every arrival after the fault is answered
        QTest::newRow("data file made read-only") << "chmod a-w in/data.txt" << true << true << false;
        QTest::newRow("data file removed") << "rm in/data.txt" << false << false << true;
        QTest::newRow("data file's directory removed") << "rm -r in" << false << false << false;
        QTest::newRow("report directory made read-only") << "chmod a-w ." << true << true << true;
        // The connection's report fails with a box that waits for the operator;
        // no other socket event is handled meanwhile.
        QTest::newRow("report file replaced by a directory")
            << "rm ifreport.txt && mkdir ifreport.txt" << false << true << false;
    }
    // A connection before the fault, one after it that ends in a reset (a
    // socket error to record), and a later one.
    void faultWhileRunning()
    {
        QFETCH(QString, fault);
        QFETCH(bool, unprivileged);
        QFETCH(bool, keepsEarlier);
        QFETCH(bool, allAnswered);
        ProgramCopy program;
        program.unprivileged = unprivileged;
        QVERIFY(QDir(program.dir.path()).mkdir(QStringLiteral("in")));
        program.dataPath = program.file("in/data.txt");
        QVERIFY(program.startListening());
        int next = 0;
        Client before, after, later;
        QVERIFY(before.connectTo(program.port));
        const QByteArray earlier = sendUntilUnanswered(before, next, 3);
        QCOMPARE(earlier.count("\r\n"), 3);
        before.socket.close();
        QVERIFY(program.waitForReport("Listening for connection."));

        const QString command = QStringLiteral("cd '%1' && %2").arg(program.dir.path(), fault);
        QCOMPARE(QProcess::execute(QStringLiteral("sh"), {QStringLiteral("-c"), command}), 0);
        QVERIFY(after.connectTo(program.port));
        QByteArray answered = sendUntilUnanswered(after, next, 12);
        QCOMPARE(answered.count("\r\n") == 12, allAnswered);
        after.reset();
        if (later.connectTo(program.port))
            answered += sendUntilUnanswered(later, next, 3);
        QVERIFY(program.running());
        QCOMPARE(program.dataFile(), (keepsEarlier ? earlier : QByteArray()) + answered);
    }

    // A termination signal in the middle of a lock-step stream ends the
    // program as Exit does with the warning off; nothing answered is lost.
    void endsOnTerminationSignals_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
        QTest::newRow("SIGHUP") << int(SIGHUP);
    }
    void endsOnTerminationSignals()
    {
        QFETCH(int, signalNumber);
        ProgramCopy program;
        QVERIFY(program.startListening());
        Client sender;
        QVERIFY(sender.connectTo(program.port));
        QByteArray acknowledged;
        int next = 0;
        for (; next < 50 && sender.exchange(message(next)); ++next)
            acknowledged += message(next) + "\r\n";
        ::kill(pid_t(program.process.processId()), signalNumber);
        for (const int last = next + 1000; next < last && sender.exchange(message(next)); ++next)
            acknowledged += message(next) + "\r\n";
        QVERIFY(program.process.waitForFinished(10000));
        QCOMPARE(program.process.exitStatus(), QProcess::NormalExit);
        QVERIFY(program.unstampedReport().endsWith(QStringLiteral("Program was ended.\r\n")));
        QVERIFY(program.dataFile().startsWith(acknowledged));
    }

    // A folder it may not write, its files writable: the settings file is
    // rewritten in place (an older header name replaced), and the program runs.
    void readOnlyProgramFolder()
    {
        ProgramCopy program;
        program.unprivileged = true;
        program.writeSettings();
        writeBytes(program.file("corvconf.ini"),
                   readBytes(program.file("corvconf.ini")).replace("[MSH after date]", "[ACK after date]"));
        writeBytes(program.file("ifreport.txt"), {});
        writeBytes(program.dataPath, {});
        QCOMPARE(::chmod(qPrintable(program.dir.path()), 0555), 0);
        program.start();
        QVERIFY(program.waitUntilListening());
        QVERIFY(readBytes(program.file("corvconf.ini")).contains("[MSH after date]"));
        QVERIFY(program.answersAFreshSender());
    }

    // An install is a folder: the program, its guide, icon, launcher and example
    // messages (sent by mllp_send as they are); the program keeps its files there.
    void installedFolder()
    {
        ProgramCopy program;
        QVERIFY(QFile::remove(program.file("corvane")));
        const QString folder = program.dir.path();
        const QStringList install = {QStringLiteral("--install"), QStringLiteral(CORVANE_BUILD_DIR), QStringLiteral("--prefix"), folder};
        QCOMPARE(QProcess::execute(QStringLiteral(CORVANE_CMAKE), install), 0);
        QVERIFY(readBytes(program.file("corvane.png")).startsWith("\x89PNG\r\n\x1a\n"));
        QVERIFY(readBytes(program.file("README.TXT")).contains("corvconf.ini"));
        const QString launcher = QStringLiteral("Exec=\"%1/corvane\"\nPath=%1\nIcon=%1/corvane.png\n").arg(folder);
        QVERIFY(readBytes(program.file("corvane.desktop")).contains(launcher.toUtf8()));
        QVERIFY(program.startListening());
        QProcess sender;
        sender.start(QStringLiteral("mllp_send"), {QStringLiteral("--port"), QString::number(program.port), QStringLiteral("--file"),
                                                   program.file("messages.hl7"), QStringLiteral("127.0.0.1")});
        QVERIFY(sender.waitForFinished(20000));
        QCOMPARE(sender.readAllStandardOutput().count("MSA|AA"), 3);
        QCOMPARE(program.dataFile().count("\x1c\r\r\n"), 3);
        QVERIFY(program.waitForReport("Connection closed. Reconnect will be attempted."));
    }

    // Killed right after an acknowledgement, 20 times, with the next message
    // in flight: every acknowledged message is in the data file, because its
    // line reaches the system before the acknowledgement leaves.
    void killedRightAfterAnAcknowledgement()
    {
        ProgramCopy program;
        program.writeSettings();
        QList<QByteArray> acknowledged;
        int next = 0;
        for (int round = 0; round < 20; ++round, ++next) {
            program.start();
            QVERIFY(program.waitUntilListening());
            Client sender;
            QVERIFY(sender.connectTo(program.port));
            sender.send(message(next));
            for (int k = 1; k <= 1 + round * 7 % 23; ++k) {
                QVERIFY(sender.until([&] { return sender.answers() == k; }));
                acknowledged << message(next);
                sender.send(message(++next));
            }
            ::kill(pid_t(program.process.processId()), SIGKILL);
            QVERIFY(program.process.waitForFinished(10000));
        }
        const QByteArray stored = program.dataFile();
        qsizetype at = 0;
        for (const QByteArray &m : acknowledged)
            QVERIFY2((at = stored.indexOf(m + "\r\n", at)) >= 0, ("acknowledged but not stored: " + m).constData());
    }
};

QTEST_GUILESS_MAIN(EndToEndProgram)
#include "tst_e2e_program.moc"
