#pragma once

#include "load/options.h"
#include "load/report_line.h"

namespace bench {

// Each scenario fills the output line or throws when the receiver misbehaves.

// One message, then its whole acknowledgement, again and again.
void runLockstep(const Options &options, ReportLine &line);
// Every message without waiting, answers read alongside; timed until the
// receiver stored everything (data file) or ended the stream after ours.
void runBurst(const Options &options, ReportLine &line);
// Large messages one at a time, each timed until the data file holds it.
void runLarge(const Options &options, ReportLine &line);
// Connect, end our side, wait for the receiver to close, again and again.
void runCycles(const Options &options, ReportLine &line);
// Waits for a listening socket on the port and tells how long since launch.
void runListen(const Options &options, ReportLine &line);

}  // namespace bench
