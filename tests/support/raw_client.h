#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QRegularExpression>

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

// A sending system of our own on a plain socket, for what well-behaved
// client libraries never do: a half-close, a reset in the middle of a
// message, a connection that never sends, a flood without waiting. Every
// call that waits takes a deadline; what comes back is collected in
// `received` whenever the client waits.
struct RawClient {
    int fd = -1;
    QByteArray received;
    bool peerClosed = false;  // the receiver ended the connection (orderly or by reset)
    int error = 0;            // errno of the end, 0 for an orderly one

    RawClient() = default;
    RawClient(const RawClient &) = delete;
    RawClient &operator=(const RawClient &) = delete;
    ~RawClient() { close(); }

    bool connectTo(quint16 port, int timeoutMs = 5000)
    {
        close();
        received.clear();
        answers = 0;
        peerClosed = false;
        error = 0;
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0)
            return true;
        if (errno != EINPROGRESS)
            return false;
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, timeoutMs) != 1)
            return false;
        int soError = 0;
        socklen_t length = sizeof soError;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &length);
        error = soError;
        return soError == 0;
    }

    // Sends every byte, taking in answers meanwhile so that neither side
    // stalls on a full buffer. False at the deadline or when the connection ends.
    bool sendAll(QByteArrayView bytes, int timeoutMs = 30000)
    {
        QElapsedTimer clock;
        clock.start();
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || fd < 0)
                return false;
            pollfd p{fd, POLLIN | POLLOUT, 0};
            if (::poll(&p, 1, int(left)) < 0 && errno != EINTR)
                return false;
            if (p.revents & (POLLIN | POLLHUP | POLLERR))
                takeIn();
            if (peerClosed)
                return false;
            if (p.revents & POLLOUT) {
                const ssize_t n = ::send(fd, bytes.data() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
                if (n > 0)
                    sent += n;
                else if (n < 0 && errno != EAGAIN && errno != EINTR)
                    return false;
            }
        }
        return true;
    }

    // Takes in what comes back until `enough` holds, the connection ends or the deadline passes.
    bool receiveUntil(const std::function<bool()> &enough, int timeoutMs = 5000)
    {
        QElapsedTimer clock;
        clock.start();
        while (!enough()) {
            const qint64 left = timeoutMs - clock.elapsed();
            if (left <= 0 || peerClosed || fd < 0)
                return enough();
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, int(qMin<qint64>(left, 50))) > 0)
                takeIn();
        }
        return true;
    }

    // Takes in whatever has come back already, without waiting.
    void drain()
    {
        if (fd >= 0 && !peerClosed)
            takeIn();
    }

    bool waitForAnswers(qsizetype count, int timeoutMs = 5000)
    {
        return receiveUntil([&] { return answerCount() >= count; }, timeoutMs);
    }

    // True once the receiver has ended the connection.
    bool waitUntilDropped(int timeoutMs = 5000)
    {
        receiveUntil([&] { return peerClosed; }, timeoutMs);
        return peerClosed;
    }

    // Sends one message and waits for its answer.
    bool exchange(QByteArrayView message, int timeoutMs = 5000)
    {
        const qsizetype before = answerCount();
        return sendAll(message, timeoutMs) && waitForAnswers(before + 1, timeoutMs);
    }

    // Every answer ends with the end-of-frame characters, once.
    qsizetype answerCount() const { return answers; }

    void shutdownWrite() { ::shutdown(fd, SHUT_WR); }

    // Ends the connection with a reset instead of an orderly close.
    void reset()
    {
        if (fd < 0)
            return;
        const linger resetOnClose{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &resetOnClose, sizeof resetOnClose);
        close();
    }

    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
    }

private:
    qsizetype answers = 0;

    void takeIn()
    {
        char buffer[65536];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n > 0) {
                // Counted as they come: rescanning everything would make long runs quadratic.
                const qsizetype from = qMax<qsizetype>(0, received.size() - 1);
                received.append(buffer, n);
                answers += QByteArrayView(received).sliced(from).count(QByteArrayView("\x1c\r"));
                continue;
            }
            if (n == 0) {
                peerClosed = true;
            } else if (errno != EAGAIN && errno != EINTR) {
                peerClosed = true;
                error = errno;
            }
            return;
        }
    }
};

// The default acknowledgement, any minute.
inline bool isDefaultAck(const QByteArray &bytes)
{
    static const QRegularExpression ack(
        QStringLiteral("^\\x0bMSH\\|{5}\\d{12}\\|\\|ACK\\|{9}\\rMSA\\|AA\\|{6}\\x1c\\r$"));
    return ack.match(QString::fromLatin1(bytes)).hasMatch();
}

// The answers in what came back, each ending with the end-of-frame characters.
inline QList<QByteArray> answersIn(const QByteArray &received)
{
    QList<QByteArray> answers;
    qsizetype from = 0;
    for (qsizetype end; (end = received.indexOf("\x1c\r", from)) >= 0; from = end + 2)
        answers << received.mid(from, end + 2 - from);
    return answers;
}
