#include "platform/stop_request.h"

#include <signal.h>

#include <atomic>

namespace vt {

namespace {

std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void OnStopSignal(int signal)
{
    int none = 0;
    // The first signal is the one reported; a second one changes nothing.
    requested.compare_exchange_strong(none, signal);
}

}  // namespace

void CatchStopRequests()
{
    struct sigaction action = {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume: a read of the file test goes on to its
    // end, and the stop is seen after it.
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
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

}  // namespace vt
