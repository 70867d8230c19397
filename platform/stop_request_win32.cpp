#include <windows.h>

#include <atomic>
#include <csignal>

#include "platform/stop_request.h"

namespace vt {

namespace {

std::atomic<int> requested{0};

// Runs on a thread of its own that the console starts: Ctrl+C is reported
// as the interrupt signal, Ctrl+Break and closing the console as the
// termination signal.
BOOL WINAPI OnConsoleEvent(DWORD event)
{
    int signal = 0;
    switch (event) {
        case CTRL_C_EVENT:
            signal = SIGINT;
            break;
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            signal = SIGTERM;
            break;
        default:
            return FALSE;
    }
    int none = 0;
    requested.compare_exchange_strong(none, signal);
    return TRUE;
}

}  // namespace

void CatchStopRequests()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
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
