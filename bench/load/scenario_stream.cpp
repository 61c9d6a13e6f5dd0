#include "load/scenarios.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <sys/socket.h>

#include "common/data_file_watch.h"
#include "common/load_message.h"
#include "common/tcp.h"
#include "load/session.h"
#include "common/answer_reader.h"

namespace bench {

namespace {

void reportAnswers(ReportLine &line, const AnswerReader &answers)
{
    if (!answers.failure().empty())
        throw std::runtime_error("reading answers: " + answers.failure());
    line.add("acks", answers.acks().complete());
    line.add("bad_acks", answers.acks().malformed());
    line.add("reset", std::uint64_t(answers.wasReset()));
}

void reportStored(ReportLine &line, DataFileWatch &dataFile, std::uint64_t expected)
{
    const std::uint64_t stored = dataFile.stored();
    line.add("stored_bytes", stored);
    line.add("stored_lines", dataFile.lines());
    line.add("largest_arrival", dataFile.longestLine());
    line.add("stored_ok", std::uint64_t(stored == expected));
}

}  // namespace

void runBurst(const Options &options, ReportLine &line)
{
    Session session(options);
    auto &[deadline, message, dataFile, refused, connection] = session;
    const std::uint64_t total = options.count * options.size;

    std::string batch;
    batch.reserve(options.batch * message.size());
    AnswerReader answers(connection.get());
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < options.count;) {
        batch.clear();
        for (std::size_t k = 0; k < options.batch && i < options.count; ++k, ++i) {
            message.renumber(i + 1);
            batch.append(message.data(), message.size());
        }
        sendAll(connection.get(), batch.data(), batch.size());
        // Keeps up with the data file as it grows, so that the wait at the
        // end reads only the last part.
        if (dataFile && (i & 1023) < options.batch)
            dataFile->stored();
    }
    const std::int64_t sent = nowNs();
    bool stored = true;
    std::int64_t storedAt = 0;
    if (dataFile) {
        stored = dataFile->waitForStored(total, deadline);
        storedAt = nowNs();
    }
    ::shutdown(connection.get(), SHUT_WR);
    answers.join();
    if (!stored)
        throw std::runtime_error("burst: the data file holds " + std::to_string(dataFile->stored()) + " of "
                                 + std::to_string(total) + " bytes at the deadline");

    const double taken = double((dataFile ? storedAt : answers.endedAtNs()) - began) / 1e9;
    line.add("count", options.count);
    line.add("size", std::uint64_t(options.size));
    line.add("batch", std::uint64_t(options.batch));
    line.add("send_s", double(sent - began) / 1e9, 4);
    line.add("taken_s", taken, 4);
    line.add("taken_by", dataFile ? "data_file" : "end_of_stream");
    line.add("msgs_per_s", double(options.count) / taken, 1);
    line.add("mb_per_s", double(total) / taken / 1e6, 1);
    line.add("end_s", double(answers.endedAtNs() - began) / 1e9, 4);
    reportAnswers(line, answers);
    line.add("refused", refused);
    if (dataFile)
        reportStored(line, *dataFile, total);
}

void runLarge(const Options &options, ReportLine &line)
{
    if (options.dataFile.empty()) {
        runBurst(options, line);  // without the data file only the whole stream can be timed
        return;
    }
    Session session(options);
    auto &[deadline, message, watched, refused, connection] = session;
    DataFileWatch &dataFile = *watched;

    Latencies latencies;
    AnswerReader answers(connection.get());
    const std::int64_t began = nowNs();
    for (std::uint64_t i = 0; i < options.count; ++i) {
        message.renumber(i + 1);
        const std::int64_t start = nowNs();
        sendAll(connection.get(), message.data(), message.size());
        if (!dataFile.waitForStored((i + 1) * options.size, deadline))
            throw std::runtime_error("large: message " + std::to_string(i + 1) + " not stored at the deadline");
        latencies.add(nowNs() - start);
    }
    const double elapsed = double(nowNs() - began) / 1e9;
    ::shutdown(connection.get(), SHUT_WR);
    answers.join();

    const std::uint64_t total = options.count * options.size;
    line.add("count", options.count);
    line.add("size", std::uint64_t(options.size));
    line.add("elapsed_s", elapsed, 4);
    line.add("msgs_per_s", double(options.count) / elapsed, 2);
    line.add("mb_per_s", double(total) / elapsed / 1e6, 1);
    latencies.report(line, "stored");
    reportAnswers(line, answers);
    line.add("refused", refused);
    reportStored(line, dataFile, total);
}

}  // namespace bench
