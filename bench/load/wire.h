#pragma once

// What the load generator, the reference receiver and the stall probe share:
// deadlines, loopback sockets, the listening check, the acknowledgement, the
// message sent and the receiver's data file. Plain C++ and POSIX.
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <optional>
#include <poll.h>
#include <sched.h>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace bench {

[[noreturn]] inline void fail(const std::string &what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

inline std::int64_t nowNs()
{
    return std::chrono::steady_clock::now().time_since_epoch() / std::chrono::nanoseconds(1);
}

// A point in time after which a wait gives up; every wait in the bench has one.
class Deadline {
public:
    explicit Deadline(double seconds) : m_end(nowNs() + std::int64_t(seconds * 1e9)) {}
    bool passed() const { return nowNs() >= m_end; }
    // Milliseconds left, rounded up, at most `cap`; 0 once passed.
    int msLeft(int cap) const { return int(std::clamp<std::int64_t>((m_end - nowNs() + 999999) / 1000000, 0, cap)); }

private:
    std::int64_t m_end;
};

// Owns one descriptor.
class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}
    Fd &operator=(Fd &&other) noexcept
    {
        std::swap(m_fd, other.m_fd);
        return *this;
    }
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

inline sockaddr_in loopback(std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Connects to 127.0.0.1 with TCP_NODELAY and blocking I/O that gives up
// after `ioSeconds`. A refused attempt is counted and retried for up to 5 s:
// a receiver may be between closing its listener and listening again.
inline Fd connectTo(std::uint16_t port, const Deadline &deadline, double ioSeconds, std::uint64_t &refused)
{
    const sockaddr_in peer = loopback(port);
    std::optional<Deadline> refusing;
    for (;;) {
        Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (::connect(fd.get(), reinterpret_cast<const sockaddr *>(&peer), sizeof peer) == 0) {
            const int on = 1;
            ::setsockopt(fd.get(), IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            timeval limit{time_t(ioSeconds), suseconds_t((ioSeconds - double(time_t(ioSeconds))) * 1e6)};
            ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
            ::setsockopt(fd.get(), SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
            return fd;
        }
        if (errno != ECONNREFUSED && errno != EINTR)
            fail("connect");
        ++refused;
        if (!refusing)
            refusing.emplace(5);
        if (deadline.passed() || refusing->passed())
            throw std::runtime_error("connect: refused for too long");
        ::sched_yield();  // lets the receiver run on a shared core
    }
}

inline void sendAll(int fd, const std::string &bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            throw std::runtime_error("send: the receiver took nothing for the whole timeout");
        if (sent < 0 && errno != EINTR)
            fail("send");
        done += sent > 0 ? std::size_t(sent) : 0;
    }
}

// What arrives, at most `capacity` bytes; 0 at the end of the stream, -1
// for a reset by the peer; other failures throw.
inline long receiveSome(int fd, char *buffer, std::size_t capacity)
{
    for (;;) {
        const ssize_t got = ::recv(fd, buffer, capacity, 0);
        if (got >= 0)
            return long(got);
        if (errno == ECONNRESET)
            return -1;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            throw std::runtime_error("recv: nothing arrived for the whole timeout");
        if (errno != EINTR)
            fail("recv");
    }
}

// A port nobody listens on right now.
inline std::uint16_t freePort()
{
    Fd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in address = loopback(0);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    socklen_t length = sizeof address;
    if (::bind(fd.get(), reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::getsockname(fd.get(), reinterpret_cast<sockaddr *>(&address), &length) != 0)
        fail("a free port");
    return ntohs(address.sin_port);
}

// True when /proc lists a socket listening on the port, IPv4 or IPv6.
inline bool listening(std::uint16_t port)
{
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", unsigned(port));
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string row;
        std::getline(in, row);  // column names
        while (std::getline(in, row)) {
            std::istringstream fields(row);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            if (state == "0A" && local.ends_with(wanted))
                return true;
        }
    }
    return false;
}

// The default acknowledgement every receiver answers with:
// VT "MSH|^~\&|||||" YYYYMMDDHHMM "||ACK|||||||||" CR "MSA|AA|" id "|||||" FS CR,
// the stamp in local time; the control id in MSA-2 is empty, or the
// message's own where a receiver answers each message.
constexpr std::string_view kAckHead = "\x0bMSH|^~\\&|||||";
constexpr std::string_view kAckBeforeId = "||ACK|||||||||\rMSA|AA|";
constexpr std::string_view kAckAfterId = "|||||\x1c\r";

inline std::string acknowledgementAt(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[16];
    std::strftime(stamp, sizeof stamp, "%Y%m%d%H%M", &local);
    return std::string(kAckHead).append(stamp).append(kAckBeforeId).append(kAckAfterId);
}

// Splits a stream of answers at FS CR: counts the whole answers and those
// that are not the default acknowledgement.
struct AckStream {
    void feed(const char *data, std::size_t size)
    {
        m_partial.append(data, size);
        std::size_t start = 0;
        for (std::size_t end; (end = m_partial.find("\x1c\r", start)) != std::string::npos; start = end + 2) {
            const std::string_view answer = std::string_view(m_partial).substr(start, end + 2 - start);
            ++complete;
            malformed += !wellFormed(answer);
        }
        m_partial.erase(0, start);
    }

    std::uint64_t complete = 0;
    std::uint64_t malformed = 0;

private:
    static bool wellFormed(std::string_view answer)
    {
        const auto digits = [](std::string_view text) {
            return std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
        };
        const std::size_t idAt = kAckHead.size() + 12 + kAckBeforeId.size();
        if (answer.size() < idAt + kAckAfterId.size() || !answer.starts_with(kAckHead) || !answer.ends_with(kAckAfterId)
            || answer.substr(kAckHead.size() + 12, kAckBeforeId.size()) != kAckBeforeId)
            return false;
        return digits(answer.substr(kAckHead.size(), 12)) && digits(answer.substr(idAt, answer.size() - idAt - kAckAfterId.size()));
    }

    std::string m_partial;
};

}  // namespace bench
