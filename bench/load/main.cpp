// corvane_load: drives an MLLP receiver on this machine through one scenario
// and prints one line of key=value pairs. See bench/README.md.
#include <cstdio>
#include <cstring>
#include <exception>

#include "load/scenarios.h"

int main(int argc, char **argv)
{
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(bench::kUsage, stdout);
        return 0;
    }
    bench::Options options;
    try {
        options = bench::parseOptions(argc, argv);
    } catch (const std::exception &problem) {
        std::fprintf(stderr, "corvane_load: %s\n%s", problem.what(), bench::kUsage);
        return 2;
    }
    const bench::Report report = bench::runScenario(options);
    std::printf("scenario=%s%s%s\n", options.scenario.c_str(), report.pairs.empty() ? "" : " ", report.line().c_str());
    std::string faults;
    for (const std::string &fault : report.faults)
        faults.append(faults.empty() ? "" : "; ").append(fault);
    if (!faults.empty())
        std::fprintf(stderr, "corvane_load: %s: %s\n", options.scenario.c_str(), faults.c_str());
    return faults.empty() ? 0 : 2;
}
