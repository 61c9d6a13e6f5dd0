#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace bench {

// What the sender thread of the window benchmark does, and what it saw.
struct TrafficPlan {
    std::uint16_t port = 0;
    std::string dataFile;
    std::uint64_t burstCount = 100000;
    std::uint64_t lockstepCount = 10000;
    std::size_t size = 1024;
    double timeoutSeconds = 120;
};

struct TrafficResult {
    double burstTakenSeconds = 0;
    std::uint64_t burstAcks = 0;
    std::uint64_t burstLargestArrival = 0;  // bytes
    double lockstepSeconds = 0;
    std::uint64_t lockstepAcks = 0;
    std::uint64_t badAcks = 0;
    std::string failure;  // empty when everything was stored and answered
};

// A burst, then lock-step messages, on one connection each. `phase` is
// called from the sending thread as each part begins ("burst", "lockstep")
// and once more with "done".
TrafficResult sendTraffic(const TrafficPlan &plan, const std::function<void(const char *)> &phase);

}  // namespace bench
