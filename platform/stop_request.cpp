// The parts of the stop request that every operating system shares.
#include "platform/stop_request.h"

#include <chrono>
#include <cstdlib>
#include <mutex>

#include "platform/terminal.h"

namespace vt {

namespace {
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

// Held by each TStopDeferral; the watchdog takes it before it ends the
// process. Deferrals never overlap (one thread finishes runs).
std::timed_mutex deferral;
std::mutex farewellLock;
std::string farewell;

// How long the watchdog waits for a deferral under way: a record written to
// a pipe whose reader has stopped reading must not keep the process forever.
constexpr std::chrono::seconds kLongestDeferral{10};
}  // namespace

void RecordStopRequest(int signal)
{
    int none = 0;
    // The first signal is the one reported; a second one changes nothing.
    requested.compare_exchange_strong(none, signal);
}

int StopRequested()
{
    return requested.load(std::memory_order_relaxed);
}

const std::atomic<int>& StopRequestFlag()
{
    return requested;
}

int StopExitStatus(int signal)
{
    return 128 + signal;
}

void SetStopFarewell(std::string text)
{
    const std::lock_guard<std::mutex> lock(farewellLock);
    farewell = std::move(text);
}

TStopDeferral::TStopDeferral()
{
    deferral.lock();
}

TStopDeferral::~TStopDeferral()
{
    deferral.unlock();
}

// The watchdog's last act, on its own thread: the process has not ended
// within its grace time.
[[noreturn]] void EndStoppedProcess()
{
    // Left locked: nothing may start a deferral now.
    (void)deferral.try_lock_for(kLongestDeferral);
    std::string text;
    {
        const std::lock_guard<std::mutex> lock(farewellLock);
        text = farewell;
    }
    TQuietStandardError::WriteThrough(text);
    std::_Exit(StopExitStatus(StopRequested()));
}

}  // namespace vt
