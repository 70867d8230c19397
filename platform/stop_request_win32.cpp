#include <windows.h>

#include <csignal>

#include "platform/stop_request.h"

namespace vt {

namespace {

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
    RecordStopRequest(signal);
    return TRUE;
}

}  // namespace

void CatchStopRequests()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

}  // namespace vt
