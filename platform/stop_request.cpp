// The parts of the stop request that every operating system shares.
#include "platform/stop_request.h"

namespace vt {

namespace {
std::atomic<int> requested{0};
static_assert(std::atomic<int>::is_always_lock_free);
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

}  // namespace vt
