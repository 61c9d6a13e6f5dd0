// The built program, listening, against senders nobody here wrote and
// senders that push hard or misbehave. Every answered arrival must be in the
// data file in the order sent, and afterwards a fresh sender is answered.
#include "program_copy.h"

namespace {

QByteArray message(int i)
{
    return "\x0bMSH|^~\\&|||||||ADT^A01|" + QByteArray::number(i) + "|P|2.3\x1c\r";
}

// Bytes whose order shows and that hold no LF, so the data file's lines give
// them back however the network cut them.
QByteArray countingBytes(qsizetype size)
{
    QByteArray bytes = "\x0b";
    for (int i = 0; bytes.size() < size; ++i)
        bytes += QByteArray::number(i).rightJustified(9, '0') + '|';
    return bytes.left(size - 2) + "\x1c\r";
}

}  // namespace

class EndToEndSenders : public QObject {
    Q_OBJECT
    std::unique_ptr<ProgramCopy> program;

private slots:
    void init()
    {
        program = std::make_unique<ProgramCopy>();
        QVERIFY(program->startListening());
    }
    void cleanup() { QVERIFY(program->answersAFreshSender()); }

    void mllpSend()
    {
        const QByteArray framed = message(1) + countingBytes(4000) + message(2);
        writeBytes(program->file("messages.hl7"), framed);
        QProcess mllpSend;  // Debian's python3-hl7
        mllpSend.setWorkingDirectory(program->dir.path());
        mllpSend.start(QStringLiteral("/usr/bin/mllp_send"),
                       QStringLiteral("--file messages.hl7 --port %1 127.0.0.1").arg(program->port).split(u' '));
        QVERIFY(mllpSend.waitForFinished(30000));
        QCOMPARE(mllpSend.exitCode(), 0);
        QByteArray answers = mllpSend.readAllStandardOutput();  // one a line
        QCOMPARE(answers.count('\n'), 3);
        QCOMPARE(defaultAcks(answers.replace('\n', "")), 3);
        QCOMPARE(program->dataFile(), QByteArray(framed).replace("\x1c\r", "\x1c\r\r\n"));
    }

    // node-hl7-client from npm, pinned in e2e/node (`npm ci` there installs it).
    void nodeHl7Client()
    {
        QProcess node;
        node.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        node.setWorkingDirectory(QStringLiteral(CORVANE_NODE_SENDER));
        node.start(QStringLiteral("node"), {QStringLiteral("send_messages.js"), QString::number(program->port)});
        QVERIFY(node.waitForFinished(30000));
        QCOMPARE(node.exitCode(), 0);
        QByteArray expected;
        for (const QByteArray &line : node.readAllStandardOutput().trimmed().split('\n')) {
            const QList<QByteArray> sentAndAnswer = line.split(' ');  // the answer without its frame characters
            expected += "\x0b" + QByteArray::fromHex(sentAndAnswer[0]) + "\x1c\r\r\n";
            QCOMPARE(defaultAcks("\x0b" + QByteArray::fromHex(sentAndAnswer.value(1)) + "\x1c\r"), 1);
        }
        QCOMPARE(expected.count("\x1c\r\r\n"), 3);
        QCOMPARE(program->dataFile(), expected);
        QVERIFY(expected.contains("PID|1||4711^^^WEST^MR||M\xfcller^J\xfcrgen"));  // Latin-1 as single bytes
    }

    // However the network cuts what is sent, every piece is one line and one
    // answer, and the lines give back the bytes in order.
    void everyPieceStoredAndAnswered_data()
    {
        QTest::addColumn<QList<QByteArray>>("messages");
        QTest::addColumn<bool>("lockStep");  // each message waits for the answer to the one before
        QList<QByteArray> tenThousand;
        for (int i = 0; i < 10000; ++i)
            tenThousand << message(i);
        QTest::newRow("16 MB arrival") << QList<QByteArray>{countingBytes(16 * 1024 * 1024)} << false;
        QTest::newRow("burst of 10,000 messages") << tenThousand << false;
        QTest::newRow("10,000 messages in lock-step") << tenThousand << true;
        QTest::newRow("frame characters alone, a NUL") << QList<QByteArray>{"\x1c\r", "\x0b", QByteArray(1, '\0')} << true;
    }
    void everyPieceStoredAndAnswered()
    {
        QFETCH(QList<QByteArray>, messages);
        QFETCH(bool, lockStep);
        Client sender;
        QVERIFY(sender.connectTo(program->port));
        for (qsizetype i = 0; lockStep && i < messages.size(); ++i)
            QVERIFY2(sender.exchange(messages[i]), qPrintable(QStringLiteral("no answer to message %1").arg(i)));
        const QByteArray sent = messages.join();
        if (!lockStep)
            sender.send(sent);
        QVERIFY(sender.until([&] {
            return QFileInfo(program->dataPath).size() == sent.size() + 2 * sender.answers()
                   && program->dataFile().count('\n') == sender.answers();
        }, 60000));
        qInfo("%lld bytes arrived as %lld arrivals", qlonglong(sent.size()), qlonglong(sender.answers()));
        QCOMPARE(defaultAcks(sender.received), lockStep ? messages.size() : sender.answers());
        QCOMPARE(program->dataFile().replace("\r\n", ""), sent);
    }

    // Each close makes the program listen anew; the next connection waits for that.
    void thousandConnectAndCloseCycles()
    {
        for (int i = 1; i <= 1000; ++i) {
            Client client;
            QVERIFY(client.connectTo(program->port));
            client.socket.close();
            QVERIFY2(program->waitForReport("Listening for connection.", i, 5000), qPrintable(QString::number(i)));
        }
        QCOMPARE(program->report().count("Connection established.\r\n"), 1000);
        QCOMPARE(program->report().count("Connection closed. Reconnect will be attempted.\r\n"), 1000);
        QVERIFY(!QFile::exists(program->file("iferrors.txt")));
        QVERIFY(program->dataFile().isEmpty());
    }

    // The sender says it has nothing more to send and waits for the answer.
    void halfCloseAfterSending()
    {
        Client sender;
        QVERIFY(sender.connectTo(program->port));
        sender.send(message(7));
        ::shutdown(int(sender.socket.socketDescriptor()), SHUT_WR);
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(defaultAcks(sender.received), 1);
        QCOMPARE(program->dataFile(), message(7) + "\r\n");
        QVERIFY(program->waitForReport("Listening for connection."));
    }

    // A reset after the first half was answered is recorded and the program
    // starts over; the rest, reset at once, is stored as sent or not at all.
    void resetInTheMiddleOfAMessage()
    {
        const QByteArray first = message(1).left(20), rest = message(1).mid(20);
        Client sender, second;
        QVERIFY(sender.connectTo(program->port));
        QVERIFY(sender.exchange(first));
        sender.reset();
        QVERIFY(program->waitForReport("Start requested.", 2));
        QVERIFY(readBytes(program->file("iferrors.txt")).startsWith(" 10054 \r\n"));
        QVERIFY(program->waitUntilListening());
        QVERIFY(second.connectTo(program->port));
        second.send(rest);
        second.reset();
        QVERIFY(program->waitForReport("Start requested.", 3));
        const QByteArray stored = program->dataFile();
        QVERIFY2(stored == first + "\r\n" || stored == first + "\r\n" + rest + "\r\n", stored.constData());
    }
};

QTEST_GUILESS_MAIN(EndToEndSenders)
#include "tst_e2e_senders.moc"
