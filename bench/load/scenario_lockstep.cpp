#include "load/scenarios.h"

#include <optional>
#include <stdexcept>
#include <sys/socket.h>
#include <vector>

#include "common/ack_form.h"
#include "common/data_file_watch.h"
#include "common/load_message.h"
#include "common/tcp.h"
#include "load/session.h"

namespace bench {

void runLockstep(const Options &options, ReportLine &line)
{
    Session session(options);
    auto &[deadline, message, dataFile, refused, connection] = session;

    AckStream acks;
    Latencies latencies;
    latencies.reserve(options.count);
    char buffer[4096];
    const std::int64_t began = nowNs();
    const std::int64_t stopAt = options.timeLimit > 0 ? began + std::int64_t(options.timeLimit * 1e9) : 0;
    std::uint64_t done = 0;
    std::vector<std::int64_t> answeredAt;
    answeredAt.reserve(options.count);
    for (std::uint64_t i = 0; i < options.count; ++i) {
        message.renumber(i + 1);
        const std::int64_t sent = nowNs();
        sendAll(connection.get(), message.data(), message.size());
        while (acks.complete() <= i) {
            const long got = receiveSome(connection.get(), buffer, sizeof buffer);
            if (got <= 0)
                throw std::runtime_error("the receiver ended the connection after " + std::to_string(acks.complete())
                                         + " answers");
            acks.feed(buffer, std::size_t(got));
        }
        const std::int64_t answered = nowNs();
        latencies.add(answered - sent);
        answeredAt.push_back(answered);
        done = i + 1;
        if (stopAt != 0 && answered >= stopAt)
            break;
        if ((i & 255) == 0 && deadline.passed())
            throw std::runtime_error("lockstep: deadline passed after " + std::to_string(i) + " messages");
    }
    const double elapsed = double(nowNs() - began) / 1e9;

    // Our end of the stream; whatever else the receiver answers is counted too.
    ::shutdown(connection.get(), SHUT_WR);
    for (;;) {
        const long got = receiveSome(connection.get(), buffer, sizeof buffer);
        if (got <= 0)
            break;
        acks.feed(buffer, std::size_t(got));
    }

    line.add("count", done);
    line.add("count_asked", options.count);
    line.add("size", std::uint64_t(options.size));
    line.add("acks", acks.complete());
    line.add("bad_acks", acks.malformed());
    line.add("elapsed_s", elapsed, 4);
    line.add("acks_per_s", double(done) / elapsed, 1);
    latencies.report(line, "latency");
    // The pace of the first and the last tenth shows whether the receiver slows as it fills.
    const std::size_t tenth = answeredAt.size() / 10;
    if (tenth > 0) {
        line.add("first_tenth_acks_per_s", double(tenth) / (double(answeredAt[tenth - 1] - began) / 1e9), 1);
        const std::int64_t lastFrom = answeredAt[answeredAt.size() - 1 - tenth];
        line.add("last_tenth_acks_per_s", double(tenth) / (double(answeredAt.back() - lastFrom) / 1e9), 1);
    }
    line.add("refused", refused);
    if (dataFile) {
        const std::uint64_t expected = done * options.size;
        // Each line is written before its answer leaves, so it is there already.
        dataFile->waitForStored(expected, Deadline(5));
        const std::uint64_t stored = dataFile->stored();
        line.add("stored_bytes", stored);
        line.add("stored_lines", dataFile->lines());
        line.add("largest_arrival", dataFile->longestLine());
        line.add("stored_ok", std::uint64_t(stored == expected));
    }
}

}  // namespace bench
