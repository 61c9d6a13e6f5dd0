// The built program with automatic start against senders that misbehave or
// push hard: odd bytes, huge arrivals, floods, idle and short-lived
// connections, resets and half-closes. After each, the program is still up
// and listening, answers a fresh sender, and every answered arrival is in the
// data file in the order sent.
#include <QtTest>

#include "receiver_copy.h"

namespace {

const QList<QByteArray> kClosedAndListening = {"Connection closed. Reconnect will be attempted.",
                                               "Listening for connection."};

QByteArray tinyMessage(int i)
{
    return "\x0bMSH|^~\\&|||||||ADT^A01|" + QByteArray::number(i) + "|P|2.3\x1c\r";
}

// Bytes whose order shows: a counter, and no LF anywhere, so that the data
// file's lines can be told apart however the network cut the arrivals.
QByteArray countingBytes(qsizetype size)
{
    QByteArray bytes;
    bytes.reserve(size + 16);
    bytes += '\x0b';
    for (int i = 0; bytes.size() < size; ++i)
        bytes += QByteArray::number(i).rightJustified(9, '0') + '|';
    bytes.truncate(size - 2);
    return bytes + "\x1c\r";
}

// Counts report lines as they are added, reading only what is new, so that
// a thousand waits stay cheap.
struct ReportTail {
    explicit ReportTail(QString file) : path(std::move(file)) {}

    QString path;
    qint64 offset = 0;
    QByteArray partial;
    QHash<QByteArray, qsizetype> counts;

    qsizetype count(const QByteArray &line)
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && file.seek(offset)) {
            const QByteArray added = file.readAll();
            offset += added.size();
            partial += added;
            qsizetype end;
            while ((end = partial.indexOf("\r\n")) >= 0) {
                QByteArray complete = partial.left(end);
                partial.remove(0, end + 2);
                ++counts[complete.size() >= 12 ? complete.mid(12) : complete];
            }
        }
        return counts.value(line);
    }
};

// Waits until everything sent is in the data file and every arrival it holds
// has been answered; true when then each line was answered and the lines,
// their CR LF removed, give back exactly what was sent.
bool allStoredAndAnswered(ReceiverCopy &program, RawClient &client, const QByteArray &sent, int timeoutMs)
{
    const auto complete = [&] {
        client.drain();
        if (QFileInfo(program.dataPath).size() != sent.size() + 2 * client.answerCount())
            return false;
        return storedLines(program.dataFile()).size() == client.answerCount();
    };
    if (!pollUntil(complete, timeoutMs)) {
        qWarning("stored %lld of %lld bytes, %lld answers", qlonglong(QFileInfo(program.dataPath).size()),
                 qlonglong(sent.size()), qlonglong(client.answerCount()));
        return false;
    }
    for (const QByteArray &answer : answersIn(client.received)) {
        if (!isDefaultAck(answer))
            return false;
    }
    return storedLines(program.dataFile()).join() == sent;
}

}  // namespace

class EndToEndHostileSenders : public QObject {
    Q_OBJECT
private slots:
    void oddBytesAreStoredAsSentAndAnswered_data()
    {
        QTest::addColumn<QByteArray>("arrival");
        QTest::newRow("junk before the start byte") << QByteArray("GET / HTTP/1.0\x0bMSH|^~\\&|A|B|||||ADT^A01|1|P|2.3\x1c\r");
        QTest::newRow("no framing at all") << QByteArray("MSH|^~\\&|A|B|||||ADT^A01|2|P|2.3\rPID|1||4711");
        QTest::newRow("NUL and 0xFF bytes") << QByteArray("\x0b\0MSH|\xff\xfe\0\0|\xff\x1c\r", 15);
        QTest::newRow("end characters only") << QByteArray("\x1c\r");
        QTest::newRow("start character only") << QByteArray("\x0b");
        QTest::newRow("one NUL") << QByteArray(1, '\0');
    }
    void oddBytesAreStoredAsSentAndAnswered()
    {
        QFETCH(QByteArray, arrival);
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        QVERIFY(sender.exchange(arrival));
        QVERIFY2(isDefaultAck(sender.received), sender.received.toPercentEncoding().constData());
        QCOMPARE(program.dataFile(), arrival + "\r\n");

        QVERIFY(program.running());
        QVERIFY(program.answersAFreshSender());
        QCOMPARE(program.reportCount("Connection established."), 2);
    }

    // However the network cuts a huge arrival, every piece is one line and one answer.
    void hugeArrival_data()
    {
        QTest::addColumn<qsizetype>("size");
        QTest::newRow("1 MB") << qsizetype(1) * 1024 * 1024;
        QTest::newRow("16 MB") << qsizetype(16) * 1024 * 1024;
    }
    void hugeArrival()
    {
        QFETCH(qsizetype, size);
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        const QByteArray sent = countingBytes(size);
        QVERIFY(sender.sendAll(sent, 60000));
        QVERIFY(allStoredAndAnswered(program, sender, sent, 60000));
        qInfo("%lld bytes arrived as %lld arrivals", qlonglong(sent.size()), qlonglong(sender.answerCount()));

        sender.close();
        QVERIFY(program.reportEndsWith(kClosedAndListening));
        QVERIFY(program.answersAFreshSender());
    }

    void tenThousandTinyMessagesInLockStep()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        QByteArray sent;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 10000; ++i) {
            const QByteArray message = tinyMessage(i);
            if (!sender.exchange(message))
                QFAIL(qPrintable(QStringLiteral("no answer to message %1").arg(i)));
            sent += message + "\r\n";
        }
        qInfo("10000 lock-step exchanges in %.2f s", clock.elapsed() / 1000.0);
        QCOMPARE(sender.answerCount(), 10000);
        for (const QByteArray &answer : answersIn(sender.received))
            QVERIFY2(isDefaultAck(answer), answer.toPercentEncoding().constData());
        QCOMPARE(program.dataFile(), sent);
        sender.close();
        QVERIFY(program.reportEndsWith(kClosedAndListening));
        QVERIFY(program.answersAFreshSender());
    }

    void burstOfTenThousandWithoutWaiting()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        QByteArray sent;
        for (int i = 0; i < 10000; ++i)
            sent += tinyMessage(i);
        QVERIFY(sender.sendAll(sent));
        QVERIFY(allStoredAndAnswered(program, sender, sent, 60000));
        qInfo("a burst of 10000 messages (%lld bytes) arrived as %lld arrivals", qlonglong(sent.size()),
              qlonglong(sender.answerCount()));
        sender.close();
        QVERIFY(program.reportEndsWith(kClosedAndListening));
        QVERIFY(program.running());
        QVERIFY(program.answersAFreshSender());
    }

    // A newer connection replaces an older one, even one that never sent a byte.
    void idleConnectionIsReplacedByASecondSender()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        RawClient idle;
        QVERIFY(idle.connectTo(program.port));
        QVERIFY(program.waitForReport("Connection established.", 1));
        RawClient second;
        QVERIFY(second.connectTo(program.port));
        QVERIFY(idle.waitUntilDropped());
        QVERIFY(idle.received.isEmpty());
        const QByteArray message = tinyMessage(1);
        QVERIFY(second.exchange(message));
        QVERIFY(isDefaultAck(second.received));
        QCOMPARE(program.dataFile(), message + "\r\n");
        QCOMPARE(program.reportCount("Connection established."), 2);
        QCOMPARE(program.reportCount("Connection closed. Reconnect will be attempted."), 0);
        QVERIFY(program.listening());
    }

    void thousandConnectAndCloseCycles()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        ReportTail report(program.file("ifreport.txt"));
        QElapsedTimer clock;
        clock.start();
        constexpr int kCycles = 1000;
        for (int i = 1; i <= kCycles; ++i) {
            RawClient client;
            if (!client.connectTo(program.port))
                QFAIL(qPrintable(QStringLiteral("connection %1 refused").arg(i)));
            client.close();
            // Each close makes the program listen anew; the next connection waits for that.
            if (!pollUntil([&] { return report.count("Listening for connection.") >= i; }, 5000))
                QFAIL(qPrintable(QStringLiteral("no new listener after close %1").arg(i)));
            QVERIFY2(clock.elapsed() < 90000, "cycles too slow");
        }
        qInfo("%d connect-and-close cycles in %.2f s", kCycles, clock.elapsed() / 1000.0);
        QCOMPARE(report.count("Connection established."), kCycles);
        QCOMPARE(report.count("Connection closed. Reconnect will be attempted."), kCycles);
        QVERIFY(program.errorFile().isEmpty());
        QVERIFY(program.dataFile().isEmpty());
        QVERIFY(program.answersAFreshSender());
    }

    void resetInTheMiddleOfAMessage()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        const QByteArray message = "\x0bMSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|R1|P|2.3\rPID|1||4711||Doe\x1c\r";
        const QByteArray firstHalf = message.left(40);
        const QByteArray secondHalf = message.mid(40);

        // The first half arrives on its own and is answered; then the sender resets.
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        QVERIFY(sender.exchange(firstHalf));
        sender.reset();
        QVERIFY(pollUntil([&] { return program.errorFile().size() >= 21; }, 10000));
        QVERIFY2(QRegularExpression(QStringLiteral("^ 10054 \r\n\\d{12}\r\n$"))
                     .match(QString::fromLatin1(program.errorFile())).hasMatch(),
                 program.errorFile().constData());
        QVERIFY(program.waitForReport("Start requested.", 2));
        const QList<QByteArray> report = program.reportLines();
        QCOMPARE(report.mid(report.size() - 3),
                 QList<QByteArray>({"Stop requested.", "Connection was stopped.", "Start requested."}));
        QVERIFY(pollUntil([&] { return program.listening(); }, 5000));
        QCOMPARE(program.dataFile(), firstHalf + "\r\n");

        // The rest, reset at once: nothing can be answered; whatever was
        // stored is the bytes sent, and the program starts over.
        RawClient second;
        QVERIFY(second.connectTo(program.port));
        QVERIFY(second.sendAll(secondHalf));
        second.reset();
        QVERIFY(program.waitForReport("Start requested.", 3));
        QVERIFY(pollUntil([&] { return program.listening(); }, 5000));
        const QByteArray stored = program.dataFile();
        QVERIFY2(stored == firstHalf + "\r\n" || stored == firstHalf + "\r\n" + secondHalf + "\r\n", stored.constData());
        QVERIFY(program.running());
        QVERIFY(program.answersAFreshSender());
    }

    // The sender says it has nothing more to send and waits for the answer.
    void halfCloseAfterSending()
    {
        ReceiverCopy program;
        QVERIFY(program.startListening());
        const QByteArray message = tinyMessage(7);
        RawClient sender;
        QVERIFY(sender.connectTo(program.port));
        QVERIFY(sender.sendAll(message));
        sender.shutdownWrite();
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(sender.error, 0);
        QVERIFY2(isDefaultAck(sender.received), sender.received.toPercentEncoding().constData());
        QCOMPARE(program.dataFile(), message + "\r\n");
        QVERIFY(program.reportEndsWith(kClosedAndListening));
        QVERIFY(program.answersAFreshSender());
    }
};

QTEST_GUILESS_MAIN(EndToEndHostileSenders)
#include "tst_e2e_hostile_senders.moc"
