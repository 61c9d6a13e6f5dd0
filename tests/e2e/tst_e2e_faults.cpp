// The built program when its files or its port fail it: a full disk, a data
// file made read-only, the data file or its directory removed, the report
// directory made read-only or the report file made unwritable, and the port
// taken by another process. None of these may crash it or leave an answered
// arrival out of the data file. Where the program shows a box, an offscreen
// run waits in it: the process stays up.
#include <QtTest>

#include <sys/stat.h>

#include "receiver_copy.h"

namespace {

QByteArray message(int i)
{
    return "\x0bMSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|F" + QByteArray::number(i)
           + "|P|2.3\rPID|1||4711||Doe\x1c\r";
}

// How long an arrival may go unanswered before the test takes it as not
// answered at all; answers normally come within milliseconds.
constexpr int kNoAnswerMs = 3000;

// Sends messages one at a time on a connection until one is not answered,
// at most `limit`; returns the ones that were answered, as stored lines.
QByteArray sendUntilUnanswered(RawClient &sender, int &next, int limit)
{
    QByteArray answered;
    for (int i = 0; i < limit; ++i, ++next) {
        const QByteArray m = message(next);
        if (!sender.sendAll(m) || !sender.waitForAnswers(sender.answerCount() + 1, kNoAnswerMs)) {
            ++next;
            break;
        }
        answered += m + "\r\n";
    }
    return answered;
}

}  // namespace

class EndToEndFaults : public QObject {
    Q_OBJECT
private slots:
    // Every write fails: no arrival is answered, the connection is dropped
    // and the listener starts again, each time.
    void dataFileOnAFullDisk()
    {
        if (!QFileInfo::exists(QStringLiteral("/dev/full")))
            QSKIP("this system has no /dev/full");
        ReceiverCopy program;
        program.dataPath = QStringLiteral("/dev/full");
        QVERIFY(program.startListening());
        for (int round = 1; round <= 3; ++round) {
            RawClient sender;
            QVERIFY(sender.connectTo(program.port));
            QVERIFY(sender.sendAll(message(round)));
            QVERIFY(sender.waitUntilDropped());
            QVERIFY2(sender.received.isEmpty(), sender.received.constData());
            QVERIFY(program.waitForReport("Start requested.", round + 1));
            QVERIFY(program.waitUntilListening(5000));
        }
        const QList<QByteArray> report = program.reportLines();
        const qsizetype failed = report.indexOf("Error in Winsock_DataArrival.");
        QVERIFY(failed > 0);
        QCOMPARE(report.mid(failed, 6), QList<QByteArray>({"Error in Winsock_DataArrival.", " 61 ", "Disk full",
                                                           "Stop requested.", "Connection was stopped.",
                                                           "Start requested."}));
        QCOMPARE(report.count("Error in Winsock_DataArrival."), 3);
        QVERIFY(program.running());
    }

    // The program keeps the data file open for a batch of arrivals; once it
    // has to open it again, it cannot, and from then on nothing is answered.
    void dataFileMadeReadOnly()
    {
        ReceiverCopy program;
        if (!program.dropPrivileges())
            QSKIP("running as root without setpriv: file permissions cannot be made to apply");
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        int next = 0;
        QByteArray answered = sendUntilUnanswered(sender, next, 3);
        QCOMPARE(sender.answerCount(), 3);

        QVERIFY(QFile::setPermissions(program.dataPath, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        answered += sendUntilUnanswered(sender, next, 30);
        QVERIFY2(sender.answerCount() < 33, "every arrival was answered after the file became read-only");
        QCOMPARE(program.dataFile(), answered);
        QVERIFY(program.running());
    }

    // Whatever is answered after the data file (or its directory) was
    // removed must be in a data file the operator can find.
    void dataFileRemovedWhileRunning_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("the file") << false;
        QTest::newRow("its directory") << true;
    }
    void dataFileRemovedWhileRunning()
    {
        QFETCH(bool, directory);
        ReceiverCopy program;
        QVERIFY(QDir(program.dir.path()).mkdir(QStringLiteral("incoming")));
        program.dataPath = program.file("incoming/data.txt");
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        int next = 0;
        QByteArray answered = sendUntilUnanswered(sender, next, 3);
        QCOMPARE(program.dataFile(), answered);

        if (directory)
            QVERIFY(QDir(program.file("incoming")).removeRecursively());
        else
            QVERIFY(QFile::remove(program.dataPath));
        const QByteArray answeredAfterwards = sendUntilUnanswered(sender, next, 12);
        if (directory)
            QVERIFY2(sender.answerCount() < 15, "every arrival was answered after the directory was removed");
        QVERIFY(program.running());
        qInfo("%lld arrivals answered after the removal", qlonglong(answeredAfterwards.count("\r\n")));
        QCOMPARE(program.dataFile(), answeredAfterwards);
    }

    // The report file itself can still be appended to; the error file cannot
    // be made, which ends the program with a box at the next socket error.
    void reportDirectoryMadeReadOnly()
    {
        ReceiverCopy program;
        if (!program.dropPrivileges())
            QSKIP("running as root without setpriv: directory permissions cannot be made to apply");
        QVERIFY(program.startListening());
        QVERIFY(QFile::setPermissions(program.dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup
                                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
        RawClient first;
        QVERIFY(first.connectTo(program.port));
        int next = 0;
        QByteArray answered = sendUntilUnanswered(first, next, 3);
        QCOMPARE(first.answerCount(), 3);
        first.close();
        QVERIFY(program.waitForReport("Listening for connection.", 1));

        RawClient second;
        QVERIFY(second.connectTo(program.port));
        answered += sendUntilUnanswered(second, next, 3);
        QCOMPARE(second.answerCount(), 3);
        QVERIFY(program.waitForReport("Connection established.", 2));
        second.reset();
        // The error record cannot be written, so the listener is not restarted.
        QVERIFY(!program.waitForReport("Stop requested.", 1, kNoAnswerMs));
        QVERIFY(!QFileInfo::exists(program.file("iferrors.txt")));
        QVERIFY(program.running());
        QCOMPARE(program.dataFile(), answered);
    }

    // A report that cannot be written ends the program with a box; the
    // connection that caused the report is not lost from the data file.
    void reportFileReplacedByADirectory()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient first;
        QVERIFY(first.connectTo(program.port));
        int next = 0;
        QByteArray answered = sendUntilUnanswered(first, next, 2);
        first.close();
        QVERIFY(program.waitForReport("Listening for connection.", 1));

        QVERIFY(QFile::remove(program.file("ifreport.txt")));
        QVERIFY(QDir(program.dir.path()).mkdir(QStringLiteral("ifreport.txt")));
        RawClient second;
        QVERIFY(second.connectTo(program.port));
        answered += sendUntilUnanswered(second, next, 2);
        QVERIFY(program.running());
        QCOMPARE(program.dataFile(), answered);
    }

    // The start at start-up fails with a box; the program stays up without
    // listening, also after the port is free again.
    void portTakenBeforeStart()
    {
        ReceiverCopy program;
        QTcpServer other;
        QVERIFY(other.listen(QHostAddress::LocalHost, program.port));
        program.writeSettings();
        program.start();
        QVERIFY(program.waitForReport("Start requested.", 1, 20000));
        QVERIFY(!program.listening());
        other.close();
        RawClient sender;
        QVERIFY(!sender.connectTo(program.port));
        QVERIFY(program.running());
        QVERIFY(!program.listening());
        QCOMPARE(program.reportLines(), QList<QByteArray>({"Program started.", "Start requested."}));
    }
};

QTEST_GUILESS_MAIN(EndToEndFaults)
#include "tst_e2e_faults.moc"
