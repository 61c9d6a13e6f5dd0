#include "load/report_line.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace bench {

void ReportLine::add(std::string_view key, std::string_view value)
{
    if (!m_text.empty())
        m_text += ' ';
    m_text.append(key).append("=");
    for (const char c : value)
        m_text += (c == ' ' || c == '\n') ? '_' : c;  // keeps one value one word
}

void ReportLine::add(std::string_view key, std::uint64_t value)
{
    add(key, std::to_string(value));
}

void ReportLine::add(std::string_view key, double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    add(key, text);
}

void ReportLine::print() const
{
    std::printf("%s\n", m_text.c_str());
    std::fflush(stdout);
}

void Latencies::report(ReportLine &line, std::string_view prefix)
{
    if (m_ns.empty())
        return;
    std::sort(m_ns.begin(), m_ns.end());
    // Nearest rank: the smallest value with at least p of the samples at or below it.
    const auto rank = [this](double p) {
        const auto index = std::size_t(std::ceil(p * double(m_ns.size()))) - 1;
        return double(m_ns[std::min(index, m_ns.size() - 1)]) / 1000.0;
    };
    const std::string key(prefix);
    line.add(key + "_p50_us", rank(0.50), 1);
    line.add(key + "_p99_us", rank(0.99), 1);
    line.add(key + "_max_us", double(m_ns.back()) / 1000.0, 1);
}

}  // namespace bench
