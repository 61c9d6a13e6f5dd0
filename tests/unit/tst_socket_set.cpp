// The socket set on its own: elements, state rules and failure numbers, and
// what only it decides: dropped requests, the listener held across a
// restart, and sending in order what the network cannot take at once.
#include <QtTest>

#include <QSignalSpy>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "failure_number.h"
#include "platform/socket_set.h"
#include "sender.h"

namespace {

// A set listening on a free port that accepts every request on element 1.
struct AcceptingSet : SocketSet {
    AcceptingSet()
    {
        setLocalPort(0, 0);
        Listen(0);
        Load(1);
        connect(this, &SocketSet::ConnectionRequest, this, [this](qint16, qint32 request) { Accept(1, request); });
    }
    quint16 port() const { return quint16(LocalPort(0)); }
};

}  // namespace

class SocketSetTest : public QObject {
    Q_OBJECT
private slots:
    void elementsAndStateRules()
    {
        SocketSet set;
        QCOMPARE(failureNumberOf([&] { set.Load(0); }), err::ElementLoaded);
        QCOMPARE(failureNumberOf([&] { set.Close(1); }), err::ElementMissing);
        QCOMPARE(failureNumberOf([&] { set.setLocalPort(0, 65536); }), err::InvalidPropertyValue);
        QCOMPARE(failureNumberOf([&] { set.GetData(0); }), err::SocketWrongState);
        set.Listen(0);  // port 0: the system picks one
        QVERIFY(set.LocalPort(0) > 0);
        QCOMPARE(failureNumberOf([&] { set.Listen(0); }), err::SocketInvalidOperation);
        QCOMPARE(failureNumberOf([&] { set.setRemotePort(0, 1); }), err::SocketInvalidOperation);
        set.Close(0);
        set.Close(0);  // closing a closed element is no failure
        QTcpServer holder;
        QVERIFY(holder.listen(QHostAddress::AnyIPv4, 0));
        set.setLocalPort(0, holder.serverPort());
        QCOMPARE(failureNumberOf([&] { set.Listen(0); }), err::SocketAddressInUse);
    }

    void unacceptedRequestIsDroppedAndListeningGoesOn()
    {
        SocketSet set;
        set.Listen(0);
        QSignalSpy requests(&set, &SocketSet::ConnectionRequest);
        Sender ignored;
        QVERIFY(ignored.connectTo(quint16(set.LocalPort(0))));
        QVERIFY(ignored.waitUntilDropped());
        QCOMPARE(set.state(0), SocketSet::State::Listening);
        set.Load(1);
        QCOMPARE(failureNumberOf([&] { set.Accept(1, requests[0][1].toInt()); }), err::SocketInvalidOperation);
    }

    // A sender connecting while the listener is closed and opened again within
    // one event is taken, not refused; a listener not opened again lets go
    // of its port once the event is over.
    void listeningAgainWithinOneEventKeepsThePortOpen()
    {
        AcceptingSet set;
        const quint16 port = set.port();
        Sender early;
        early.socket.connectToHost(QHostAddress::LocalHost, port);  // waits in the backlog: no event handled yet
        set.Close(0);
        set.setLocalPort(0, port);
        set.Listen(0);
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
        AcceptingSet set;
        Sender peer;
        QVERIFY(peer.connectTo(set.port()));
        QTRY_COMPARE(set.state(1), SocketSet::State::Connected);
        QByteArray expected;
        for (char c = 'a'; c < 'i'; ++c) {
            expected += QByteArray(4 * 1024 * 1024, c);
            set.SendData(1, expected.right(4 * 1024 * 1024));
        }
        QVERIFY(peer.waitForBytes(expected.size(), 20000));
        QVERIFY(peer.received == expected);
    }

    // A peer that sends and never reads: once more than the bound of answers
    // waits for it, the set takes nothing more from it, so the peer's sends
    // stall in TCP; once the peer reads, everything gets through.
    void peerThatDoesNotReadIsHeldBackByItsUnsentAnswers()
    {
        AcceptingSet set;
        const QByteArray answer(64 * 1024, 'a');
        qint64 taken = 0, answered = 0;
        connect(&set, &SocketSet::DataArrival, &set, [&](qint16 index, qint32) {
            taken += set.GetData(index).size();
            set.SendData(index, answer);
            answered += answer.size();
        });
        const int peer = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(set.port());
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        QCOMPARE(::connect(peer, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        ::fcntl(peer, F_SETFL, O_NONBLOCK);
        const QByteArray chunk(64 * 1024, 'm');
        qint64 sent = 0, received = 0;
        const auto sendWhatFits = [&] {
            for (ssize_t n; (n = ::send(peer, chunk.data(), size_t(chunk.size()), MSG_NOSIGNAL)) > 0;)
                sent += n;
        };
        QVERIFY(QTest::qWaitFor([&] {
            sendWhatFits();
            return set.exists(1) && set.state(1) == SocketSet::State::Connected
                   && set.unsentBytes(1) > SocketSet::kMostUnsent;
        }, 20000));
        const qint64 takenWhenHeld = taken;
        for (int round = 0; round < 20; ++round) {
            sendWhatFits();
            QCoreApplication::processEvents();
        }
        QCOMPARE(taken, takenWhenHeld);
        QVERIFY(set.unsentBytes(1) <= SocketSet::kMostUnsent + answer.size());

        char buffer[64 * 1024];
        QVERIFY(QTest::qWaitFor([&] {
            for (ssize_t n; (n = ::recv(peer, buffer, sizeof buffer, 0)) > 0;)
                received += n;
            return taken == sent && received == answered;
        }, 20000));
        ::close(peer);
    }
};

QTEST_GUILESS_MAIN(SocketSetTest)
#include "tst_socket_set.moc"
