#include "load/scenarios.h"

#include <cmath>
#include <functional>
#include <map>

#include "load/wire.h"

namespace bench {

const char *const kUsage =
    "usage: corvane_load --scenario lockstep|burst|large|cycles|listen|free-port [options]\n"
    "  --port N              the receiver's port on 127.0.0.1\n"
    "  --count N             messages or cycles (10000, 100000, 50, 1000)\n"
    "  --size BYTES          bytes per framed message (1024; large: 1048576)\n"
    "  --data-file PATH      the receiver's data file (lockstep, burst, large)\n"
    "  --timeout SECONDS     for the whole scenario (120)\n"
    "  --time-limit SECONDS  lockstep: stop early after this long, reporting what was done\n"
    "  --since-ns NS         listen: the launch time, nanoseconds of CLOCK_REALTIME\n"
    "Prints one line of key=value pairs; exits 2 when the receiver misbehaves or the run fails.\n";

Options parseOptions(int argc, char **argv)
{
    Options options;
    const auto number = [](const std::string &text, long double largest = 1e19L) {
        char *end = nullptr;
        const long double value = std::strtold(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(value >= 0 && value <= largest))
            throw std::invalid_argument("not a number in range: " + text);
        return value;
    };
    const std::map<std::string_view, std::function<void(const std::string &)>> setters = {
        {"--scenario", [&](const auto &value) { options.scenario = value; }},
        {"--data-file", [&](const auto &value) { options.dataFile = value; }},
        {"--port", [&](const auto &value) { options.port = std::uint16_t(number(value, 65535)); }},
        {"--count", [&](const auto &value) { options.count = std::uint64_t(number(value)); }},
        {"--size", [&](const auto &value) { options.size = std::uint64_t(number(value)); }},
        {"--timeout", [&](const auto &value) { options.timeout = double(number(value)); }},
        {"--time-limit", [&](const auto &value) { options.timeLimit = double(number(value)); }},
        {"--since-ns", [&](const auto &value) { options.sinceNs = std::int64_t(number(value)); }},
        {"--lockstep", [&](const auto &value) { options.lockstep = std::uint64_t(number(value)); }},
    };
    for (int i = 1; i < argc; i += 2) {
        const auto setter = setters.find(argv[i]);
        if (setter == setters.end() || i + 1 >= argc)
            throw std::invalid_argument(std::string("unknown option or no value: ") + argv[i]);
        setter->second(argv[i + 1]);
    }
    return options;
}

void Report::add(std::string_view key, std::string_view value)
{
    pairs.emplace_back(key, value);
}

void Report::add(std::string_view key, double value, int decimals)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    add(key, text);
}

void Report::expect(bool held, const char *fault)
{
    if (!held)
        faults.emplace_back(fault);
}

std::string Report::line(std::string_view prefix) const
{
    std::string text;
    for (const auto &[key, value] : pairs)
        text.append(text.empty() ? "" : " ").append(prefix).append(key).append("=").append(value);
    return text;
}

namespace {

// An MLLP-framed HL7 message of exactly the asked size, frame included,
// whose control id is renumbered in place for each send. Segments end in CR
// only, so a line feed in a data file always belongs to the receiver's CR LF.
class LoadMessage {
public:
    explicit LoadMessage(std::size_t size)
        : m_bytes("\x0bMSH|^~\\&|CORVLOAD|BENCH|CORVANE|TEST|20240101120000||ADT^A01|0000000000|P|2.5\r"
                  "EVN|A01|20240101120000\rPID|1||4711^^^BENCH||Doe^John||19700101|M\rOBX|1|TX|NOTE||")
    {
        if (size < m_bytes.size() + 2)
            throw std::invalid_argument("message size below " + std::to_string(m_bytes.size() + 2));
        const std::string filler = "Lorem ipsum dolor sit amet, consectetur adipiscing elit ";
        while (m_bytes.size() < size - 2)
            m_bytes += filler.substr(0, size - 2 - m_bytes.size());
        m_bytes += "\x1c\r";
        m_idEnd = m_bytes.find("|P|2.5");
    }
    const std::string &renumbered(std::uint64_t number)
    {
        for (std::size_t at = m_idEnd; at-- > m_idEnd - 10; number /= 10)
            m_bytes[at] = char('0' + number % 10);
        return m_bytes;
    }

private:
    std::string m_bytes;
    std::size_t m_idEnd;  // where the control id's ten digits end
};

// Follows a receiver's data file, where each arrival is one line: the bytes
// as received, then CR LF. Counts the bytes of the lines completed since the
// watch began, without their line ends: what the receiver has stored.
class DataFileWatch {
public:
    explicit DataFileWatch(const std::string &path)
        : m_file(::open(path.c_str(), O_RDONLY | O_CLOEXEC)), m_changes(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
    {
        struct stat status {};
        if (m_file.get() < 0 || ::fstat(m_file.get(), &status) != 0)
            fail("data file " + path);
        if (m_changes.get() < 0 || ::inotify_add_watch(m_changes.get(), path.c_str(), IN_MODIFY) < 0)
            fail("inotify");
        m_start = m_readTo = m_lastLineEnd = std::uint64_t(status.st_size);
    }

    // Stored bytes so far (reads what the file gained).
    std::uint64_t stored()
    {
        static thread_local std::vector<char> buffer(1 << 20);
        for (ssize_t got; (got = ::pread(m_file.get(), buffer.data(), buffer.size(), off_t(m_readTo))) != 0;) {
            if (got < 0 && errno != EINTR)
                fail("reading the data file");
            const char *end = buffer.data() + std::max<ssize_t>(got, 0);
            for (const char *at = buffer.data(); (at = static_cast<const char *>(std::memchr(at, '\n', end - at)));
                 ++at) {
                const std::uint64_t lineEnd = m_readTo + std::uint64_t(at - buffer.data()) + 1;
                longestLine = std::max(longestLine, lineEnd - m_lastLineEnd - 2);
                m_lastLineEnd = lineEnd;
                ++lines;
            }
            m_readTo += std::uint64_t(std::max<ssize_t>(got, 0));
        }
        return m_lastLineEnd - m_start - 2 * lines;
    }

    // Waits, woken by the file's changes, until `target` bytes are stored.
    bool waitForStored(std::uint64_t target, const Deadline &deadline)
    {
        char events[4096];
        while (stored() < target) {
            if (deadline.passed())
                return false;
            // The cap only guards against a missed change; the file's writes wake us.
            pollfd changed{m_changes.get(), POLLIN, 0};
            ::poll(&changed, 1, deadline.msLeft(20));
            while (::read(m_changes.get(), events, sizeof events) > 0) {
            }
        }
        return true;
    }

    std::uint64_t lines = 0;
    std::uint64_t longestLine = 0;  // the largest arrival, without its line end

private:
    Fd m_file;
    Fd m_changes;  // inotify
    std::uint64_t m_start = 0;
    std::uint64_t m_readTo = 0;
    std::uint64_t m_lastLineEnd = 0;
};

// Reads answers on a thread of its own while the caller keeps sending, until
// the receiver ends the stream. Leaving early ends the connection, so that it
// never waits for the receiver.
class AnswerReader {
public:
    explicit AnswerReader(int fd)
        : m_fd(fd), m_thread([this] {
              char buffer[64 * 1024];
              try {
                  for (long got; (got = receiveSome(m_fd, buffer, sizeof buffer)) > 0;)
                      m_acks.feed(buffer, std::size_t(got));
              } catch (const std::exception &failure) {
                  m_failure = failure.what();
              }
          })
    {
    }
    ~AnswerReader()
    {
        if (m_thread.joinable()) {
            ::shutdown(m_fd, SHUT_RDWR);
            m_thread.join();
        }
    }
    // Waits for the end of the stream.
    const AckStream &join()
    {
        m_thread.join();
        if (!m_failure.empty())
            throw std::runtime_error("reading answers: " + m_failure);
        return m_acks;
    }

private:
    int m_fd;
    AckStream m_acks;
    std::string m_failure;
    std::thread m_thread;
};

// p50 and p99 (nearest rank) and the longest of the durations, in microseconds.
void addPercentiles(Report &report, const std::string &prefix, std::vector<std::int64_t> ns)
{
    if (ns.empty())
        return;
    std::sort(ns.begin(), ns.end());
    const auto rank = [&](double p) { return double(ns[std::size_t(std::ceil(p * double(ns.size()))) - 1]) / 1e3; };
    report.add(prefix + "_p50_us", rank(0.50), 1);
    report.add(prefix + "_p99_us", rank(0.99), 1);
    report.add(prefix + "_max_us", double(ns.back()) / 1e3, 1);
}

// What every message scenario starts with.
struct Session {
    explicit Session(const Options &options)
        : deadline(options.timeout), message(options.size), dataFile(options.dataFile),
          connection(connectTo(options.port, deadline, options.timeout, refused))
    {
    }

    // Every answer must be the acknowledgement, and the data file must hold exactly what was sent.
    void check(Report &report, const AckStream &acks, std::uint64_t sentBytes)
    {
        const std::uint64_t stored = dataFile.stored();
        report.add("acks", acks.complete);
        report.add("bad_acks", acks.malformed);
        report.add("refused", refused);
        report.add("stored_bytes", stored);
        report.add("stored_lines", dataFile.lines);
        report.add("largest_arrival", dataFile.longestLine);
        report.expect(acks.malformed == 0, "answers that are not the acknowledgement");
        report.expect(stored == sentBytes, "the data file does not hold exactly what was sent");
    }

    Deadline deadline;
    LoadMessage message;
    DataFileWatch dataFile;
    std::uint64_t refused = 0;
    Fd connection;
};

void lockstep(const Options &options, Report &report)
{
    Session session(options);
    AckStream acks;
    std::vector<std::int64_t> latencies;
    std::vector<std::int64_t> answeredAt;
    latencies.reserve(options.count);
    answeredAt.reserve(options.count);
    char buffer[4096];
    const std::int64_t began = nowNs();
    const std::int64_t stopAt = options.timeLimit > 0 ? began + std::int64_t(options.timeLimit * 1e9) : INT64_MAX;
    for (std::uint64_t i = 0; i < options.count && (i == 0 || answeredAt.back() < stopAt); ++i) {
        const std::int64_t sent = nowNs();
        sendAll(session.connection.get(), session.message.renumbered(i + 1));
        while (acks.complete <= i) {
            const long got = receiveSome(session.connection.get(), buffer, sizeof buffer);
            if (got <= 0)
                throw std::runtime_error("the receiver ended the connection after " + std::to_string(acks.complete)
                                         + " answers");
            acks.feed(buffer, std::size_t(got));
        }
        answeredAt.push_back(nowNs());
        latencies.push_back(answeredAt.back() - sent);
        if ((i & 255) == 0 && session.deadline.passed())
            throw std::runtime_error("deadline passed after " + std::to_string(i) + " messages");
    }
    const double elapsed = double(nowNs() - began) / 1e9;
    const std::uint64_t done = answeredAt.size();
    // Our end of the stream; whatever else the receiver answers is counted too.
    ::shutdown(session.connection.get(), SHUT_WR);
    for (long got; (got = receiveSome(session.connection.get(), buffer, sizeof buffer)) > 0;)
        acks.feed(buffer, std::size_t(got));

    report.add("count", done);
    report.add("elapsed_s", elapsed, 4);
    report.add("acks_per_s", double(done) / elapsed, 1);
    addPercentiles(report, "latency", std::move(latencies));
    // The pace of the first and the last tenth shows whether the receiver slows as it fills.
    if (const std::size_t tenth = done / 10; tenth > 0) {
        const auto pace = [&](std::int64_t from, std::int64_t to) { return double(tenth) * 1e9 / double(to - from); };
        report.add("first_tenth_acks_per_s", pace(began, answeredAt[tenth - 1]), 1);
        report.add("last_tenth_acks_per_s", pace(answeredAt[done - 1 - tenth], answeredAt.back()), 1);
    }
    // Each line is written before its answer leaves, so it is there already.
    session.dataFile.waitForStored(done * options.size, Deadline(5));
    session.check(report, acks, done * options.size);
    report.expect(acks.complete == done, "answers do not match messages one to one");
}

// Messages on one connection while a thread reads the answers. A burst sends
// them back to back and is timed until the data file holds them all; large
// messages go one at a time, each timed until it is stored.
void stream(const Options &options, Report &report, bool oneAtATime)
{
    Session session(options);
    AnswerReader answers(session.connection.get());
    std::vector<std::int64_t> storedIn;
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < options.count; ++i) {
        const std::int64_t start = nowNs();
        sendAll(session.connection.get(), session.message.renumbered(i + 1));
        if (oneAtATime && !session.dataFile.waitForStored((i + 1) * options.size, session.deadline))
            throw std::runtime_error("message " + std::to_string(i + 1) + " not stored at the deadline");
        if (oneAtATime)
            storedIn.push_back(nowNs() - start);
        else if ((i & 1023) == 0)
            session.dataFile.stored();  // keeps up, so that the wait at the end reads only the last part
    }
    const std::uint64_t total = options.count * options.size;
    if (!session.dataFile.waitForStored(total, session.deadline))
        throw std::runtime_error("the data file holds " + std::to_string(session.dataFile.stored()) + " of "
                                 + std::to_string(total) + " bytes at the deadline");
    const double taken = double(nowNs() - began) / 1e9;
    ::shutdown(session.connection.get(), SHUT_WR);

    report.add("count", options.count);
    report.add("taken_s", taken, 4);
    report.add("msgs_per_s", double(options.count) / taken, 1);
    report.add("mb_per_s", double(total) / taken / 1e6, 1);
    addPercentiles(report, "stored", std::move(storedIn));
    session.check(report, answers.join(), total);
}

void cycles(const Options &options, Report &report)
{
    const Deadline deadline(options.timeout);
    std::uint64_t refused = 0;
    std::uint64_t resets = 0;
    std::uint64_t unexpectedBytes = 0;
    std::vector<std::int64_t> took;
    char buffer[4096];
    for (std::uint64_t i = 0; i < options.count; ++i) {
        const std::int64_t start = nowNs();
        Fd connection = connectTo(options.port, deadline, options.timeout, refused);
        ::shutdown(connection.get(), SHUT_WR);
        // The cycle ends when the receiver, having seen our end, closes its side.
        for (long got; (got = receiveSome(connection.get(), buffer, sizeof buffer)) != 0;) {
            if (got < 0) {
                ++resets;
                break;
            }
            unexpectedBytes += std::uint64_t(got);
        }
        connection = Fd();
        took.push_back(nowNs() - start);
        if (deadline.passed())
            throw std::runtime_error("deadline passed after " + std::to_string(i + 1) + " cycles");
    }
    report.add("count", options.count);
    addPercentiles(report, "cycle", std::move(took));
    report.add("refused", refused);
    report.add("resets", resets);
    report.add("unexpected_bytes", unexpectedBytes);
    report.expect(unexpectedBytes == 0, "bytes answered to a silent connection");
}

void listen(const Options &options, Report &report)
{
    const Deadline deadline(options.timeout);
    // Nothing announces a new listener, so /proc is read until it shows one.
    while (!listening(options.port)) {
        if (deadline.passed())
            throw std::runtime_error("nothing listens on port " + std::to_string(options.port) + " at the deadline");
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    // The launch time comes from `date +%s%N`, so this side reads the same clock.
    const auto seen = std::chrono::system_clock::now().time_since_epoch();
    report.add("port", options.port);
    if (options.sinceNs > 0)
        report.add("startup_ms", double(std::chrono::nanoseconds(seen).count() - options.sinceNs) / 1e6, 1);
}

struct Scenario {
    std::string_view name;
    std::uint64_t count;
    std::uint64_t size;  // 0: sends no messages
    void (*run)(const Options &, Report &);
};

constexpr Scenario kScenarios[] = {
    {"lockstep", 10000, 1024, lockstep},
    {"burst", 100000, 1024, [](const Options &options, Report &report) { stream(options, report, false); }},
    {"large", 50, 1 << 20, [](const Options &options, Report &report) { stream(options, report, true); }},
    {"cycles", 1000, 0, cycles},
    {"listen", 0, 0, listen},
    {"free-port", 0, 0, [](const Options &, Report &report) { report.add("port", freePort()); }},
};

}  // namespace

Report runScenario(Options options)
{
    Report report;
    try {
        const auto *scenario = std::find_if(std::begin(kScenarios), std::end(kScenarios),
                                            [&](const Scenario &known) { return known.name == options.scenario; });
        if (scenario == std::end(kScenarios))
            throw std::invalid_argument("--scenario is missing or unknown");
        options.count = options.count ? options.count : scenario->count;
        options.size = options.size ? options.size : scenario->size;
        if (options.port == 0 && scenario->name != "free-port")
            throw std::invalid_argument("--port is needed");
        if (scenario->size > 0 && options.dataFile.empty())
            throw std::invalid_argument("--data-file is needed");
        scenario->run(options, report);
    } catch (const std::exception &problem) {
        report.faults.emplace_back(problem.what());
    }
    return report;
}

}  // namespace bench
