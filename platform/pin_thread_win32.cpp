#include <windows.h>

#include <cstdint>

#include "platform/errors.h"
#include "platform/pin_thread.h"
#include "platform/system_error_win32.h"

namespace vt {

void PinThisThread(int cpu)
{
    if (cpu < 0) throw Exception("Cannot run a thread on CPU " + std::to_string(cpu));
    GROUP_AFFINITY affinity = {};
    affinity.Group = static_cast<WORD>(cpu / 64);
    affinity.Mask = static_cast<KAFFINITY>(std::uint64_t{1} << (cpu % 64));
    if (!SetThreadGroupAffinity(GetCurrentThread(), &affinity, nullptr))
        throw Exception("Cannot run a thread on CPU " + std::to_string(cpu) + ": " +
                        ErrnoText(LastErrno()));
}

}  // namespace vt
