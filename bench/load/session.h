#pragma once

#include <cstdint>
#include <optional>

#include "common/data_file_watch.h"
#include "common/deadline.h"
#include "common/load_message.h"
#include "common/tcp.h"
#include "load/options.h"

namespace bench {

// What every message scenario starts with: its deadline, the message it
// sends, the receiver's data file when one is named, and the connection.
struct Session {
    explicit Session(const Options &options)
        : deadline(options.timeout),
          message(options.size),
          dataFile(options.dataFile.empty() ? std::nullopt : std::optional<DataFileWatch>(std::in_place, options.dataFile)),
          connection(connectTo(loopbackAddress(options.host), options.port, deadline, options.timeout, refused))
    {
    }

    Deadline deadline;
    LoadMessage message;
    std::optional<DataFileWatch> dataFile;
    std::uint64_t refused = 0;
    Fd connection;
};

}  // namespace bench
