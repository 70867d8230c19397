// A request to stop, from the interrupt and termination signals (Ctrl+C,
// kill). The handler only records which signal came, in a lock-free atomic,
// which is all a signal handler may safely do; the batch run looks at it
// between the measured parts of its tests, never inside a timed stretch.
// Where the process does not get there in time (blocked in a call that never
// returns, a display that never answers, a long read), a watchdog ends it
// with the same exit status.
//
// On Windows a console control handler (SetConsoleCtrlHandler) stands in:
// Ctrl+C counts as the interrupt signal, Ctrl+Break and closing the console
// as the termination signal.
#pragma once

#include <atomic>
#include <string>

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

// How long a stopped process is given to end by itself.
inline constexpr int kStopGraceMs = 2000;

// Starts the watchdog (once; after CatchStopRequests): `graceMs` after a
// stop request, a process still running writes its farewell text (if any) to
// standard error and ends at once with StopExitStatus, without unwinding.
// It waits for a TStopDeferral under way first, though never more than ten
// seconds. The watchdog sleeps without waking until a request comes.
void EndProcessAfterStopRequest(int graceMs = kStopGraceMs);

// The text the watchdog writes before it ends the process (the summary of
// the runs kept so far); replaces the one before.
void SetStopFarewell(std::string text);

// The watchdog's last act, for each system's watchdog thread: waits for a
// deferral under way, writes the farewell, ends the process.
[[noreturn]] void EndStoppedProcess();

// While one lives, the watchdog does not end the process: a run's record
// being saved and printed is finished first, so that what was saved was
// also printed.
class TStopDeferral {
public:
    TStopDeferral();
    ~TStopDeferral();
    TStopDeferral(const TStopDeferral&) = delete;
    TStopDeferral& operator=(const TStopDeferral&) = delete;
};

}  // namespace vt
