#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <netinet/in.h>

#include "common/deadline.h"

namespace bench {

// Owns one descriptor.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept;
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }

    int get() const { return m_fd; }
    int release();
    void reset();

private:
    int m_fd = -1;
};

// The bench only talks to this machine: anything outside 127.0.0.0/8 is refused.
in_addr loopbackAddress(const std::string &host);

// Connects with TCP_NODELAY and blocking I/O that gives up after `ioSeconds`.
// A refused attempt is counted and retried for up to 5 s: a receiver may be
// between closing its listener and listening again.
Fd connectTo(in_addr host, std::uint16_t port, const Deadline &deadline, double ioSeconds, std::uint64_t &refused);

void sendAll(int fd, const char *data, std::size_t size);
// What arrives, at most `capacity` bytes; 0 at the end of the stream. A
// reset by the peer is returned as -1, other failures throw.
long receiveSome(int fd, char *buffer, std::size_t capacity);

// A port nobody listens on right now, on every address.
std::uint16_t freePort();

}  // namespace bench
