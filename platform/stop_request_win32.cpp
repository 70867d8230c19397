#include <windows.h>

#include <chrono>
#include <csignal>
#include <thread>

#include "platform/stop_request.h"

namespace vt {

namespace {

// Set by the handler once the watchdog waits on it.
std::atomic<HANDLE> watchdogWake{nullptr};

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
    if (const HANDLE wake = watchdogWake.load()) SetEvent(wake);
    return TRUE;
}

}  // namespace

void CatchStopRequests()
{
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void EndProcessAfterStopRequest(int graceMs)
{
    if (watchdogWake.load()) return;
    const HANDLE wake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!wake) return;
    std::thread([wake, graceMs] {
        WaitForSingleObject(wake, INFINITE);
        std::this_thread::sleep_for(std::chrono::milliseconds(graceMs));
        EndStoppedProcess();
    }).detach();
    watchdogWake.store(wake);
    if (StopRequested()) SetEvent(wake);
}

}  // namespace vt
