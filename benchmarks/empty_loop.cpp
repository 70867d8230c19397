#include "benchmarks/empty_loop.h"

#include "platform/cpu_x86.h"

namespace vt {

// Kept out of line so that the loop can be found and checked in the
// disassembly by its name.
__attribute__((noinline)) void EmptyLoop(std::int32_t count)
{
    if (count <= 0) return;
#if VESKTEST_X86_64
    asm volatile(
        ".p2align 4\n"
        "1:\n\t"
        "decl %0\n\t"
        "jnz 1b"
        : "+r"(count)
        :
        : "cc");
#else
    // Without a known instruction set the barrier keeps the counter in a
    // register and opaque to the optimiser on every round.
    do {
        --count;
        asm volatile("" : "+r"(count));
    } while (count != 0);
#endif
}

TEmptyLoopFigures EmptyLoopFigures(std::int32_t elapsedMs, std::int32_t count)
{
    TEmptyLoopFigures f;
    f.Seconds = static_cast<double>(static_cast<long double>(elapsedMs) * 0.001L);
    if (elapsedMs == 0) return f;
    f.CyclesPerSec = static_cast<double>(static_cast<long double>(count) /
                                         (static_cast<long double>(f.Seconds) * 1000) * 0.001L);
    return f;
}

TEmptyLoopFigures TimeEmptyLoop(const std::function<void(std::int32_t)>& loop,
                                const TickSource& ticks, std::int32_t count)
{
    const std::uint32_t t0 = ticks();
    loop(count);
    const std::uint32_t t1 = ticks();
    return EmptyLoopFigures(TickDiff(t1, t0), count);
}

}  // namespace vt
