#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "common/ack_form.h"

namespace bench {

// Reads the receiver's answers on a thread of its own while the caller
// keeps sending, until the receiver ends the stream.
class AnswerReader {
public:
    explicit AnswerReader(int fd);
    // Ends the connection if the stream has not ended yet, so that a caller
    // leaving early never waits for the receiver.
    ~AnswerReader();

    // Waits for the end of the stream; afterwards the counts are final.
    void join();
    const AckStream &acks() const { return m_acks; }
    std::int64_t endedAtNs() const { return m_endedAt; }
    bool wasReset() const { return m_reset; }
    // Why reading stopped early, if it did.
    const std::string &failure() const { return m_failure; }

private:
    void run(int fd);

    AckStream m_acks;
    std::int64_t m_endedAt = 0;
    bool m_reset = false;
    std::string m_failure;
    int m_fd;
    std::thread m_thread;
};

}  // namespace bench
