// A sender nobody here wrote: node-hl7-client from npm (pinned in
// e2e/node/package-lock.json, installed there by `npm ci`) sends a
// realistic set of messages, Latin-1 names as single bytes, one at a time.
#include <QtTest>

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include "receiver_copy.h"

class EndToEndNodeSender : public QObject {
    Q_OBJECT
private slots:
    void nodeHl7ClientIsAnsweredAndEveryMessageStored()
    {
        const QString node = QStandardPaths::findExecutable(QStringLiteral("node"));
        QVERIFY2(!node.isEmpty(), "Node.js is needed");
        const QString senderDir = QStringLiteral(CORVANE_NODE_SENDER);
        QVERIFY2(QFileInfo::exists(senderDir + QStringLiteral("/node_modules/node-hl7-client/package.json")),
                 "node-hl7-client is not installed: run `npm ci` in tests/e2e/node (./setup.sh test does)");

        ReceiverCopy program;
        QVERIFY(program.startListening());
        QProcess sender;
        sender.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sender.setWorkingDirectory(senderDir);
        sender.start(node, {QStringLiteral("send_messages.js"), QString::number(program.port)});
        QVERIFY(sender.waitForFinished(30000));
        const QByteArray output = sender.readAllStandardOutput();
        QVERIFY2(sender.exitStatus() == QProcess::NormalExit && sender.exitCode() == 0, output.constData());

        QList<QByteArray> sent;
        QStringList answers;
        for (const QByteArray &line : output.split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject event = QJsonDocument::fromJson(line).object();
            if (event.contains(u"sent"))
                sent << QByteArray::fromHex(event.value(u"sent").toString().toLatin1());
            if (event.contains(u"answer")) {
                answers << event.value(u"answer").toString();
                QCOMPARE(event.value(u"code").toString(), QStringLiteral("AA"));
            }
        }
        QCOMPARE(sent.size(), 3);
        QCOMPARE(answers.size(), sent.size());
        // The library hands over the answer without its frame characters.
        const QRegularExpression ack(QStringLiteral("^MSH\\|{5}\\d{12}\\|\\|ACK\\|{9}\\rMSA\\|AA\\|{6}$"));
        for (const QString &answer : answers)
            QVERIFY2(ack.match(answer).hasMatch(), qPrintable(answer));

        QByteArray expected;
        for (const QByteArray &message : sent)
            expected += "\x0b" + message + "\x1c\r\r\n";
        QCOMPARE(program.dataFile(), expected);
        QVERIFY(program.dataFile().contains("PID|1||4711^^^WEST^MR||M\xfcller^J\xfcrgen"));
        QVERIFY(program.waitForReport("Listening for connection.", 1));
        QCOMPARE(program.reportCount("Connection established."), 1);
    }
};

QTEST_GUILESS_MAIN(EndToEndNodeSender)
#include "tst_e2e_node_sender.moc"
