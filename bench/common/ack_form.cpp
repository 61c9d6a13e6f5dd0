#include "common/ack_form.h"

#include <cstdio>

namespace bench {

namespace {

constexpr std::string_view kHead = "\x0bMSH|||||";
constexpr std::string_view kTail = "||ACK|||||||||\rMSA|AA||||||\x1c\r";

}  // namespace

std::string acknowledgementAt(std::time_t when)
{
    std::tm local{};
    localtime_r(&when, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d%02d%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                  local.tm_hour, local.tm_min);
    std::string ack;
    ack.reserve(kAckSize);
    ack.append(kHead).append(stamp, 12).append(kTail);
    return ack;
}

bool isAcknowledgement(std::string_view bytes)
{
    if (bytes.size() != kAckSize || !bytes.starts_with(kHead) || !bytes.ends_with(kTail))
        return false;
    for (std::size_t i = kHead.size(); i < kHead.size() + 12; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
    }
    return true;
}

void AckStream::feed(const char *data, std::size_t size)
{
    m_partial.append(data, size);
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = m_partial.find("\x1c\r", start);
        if (end == std::string::npos)
            break;
        ++m_complete;
        if (!isAcknowledgement(std::string_view(m_partial).substr(start, end + 2 - start)))
            ++m_malformed;
        start = end + 2;
    }
    m_partial.erase(0, start);
}

}  // namespace bench
