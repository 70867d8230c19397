#include <windows.h>

#include "platform/process_id.h"

namespace vt {

std::int64_t CurrentProcessId()
{
    return GetCurrentProcessId();
}

bool ProcessMayBeRunning(std::int64_t pid)
{
    if (pid <= 0 || pid > 0xffffffffLL) return false;
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process) return GetLastError() != ERROR_INVALID_PARAMETER;
    // A process that has ended but whose handle someone holds still opens.
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

}  // namespace vt
