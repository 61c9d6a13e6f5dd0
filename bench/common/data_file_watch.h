#pragma once

#include <cstdint>
#include <string>

#include "common/deadline.h"
#include "common/tcp.h"

namespace bench {

// Follows a receiver's data file, in which each arrival is one line: the
// bytes as received, then CR LF. Counts the bytes that complete lines added
// since the watch began, without their line ends: what the receiver has
// taken in and stored. The messages sent carry no line feed, so every LF is
// a line end.
class DataFileWatch {
public:
    explicit DataFileWatch(const std::string &path);

    // Stored bytes so far (reads what the file gained).
    std::uint64_t stored();
    std::uint64_t lines() const { return m_lines; }
    // The largest arrival stored since the watch began, without its line end.
    std::uint64_t longestLine() const { return m_longestLine; }
    // Waits, woken by the file's changes, until `target` bytes are stored.
    bool waitForStored(std::uint64_t target, const Deadline &deadline);

private:
    Fd m_file;
    Fd m_changes;  // inotify
    std::uint64_t m_start = 0;
    std::uint64_t m_readTo = 0;
    std::uint64_t m_lastLineEnd = 0;
    std::uint64_t m_lines = 0;
    std::uint64_t m_longestLine = 0;
};

}  // namespace bench
