#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

namespace bench {

// The default acknowledgement that every receiver under test answers with:
// VT "MSH|||||" YYYYMMDDHHMM "||ACK|||||||||" CR "MSA|AA||||||" FS CR,
// the stamp in local time.
constexpr std::size_t kAckSize = 50;

std::string acknowledgementAt(std::time_t when);
bool isAcknowledgement(std::string_view bytes);

// Splits a stream of answers at FS CR: counts the whole answers and those
// that are not the default acknowledgement.
class AckStream {
public:
    void feed(const char *data, std::size_t size);
    std::uint64_t complete() const { return m_complete; }
    std::uint64_t malformed() const { return m_malformed; }
    // Bytes of an answer begun but not ended.
    std::size_t pending() const { return m_partial.size(); }

private:
    std::string m_partial;
    std::uint64_t m_complete = 0;
    std::uint64_t m_malformed = 0;
};

}  // namespace bench
