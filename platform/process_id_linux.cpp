#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "platform/process_id.h"

namespace vt {

std::int64_t CurrentProcessId()
{
    return ::getpid();
}

bool ProcessMayBeRunning(std::int64_t pid)
{
    if (pid <= 0 || pid > 0x7fffffff) return false;
    // Signal 0 only asks whether the process is there.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace vt
