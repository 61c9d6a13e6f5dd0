// The built program from outside: real senders, its window by keyboard, a
// port taken, its files failing it while it runs, kills and termination
// signals. None may leave an answered arrival out of the data file.
#include <signal.h>
#include <sys/stat.h>

#include "program_copy.h"

namespace {

const QByteArray kAnswered = "\rMSA|AA||||||\x1c\r";

QByteArray message(int i)
{
    return "\x0bMSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|F" + QByteArray::number(i) + "|P|2.3\rPID|1||4711\x1c\r";
}

// Sends one message at a time until one goes unanswered, at most `limit`; the
// answered ones as the data file stores them.
QByteArray sendUntilUnanswered(Sender &sender, int &next, int limit)
{
    QByteArray answered;
    for (int i = 0; i < limit && sender.exchange(message(next), kAckSize, 3000).endsWith(kAnswered); ++i)
        answered += message(next++) + "\r\n";
    ++next;
    return answered;
}

// Runs a sender to its end: what it printed, or nothing when it failed.
QByteArray outputOf(const QString &program, const QStringList &arguments, const QString &directory = {})
{
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sender.setWorkingDirectory(directory);
    sender.start(program, arguments);
    return sender.waitForFinished(30000) && sender.exitCode() == 0 ? sender.readAllStandardOutput() : QByteArray();
}

}  // namespace

class EndToEnd : public QObject {
    Q_OBJECT
private slots:
    void mllpSend()  // Debian's python3-hl7
    {
        ProgramCopy program;
        QVERIFY(program.startListening());
        const QByteArray framed = message(1) + "\x0b" + QByteArray(4000, 'x') + "\x1c\r" + message(2);
        writeBytes(program.file("messages.hl7"), framed);
        const QStringList arguments = {"--file", program.file("messages.hl7"), "--port", QString::number(program.port), "127.0.0.1"};
        QCOMPARE(outputOf(QStringLiteral("/usr/bin/mllp_send"), arguments).count(kAnswered), 3);
        QCOMPARE(program.dataFile(), QByteArray(framed).replace("\x1c\r", "\x1c\r\r\n"));
    }

    void nodeHl7Client()  // from npm, pinned in e2e/node (`npm ci` there installs it)
    {
        ProgramCopy program;
        QVERIFY(program.startListening());
        const QByteArray output =
            outputOf(QStringLiteral("node"), {"send_messages.js", QString::number(program.port)}, CORVANE_NODE_SENDER);
        QByteArray expected;
        for (const QByteArray &line : output.trimmed().split('\n')) {
            const QList<QByteArray> sentAndAnswer = line.split(' ');  // the answer without its frame characters
            expected += "\x0b" + QByteArray::fromHex(sentAndAnswer[0]) + "\x1c\r\r\n";
            QVERIFY(QByteArray::fromHex(sentAndAnswer.value(1)).endsWith("\rMSA|AA||||||"));
        }
        QCOMPARE(program.dataFile(), expected);
        QVERIFY(expected.contains("PID|1||4711^^^WEST^MR||M\xfcller^J\xfcrgen"));  // Latin-1 as single bytes
    }

    // An install is a folder: the program, its guide, icon, launcher and
    // example messages, which mllp_send sends as they are.
    void installedFolder()
    {
        ProgramCopy program;
        const QString folder = program.dir.path();
        QVERIFY(QFile::remove(program.file("corvane")));
        QCOMPARE(QProcess::execute(QStringLiteral(CORVANE_CMAKE), {"--install", CORVANE_BUILD_DIR, "--prefix", folder}), 0);
        QVERIFY(readBytes(program.file("corvane.png")).startsWith("\x89PNG\r\n\x1a\n"));
        QVERIFY(readBytes(program.file("README.TXT")).contains("corvconf.ini"));
        const QString launcher = QStringLiteral("Exec=\"%1/corvane\"\nPath=%1\nIcon=%1/corvane.png\n").arg(folder);
        QVERIFY(readBytes(program.file("corvane.desktop")).contains(launcher.toUtf8()));
        QVERIFY(program.startListening());
        const QStringList arguments = {"--file", program.file("messages.hl7"), "--port", QString::number(program.port), "127.0.0.1"};
        QCOMPARE(outputOf(QStringLiteral("/usr/bin/mllp_send"), arguments).count(kAnswered), 3);
        QCOMPARE(program.dataFile().count("\x1c\r\r\n"), 3);
    }

    // A folder it may not write, its files writable: the settings file is
    // rewritten in place at the start (an older header name replaced).
    void readOnlyProgramFolder()
    {
        ProgramCopy program;
        program.unprivileged = true;
        writeBytes(program.file("corvconf.ini"),
                   listeningSettings(program.port, program.dataPath).replace("[MSH after date]", "[ACK after date]"));
        writeBytes(program.file("ifreport.txt"), {});
        writeBytes(program.dataPath, {});
        QCOMPARE(::chmod(qPrintable(program.dir.path()), 0555), 0);
        program.start();
        QVERIFY(program.waitUntilListening());
        QVERIFY(readBytes(program.file("corvconf.ini")).contains("[MSH after date]"));
        Sender sender;
        QVERIFY(sender.connectTo(program.port));
        QVERIFY(sender.exchange(message(1)).endsWith(kAnswered));
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
        const QString keys = QStringLiteral("search --sync --name ^Interface$ windowfocus --sync key --delay 100 alt+f x");
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), keys.split(' '));
        QVERIFY2(xdotool.waitForFinished(15000), "the window did not appear");
        QVERIFY(copy.ended());
        QCOMPARE(copy.process.exitStatus(), QProcess::NormalExit);
        QVERIFY(copy.report().endsWith("Program was ended.\r\n") && copy.report().count('\n') == 2);
        xvfb.kill();
        xvfb.waitForFinished();
    }

    // The start fails with a box; the program stays up in it and does not
    // listen, also once the port is free again.
    void portTakenBeforeStart()
    {
        ProgramCopy program;
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, program.port));
        program.writeSettings();
        program.start();
        const QString stat = QStringLiteral("/proc/%1/stat").arg(program.process.processId());
        QVERIFY(QTest::qWaitFor([&] {  // asleep in the box once the start is reported
            return program.report().contains("Start requested.") && readBytes(stat).split(' ').value(2) == "S";
        }, 10000));
        other.close();
        QVERIFY(!Sender().connectTo(program.port));
        QVERIFY(program.running());
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
        // The connection's report fails with a box that waits for the operator.
        QTest::newRow("report file replaced by a directory") << "rm ifreport.txt && mkdir ifreport.txt" << false << true << false;
    }
    // A connection before the fault; one after it that ends in a reset (a
    // socket error to record); a later one.
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
        Sender before, after, later;
        QVERIFY(before.connectTo(program.port));
        const QByteArray earlier = sendUntilUnanswered(before, next, 3);
        QCOMPARE(earlier.count("\r\n"), 3);
        before.socket.close();
        QVERIFY(QTest::qWaitFor([&] { return program.report().endsWith("Listening for connection.\r\n"); }, 10000));
        QCOMPARE(QProcess::execute(QStringLiteral("sh"), {"-c", QStringLiteral("cd '%1' && %2").arg(program.dir.path(), fault)}), 0);
        QVERIFY(after.connectTo(program.port));
        QByteArray answered = sendUntilUnanswered(after, next, 12);
        QCOMPARE(answered.count("\r\n") == 12, allAnswered);
        after.reset();
        if (later.connectTo(program.port))
            answered += sendUntilUnanswered(later, next, 3);
        QVERIFY(program.running());
        QCOMPARE(program.dataFile(), (keepsEarlier ? earlier : QByteArray()) + answered);
    }

    // Ended by a signal right after an acknowledgement, with the next message
    // in flight: every acknowledged message is in the data file. A
    // termination signal ends the program as Exit does with the warning off.
    void endedRightAfterAnAcknowledgement_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("acknowledged");
        QTest::newRow("SIGKILL after 1") << int(SIGKILL) << 1;
        QTest::newRow("SIGKILL after 10") << int(SIGKILL) << 10;
        QTest::newRow("SIGKILL after 15") << int(SIGKILL) << 15;
        QTest::newRow("SIGTERM") << int(SIGTERM) << 20;
        QTest::newRow("SIGINT") << int(SIGINT) << 20;
        QTest::newRow("SIGHUP") << int(SIGHUP) << 20;
    }
    void endedRightAfterAnAcknowledgement()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, acknowledged);
        ProgramCopy program;
        QVERIFY(program.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(program.port));
        int next = 0;
        const QByteArray stored = sendUntilUnanswered(sender, next, acknowledged);
        sender.send(message(next));
        ::kill(pid_t(program.process.processId()), signalNumber);
        QVERIFY(program.ended());
        QVERIFY(program.dataFile().startsWith(stored));
        if (signalNumber != SIGKILL)
            QVERIFY(program.process.exitStatus() == QProcess::NormalExit && program.report().endsWith("Program was ended.\r\n"));
    }
};

QTEST_GUILESS_MAIN(EndToEnd)
#include "tst_e2e.moc"
