#include <windows.h>

#include "platform/memory_info.h"

namespace vt {

std::int64_t PhysicalMemoryBytes()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    return static_cast<std::int64_t>(status.ullTotalPhys);
}

std::optional<std::int64_t> CgroupMemoryLimitBytes()
{
    // Windows has no control groups; a job object's limit is not looked at.
    return std::nullopt;
}

}  // namespace vt
