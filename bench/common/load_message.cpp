#include "common/load_message.h"

#include <stdexcept>

namespace bench {

namespace {

constexpr std::size_t kIdDigits = 10;

}  // namespace

LoadMessage::LoadMessage(std::size_t size)
{
    if (size < kSmallest)
        throw std::invalid_argument("message size below " + std::to_string(kSmallest));
    m_bytes = "\x0bMSH|^~\\&|CORVLOAD|BENCH|CORVANE|TEST|20240101120000||ADT^A01|";
    m_idAt = m_bytes.size();
    m_bytes += std::string(kIdDigits, '0');
    m_bytes += "|P|2.5\rEVN|A01|20240101120000\rPID|1||4711^^^BENCH||Doe^John||19700101|M\rOBX|1|TX|NOTE||";
    const std::string filler = "Lorem ipsum dolor sit amet, consectetur adipiscing elit ";
    const std::size_t body = size - 2;  // FS CR close the frame
    while (m_bytes.size() < body)
        m_bytes += filler.substr(0, body - m_bytes.size());
    m_bytes += "\x1c\r";
    renumber(1);
}

void LoadMessage::renumber(std::uint64_t number)
{
    for (std::size_t i = 0; i < kIdDigits; ++i) {
        m_bytes[m_idAt + kIdDigits - 1 - i] = char('0' + number % 10);
        number /= 10;
    }
}

}  // namespace bench
