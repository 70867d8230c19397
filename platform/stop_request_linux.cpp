#include "platform/stop_request.h"

#include <signal.h>

namespace vt {

namespace {

extern "C" void OnStopSignal(int signal)
{
    RecordStopRequest(signal);
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

}  // namespace vt
