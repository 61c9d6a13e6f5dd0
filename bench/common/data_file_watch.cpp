#include "common/data_file_watch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace bench {

DataFileWatch::DataFileWatch(const std::string &path)
    : m_file(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_changes(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_file.get() < 0)
        throw std::runtime_error("data file " + path + ": " + std::strerror(errno));
    if (m_changes.get() < 0 || ::inotify_add_watch(m_changes.get(), path.c_str(), IN_MODIFY) < 0)
        throw std::runtime_error(std::string("inotify: ") + std::strerror(errno));
    struct stat status {};
    ::fstat(m_file.get(), &status);
    m_start = m_readTo = m_lastLineEnd = std::uint64_t(status.st_size);
}

std::uint64_t DataFileWatch::stored()
{
    static thread_local std::vector<char> buffer(1 << 20);
    for (;;) {
        const ssize_t got = ::pread(m_file.get(), buffer.data(), buffer.size(), off_t(m_readTo));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        const char *begin = buffer.data();
        const char *end = begin + got;
        for (const char *at = begin; (at = static_cast<const char *>(std::memchr(at, '\n', std::size_t(end - at))));
             ++at) {
            const std::uint64_t lineEnd = m_readTo + std::uint64_t(at - begin) + 1;
            m_longestLine = std::max(m_longestLine, lineEnd - m_lastLineEnd - 2);
            m_lastLineEnd = lineEnd;
            ++m_lines;
        }
        m_readTo += std::uint64_t(got);
    }
    return m_lastLineEnd - m_start - 2 * m_lines;
}

bool DataFileWatch::waitForStored(std::uint64_t target, const Deadline &deadline)
{
    char events[4096];
    for (;;) {
        if (stored() >= target)
            return true;
        if (deadline.passed())
            return false;
        // The cap only guards against a missed change; the file's writes wake us.
        pollfd changed{m_changes.get(), POLLIN, 0};
        ::poll(&changed, 1, deadline.msLeft(20));
        while (::read(m_changes.get(), events, sizeof events) > 0) {
        }
    }
}

}  // namespace bench
