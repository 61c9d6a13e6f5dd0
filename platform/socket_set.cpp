#include "platform/socket_set.h"

#include "platform/failure.h"

#include <QHostAddress>
#include <QList>
#include <QNetworkInterface>
#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <limits>

namespace {

// The socket's own numbers for what the operating system reports.
qint32 socketNumberOf(int error)
{
    switch (error) {
    case ECONNRESET: return err::SocketConnectionReset;
    case EPIPE:
    case ECONNABORTED: return err::SocketConnectionAborted;
    case EADDRINUSE: return err::SocketAddressInUse;
    case EADDRNOTAVAIL: return err::SocketAddressNotAvailable;
    case EACCES:
    case EPERM: return err::SocketAccessDenied;
    case ENETDOWN: return err::SocketNetworkDown;
    case ENOBUFS:
    case ENOMEM: return err::SocketNoBufferSpace;
    case ETIMEDOUT: return err::SocketTimedOut;
    case EMFILE:
    case ENFILE: return 10024;
    case ENETUNREACH: return 10051;
    case EHOSTUNREACH: return 10065;
    default: return 10022;
    }
}

QString socketSource()
{
    return QStringLiteral("Winsock");
}

[[noreturn]] void raiseSocket(qint32 number)
{
    raise(number, socketSource());
}

// What one data-arrival event takes from the network at the most. A sender
// that streams faster than the window works still gets its answers, and the
// window stays responsive, because each event ends after this much.
constexpr qsizetype kMostTakenPerEvent = 256 * 1024;

}  // namespace

struct SocketSet::Element {
    qint32 remotePort = 0;
    qint32 localPort = 0;
    qint32 protocol = 0;
    State state = State::Closed;
    int fd = -1;
    quint64 generation = 0;  // changes whenever the element is closed or takes a new socket
    bool handling = false;   // its event is being handled (a message box may run events meanwhile)
    QByteArray received;
    QByteArray outgoing;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
};

SocketSet::SocketSet(QObject *parent) : QObject(parent)
{
    Load(0);
}

SocketSet::~SocketSet()
{
    for (auto &[index, e] : m_elements)
        closeElement(*e);
    releaseParkedListener();
}

SocketSet::Element &SocketSet::element(qint16 index) const
{
    const auto found = m_elements.find(index);
    if (found == m_elements.end())
        raise(err::ElementMissing);
    return *found->second;
}

SocketSet::Element &SocketSet::closedElement(qint16 index) const
{
    Element &e = element(index);
    if (e.state != State::Closed)
        raiseSocket(err::SocketInvalidOperation);
    return e;
}

void SocketSet::Load(qint16 index)
{
    if (exists(index))
        raise(err::ElementLoaded);
    m_elements.emplace(index, std::make_unique<Element>());
}

void SocketSet::Unload(qint16 index)
{
    closeElement(element(index));
    m_elements.erase(index);
}

namespace {

qint32 checkedPort(qint32 port)
{
    if (port < 0 || port > 65535)
        raise(err::InvalidPropertyValue, QStringLiteral("Winsock"));
    return port;
}

}  // namespace

void SocketSet::setRemotePort(qint16 index, qint32 port)
{
    closedElement(index).remotePort = checkedPort(port);
}

void SocketSet::setLocalPort(qint16 index, qint32 port)
{
    closedElement(index).localPort = checkedPort(port);
}

void SocketSet::setProtocol(qint16 index, qint32 protocol)
{
    if (protocol != 0)  // TCP is the only protocol the set speaks
        raise(err::InvalidPropertyValue, socketSource());
    closedElement(index).protocol = protocol;
}

qint32 SocketSet::LocalPort(qint16 index) const
{
    return element(index).localPort;
}

QString SocketSet::LocalIP(qint16) const
{
    for (const QHostAddress &address : QNetworkInterface::allAddresses()) {
        if (address.protocol() == QAbstractSocket::IPv4Protocol && !address.isLoopback())
            return address.toString();
    }
    return QStringLiteral("127.0.0.1");
}

SocketSet::State SocketSet::state(qint16 index) const
{
    return element(index).state;
}

void SocketSet::Listen(qint16 index)
{
    Element &e = closedElement(index);
    if (m_parkedListener >= 0 && e.localPort == m_parkedPort) {
        e.fd = std::exchange(m_parkedListener, -1);
        e.state = State::Listening;
        ++e.generation;
        watch(index, e);
        return;
    }
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        raiseSocket(socketNumberOf(errno));
    // Connections this side closed linger in TIME_WAIT; listening again on
    // the same port must not be refused because of them. A port that another
    // socket listens on is still refused.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(e.localPort));
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 || ::listen(fd, SOMAXCONN) != 0) {
        const int error = errno;
        ::close(fd);
        raiseSocket(socketNumberOf(error));
    }
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        e.localPort = ntohs(address.sin_port);
    e.fd = fd;
    e.state = State::Listening;
    ++e.generation;
    watch(index, e);
}

void SocketSet::Accept(qint16 index, qint32 requestId)
{
    Element &e = closedElement(index);
    if (requestId != m_pendingRequest)
        raiseSocket(err::SocketInvalidOperation);
    m_pendingRequest = -1;
    const int on = 1;
    ::setsockopt(requestId, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);  // answers leave at once
    e.fd = requestId;
    e.state = State::Connected;
    ++e.generation;
    watch(index, e);
}

void SocketSet::watch(qint16 index, Element &e)
{
    e.readable = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Read);
    if (e.state == State::Listening) {
        connect(e.readable.get(), &QSocketNotifier::activated, this, [this, index] { onAcceptable(index); });
        return;
    }
    connect(e.readable.get(), &QSocketNotifier::activated, this, [this, index] { onReadable(index); });
    e.writable = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Write);
    e.writable->setEnabled(false);
    connect(e.writable.get(), &QSocketNotifier::activated, this, [this, index] { onWritable(index); });
}

void SocketSet::Close(qint16 index)
{
    closeElement(element(index));
}

void SocketSet::closeElement(Element &e)
{
    // A notifier may be closed from inside its own signal: stop it now, delete it later.
    for (auto *notifier : {&e.readable, &e.writable}) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            notifier->release()->deleteLater();
        }
    }
    if (e.state == State::Listening) {
        releaseParkedListener();
        m_parkedListener = e.fd;
        m_parkedPort = e.localPort;
        QMetaObject::invokeMethod(this, &SocketSet::releaseParkedListener, Qt::QueuedConnection);
    } else if (e.fd >= 0) {
        ::close(e.fd);
    }
    e.fd = -1;
    e.state = State::Closed;
    ++e.generation;
    e.received.clear();
    e.outgoing.clear();
}

QByteArray SocketSet::GetData(qint16 index)
{
    Element &e = element(index);
    if (e.state != State::Connected)
        raiseSocket(err::SocketWrongState);
    return std::exchange(e.received, QByteArray());
}

void SocketSet::SendData(qint16 index, QByteArrayView data)
{
    Element &e = element(index);
    if (e.state != State::Connected)
        raiseSocket(err::SocketWrongState);
    if (!e.outgoing.isEmpty()) {
        e.outgoing.append(data);
        return;
    }
    qsizetype sent = 0;
    while (sent < data.size()) {
        const ssize_t n = ::send(e.fd, data.data() + sent, size_t(data.size() - sent), MSG_NOSIGNAL);
        if (n >= 0) {
            sent += n;
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        raiseSocket(socketNumberOf(errno));
    }
    if (sent < data.size()) {
        e.outgoing = data.sliced(sent).toByteArray();
        e.writable->setEnabled(true);
    }
}

void SocketSet::onAcceptable(qint16 index)
{
    for (;;) {
        const auto found = m_elements.find(index);
        if (found == m_elements.end() || found->second->state != State::Listening)
            return;
        Element &e = *found->second;
        if (e.handling) {
            e.readable->setEnabled(false);  // one request at a time; taken up when the first is done
            return;
        }
        const int fd = ::accept4(e.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                raiseError(index, socketNumberOf(errno));
            return;
        }
        const quint64 generation = e.generation;
        e.handling = true;
        m_pendingRequest = fd;
        emit ConnectionRequest(index, fd);
        if (m_pendingRequest == fd)
            ::close(fd);  // nobody took it
        m_pendingRequest = -1;
        const auto still = m_elements.find(index);
        if (still == m_elements.end() || still->second->generation != generation)
            return;
        still->second->handling = false;
        still->second->readable->setEnabled(true);
    }
}

void SocketSet::onReadable(qint16 index)
{
    const auto found = m_elements.find(index);
    if (found == m_elements.end() || found->second->state != State::Connected)
        return;
    Element &e = *found->second;
    if (e.handling) {
        // An event of this element is still being handled: stay quiet until
        // it is done rather than handle another one inside it.
        e.readable->setEnabled(false);
        return;
    }
    bool peerClosed = false;
    int error = 0;
    char buffer[64 * 1024];
    while (e.received.size() < kMostTakenPerEvent) {
        const ssize_t n = ::recv(e.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
            // Rows keep these bytes for the whole run: hold them at their
            // exact size rather than with the spare room appending leaves.
            if (e.received.isEmpty())
                e.received = QByteArray(buffer, n);
            else
                e.received.append(buffer, n);
            if (size_t(n) < sizeof buffer)
                break;  // the rest, if any, comes with the next event
            continue;
        }
        if (n == 0)
            peerClosed = true;
        else if (errno == EINTR)
            continue;
        else if (errno != EAGAIN && errno != EWOULDBLOCK)
            error = errno;
        break;
    }

    if (e.received.capacity() > e.received.size() + e.received.size() / 8)
        e.received.squeeze();
    const quint64 generation = e.generation;
    Element *current = &e;
    if (!e.received.isEmpty()) {
        e.handling = true;
        emit DataArrival(index, qint32(qMin<qsizetype>(e.received.size(), std::numeric_limits<qint32>::max())));
        const auto still = m_elements.find(index);
        if (still == m_elements.end() || still->second->generation != generation)
            return;  // closed or replaced meanwhile
        current = still->second.get();
        current->handling = false;
    }
    if (error != 0 || peerClosed) {
        current->readable->setEnabled(false);  // nothing more will come
        if (error != 0)
            raiseError(index, socketNumberOf(error));
        else
            emit CloseEvent(index);
        return;
    }
    if (!current->readable->isEnabled())
        current->readable->setEnabled(true);
}

void SocketSet::onWritable(qint16 index)
{
    const auto found = m_elements.find(index);
    if (found == m_elements.end() || found->second->state != State::Connected)
        return;
    Element &e = *found->second;
    while (!e.outgoing.isEmpty()) {
        const ssize_t n = ::send(e.fd, e.outgoing.constData(), size_t(e.outgoing.size()), MSG_NOSIGNAL);
        if (n >= 0) {
            e.outgoing.remove(0, n);
            continue;
        }
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return;
        e.writable->setEnabled(false);
        raiseError(index, socketNumberOf(errno));
        return;
    }
    e.writable->setEnabled(false);
}

void SocketSet::releaseParkedListener()
{
    if (m_parkedListener >= 0)
        ::close(std::exchange(m_parkedListener, -1));
}

void SocketSet::raiseError(qint16 index, qint32 number)
{
    bool cancelDisplay = false;
    emit Error(index, qint16(number), standardDescription(number), number, socketSource(), QString(), 0,
               &cancelDisplay);
}
