#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

struct Options {
    std::string scenario;
    std::string host = "127.0.0.1";
    std::uint16_t port = 0;
    std::uint64_t count = 0;  // 0: the scenario's own default
    std::size_t size = 0;     // 0: the scenario's own default
    std::size_t batch = 1;    // burst: messages handed to one send()
    std::string dataFile;     // the receiver's data file, to see what it stored
    std::string label;        // copied into the output line
    double timeout = 120;     // seconds for the whole scenario
    double timeLimit = 0;     // lockstep: stop sending after this many seconds (0: never)
    std::int64_t sinceNs = 0;  // listen: when the receiver was launched, CLOCK_REALTIME
};

// Throws std::invalid_argument for anything it does not understand.
Options parseOptions(int argc, char **argv);
const char *usage();

}  // namespace bench
