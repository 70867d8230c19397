#include <pthread.h>
#include <sched.h>

#include <memory>

#include "platform/errors.h"
#include "platform/pin_thread.h"

namespace vt {

void PinThisThread(int cpu)
{
    // A set of the size the CPU's number needs, not the fixed 1024 of
    // cpu_set_t.
    const int count = cpu + 1;
    struct TSetFree {
        void operator()(cpu_set_t* set) const { CPU_FREE(set); }
    };
    const std::unique_ptr<cpu_set_t, TSetFree> set(cpu >= 0 ? CPU_ALLOC(count) : nullptr);
    if (cpu < 0 || !set) throw Exception("Cannot run a thread on CPU " + std::to_string(cpu));
    const std::size_t size = CPU_ALLOC_SIZE(count);
    CPU_ZERO_S(size, set.get());
    CPU_SET_S(static_cast<std::size_t>(cpu), size, set.get());
    if (const int error = pthread_setaffinity_np(pthread_self(), size, set.get()))
        throw Exception("Cannot run a thread on CPU " + std::to_string(cpu) + ": " +
                        ErrnoText(error));
}

}  // namespace vt
