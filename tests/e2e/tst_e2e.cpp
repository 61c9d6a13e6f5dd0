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
QByteArray outputOf(const QString &program, const QStringList &arguments, const QString &directory = {},
                    const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
{
    QProcess sender;
    sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    sender.setWorkingDirectory(directory);
    sender.setProcessEnvironment(environment);
    sender.start(program, arguments);
    return sender.waitForFinished(30000) && sender.exitCode() == 0 ? sender.readAllStandardOutput() : QByteArray();
}

// Runs a shell command in a directory; true when it succeeded.
bool runIn(const QString &directory, const QString &command)
{
    return QProcess::execute(QStringLiteral("sh"), {"-c", QStringLiteral("cd '%1' && %2").arg(directory, command)}) == 0;
}

}  // namespace

class EndToEnd : public QObject {
    Q_OBJECT
private slots:
    // Real HL7 clients print, per message: its control id, the MSA-2 of the
    // answer they matched to it, that answer's MSH-9 ("-": none). The data
    // file holds all they sent byte for byte, a message a line.
    void clients_data()
    {
        QTest::addColumn<QString>("client");
        QTest::addColumn<QString>("scenario");  // three one at a time, one large (200 KB), ten in one write
        QTest::addColumn<QString>("host");
        QTest::addColumn<bool>("messageMode");
        for (const char *client : {"@medplum/hl7", "hl7v2-net", "simple-hl7", "node-hl7-client", "python3-hl7"}) {
            for (const char *scenario : {"three", "large", "ten"})
                QTest::addRow("%s %s", client, scenario) << client << scenario << "127.0.0.1" << true;
        }
        QTest::newRow("@medplum/hl7 three over ::1") << "@medplum/hl7" << "three" << "::1" << true;
        QTest::newRow("python3-hl7 three over ::1") << "python3-hl7" << "three" << "::1" << true;
        for (const char *client : {"simple-hl7", "node-hl7-client", "python3-hl7"})
            QTest::addRow("%s three, arrival mode", client) << client << "three" << "127.0.0.1" << false;
    }
    void clients()
    {
        QFETCH(QString, client);
        QFETCH(QString, scenario);
        QFETCH(QString, host);
        QFETCH(bool, messageMode);
        const bool python = client == u"python3-hl7";
        const QString driver = QStringLiteral(CORVANE_CLIENTS) + (python ? "/python/clients.py" : "/node/clients.js");
        if (!QFile::exists(python ? "/usr/lib/python3/dist-packages/hl7/mllp" : CORVANE_CLIENTS "/node/node_modules/" + client))
            QSKIP("not installed: apt-get install python3-hl7, (cd tests/e2e/node && npm ci); ./setup.sh test does both");
        ProgramCopy program;
        program.writeSettings(messageMode ? Changes{{"[Answer Each Message]", "On"}} : Changes{});
        program.start();
        QVERIFY(program.waitUntilListening());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("CLIENT_SENT_FILE"), program.file("sent"));
        const QStringList arguments = {driver, client, scenario, QString::number(program.port), host};
        const QList<QByteArray> lines = outputOf(python ? "/usr/bin/python3" : "node", arguments, {}, environment).trimmed().split('\n');
        QCOMPARE(lines.size(), scenario == u"three" ? 3 : scenario == u"large" ? 1 : 10);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const QList<QByteArray> idAnswerType = lines[i].split(' ');
            // simple-hl7 takes what one read brings as one answer
            if (client == u"simple-hl7" && scenario == u"ten" && i > 0)
                continue;
            QCOMPARE(idAnswerType.value(2), QByteArray("ACK"));
            QCOMPARE(idAnswerType.value(1), messageMode ? idAnswerType.value(0) : QByteArray("-"));
        }
        const QByteArray stored = readBytes(program.file("sent")).replace("\x1c\r", "\x1c\r\r\n");
        QTRY_COMPARE(program.dataFile(), stored);
    }

    // An install is a folder: the program, its guide, default settings,
    // icon, launcher and example messages. Started offscreen with only
    // automatic start switched on (and a free port), it asks nothing and
    // answers mllp_send sending the examples.
    void installedFolder()
    {
        QVERIFY(QFile::exists(QStringLiteral(CORVANE_BUILD_DIR "/README.TXT")));  // beside the built program too
        ProgramCopy program;
        const QString folder = program.dir.path();
        QVERIFY(QFile::remove(program.file("corvane")));
        QCOMPARE(QProcess::execute(QStringLiteral(CORVANE_CMAKE), {"--install", CORVANE_BUILD_DIR, "--prefix", folder}), 0);
        QVERIFY(readBytes(program.file("corvane.png")).startsWith("\x89PNG\r\n\x1a\n"));
        QVERIFY(readBytes(program.file("README.TXT")).contains("corvconf.ini"));
        const QString launcher = QStringLiteral("Exec=\"%1/corvane\"\nPath=%1\nIcon=%1/corvane.png\n").arg(folder);
        QVERIFY(readBytes(program.file("corvane.desktop")).contains(launcher.toUtf8()));
        const QByteArray installed = readBytes(program.file("corvconf.ini"));
        QVERIFY(installed.contains("[AutoStart]\r\nOff\r\n") && installed.contains("[Port]\r\n65535\r\n"));
        writeBytes(program.file("corvconf.ini"), QByteArray(installed)
                                                     .replace("[AutoStart]\r\nOff", "[AutoStart]\r\nOn")
                                                     .replace("65535", QByteArray::number(program.port)));
        program.start();
        QVERIFY(program.waitUntilListening());
        const QStringList arguments = {"--file", program.file("messages.hl7"), "--port", QString::number(program.port), "127.0.0.1"};
        QCOMPARE(outputOf(QStringLiteral("/usr/bin/mllp_send"), arguments).count(kAnswered), 3);
        QCOMPARE(readBytes(program.file("logfile.txt")).count("\x1c\r\r\n"), 3);
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
        QVERIFY(runIn(program.dir.path(), fault));
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
    // termination signal ends the program as Exit does with the warning off,
    // also when the report file cannot take its last line.
    void endedRightAfterAnAcknowledgement_data()
    {
        QTest::addColumn<int>("signalNumber");
        QTest::addColumn<int>("acknowledged");
        QTest::addColumn<QString>("reportFault");  // a command in the program's directory
        QTest::newRow("SIGKILL after 1") << int(SIGKILL) << 1 << QString();
        QTest::newRow("SIGKILL after 10") << int(SIGKILL) << 10 << QString();
        QTest::newRow("SIGKILL after 15") << int(SIGKILL) << 15 << QString();
        QTest::newRow("SIGTERM") << int(SIGTERM) << 20 << QString();
        QTest::newRow("SIGINT") << int(SIGINT) << 20 << QString();
        QTest::newRow("SIGHUP") << int(SIGHUP) << 20 << QString();
        QTest::newRow("SIGTERM, the report on a full device") << int(SIGTERM) << 3 << "ln -sf /dev/full ifreport.txt";
        QTest::newRow("SIGTERM, the report a FIFO") << int(SIGTERM) << 3 << "rm ifreport.txt && mkfifo ifreport.txt";
    }
    void endedRightAfterAnAcknowledgement()
    {
        QFETCH(int, signalNumber);
        QFETCH(int, acknowledged);
        QFETCH(QString, reportFault);
        ProgramCopy program;
        QVERIFY(program.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(program.port));
        int next = 0;
        const QByteArray stored = sendUntilUnanswered(sender, next, acknowledged);
        sender.send(message(next));
        QVERIFY(reportFault.isEmpty() || runIn(program.dir.path(), reportFault));
        ::kill(pid_t(program.process.processId()), signalNumber);
        QVERIFY(program.ended());
        QVERIFY(program.dataFile().startsWith(stored));
        if (signalNumber != SIGKILL)
            QVERIFY(program.process.exitStatus() == QProcess::NormalExit
                    && (!reportFault.isEmpty() || program.report().endsWith("Program was ended.\r\n")));
    }
};

QTEST_GUILESS_MAIN(EndToEnd)
#include "tst_e2e.moc"
