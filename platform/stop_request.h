// A request to stop, from the interrupt and termination signals (Ctrl+C,
// kill). The handler only records which signal came, in a lock-free atomic,
// which is all a signal handler may safely do; the batch run looks at it
// between the measured parts of its tests, never inside a timed stretch.
//
// On Windows a console control handler (SetConsoleCtrlHandler) stands in:
// Ctrl+C counts as the interrupt signal, Ctrl+Break and closing the console
// as the termination signal.
#pragma once

#include <atomic>

namespace vt {

// Installs the handlers for the interrupt and termination signals. Until
// the process ends, such a signal no longer kills it: it is only recorded.
void CatchStopRequests();

// Records `signal` as the stop request, unless one came before; for the
// handlers only, and safe inside a signal handler (one lock-free atomic).
void RecordStopRequest(int signal);

// The signal that asked to stop, or 0 when none has come.
int StopRequested();

// The flag StopRequested reads, for a measured loop that looks at it once
// per pass (a relaxed load, nothing more), between two passes, never inside
// one.
const std::atomic<int>& StopRequestFlag();

// A stop request seen where a run looks for one: the run is abandoned, and
// nothing of it is kept.
struct TStopRequest {
    int Signal;
};

// Raises TStopRequest when a stop has been asked for.
inline void CheckStopRequest()
{
    if (const int signal = StopRequested()) throw TStopRequest{signal};
}

// The exit status a process stopped by `signal` reports: 128 + its number
// (130 for the interrupt, 143 for the termination signal).
int StopExitStatus(int signal);

}  // namespace vt
