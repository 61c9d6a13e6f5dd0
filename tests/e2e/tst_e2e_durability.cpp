// The program killed without warning right after it acknowledged a message,
// again and again: every acknowledged message is in the data file, because
// its line reaches the operating system before the acknowledgement leaves.
#include <QtTest>

#include <signal.h>

#include "receiver_copy.h"

class EndToEndDurability : public QObject {
    Q_OBJECT
private slots:
    void killedRightAfterAnAcknowledgement()
    {
        ReceiverCopy program;
        program.writeSettings();
        QList<QByteArray> acknowledged;
        int next = 0;
        constexpr int kRounds = 20;
        for (int round = 0; round < kRounds; ++round) {
            program.start();
            QVERIFY(program.waitUntilListening());
            RawClient sender;
            QVERIFY(sender.connectTo(program.port));
            // One message always in flight: the next leaves as soon as an
            // answer comes, and the kill follows the answer of the last.
            const int last = 1 + (round * 7) % 23;
            QByteArray inFlight = "\x0bMSH|^~\\&|DUR|||||ADT^A01|" + QByteArray::number(next++) + "|P|2.3\x1c\r";
            QVERIFY(sender.sendAll(inFlight));
            for (int k = 1; k <= last; ++k) {
                QVERIFY(sender.waitForAnswers(k));
                acknowledged << inFlight;
                inFlight = "\x0bMSH|^~\\&|DUR|||||ADT^A01|" + QByteArray::number(next++) + "|P|2.3\x1c\r";
                sender.sendAll(inFlight);
                if (k == last)
                    ::kill(pid_t(program.pid()), SIGKILL);
            }
            QVERIFY(program.process.waitForFinished(10000));
            QCOMPARE(program.process.exitStatus(), QProcess::CrashExit);
        }

        const QByteArray stored = program.dataFile();
        qsizetype at = 0;
        for (const QByteArray &message : acknowledged) {
            const qsizetype found = stored.indexOf(message + "\r\n", at);
            QVERIFY2(found >= 0, ("acknowledged but not stored: " + message).constData());
            at = found + message.size() + 2;
        }
        qInfo("%d kills, %lld acknowledged messages, all stored", kRounds, qlonglong(acknowledged.size()));
    }
};

QTEST_GUILESS_MAIN(EndToEndDurability)
#include "tst_e2e_durability.moc"
