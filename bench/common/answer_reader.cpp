#include "common/answer_reader.h"

#include <exception>
#include <sys/socket.h>

#include "common/deadline.h"
#include "common/tcp.h"

namespace bench {

AnswerReader::AnswerReader(int fd) : m_fd(fd), m_thread([this, fd] { run(fd); }) {}

AnswerReader::~AnswerReader()
{
    if (m_thread.joinable())
        ::shutdown(m_fd, SHUT_RDWR);
    join();
}

void AnswerReader::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void AnswerReader::run(int fd)
{
    char buffer[64 * 1024];
    try {
        for (;;) {
            const long got = receiveSome(fd, buffer, sizeof buffer);
            if (got <= 0) {
                m_reset = got < 0;
                break;
            }
            m_acks.feed(buffer, std::size_t(got));
        }
    } catch (const std::exception &failure) {
        m_failure = failure.what();
    }
    m_endedAt = nowNs();
}

}  // namespace bench
