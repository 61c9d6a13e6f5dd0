#pragma once

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <sys/socket.h>

// A sending system on loopback, driven from the test's own event loop so the
// receiver in the same thread keeps running while the test waits.
struct Sender {
    QTcpSocket socket;
    QByteArray received;

    Sender()
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, &socket, [this] { received += socket.readAll(); });
    }

    bool connectTo(quint16 port)
    {
        socket.connectToHost(QHostAddress::LocalHost, port);
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::ConnectedState; }, 5000);
    }

    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }

    // Waits until at least `count` bytes have come back.
    bool waitForBytes(qsizetype count, int timeoutMs = 5000)
    {
        return QTest::qWaitFor([&] { return received.size() >= count; }, timeoutMs);
    }

    bool waitUntilDropped(int timeoutMs = 5000)
    {
        return QTest::qWaitFor([this] { return socket.state() == QAbstractSocket::UnconnectedState; }, timeoutMs);
    }

    // Sends and waits for the answer, so that each message is an arrival of its own.
    QByteArray exchange(const QByteArray &bytes, qsizetype answerSize)
    {
        received.clear();
        send(bytes);
        waitForBytes(answerSize);
        return std::exchange(received, QByteArray());
    }

    // A reset instead of an orderly close: lingering for no time sends RST.
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
