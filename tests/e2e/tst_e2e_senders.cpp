// The built program with automatic start, driven by real senders over
// loopback: Debian's mllp_send and a small lock-step client of our own.
#include <QtTest>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTcpSocket>

#include "program_copy.h"
#include "sender.h"
#include "test_files.h"

namespace {

const QRegularExpression kAck(QStringLiteral("^\\x0bMSH\\|{5}\\d{12}\\|\\|ACK\\|{9}\\rMSA\\|AA\\|{6}\\x1c\\r$"));

bool isAck(const QByteArray &bytes)
{
    return kAck.match(QString::fromLatin1(bytes)).hasMatch();
}

QByteArray framed(const QByteArray &message)
{
    return "\x0b" + message + "\x1c\r";
}

// A copy of the program listening on a free port, data file "logfile.txt" beside it.
struct ListeningProgram : ProgramCopy {
    quint16 port = freePort();

    bool startListening()
    {
        writeBytes(file("corvconf.ini"), settingsWith({{"[AutoStart]", "On"}, {"[Port]", QByteArray::number(port)}}));
        start();
        return QTest::qWaitFor([this] { return readBytes(file("ifreport.txt")).contains("Start requested."); }, 20000);
    }
    QByteArray dataFile() const { return readBytes(file("logfile.txt")); }
};

}  // namespace

class EndToEndSenders : public QObject {
    Q_OBJECT
private slots:
    void mllpSendGetsAnAcknowledgementForEveryMessage()
    {
        const QString mllpSend = QStringLiteral("/usr/bin/mllp_send");
        QVERIFY2(QFile::exists(mllpSend), "mllp_send (Debian package python3-hl7) is needed");
        ListeningProgram program;
        QVERIFY(program.startListening());

        const QList<QByteArray> messages = {
            "MSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|MSG00001|P|2.3\rPID|1||4711||Doe^John",
            "MSH|^~\\&|LAB|EAST|ADT1|WEST|200503050908||ORU^R01|MSG00002|P|2.3\rOBX|1|TX|||" + QByteArray(4000, 'r'),
            "MSH|^~\\&|ADT1|WEST|LAB|EAST|200503050909||ADT^A08|MSG00003|P|2.3\rPID|1||4712||M\xfcller^J\xfcrgen",
        };
        QByteArray input;
        for (const QByteArray &message : messages)
            input += framed(message);
        writeBytes(program.file("messages.hl7"), input);

        QProcess client;
        client.start(QStringLiteral("/usr/bin/python3"),
                     {mllpSend, QStringLiteral("--file"), program.file("messages.hl7"), QStringLiteral("--port"),
                      QString::number(program.port), QStringLiteral("127.0.0.1")});
        QVERIFY(client.waitForFinished(30000));
        QCOMPARE(client.exitCode(), 0);
        const QList<QByteArray> answers = client.readAllStandardOutput().split('\n');
        QCOMPARE(answers.size(), messages.size() + 1);  // each answer printed on a line of its own
        for (qsizetype i = 0; i < messages.size(); ++i)
            QVERIFY2(isAck(answers[i]), answers[i].toPercentEncoding().constData());

        QByteArray stored;
        for (const QByteArray &message : messages)
            stored += framed(message) + "\r\n";
        QTRY_COMPARE(program.dataFile(), stored);
    }

    void lockStepClientOfOurOwn()
    {
        ListeningProgram program;
        QVERIFY(program.startListening());
        QTcpSocket client;
        client.connectToHost(QHostAddress::LocalHost, program.port);
        QVERIFY(client.waitForConnected(5000));
        client.setSocketOption(QAbstractSocket::LowDelayOption, 1);

        const QByteArray message = framed("MSH|^~\\&|ADT1|WEST|LAB|EAST|200503050907||ADT^A01|MSG|P|2.3\rPID|1||"
                                          + QByteArray(900, 'p'));
        constexpr int kMessages = 2000;
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < kMessages; ++i) {
            client.write(message);
            QByteArray answer;
            while (!answer.endsWith("\x1c\r")) {
                QVERIFY(client.waitForReadyRead(5000));
                answer += client.readAll();
            }
            QVERIFY2(isAck(answer), answer.toPercentEncoding().constData());
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        qInfo("lock-step: %d acknowledgements of %lld-byte messages in %.3f s, %.0f per second", kMessages,
              qlonglong(message.size()), seconds, kMessages / seconds);

        client.disconnectFromHost();
        const QByteArray line = message + "\r\n";
        QTRY_COMPARE(program.dataFile().size(), kMessages * line.size());
        QCOMPARE(program.dataFile(), line.repeated(kMessages));
        QTRY_VERIFY(readBytes(program.file("ifreport.txt")).contains("Listening for connection."));
    }
};

QTEST_GUILESS_MAIN(EndToEndSenders)
#include "tst_e2e_senders.moc"
