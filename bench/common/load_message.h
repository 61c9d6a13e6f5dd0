#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// An MLLP-framed HL7 message of exactly the asked size, frame characters
// included, whose control id is renumbered in place for each send. Segments
// end in CR only, so a line feed in a data file always belongs to the
// receiver's CR LF.
class LoadMessage {
public:
    static constexpr std::size_t kSmallest = 160;

    explicit LoadMessage(std::size_t size);
    void renumber(std::uint64_t number);
    const char *data() const { return m_bytes.data(); }
    std::size_t size() const { return m_bytes.size(); }

private:
    std::string m_bytes;
    std::size_t m_idAt = 0;
};

}  // namespace bench
