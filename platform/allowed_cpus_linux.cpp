#include <sched.h>
#include <sys/utsname.h>
#include <cerrno>

#include <memory>

#include "platform/allowed_cpus.h"
#include "platform/machine.h"

namespace vt {

int AllowedProcessors()
{
    // A set sized for many CPUs: a fixed cpu_set_t holds 1024, and the call
    // fails with EINVAL on a machine with more; the size is doubled until it
    // fits.
    for (int cpus = 1024; cpus <= (1 << 20); cpus *= 2) {
        const std::size_t size = CPU_ALLOC_SIZE(cpus);
        std::unique_ptr<cpu_set_t, void (*)(cpu_set_t*)> set(CPU_ALLOC(cpus),
                                                             [](cpu_set_t* s) { CPU_FREE(s); });
        if (!set) break;
        CPU_ZERO_S(size, set.get());
        if (sched_getaffinity(0, size, set.get()) == 0) {
            const int count = CPU_COUNT_S(size, set.get());
            return count > 0 ? count : 1;
        }
        if (errno != EINVAL) break;
    }
    return LogicalProcessors();
}

std::string MachineArchitecture()
{
    utsname name{};
    if (uname(&name) != 0) return {};
    return name.machine;
}

}  // namespace vt
