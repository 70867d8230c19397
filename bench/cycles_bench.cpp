// The empty-loop figure against a reference loop measured in the same
// process: CyclesPerSec from the millisecond tick counter, as the test
// computes it, next to the rate of an independent two-instruction loop timed
// with the steady clock in nanoseconds. The two run alternately in pairs of
// 2^29 iterations (about 0.2 s each, long enough for the millisecond ticks,
// short enough that a pair sees one machine load). Also prints loop
// iterations per time-stamp tick (at most one per core cycle, so above one
// when the core runs faster than the counter's nominal clock).
//
// Usage: cycles_bench [pairs] (21 unless given).
#include <chrono>
#include <cstdint>
#include <cstdlib>

#include "bench/bench_report.h"
#include "benchmarks/empty_loop.h"
#include "platform/cpu_x86.h"
#include "platform/tick_count.h"
#include "sysinfo/probes.h"
#include "sysinfo/sysinfo.h"

namespace {

// The reference: subtract one and branch while not zero, in a register.
__attribute__((noinline)) void ReferenceLoop(std::int32_t count)
{
#if VESKTEST_X86_64
    asm volatile(
        ".p2align 4\n"
        "1:\n\t"
        "subl $1, %0\n\t"
        "jne 1b"
        : "+r"(count)
        :
        : "cc");
#else
    while (count-- > 0) asm volatile("" : "+r"(count));
#endif
}

struct Ours {
    double cyclesPerSec;
    double perTick;
};

Ours RunOurs(std::int32_t count)
{
    const std::uint64_t c0 = vt::ReadTimeStampCounter();
    const std::uint32_t t0 = vt::GetTickCount();
    vt::EmptyLoop(count);
    const std::uint32_t t1 = vt::GetTickCount();
    const std::uint64_t c1 = vt::ReadTimeStampCounter();
    return {vt::EmptyLoopFigures(vt::TickDiff(t1, t0), count).CyclesPerSec,
            c1 > c0 ? static_cast<double>(count) / static_cast<double>(c1 - c0) : 0};
}

// Millions of iterations per second.
double RunReference(std::int32_t count)
{
    const auto t0 = std::chrono::steady_clock::now();
    ReferenceLoop(count);
    const auto t1 = std::chrono::steady_clock::now();
    const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
    return ns > 0 ? count / ns * 1000.0 : 0;
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 21;
    const vt::TCpuInfo cpu = vt::GetCPUInfo();
    Detail("processor: %s / %s, family %u model %u stepping %u\n", cpu.VendorID.c_str(),
           cpu.ModelName.c_str(), cpu.Family, cpu.Model, cpu.Stepping);
    Detail("time-stamp clock: %.1f MHz\n", vt::MeasureCpuMHz());

    constexpr std::int32_t kCount = 1 << 29;
    std::vector<double> perTick;
    const Pairs rates = RunAlternating(
        "CyclesPerSec", pairs,
        [&] {
            const Ours o = RunOurs(kCount);
            perTick.push_back(o.perTick);
            return o.cyclesPerSec;
        },
        [&] { return RunReference(kCount); });

    // Once at the test's own count, for comparison with the window's figure.
    const Ours full = RunOurs(vt::kEmptyLoopCount);
    Detail("at 2^31-1 iterations: CyclesPerSec %.1f, %.3f iterations per time-stamp tick\n",
           full.cyclesPerSec, full.perTick);

    ReportRatio("empty loop CyclesPerSec", "M/s", rates, Target::Within(0.05));
    Inform("empty loop iterations per TSC tick", "", perTick);
    return 0;
}
