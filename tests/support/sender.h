#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

// The length of the default acknowledgement, whatever its stamp.
constexpr qsizetype kAckSize = 55;

// A sending system on loopback. Every wait in the tests is QTest::qWaitFor:
// it runs the event loop, so a receiver in the same thread keeps working.
struct Sender {
    QTcpSocket socket;
    QByteArray received;

    Sender() { QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] { received += socket.readAll(); }); }

    bool connectTo(quint16 port, const QHostAddress &host = QHostAddress::LocalHost)
    {
        socket.connectToHost(host, port);
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState || dropped(); }, 5000)
               && socket.state() == QAbstractSocket::ConnectedState;
    }
    bool dropped() const { return socket.state() == QAbstractSocket::UnconnectedState; }
    bool waitUntilDropped() { return QTest::qWaitFor([this] { return dropped(); }, 5000); }
    // Sends, then waits until `answerSize` bytes have come or no more can; what came.
    QByteArray exchange(const QByteArray &bytes, qsizetype answerSize = kAckSize, int timeoutMs = 5000)
    {
        received.clear();
        send(bytes);
        (void)QTest::qWaitFor([&] { return received.size() >= answerSize || dropped(); }, timeoutMs);
        return std::exchange(received, QByteArray());
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
    // Lingering for no time makes the close a reset.
    void reset()
    {
        const linger resetOnClose{1, 0};
        ::setsockopt(int(socket.socketDescriptor()), SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
        socket.abort();
    }
};

// A loopback port nobody listens on at the moment.
inline quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}
