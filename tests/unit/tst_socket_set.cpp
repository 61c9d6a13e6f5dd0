// The socket set on its own: elements, state rules and failure numbers, and
// the events a real peer on loopback causes.
#include <QtTest>

#include <QSignalSpy>

#include "failure_number.h"
#include "platform/failure.h"
#include "platform/socket_set.h"
#include "sender.h"

class SocketSetTest : public QObject {
    Q_OBJECT
private slots:
    void elementsAndStateRules()
    {
        SocketSet set;
        QCOMPARE(set.count(), 1);
        QCOMPARE(failureNumberOf([&] { set.Load(0); }), err::ElementLoaded);
        QCOMPARE(failureNumberOf([&] { set.Close(1); }), err::ElementMissing);
        QCOMPARE(failureNumberOf([&] { set.setLocalPort(0, 65536); }), err::InvalidPropertyValue);
        QCOMPARE(failureNumberOf([&] { set.setRemotePort(0, -1); }), err::InvalidPropertyValue);
        QCOMPARE(failureNumberOf([&] { set.GetData(0); }), err::SocketWrongState);
        QCOMPARE(failureNumberOf([&] { set.SendData(0, "x"); }), err::SocketWrongState);
        set.setLocalPort(0, 0);
        set.Listen(0);
        QVERIFY(set.LocalPort(0) > 0);
        QCOMPARE(failureNumberOf([&] { set.Listen(0); }), err::SocketInvalidOperation);
        QCOMPARE(failureNumberOf([&] { set.setLocalPort(0, 1); }), err::SocketInvalidOperation);
        QCOMPARE(failureNumberOf([&] { set.setProtocol(0, 0); }), err::SocketInvalidOperation);
        set.Close(0);
        set.Close(0);  // closing a closed element is no failure
        set.setLocalPort(0, 1);
    }

    void portInUse()
    {
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, 0));
        SocketSet set;
        set.setLocalPort(0, holder.serverPort());
        QCOMPARE(failureNumberOf([&] { set.Listen(0); }), err::SocketAddressInUse);
        QCOMPARE(set.state(0), SocketSet::State::Closed);
    }

    void unacceptedRequestIsDroppedAndListeningGoesOn()
    {
        SocketSet set;
        set.setLocalPort(0, 0);
        set.Listen(0);
        QSignalSpy requests(&set, &SocketSet::ConnectionRequest);
        Sender ignored;
        QVERIFY(ignored.connectTo(quint16(set.LocalPort(0))));
        QVERIFY(ignored.waitUntilDropped());
        QCOMPARE(requests.size(), 1);
        QCOMPARE(set.state(0), SocketSet::State::Listening);
        QCOMPARE(failureNumberOf([&] { set.Load(1); set.Accept(1, requests[0][1].toInt()); }),
                 err::SocketInvalidOperation);  // too late: the request is gone
    }

    void dataCloseAndReset()
    {
        SocketSet set;
        set.setLocalPort(0, 0);
        set.Listen(0);
        set.Load(1);
        connect(&set, &SocketSet::ConnectionRequest, this,
                [&](qint16, qint32 request) { set.Accept(1, request); });
        QByteArray taken;
        connect(&set, &SocketSet::DataArrival, this, [&](qint16 index, qint32 bytes) {
            QCOMPARE(index, qint16(1));
            const QByteArray data = set.GetData(index);
            QCOMPARE(data.size(), bytes);
            taken += data;
            set.SendData(index, "ok");
        });
        QSignalSpy closes(&set, &SocketSet::CloseEvent);
        QSignalSpy errors(&set, &SocketSet::Error);

        Sender peer;
        QVERIFY(peer.connectTo(quint16(set.LocalPort(0))));
        peer.send(QByteArray("\0\xff", 2));
        QVERIFY(peer.waitForBytes(2));
        QCOMPARE(taken, QByteArray("\0\xff", 2));
        peer.send("last words");
        peer.socket.disconnectFromHost();  // data first, then the orderly close
        QTRY_COMPARE(closes.size(), 1);
        QCOMPARE(taken, QByteArray("\0\xff", 2) + "last words");
        QCOMPARE(errors.size(), 0);

        set.Close(1);
        Sender rude;
        QVERIFY(rude.connectTo(quint16(set.LocalPort(0))));
        QTRY_COMPARE(set.state(1), SocketSet::State::Connected);
        rude.reset();
        QTRY_COMPARE(errors.size(), 1);
        QCOMPARE(errors[0][1].value<qint16>(), qint16(err::SocketConnectionReset));
        QCOMPARE(closes.size(), 1);
    }

    // A sender connecting while the listener is closed and opened again within
    // one event is taken, not refused; a listener not opened again lets go
    // of its port once the event is over.
    void listeningAgainWithinOneEventKeepsThePortOpen()
    {
        SocketSet set;
        set.setLocalPort(0, 0);
        set.Listen(0);
        const quint16 port = quint16(set.LocalPort(0));
        set.Load(1);
        connect(&set, &SocketSet::ConnectionRequest, this, [&](qint16, qint32 request) { set.Accept(1, request); });
        Sender early;
        early.socket.connectToHost(QHostAddress::LocalHost, port);  // waits in the backlog: no event handled yet
        set.Close(0);
        set.setLocalPort(0, port);
        set.Listen(0);
        QVERIFY(early.connectTo(port) || early.socket.state() == QAbstractSocket::ConnectedState);
        QTRY_COMPARE(set.state(1), SocketSet::State::Connected);
        set.SendData(1, "taken");
        QVERIFY(early.waitForBytes(5));

        set.Close(0);
        SocketSet other;
        other.setLocalPort(0, port);
        QCOMPARE(failureNumberOf([&] { other.Listen(0); }), err::SocketAddressInUse);  // held until the event is over
        QTRY_COMPARE(failureNumberOf([&] { other.Close(0); other.Listen(0); }), err::NoNumber);
    }

    void sendingMoreThanTheNetworkTakesAtOnceKeepsOrder()
    {
        SocketSet set;
        set.setLocalPort(0, 0);
        set.Listen(0);
        set.Load(1);
        connect(&set, &SocketSet::ConnectionRequest, this, [&](qint16, qint32 request) { set.Accept(1, request); });
        Sender peer;
        QVERIFY(peer.connectTo(quint16(set.LocalPort(0))));
        QTRY_COMPARE(set.state(1), SocketSet::State::Connected);
        QByteArray expected;
        for (int i = 0; i < 8; ++i) {
            const QByteArray chunk(4 * 1024 * 1024, char('a' + i));
            set.SendData(1, chunk);
            expected += chunk;
        }
        QVERIFY(peer.waitForBytes(expected.size(), 20000));
        QVERIFY(peer.received == expected);
    }
};

QTEST_GUILESS_MAIN(SocketSetTest)
#include "tst_socket_set.moc"
