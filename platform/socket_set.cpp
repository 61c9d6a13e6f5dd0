#include "platform/socket_set.h"

#include "platform/failure.h"

#include <QSocketNotifier>

#include <arpa/inet.h>
#include <cerrno>
#include <ifaddrs.h>
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

// A socket bound to every address of one family on the port, listening; -1
// with errno set where it cannot be made. The IPv6 one takes IPv4 senders too.
int listeningSocketOf(int family, quint16 port)
{
    const int fd = ::socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    // Connections this side closed linger in TIME_WAIT; listening again on
    // the same port must not be refused because of them. A port that another
    // socket listens on is still refused.
    const int on = 1, off = 0;
    bool ready = ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) == 0;
    if (ready && family == AF_INET6) {
        sockaddr_in6 address{};
        address.sin6_family = AF_INET6;
        address.sin6_port = htons(port);
        address.sin6_addr = in6addr_any;
        ready = ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &off, sizeof off) == 0
                && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    } else if (ready) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_ANY);
        ready = ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0;
    }
    if (ready && ::listen(fd, SOMAXCONN) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    errno = error;
    return -1;
}

// Both families where the machine has IPv6, so that a sender whose
// "localhost" is ::1 is served as well; IPv4 alone where it has not.
int listeningSocket(quint16 port)
{
    int fd = listeningSocketOf(AF_INET6, port);
    if (fd < 0 && (errno == EAFNOSUPPORT || errno == EADDRNOTAVAIL || errno == EPROTONOSUPPORT))
        fd = listeningSocketOf(AF_INET, port);
    if (fd < 0)
        raiseSocket(socketNumberOf(errno));
    return fd;
}

// The one send loop: hands bytes to the network until it takes no more;
// `sent` tells how many it took. Gives a failure's errno, 0 otherwise.
int sendNow(int fd, QByteArrayView bytes, qsizetype &sent)
{
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, size_t(bytes.size() - sent), MSG_NOSIGNAL);
        if (n >= 0)
            sent += n;
        else if (errno == EAGAIN || errno == EWOULDBLOCK)
            return 0;
        else if (errno != EINTR)
            return errno;
    }
    return 0;
}

// What one data-arrival event takes from the network at the most. A sender
// that streams faster than the window works still gets its answers, and the
// window stays responsive, because each event ends after this much.
constexpr qsizetype kMostTakenPerEvent = 256 * 1024;

}  // namespace

struct SocketSet::Element {
    qint32 localPort = 0;
    State state = State::Closed;
    int fd = -1;
    quint64 connection = 0;  // changes whenever the element is closed or takes a new socket
    bool heldBack = false;   // its event waits for the one being handled
    bool throttled = false;  // too many answers wait unsent: nothing is read
    int sendError = 0;       // a failed send, reported by the reading side
    QByteArray received;
    QByteArray outgoing;
    std::unique_ptr<QSocketNotifier> readable;
    std::unique_ptr<QSocketNotifier> writable;
};

// Marks the handling of one event; when the outermost one ends, the events
// held back meanwhile are let through.
class SocketSet::EventScope {
public:
    explicit EventScope(SocketSet &set) : m_set(set), m_outermost(!std::exchange(set.m_inEvent, true)) {}
    ~EventScope()
    {
        if (m_outermost)
            m_set.eventDone();
    }
    EventScope(const EventScope &) = delete;
    EventScope &operator=(const EventScope &) = delete;

private:
    SocketSet &m_set;
    bool m_outermost;
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

// The element at `index` when it is in `state`; none otherwise.
SocketSet::Element *SocketSet::elementIn(qint16 index, State state) const
{
    const auto found = m_elements.find(index);
    return found != m_elements.end() && found->second->state == state ? found->second.get() : nullptr;
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

// A listener has no remote end: the port is checked, and nothing uses it.
void SocketSet::setRemotePort(qint16 index, qint32 port)
{
    closedElement(index);
    checkedPort(port);
}

void SocketSet::setLocalPort(qint16 index, qint32 port)
{
    closedElement(index).localPort = checkedPort(port);
}

void SocketSet::setProtocol(qint16 index, qint32 protocol)
{
    closedElement(index);
    if (protocol != 0)  // TCP is the only protocol the set speaks
        raise(err::InvalidPropertyValue, socketSource());
}

qint32 SocketSet::LocalPort(qint16 index) const
{
    return element(index).localPort;
}

QString SocketSet::LocalIP() const
{
    QString found = QStringLiteral("127.0.0.1");
    ifaddrs *interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0)
        return found;
    for (const ifaddrs *i = interfaces; i; i = i->ifa_next) {
        if (!i->ifa_addr || i->ifa_addr->sa_family != AF_INET)
            continue;
        const in_addr address = reinterpret_cast<const sockaddr_in *>(i->ifa_addr)->sin_addr;
        if ((ntohl(address.s_addr) >> 24) == 127)
            continue;
        char text[INET_ADDRSTRLEN];
        found = QString::fromLatin1(::inet_ntop(AF_INET, &address, text, sizeof text));
        break;
    }
    ::freeifaddrs(interfaces);
    return found;
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
        e.connection = ++m_lastConnection;
        watch(index, e);
        return;
    }
    const int fd = listeningSocket(e.localPort);
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        e.localPort = address.ss_family == AF_INET6 ? ntohs(reinterpret_cast<sockaddr_in6 *>(&address)->sin6_port)
                                                    : ntohs(reinterpret_cast<sockaddr_in *>(&address)->sin_port);
    e.fd = fd;
    e.state = State::Listening;
    e.connection = ++m_lastConnection;
    watch(index, e);
}

void SocketSet::Accept(qint16 index, qint32 requestId)
{
    Element &e = closedElement(index);
    if (requestId != m_pendingRequest)
        raiseSocket(err::SocketInvalidOperation);
    m_pendingRequest = -1;
    const int on = 1;  // answers leave at once
    if (::setsockopt(requestId, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0)
        raiseSocket(socketNumberOf(errno));
    e.fd = requestId;
    e.state = State::Connected;
    e.connection = ++m_lastConnection;
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

void SocketSet::updateReading(Element &e)
{
    const bool reading = !e.heldBack && !e.throttled;
    if (e.readable && e.readable->isEnabled() != reading)
        e.readable->setEnabled(reading);
}

bool SocketSet::holdBack(Element &e)
{
    if (!m_inEvent)
        return false;
    e.heldBack = true;
    m_heldBack = true;
    updateReading(e);
    return true;
}

void SocketSet::eventDone()
{
    m_inEvent = false;
    m_arrival = {};
    releaseParkedListener();
    if (!std::exchange(m_heldBack, false))
        return;
    for (auto &[index, e] : m_elements) {
        e->heldBack = false;
        updateReading(*e);
    }
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
        if (!m_inEvent)  // else when the event is done
            QMetaObject::invokeMethod(this, &SocketSet::releaseParkedListener, Qt::QueuedConnection);
    } else if (e.fd >= 0) {
        ::close(e.fd);
    }
    e.fd = -1;
    e.state = State::Closed;
    e.connection = ++m_lastConnection;
    e.heldBack = e.throttled = false;
    e.sendError = 0;
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
    if (index == m_arrival.index) {
        const auto found = m_elements.find(index);
        if (found == m_elements.end() || found->second->connection != m_arrival.connection)
            return;  // the arrival's connection is gone: its answer with it
    }
    Element &e = element(index);
    if (e.state != State::Connected)
        raiseSocket(err::SocketWrongState);
    // The usual case, nothing waiting before it: the answer goes to the
    // network from where it is, and only what the network leaves is kept.
    qsizetype sent = 0;
    if (e.outgoing.isEmpty()) {
        if (const int error = sendNow(e.fd, data, sent))
            raiseSocket(socketNumberOf(error));
    }
    e.outgoing.append(data.sliced(sent));
    if (const int error = sendWaiting(e))
        raiseSocket(socketNumberOf(error));
}

// What waits goes to the network until it takes no more; what is left goes
// when the socket can take it again, and meanwhile, past the bound, nothing
// more is read from the peer. Gives a failure's errno.
int SocketSet::sendWaiting(Element &e)
{
    qsizetype sent = 0;
    const int error = sendNow(e.fd, e.outgoing, sent);
    e.outgoing.remove(0, sent);
    if (error != 0)
        e.outgoing.clear();
    const bool waiting = !e.outgoing.isEmpty();
    e.writable->setEnabled(waiting);
    const bool throttled = waiting && (e.throttled || e.outgoing.size() > kMostUnsent);  // until all is gone
    if (e.throttled != throttled) {
        e.throttled = throttled;
        updateReading(e);
    }
    return error;
}

void SocketSet::onAcceptable(qint16 index)
{
    for (;;) {
        Element *listening = elementIn(index, State::Listening);
        if (!listening || holdBack(*listening))
            return;
        Element &e = *listening;
        const int fd = ::accept4(e.fd, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                raiseError(index, socketNumberOf(errno));
            return;
        }
        {
            EventScope event(*this);
            m_pendingRequest = fd;
            emit ConnectionRequest(index, fd);
            if (m_pendingRequest == fd)
                ::close(fd);  // nobody took it
            m_pendingRequest = -1;
        }
    }
}

void SocketSet::onReadable(qint16 index)
{
    Element *connected = elementIn(index, State::Connected);
    if (!connected || holdBack(*connected))
        return;
    Element &e = *connected;
    bool peerClosed = false;
    int error = std::exchange(e.sendError, 0);
    char buffer[64 * 1024];
    while (error == 0 && e.received.size() < kMostTakenPerEvent) {
        const ssize_t n = ::recv(e.fd, buffer, sizeof buffer, 0);
        if (n > 0) {
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

    const quint64 connection = e.connection;
    if (!e.received.isEmpty()) {
        EventScope event(*this);
        m_arrival = {index, connection};
        emit DataArrival(index, qint32(qMin<qsizetype>(e.received.size(), std::numeric_limits<qint32>::max())));
    }
    const auto still = m_elements.find(index);
    if (still == m_elements.end() || still->second->connection != connection)
        return;  // closed or replaced meanwhile
    if (error != 0 || peerClosed) {
        still->second->readable->setEnabled(false);  // nothing more will come
        if (error != 0) {
            raiseError(index, socketNumberOf(error));
        } else {
            EventScope event(*this);
            emit CloseEvent(index);
        }
    }
}

void SocketSet::onWritable(qint16 index)
{
    Element *connected = elementIn(index, State::Connected);
    if (!connected)
        return;
    // A failure is reported by the reading side, as an event of its own, in its turn.
    if (const int error = sendWaiting(*connected))
        connected->sendError = error;
}

void SocketSet::releaseParkedListener()
{
    if (m_parkedListener >= 0)
        ::close(std::exchange(m_parkedListener, -1));
}

void SocketSet::raiseError(qint16 index, qint32 number)
{
    EventScope event(*this);
    bool cancelDisplay = false;
    emit Error(index, qint16(number), standardDescription(number), number, socketSource(), QString(), 0,
               &cancelDisplay);
}
