// corvane_load: drives an MLLP receiver on this machine and prints one line
// of key=value pairs per run. See bench/README.md.
#include <cstdio>
#include <exception>
#include <string_view>

#include "common/tcp.h"
#include "load/options.h"
#include "load/report_line.h"
#include "load/scenarios.h"

int main(int argc, char **argv)
{
    using namespace bench;
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fputs(usage(), stdout);
        return 0;
    }
    Options options;
    try {
        options = parseOptions(argc, argv);
    } catch (const std::exception &problem) {
        std::fprintf(stderr, "corvane_load: %s\n%s", problem.what(), usage());
        return 2;
    }
    ReportLine line;
    line.add("scenario", options.scenario);
    if (!options.label.empty())
        line.add("label", options.label);
    try {
        if (options.scenario == "lockstep")
            runLockstep(options, line);
        else if (options.scenario == "burst")
            runBurst(options, line);
        else if (options.scenario == "large")
            runLarge(options, line);
        else if (options.scenario == "cycles")
            runCycles(options, line);
        else if (options.scenario == "listen")
            runListen(options, line);
        else
            line.add("port", std::uint64_t(freePort()));
    } catch (const std::exception &problem) {
        std::fprintf(stderr, "corvane_load: %s: %s\n", options.scenario.c_str(), problem.what());
        return 2;
    }
    line.print();
    return 0;
}
