#pragma once
// SIGINT, SIGTERM and SIGHUP while q64 runs a change that can be cancelled
// (compress, decompress, flip, resize, mkpatch) or a transfer: the handler only notes the
// signal; the progress callback then answers -12 as the Cancel button would,
// the engine puts the file back as it was, and the command ends with 128 + the
// signal number (130 for Ctrl-C, 143 for SIGTERM, 129 for SIGHUP). The handler
// is good for one signal: a second one of the same kind ends the process at
// once, which the file-change mechanism survives (whole old or whole new file).
// Commands without a progress callback keep the default dispositions.

#include <string>

#include "engine/EngineTypes.h"

namespace q64::cli {

// Installs the handler for the three signals and forgets any signal noted
// before; the destructor puts the previous dispositions back.
class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;
};

// The signal noted since the newest guard was installed, or 0 (also when no guard is installed).
int InterruptSignal();
// 128 + the noted signal (or 1 when none was noted).
int InterruptedExitStatus();
// Says on stderr how a command on `path` ended after a signal (cancelled: the
// file is as it was) and returns InterruptedExitStatus(). For a noted signal
// and a result other than Ok (a change that finished anyway ends with 0).
int ReportInterrupt(const char* command, const std::string& path, EngineResult result);

// For the tests: the progress callbacks raise `signal` themselves when they
// are first asked to show `percent` or more (signal 0: never).
void RaiseDuringProgressForTesting(int signal, int percent);
// Called by every progress callback q64 hands out, before it answers.
void ProgressTestPoint(int percent);

} // namespace q64::cli
