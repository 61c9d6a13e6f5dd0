// reference_receiver: the least an MLLP test receiver can do, as a yardstick
// for Corvane. One thread, epoll; for every readable event it takes what
// waits, appends it and CR LF to the data file with one write, and answers
// at once with the default acknowledgement.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <string_view>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <sys/uio.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

#include "common/ack_form.h"
#include "common/tcp.h"

namespace {

using namespace bench;

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "reference_receiver: %s: %s\n", what, std::strerror(errno));
    std::exit(2);
}

// The acknowledgement for now, rebuilt only when the second changes.
class CurrentAck {
public:
    const std::string &get()
    {
        const std::time_t now = std::time(nullptr);
        if (now != m_builtFor) {
            m_ack = acknowledgementAt(now);
            m_builtFor = now;
        }
        return m_ack;
    }

private:
    std::time_t m_builtFor = -1;
    std::string m_ack;
};

class Receiver {
public:
    Receiver(in_addr host, std::uint16_t port, const std::string &dataPath);
    [[noreturn]] void run();

private:
    void acceptAll();
    void takeArrival(int fd);
    void store(const char *data, std::size_t size);
    void answer(int fd, std::string_view ack);
    void flush(int fd);
    void drop(int fd);

    int m_epoll = -1;
    int m_listener = -1;
    int m_data = -1;
    CurrentAck m_ack;
    std::vector<char> m_in;
    std::unordered_map<int, std::string> m_unsent;  // per connection: answers the socket could not take yet
};

Receiver::Receiver(in_addr host, std::uint16_t port, const std::string &dataPath)
{
    m_data = ::open(dataPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (m_data < 0)
        die("data file");
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr = host;
    if (::bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, SOMAXCONN) != 0)
        die("listen");
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = m_listener;
    if (::epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listener, &event) != 0)
        die("epoll");
}

void Receiver::run()
{
    epoll_event events[64];
    for (;;) {
        const int ready = ::epoll_wait(m_epoll, events, 64, -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            die("epoll_wait");
        }
        for (int i = 0; i < ready; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_listener) {
                acceptAll();
                continue;
            }
            if (events[i].events & EPOLLOUT) {
                flush(fd);
                if (m_unsent.count(fd) == 0)
                    continue;  // dropped while flushing
            }
            if (events[i].events & (EPOLLIN | EPOLLHUP | EPOLLERR))
                takeArrival(fd);
        }
    }
}

void Receiver::acceptAll()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.fd = fd;
        ::epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &event);
        m_unsent[fd];
    }
}

void Receiver::takeArrival(int fd)
{
    constexpr std::size_t kChunk = 64 * 1024;
    std::size_t used = 0;
    bool ended = false;
    for (;;) {
        if (m_in.size() < used + kChunk)
            m_in.resize(used + kChunk);
        const ssize_t got = ::recv(fd, m_in.data() + used, kChunk, 0);
        if (got > 0) {
            used += std::size_t(got);
            continue;
        }
        if (got < 0 && errno == EINTR)
            continue;
        ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
        break;
    }
    if (used > 0) {
        store(m_in.data(), used);
        answer(fd, m_ack.get());
    }
    if (ended)
        drop(fd);
}

void Receiver::store(const char *data, std::size_t size)
{
    iovec parts[2] = {{const_cast<char *>(data), size}, {const_cast<char *>("\r\n"), 2}};
    std::size_t left = size + 2;
    iovec *part = parts;
    int count = 2;
    while (left > 0) {
        const ssize_t written = ::writev(m_data, part, count);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            die("writing the data file");
        }
        left -= std::size_t(written);
        std::size_t done = std::size_t(written);
        while (count > 0 && done >= part->iov_len) {
            done -= part->iov_len;
            ++part;
            --count;
        }
        if (count > 0) {
            part->iov_base = static_cast<char *>(part->iov_base) + done;
            part->iov_len -= done;
        }
    }
}

void Receiver::answer(int fd, std::string_view ack)
{
    std::string &unsent = m_unsent[fd];
    if (!unsent.empty()) {
        unsent.append(ack);
        return;
    }
    std::size_t sent = 0;
    while (sent < ack.size()) {
        const ssize_t n = ::send(fd, ack.data() + sent, ack.size() - sent, MSG_NOSIGNAL);
        if (n > 0) {
            sent += std::size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (sent < ack.size()) {
        unsent.assign(ack.substr(sent));
        epoll_event event{};
        event.events = EPOLLIN | EPOLLOUT;
        event.data.fd = fd;
        ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event);
    }
}

void Receiver::flush(int fd)
{
    const auto found = m_unsent.find(fd);
    if (found == m_unsent.end())
        return;
    std::string &unsent = found->second;
    while (!unsent.empty()) {
        const ssize_t n = ::send(fd, unsent.data(), unsent.size(), MSG_NOSIGNAL);
        if (n > 0) {
            unsent.erase(0, std::size_t(n));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        drop(fd);
        return;
    }
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = fd;
    ::epoll_ctl(m_epoll, EPOLL_CTL_MOD, fd, &event);
}

void Receiver::drop(int fd)
{
    ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    m_unsent.erase(fd);
    ::close(fd);
}

}  // namespace

int main(int argc, char **argv)
{
    std::string host = "127.0.0.1";
    std::string dataPath = "logfile.txt";
    long port = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string_view option = argv[i];
        if (option == "--port")
            port = std::strtol(argv[i + 1], nullptr, 10);
        else if (option == "--host")
            host = argv[i + 1];
        else if (option == "--data-file")
            dataPath = argv[i + 1];
    }
    if (port <= 0 || port > 65535 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: reference_receiver --port N [--host 127.0.0.1] [--data-file PATH]\n");
        return 2;
    }
    try {
        Receiver receiver(loopbackAddress(host), std::uint16_t(port), dataPath);
        receiver.run();
    } catch (const std::exception &problem) {
        std::fprintf(stderr, "reference_receiver: %s\n", problem.what());
        return 2;
    }
}
