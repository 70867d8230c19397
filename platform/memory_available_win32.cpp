#include <windows.h>

#include <algorithm>

#include "platform/memory_available.h"

namespace vt {

std::int64_t AvailableMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return kAvailableMemoryUnknown;
    // The physical memory free now, and the address space left to the
    // process; the page file is not counted, as swap is not on Linux.
    return static_cast<std::int64_t>(std::min(status.ullAvailPhys, status.ullAvailVirtual));
}

}  // namespace vt
