#include "window/traffic.h"

#include <exception>
#include <stdexcept>
#include <sys/socket.h>

#include "common/ack_form.h"
#include "common/answer_reader.h"
#include "common/data_file_watch.h"
#include "common/load_message.h"
#include "common/tcp.h"

namespace bench {

namespace {

void burst(const TrafficPlan &plan, const Deadline &deadline, TrafficResult &result)
{
    LoadMessage message(plan.size);
    DataFileWatch dataFile(plan.dataFile);
    std::uint64_t refused = 0;
    Fd connection = connectTo(loopbackAddress("127.0.0.1"), plan.port, deadline, plan.timeoutSeconds, refused);
    AnswerReader answers(connection.get());
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < plan.burstCount; ++i) {
        message.renumber(i + 1);
        sendAll(connection.get(), message.data(), message.size());
    }
    if (!dataFile.waitForStored(plan.burstCount * plan.size, deadline))
        throw std::runtime_error("burst: not everything was stored at the deadline");
    result.burstTakenSeconds = double(nowNs() - began) / 1e9;
    result.burstLargestArrival = dataFile.longestLine();
    ::shutdown(connection.get(), SHUT_WR);
    answers.join();
    if (!answers.failure().empty())
        throw std::runtime_error("burst answers: " + answers.failure());
    result.burstAcks = answers.acks().complete();
    result.badAcks += answers.acks().malformed();
}

void lockstep(const TrafficPlan &plan, const Deadline &deadline, TrafficResult &result)
{
    LoadMessage message(plan.size);
    std::uint64_t refused = 0;
    Fd connection = connectTo(loopbackAddress("127.0.0.1"), plan.port, deadline, plan.timeoutSeconds, refused);
    AckStream acks;
    char buffer[4096];
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < plan.lockstepCount; ++i) {
        message.renumber(i + 1);
        sendAll(connection.get(), message.data(), message.size());
        while (acks.complete() <= i) {
            const long got = receiveSome(connection.get(), buffer, sizeof buffer);
            if (got <= 0)
                throw std::runtime_error("lockstep: the receiver ended the connection");
            acks.feed(buffer, std::size_t(got));
        }
    }
    result.lockstepSeconds = double(nowNs() - began) / 1e9;
    ::shutdown(connection.get(), SHUT_WR);
    while (receiveSome(connection.get(), buffer, sizeof buffer) > 0) {
    }
    result.lockstepAcks = acks.complete();
    result.badAcks += acks.malformed();
}

}  // namespace

TrafficResult sendTraffic(const TrafficPlan &plan, const std::function<void(const char *)> &phase)
{
    TrafficResult result;
    const Deadline deadline(plan.timeoutSeconds);
    try {
        phase("burst");
        burst(plan, deadline, result);
        if (plan.lockstepCount > 0) {
            phase("lockstep");
            lockstep(plan, deadline, result);
        }
    } catch (const std::exception &problem) {
        result.failure = problem.what();
    }
    phase("done");
    return result;
}

}  // namespace bench
