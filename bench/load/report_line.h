#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bench {

// One line of key=value pairs per scenario, for scripts to read.
class ReportLine {
public:
    void add(std::string_view key, std::string_view value);
    void add(std::string_view key, std::uint64_t value);
    void add(std::string_view key, double value, int decimals);
    void print() const;

private:
    std::string m_text;
};

// Durations of repeated operations, summarised as p50, p99 and max.
class Latencies {
public:
    void reserve(std::size_t count) { m_ns.reserve(count); }
    void add(std::int64_t ns) { m_ns.push_back(ns); }
    // Adds PREFIX_p50_us, PREFIX_p99_us and PREFIX_max_us.
    void report(ReportLine &line, std::string_view prefix);

private:
    std::vector<std::int64_t> m_ns;
};

}  // namespace bench
