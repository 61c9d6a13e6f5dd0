#include "common/tcp.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <netinet/tcp.h>
#include <optional>
#include <sched.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace bench {

namespace {

constexpr double kRefusedFor = 5;  // seconds

[[noreturn]] void fail(const char *what)
{
    throw std::runtime_error(std::string(what) + ": " + std::strerror(errno));
}

void setTimeouts(int fd, double seconds)
{
    timeval limit{};
    limit.tv_sec = time_t(seconds);
    limit.tv_usec = suseconds_t((seconds - double(limit.tv_sec)) * 1e6);
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}

}  // namespace

Fd &Fd::operator=(Fd &&other) noexcept
{
    if (this != &other) {
        reset();
        m_fd = other.release();
    }
    return *this;
}

int Fd::release()
{
    const int fd = m_fd;
    m_fd = -1;
    return fd;
}

void Fd::reset()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

in_addr loopbackAddress(const std::string &host)
{
    in_addr address{};
    const std::string numeric = host == "localhost" ? "127.0.0.1" : host;
    if (::inet_pton(AF_INET, numeric.c_str(), &address) != 1 || (ntohl(address.s_addr) >> 24) != 127)
        throw std::invalid_argument("host must be a loopback IPv4 address, not " + host);
    return address;
}

Fd connectTo(in_addr host, std::uint16_t port, const Deadline &deadline, double ioSeconds, std::uint64_t &refused)
{
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(port);
    peer.sin_addr = host;
    std::optional<Deadline> refusing;
    for (;;) {
        Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (fd.get() < 0)
            fail("socket");
        if (::connect(fd.get(), reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0) {
            const int on = 1;
            ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            setTimeouts(fd.get(), ioSeconds);
            return fd;
        }
        if (errno != ECONNREFUSED && errno != EINTR)
            fail("connect");
        // A receiver that listens again does so within moments; one that
        // keeps refusing for seconds is not there at all.
        ++refused;
        if (!refusing)
            refusing.emplace(kRefusedFor);
        if (deadline.passed() || refusing->passed())
            throw std::runtime_error("connect: refused for too long");
        ::sched_yield();  // let the receiver run on a shared core
    }
}

void sendAll(int fd, const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                throw std::runtime_error("send: the receiver took nothing for the whole timeout");
            fail("send");
        }
        data += sent;
        size -= std::size_t(sent);
    }
}

long receiveSome(int fd, char *buffer, std::size_t capacity)
{
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, capacity, 0);
        if (got >= 0)
            return long(got);
        if (errno == EINTR)
            continue;
        if (errno == ECONNRESET)
            return -1;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            throw std::runtime_error("recv: nothing arrived for the whole timeout");
        fail("recv");
    }
}

std::uint16_t freePort()
{
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (fd.get() < 0)
        fail("socket");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0)
        fail("bind");
    socklen_t length = sizeof address;
    if (::getsockname(fd.get(), reinterpret_cast<sockaddr *>(&address), &length) != 0)
        fail("getsockname");
    return ntohs(address.sin_port);
}

}  // namespace bench
