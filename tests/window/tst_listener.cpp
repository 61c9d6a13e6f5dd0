// The listener over real loopback sockets: start and stop, a sender
// connecting, being replaced, closing and resetting, and a port in use.
#include <QtTest>

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "widgets/received_data_model.h"
#include "window_fixture.h"

namespace {

QByteArray stamped(const char *text)
{
    return QByteArray("200503050907") + text;
}

// The enabled flags that start and stop switch, in a fixed order.
QList<bool> arrangement(const frmInterface &w)
{
    return {control<QPushButton>(w, "cmdStart")->isEnabled(), control<QPushButton>(w, "cmdStop")->isEnabled(), control<QPushButton>(w, "cmdEdit")->isEnabled(), control<QPushButton>(w, "cmdSave")->isEnabled(),
            control<QAction>(w, "mnuFileStartInterface")->isEnabled(), control<QAction>(w, "mnuFileStopInterface")->isEnabled(),
            control<QAction>(w, "mnuOptionsEditRemoteSettings")->isEnabled(), control<QAction>(w, "mnuOptionsSaveRemoteSettings")->isEnabled(),
            control<QAction>(w, "mnuOptionsSetup")->isEnabled(), control<QAction>(w, "mnuOptionsAutomaticStart")->isEnabled()};
}

const QList<bool> kStarted = {false, true, false, false, false, true, false, false, false, false};
const QList<bool> kStopped = {true, false, true, false, true, false, true, false, true, true};

}  // namespace

class Listener : public QObject {
    Q_OBJECT
private slots:
    void startConnectStopAndStartAgain()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        frmInterface &w = *f.window;
        QCOMPARE(control<QLineEdit>(w, "txtInterfaceStatus")->text(), QStringLiteral("Start Requested"));
        QCOMPARE(InterfaceSeam(w).shownPicture(), Picture::Start);
        QCOMPARE(arrangement(w), kStarted);
        QCOMPARE(control<QLabel>(w, "lblDataFile")->text(), QStringLiteral("open"));
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QTRY_COMPARE(control<QLineEdit>(w, "txtInterfaceStatus")->text(), QStringLiteral("Connection Established"));
        QCOMPARE(InterfaceSeam(w).shownPicture(), Picture::Connect);
        QCOMPARE(control<QLineEdit>(w, "txtStartDateAndTime")->text(), QStringLiteral("200503050907"));

        control<QPushButton>(w, "cmdStop")->click();
        QCOMPARE(control<QLineEdit>(w, "txtInterfaceStatus")->text(), QStringLiteral("Connection Stopped"));
        QCOMPARE(InterfaceSeam(w).shownPicture(), Picture::Stop);
        QCOMPARE(arrangement(w), kStopped);
        QCOMPARE(control<QLabel>(w, "lblDataFile")->text(), QStringLiteral("closed"));
        QCOMPARE(InterfaceSeam(w).sockets().count(), 2);  // elements stay, closed
        QVERIFY(sender.waitUntilDropped());
        QCOMPARE(f.reportLines(1), QList<QByteArray>({stamped("Start requested."), stamped("Connection established."),
                                                      stamped("Stop requested."), stamped("Connection was stopped.")}));

        control<QAction>(w, "mnuFileStartInterface")->trigger();  // the closed element from before is replaced without a word
        Sender again;
        QVERIFY(again.connectTo(f.listenPort));
        QVERIFY(!again.exchange("MSH|x", 30).isEmpty());
        QVERIFY(f.port.boxes.isEmpty());
    }

    void newerSenderReplacesTheOlder()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        Sender first, second;
        QVERIFY(first.connectTo(f.listenPort));
        QTRY_COMPARE(f.reportLines(2).size(), 1);
        f.port.now = f.port.now.addSecs(60);
        QVERIFY(second.connectTo(f.listenPort));
        QVERIFY(first.waitUntilDropped());
        QCOMPARE(f.reportLines(2), QList<QByteArray>({stamped("Connection established."),
                                                      "200503050908Connection established."}));
        QCOMPARE(control<QLineEdit>(*f.window, "txtStartDateAndTime")->text(), QStringLiteral("200503050908"));
        QVERIFY(!second.exchange("MSH|second", 30).isEmpty());
    }

    void senderClosesAndConnectsAgain()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        frmInterface &w = *f.window;
        {
            Sender sender;
            QVERIFY(sender.connectTo(f.listenPort));
            QVERIFY(!sender.exchange("MSH|one", 30).isEmpty());
            sender.socket.disconnectFromHost();
            QTRY_COMPARE(control<QLineEdit>(w, "txtInterfaceStatus")->text(), QStringLiteral("Connection closed.Waiting for reconnect."));
        }
        QCOMPARE(InterfaceSeam(w).shownPicture(), Picture::NoConnect);
        QCOMPARE(f.reportLines(3), QList<QByteArray>({stamped("Connection closed. Reconnect will be attempted."),
                                                      stamped("Listening for connection.")}));
        QCOMPARE(arrangement(w), kStarted);
        QCOMPARE(w.findChild<ReceivedDataModel *>()->rowCount(), 1);
        Sender again;
        QVERIFY(again.connectTo(f.listenPort));
        QVERIFY(!again.exchange("MSH|two", 30).isEmpty());
        QTRY_COMPARE(control<QLineEdit>(w, "txtItemCount")->text(), QStringLiteral("2"));
    }

    void listeningAgainAfterACloseFailsAtStepTwelve()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        QTcpServer holder;  // the port the box now names is taken meanwhile
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, 0));
        control<QLineEdit>(*f.window, "txtLocalPort")->setText(QString::number(holder.serverPort()));
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QTRY_COMPARE(InterfaceSeam(*f.window).sockets().state(1), SocketSet::State::Connected);
        sender.socket.disconnectFromHost();
        QTRY_COMPARE(f.port.boxTexts(), QStringList{QStringLiteral(
                                            "Error in Winsock_close.\r\nError number 10048\r\nWinsock\r\n"
                                            "Error occurred on line number  12")});
        QCOMPARE(f.reportLines(3), QList<QByteArray>({stamped("Connection closed. Reconnect will be attempted."),
                                                      stamped("Error in Winsock_close."), stamped("Error number 10048"),
                                                      stamped("Error occurred on line number  12")}));
        QCOMPARE(InterfaceSeam(*f.window).sockets().state(0), SocketSet::State::Closed);
    }

    void socketErrorsAreRecordedAndTheListenerRestarts()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        Sender sender;
        QVERIFY(sender.connectTo(f.listenPort));
        QTRY_COMPARE(InterfaceSeam(*f.window).sockets().state(1), SocketSet::State::Connected);
        sender.reset();
        QTRY_COMPARE(readBytes(f.file("iferrors.txt")), QByteArray(" 10054 \r\n200503050907\r\n"));
        QTRY_COMPARE(f.reportLines(3), QList<QByteArray>({stamped("Stop requested."), stamped("Connection was stopped."),
                                                          stamped("Start requested.")}));
        Sender next;
        QVERIFY(next.connectTo(f.listenPort));
        QVERIFY(!next.exchange("MSH|after reset", 30).isEmpty());

        f.window->Winsock_Error(1, 0, {}, 0, {}, {}, 0, nullptr);  // number 0: restarted, nothing recorded
        f.window->Winsock_Error(1, -3, {}, 0, {}, {}, 0, nullptr);
        QCOMPARE(readBytes(f.file("iferrors.txt")), QByteArray(" 10054 \r\n200503050907\r\n-3 \r\n200503050907\r\n"));
        QCOMPARE(f.reportLines().count(stamped("Start requested.")), 4);
    }

    // A failed error record leaves the error file open; the next error
    // closes it, opens it again and records.
    void errorFileLeftOpenIsOpenedAgain()
    {
        ListeningFixture f;
        QVERIFY(f.startListening());
        QVERIFY(QFile::link(QStringLiteral("/dev/full"), f.file("iferrors.txt")));
        QVERIFY_THROWS_EXCEPTION(ProgramEnded, f.window->Winsock_Error(1, 10054, {}, 0, {}, {}, 0, nullptr));
        QCOMPARE(f.port.boxTexts(), QStringList{QStringLiteral("The error file could not be opened.")});
        QVERIFY(QFile::remove(f.file("iferrors.txt")));
        f.window->Winsock_Error(1, 10054, {}, 0, {}, {}, 0, nullptr);
        QCOMPARE(readBytes(f.file("iferrors.txt")), QByteArray(" 10054 \r\n200503050907\r\n"));
        QCOMPARE(f.port.boxes.size(), 1);
    }

    // Port 0 listens where the system says; the box shows where.
    void portZeroShowsThePortListenedOn()
    {
        ListeningFixture f;
        f.writeSettings(f.settingsFor({}, 0));
        QVERIFY(f.load());
        const quint16 shown = control<QLineEdit>(*f.window, "txtLocalPort")->text().toUShort();
        QVERIFY(shown > 0);
        Sender sender;
        QVERIFY(sender.connectTo(shown));
        QVERIFY(!sender.exchange("MSH|x", 30).isEmpty());
    }

    void portInUse()
    {
        ListeningFixture f;
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, 0));
        f.writeSettings(f.settingsFor({}, holder.serverPort()));
        QVERIFY(f.load());  // automatic start: the start-up box
        QCOMPARE(f.port.boxTexts(),
                 QStringList{QStringLiteral("Error in Form_Load.\r\nError number 10048\r\nPlease report this error.")});
        QCOMPARE(arrangement(*f.window), kStopped);  // not seemingly started: nothing listens

        control<QPushButton>(*f.window, "cmdStop")->click();
        control<QPushButton>(*f.window, "cmdStart")->click();  // from the button: its own box, then stopped again
        QCOMPARE(f.port.boxTexts().last(), QStringLiteral("The port is already in use.  Select another port number."));
        QCOMPARE(f.port.boxes.last().title, QStringLiteral("Interface"));
        QCOMPARE(arrangement(*f.window), kStopped);
        holder.close();  // the operator frees the port and tries again
        control<QPushButton>(*f.window, "cmdStart")->click();
        QCOMPARE(InterfaceSeam(*f.window).sockets().state(0), SocketSet::State::Listening);
    }
};

QTEST_MAIN(Listener)
#include "tst_listener.moc"
