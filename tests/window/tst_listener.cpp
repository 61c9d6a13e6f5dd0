// The listener over real loopback sockets: start and stop, a sender
// connecting, being replaced, closing and resetting, and the port.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "window_fixture.h"

namespace {

QByteArray stamped(const char *text, const char *stamp = "200503050907")
{
    return stamp + QByteArray(text);
}

}  // namespace

class Listener : public QObject {
    Q_OBJECT
private slots:
    void connectReplaceStopStartAndClose()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect());
        const frmInterface &w = *f.window;
        f.port.now = f.port.now.addSecs(60);
        Sender newer;  // replaces the sender before it
        QVERIFY(newer.connectTo(f.listenPort));
        QVERIFY(f.sender.waitUntilDropped());
        QCOMPARE(newer.exchange("MSH|newer").size(), kAckSize);
        QPushButton *start = control<QPushButton>(w, "cmdStart"), *stop = control<QPushButton>(w, "cmdStop");
        QVERIFY(!start->isEnabled() && stop->isEnabled());
        stop->click();
        QVERIFY(start->isEnabled() && !stop->isEnabled());
        QVERIFY(newer.waitUntilDropped());
        QCOMPARE(f.reportLines(1), QList<QByteArray>({stamped("Start requested."), stamped("Connection established."),
                                                      stamped("Connection established.", "200503050908"),
                                                      stamped("Stop requested.", "200503050908"),
                                                      stamped("Connection was stopped.", "200503050908")}));
        control<QAction>(w, "mnuFileStartInterface")->trigger();  // the closed element from before is replaced
        Sender again;  // one whose "localhost" is ::1
        QVERIFY(again.connectTo(f.listenPort, QHostAddress::LocalHostIPv6));
        QCOMPARE(again.exchange("MSH|again").size(), kAckSize);
        again.socket.disconnectFromHost();  // a close: the listener starts over
        QTRY_COMPARE(f.reportLines().last(), stamped("Listening for connection.", "200503050908"));
        QCOMPARE(control<QLineEdit>(w, "txtInterfaceStatus")->text(), QStringLiteral("Connection closed.Waiting for reconnect."));
        QCOMPARE(f.seam().shownPicture(), Picture::NoConnect);
        QCOMPARE(f.seam().sockets().state(0), SocketSet::State::Listening);
        QVERIFY(f.port.boxes.isEmpty());
    }

    // A reset is recorded and the listener starts over. A failed record
    // leaves the error file open: the next error opens it again.
    void socketErrorsAreRecordedAndTheListenerRestarts()
    {
        WindowFixture f;
        QVERIFY(f.startAndConnect());
        f.sender.reset();
        const QByteArray record = " 10054 \r\n200503050907\r\n";
        QTRY_COMPARE(readBytes(f.file("iferrors.txt")), record);
        QTRY_COMPARE(f.reportLines().last(), stamped("Start requested."));
        Sender next;
        QVERIFY(next.connectTo(f.listenPort));
        QCOMPARE(next.exchange("MSH|after reset").size(), kAckSize);

        QVERIFY(QFile::remove(f.file("iferrors.txt")) && QFile::link(QStringLiteral("/dev/full"), f.file("iferrors.txt")));
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, f.window->Winsock_Error(1, 10054, {}, 0, {}, {}, 0, nullptr));
        QCOMPARE(f.port.boxes, QStringList{QStringLiteral("The error file could not be opened.")});
        QVERIFY(QFile::remove(f.file("iferrors.txt")));
        f.window->Winsock_Error(1, 0, {}, 0, {}, {}, 0, nullptr);  // number 0: not recorded
        f.window->Winsock_Error(1, 10054, {}, 0, {}, {}, 0, nullptr);
        QCOMPARE(readBytes(f.file("iferrors.txt")), record);
        QCOMPARE(f.port.boxes.size(), 1);
    }

    // Port 0 listens where the system says; the box shows where. A port in
    // use is told about, and the operator can try again once it is free.
    void thePort()
    {
        WindowFixture zero;
        zero.listenPort = 0;
        QVERIFY(zero.startListening());
        QVERIFY(zero.sender.connectTo(control<QLineEdit>(*zero.window, "txtLocalPort")->text().toUShort()));
        QCOMPARE(zero.sender.exchange("MSH|x").size(), kAckSize);

        WindowFixture f;
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::LocalHost, f.listenPort));
        QVERIFY(!f.startListening());  // automatic start: the start-up box
        QCOMPARE(f.port.boxes, QStringList{QStringLiteral("Error in Form_Load.\r\nError number 10048\r\nPlease report this error.")});
        QVERIFY(!control<QPushButton>(*f.window, "cmdStop")->isEnabled());  // not seemingly started: nothing listens
        QCOMPARE(f.reportLines(1), QList<QByteArray>{stamped("Start requested.")});  // and nothing written after
        control<QPushButton>(*f.window, "cmdStart")->click();  // from the button: its own box, then stopped again
        QCOMPARE(f.port.boxes.last(), QStringLiteral("The port is already in use.  Select another port number."));
        holder.close();
        control<QPushButton>(*f.window, "cmdStart")->click();
        QCOMPARE(f.seam().sockets().state(0), SocketSet::State::Listening);
    }

    // A request whose report fails is dropped: its connection closed, the report file too.
    void requestWhoseReportFailsIsDropped()
    {
        WindowFixture f;
        QVERIFY(f.startListening());
        QVERIFY(QFile::remove(f.file("ifreport.txt")));
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), f.file("ifreport.txt")));
        Sender dropped;
        QVERIFY(dropped.connectTo(f.listenPort));
        QVERIFY(dropped.waitUntilDropped());
        QCOMPARE(control<QLabel>(*f.window, "lblErrorFile")->text(), QStringLiteral("closed"));
        QVERIFY(QFile::remove(f.file("ifreport.txt")));
        Sender next;
        QVERIFY(next.connectTo(f.listenPort));
        QCOMPARE(next.exchange("MSH|x").size(), kAckSize);
    }
};

QTEST_MAIN(Listener)
#include "tst_listener.moc"
