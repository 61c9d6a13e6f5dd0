// reference_receiver: the least an MLLP test receiver can do, as a yardstick
// for Corvane. One thread, epoll, on 127.0.0.1; for every readable event it
// takes what waits, appends it and CR LF to the data file with one write,
// and answers at once with the default acknowledgement. Answers are sent
// blocking: every sender in the bench reads its answers.
#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/epoll.h>
#include <sys/socket.h>
#include <vector>

#include "load/wire.h"

namespace {

[[noreturn]] void die(const char *what)
{
    std::fprintf(stderr, "reference_receiver: %s: %s\n", what, std::strerror(errno));
    std::exit(2);
}

class Receiver {
public:
    Receiver(std::uint16_t port, const char *dataPath);
    [[noreturn]] void run();

private:
    void watch(int operation, int fd, std::uint32_t events);
    void acceptAll();
    void takeArrival(int fd);
    void store(std::size_t size);

    int m_epoll = -1;
    int m_listener = -1;
    int m_data = -1;
    std::time_t m_ackFor = -1;
    std::string m_ack;  // rebuilt only when the second changes
    std::vector<char> m_in;
};

Receiver::Receiver(std::uint16_t port, const char *dataPath)
{
    m_data = ::open(dataPath, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0666);
    if (m_data < 0)
        die("data file");
    m_listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    ::setsockopt(m_listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const sockaddr_in address = bench::loopback(port);
    if (::bind(m_listener, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listener, SOMAXCONN) != 0)
        die("listen");
    m_epoll = ::epoll_create1(EPOLL_CLOEXEC);
    watch(EPOLL_CTL_ADD, m_listener, EPOLLIN);
}

void Receiver::watch(int operation, int fd, std::uint32_t events)
{
    epoll_event event{};
    event.events = events;
    event.data.fd = fd;
    if (::epoll_ctl(m_epoll, operation, fd, &event) != 0)
        die("epoll");
}

void Receiver::run()
{
    epoll_event events[64];
    for (;;) {
        const int ready = ::epoll_wait(m_epoll, events, 64, -1);
        if (ready < 0 && errno != EINTR)
            die("epoll_wait");
        for (int i = 0; i < ready; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_listener) {
                acceptAll();
                continue;
            }
            takeArrival(fd);
        }
    }
}

void Receiver::acceptAll()
{
    for (;;) {
        const int fd = ::accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0 && (errno == EINTR || errno == ECONNABORTED))
            continue;
        if (fd < 0)
            return;
        const int on = 1;
        ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        watch(EPOLL_CTL_ADD, fd, EPOLLIN);
    }
}

void Receiver::takeArrival(int fd)
{
    constexpr std::size_t kChunk = 64 * 1024;
    std::size_t used = 0;
    ssize_t got;
    do {
        if (m_in.size() < used + kChunk)
            m_in.resize(used + kChunk);
        got = ::recv(fd, m_in.data() + used, kChunk, MSG_DONTWAIT);
        used += got > 0 ? std::size_t(got) : 0;
    } while (got > 0 || (got < 0 && errno == EINTR));
    bool ended = got == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
    if (used > 0) {
        store(used);
        const std::time_t now = std::time(nullptr);
        if (now != m_ackFor)
            m_ack = bench::acknowledgementAt(m_ackFor = now);
        ended |= ::send(fd, m_ack.data(), m_ack.size(), MSG_NOSIGNAL) != ssize_t(m_ack.size());
    }
    if (ended) {
        ::epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
        ::close(fd);
    }
}

// The arrival and its CR LF in one write: the buffer always has room after what was read.
void Receiver::store(std::size_t size)
{
    m_in[size] = '\r';
    m_in[size + 1] = '\n';
    for (std::size_t done = 0; done < size + 2;) {
        const ssize_t written = ::write(m_data, m_in.data() + done, size + 2 - done);
        if (written < 0 && errno != EINTR)
            die("writing the data file");
        done += written > 0 ? std::size_t(written) : 0;
    }
}

}  // namespace

int main(int argc, char **argv)
{
    const char *dataPath = "logfile.txt";
    long port = -1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--port") == 0)
            port = std::strtol(argv[i + 1], nullptr, 10);
        else if (std::strcmp(argv[i], "--data-file") == 0)
            dataPath = argv[i + 1];
        else
            port = -1;
    }
    if (port <= 0 || port > 65535 || argc % 2 == 0) {
        std::fprintf(stderr, "usage: reference_receiver --port N [--data-file PATH]\n");
        return 2;
    }
    Receiver(std::uint16_t(port), dataPath).run();
}
