#include "load/scenarios.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/socket.h>
#include <thread>

#include "common/tcp.h"

namespace bench {

void runCycles(const Options &options, ReportLine &line)
{
    const Deadline deadline(options.timeout);
    const in_addr host = loopbackAddress(options.host);
    std::uint64_t refused = 0;
    std::uint64_t resets = 0;
    std::uint64_t unexpectedBytes = 0;
    Latencies latencies;
    latencies.reserve(options.count);
    char buffer[4096];
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < options.count; ++i) {
        const std::int64_t start = nowNs();
        Fd connection = connectTo(host, options.port, deadline, options.timeout, refused);
        ::shutdown(connection.get(), SHUT_WR);
        // The cycle ends when the receiver, having seen our end, closes its side.
        for (;;) {
            const long got = receiveSome(connection.get(), buffer, sizeof buffer);
            if (got < 0)
                ++resets;
            if (got <= 0)
                break;
            unexpectedBytes += std::uint64_t(got);
        }
        connection.reset();
        latencies.add(nowNs() - start);
        if (deadline.passed())
            throw std::runtime_error("cycles: deadline passed after " + std::to_string(i + 1) + " cycles");
    }
    const double elapsed = double(nowNs() - began) / 1e9;
    line.add("count", options.count);
    line.add("elapsed_s", elapsed, 4);
    line.add("cycles_per_s", double(options.count) / elapsed, 1);
    latencies.report(line, "cycle");
    line.add("refused", refused);
    line.add("resets", resets);
    line.add("unexpected_bytes", unexpectedBytes);
}

namespace {

// The launch time comes from `date +%s%N`, so this side reads the same clock.
std::int64_t realtimeNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// True when /proc lists a socket listening on the port, IPv4 or IPv6.
bool listening(std::uint16_t port)
{
    char wanted[8];
    std::snprintf(wanted, sizeof wanted, ":%04X", unsigned(port));
    for (const char *table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string row;
        std::getline(in, row);  // column names
        while (std::getline(in, row)) {
            std::istringstream fields(row);
            std::string slot, local, remote, state;
            fields >> slot >> local >> remote >> state;
            if (state == "0A" && local.size() > 5 && local.compare(local.size() - 5, 5, wanted) == 0)
                return true;
        }
    }
    return false;
}

}  // namespace

void runListen(const Options &options, ReportLine &line)
{
    const Deadline deadline(options.timeout);
    std::uint64_t checks = 0;
    // Nothing announces a new listener, so /proc is read until it shows one.
    while (!listening(options.port)) {
        ++checks;
        if (deadline.passed())
            throw std::runtime_error("nothing listens on port " + std::to_string(options.port) + " at the deadline");
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    const std::int64_t seen = realtimeNs();
    line.add("port", std::uint64_t(options.port));
    line.add("checks", checks);
    if (options.sinceNs > 0)
        line.add("startup_ms", double(seen - options.sinceNs) / 1e6, 1);
}

}  // namespace bench
