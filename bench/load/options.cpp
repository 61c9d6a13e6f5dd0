#include "load/options.h"

#include <stdexcept>
#include <string_view>

namespace bench {

namespace {

struct Defaults {
    std::string_view scenario;
    std::uint64_t count;
    std::size_t size;
};

constexpr Defaults kDefaults[] = {
    {"lockstep", 10000, 1024},
    {"burst", 100000, 1024},
    {"large", 50, 1024 * 1024},
    {"cycles", 1000, 0},
    {"listen", 0, 0},
    {"free-port", 0, 0},
};

std::uint64_t number(std::string_view option, const std::string &text)
{
    std::size_t used = 0;
    unsigned long long value = 0;
    try {
        value = std::stoull(text, &used);
    } catch (const std::exception &) {
        used = 0;
    }
    if (used != text.size() || text.empty())
        throw std::invalid_argument(std::string(option) + " takes a whole number, not " + text);
    return value;
}

}  // namespace

const char *usage()
{
    return "usage: corvane_load --scenario lockstep|burst|large|cycles|listen|free-port [options]\n"
           "  --host ADDR        loopback address of the receiver (127.0.0.1)\n"
           "  --port N           its port\n"
           "  --count N          messages or cycles (10000, 100000, 50, 1000)\n"
           "  --size BYTES       bytes per framed message (1024; large: 1048576)\n"
           "  --batch N          burst: messages per send() (1)\n"
           "  --data-file PATH   the receiver's data file: burst and large then time what it stored\n"
           "  --timeout SECONDS  for the whole scenario (120)\n"
           "  --time-limit SECONDS  lockstep: stop early after this long, reporting what was done\n"
           "  --since-ns NS      listen: the launch time, nanoseconds of CLOCK_REALTIME\n"
           "  --label TEXT       copied into the output line\n"
           "Prints one line of key=value pairs; exits 2 on a failure.\n";
}

Options parseOptions(int argc, char **argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 >= argc)
            throw std::invalid_argument(std::string(option) + " needs a value");
        const std::string value = argv[++i];
        if (option == "--scenario")
            options.scenario = value;
        else if (option == "--host")
            options.host = value;
        else if (option == "--port") {
            const auto port = number(option, value);
            if (port > 65535)
                throw std::invalid_argument("--port out of range");
            options.port = std::uint16_t(port);
        } else if (option == "--count")
            options.count = number(option, value);
        else if (option == "--size")
            options.size = std::size_t(number(option, value));
        else if (option == "--batch")
            options.batch = std::size_t(number(option, value));
        else if (option == "--data-file")
            options.dataFile = value;
        else if (option == "--label")
            options.label = value;
        else if (option == "--timeout")
            options.timeout = double(number(option, value));
        else if (option == "--time-limit")
            options.timeLimit = double(number(option, value));
        else if (option == "--since-ns")
            options.sinceNs = std::int64_t(number(option, value));
        else
            throw std::invalid_argument("unknown option " + std::string(option));
    }
    const Defaults *defaults = nullptr;
    for (const Defaults &known : kDefaults) {
        if (known.scenario == options.scenario)
            defaults = &known;
    }
    if (!defaults)
        throw std::invalid_argument("--scenario is missing or unknown");
    if (options.count == 0)
        options.count = defaults->count;
    if (options.size == 0)
        options.size = defaults->size;
    if (options.batch == 0)
        options.batch = 1;
    if (options.port == 0 && options.scenario != "free-port")
        throw std::invalid_argument("--port is needed");
    return options;
}

}  // namespace bench
