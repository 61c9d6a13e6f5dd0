#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace bench {

struct Options {
    std::string scenario;  // lockstep, burst, large, cycles, listen or free-port
    std::uint16_t port = 0;
    std::uint64_t count = 0;  // 0: the scenario's own
    std::uint64_t size = 0;   // bytes per framed message; 0: the scenario's own
    std::string dataFile;     // the receiver's data file: what it stored is checked and timed
    double timeout = 120;     // seconds for the whole scenario
    double timeLimit = 0;     // lockstep: stop after this many seconds (0: never)
    std::int64_t sinceNs = 0;  // listen: the launch time, nanoseconds of CLOCK_REALTIME
    std::uint64_t lockstep = 0;  // window_stall: lock-step messages after the burst
};

// Throws std::invalid_argument for anything it does not understand.
Options parseOptions(int argc, char **argv);
extern const char *const kUsage;

// What a scenario saw, as key=value pairs, and what the receiver did wrong.
struct Report {
    void add(std::string_view key, std::string_view value);
    void add(std::string_view key, double value, int decimals = 0);
    void expect(bool held, const char *fault);
    // The pairs as one line, each key with `prefix` before it.
    std::string line(std::string_view prefix = {}) const;

    std::vector<std::pair<std::string, std::string>> pairs;
    std::vector<std::string> faults;  // also a scenario that could not finish
};

Report runScenario(Options options);

}  // namespace bench
