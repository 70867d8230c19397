#include <windows.h>

#include <bitset>

#include "platform/allowed_cpus.h"
#include "platform/machine.h"

namespace vt {

int AllowedProcessors()
{
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system) || process == 0)
        return LogicalProcessors();
    return static_cast<int>(std::bitset<sizeof(DWORD_PTR) * 8>(process).count());
}

std::string MachineArchitecture()
{
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
        case PROCESSOR_ARCHITECTURE_AMD64:
            return "x86_64";
        case PROCESSOR_ARCHITECTURE_INTEL:
            return "i686";
        case PROCESSOR_ARCHITECTURE_ARM64:
            return "aarch64";
        case PROCESSOR_ARCHITECTURE_ARM:
            return "arm";
        default:
            return {};
    }
}

}  // namespace vt
