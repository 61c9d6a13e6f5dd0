#pragma once

#include <chrono>
#include <cstdint>

namespace bench {

using Clock = std::chrono::steady_clock;

inline std::int64_t nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

// A point in time after which a wait gives up; every wait in the bench has one.
class Deadline {
public:
    explicit Deadline(double seconds)
        : m_end(Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds)))
    {
    }
    bool passed() const { return Clock::now() >= m_end; }
    // Milliseconds left, rounded up, capped at `cap`; 0 once passed.
    int msLeft(int cap) const
    {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_end - Clock::now()).count();
        if (left <= 0)
            return 0;
        return left < cap ? int(left) : cap;
    }

private:
    Clock::time_point m_end;
};

}  // namespace bench
