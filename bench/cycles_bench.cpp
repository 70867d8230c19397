// The empty-loop figure against a reference loop measured in the same
// process: CyclesPerSec from the millisecond tick counter, as the test
// computes it, next to the rate of an independent two-instruction loop timed
// with the steady clock in nanoseconds. The two are run alternately, several
// times, so that a change of machine load hits both. Also prints loop
// iterations per time-stamp tick (at most one per core cycle).
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

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
            static_cast<double>(count) / static_cast<double>(c1 - c0)};
}

double RunReference(std::int32_t count)
{
    const auto t0 = std::chrono::steady_clock::now();
    ReferenceLoop(count);
    const auto t1 = std::chrono::steady_clock::now();
    const double ns = std::chrono::duration<double, std::nano>(t1 - t0).count();
    return count / ns * 1000.0;  // millions per second
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main()
{
    const vt::TCpuInfo cpu = vt::GetCPUInfo();
    std::printf("processor: %s / %s, family %u model %u stepping %u\n", cpu.VendorID.c_str(),
                cpu.ModelName.c_str(), cpu.Family, cpu.Model, cpu.Stepping);
    const double mhz = vt::MeasureCpuMHz();
    std::printf("time-stamp clock: %.1f MHz\n", mhz);
    std::printf("memory: %lld bytes, disks: %s GiB\n",
                static_cast<long long>(vt::ReadTotalPhysMem()),
                vt::TotalDiskSizeText({'.', ','}).c_str());

    constexpr std::int32_t kShort = 1 << 30;
    constexpr int kRuns = 9;
    std::vector<double> ours, ref, perTick, ratio;
    std::printf("\n%-5s %14s %14s %8s %12s\n", "run", "CyclesPerSec", "reference", "ratio",
                "iter/tick");
    for (int run = 0; run < kRuns; ++run) {
        // Alternate which goes first.
        double r;
        Ours o;
        if (run % 2 == 0) {
            o = RunOurs(kShort);
            r = RunReference(kShort);
        } else {
            r = RunReference(kShort);
            o = RunOurs(kShort);
        }
        ours.push_back(o.cyclesPerSec);
        ref.push_back(r);
        perTick.push_back(o.perTick);
        ratio.push_back(o.cyclesPerSec / r);
        std::printf("2^30  %14.1f %14.1f %8.3f %12.3f\n", o.cyclesPerSec, r, ratio.back(),
                    o.perTick);
    }
    const Ours full = RunOurs(vt::kEmptyLoopCount);
    const double fullRef = RunReference(vt::kEmptyLoopCount);
    std::printf("2^31-1%14.1f %14.1f %8.3f %12.3f\n", full.cyclesPerSec, fullRef,
                full.cyclesPerSec / fullRef, full.perTick);

    // On a shared machine the other processes take time slices from both
    // loops at random; each pair runs back to back under nearly the same
    // load, so the median of the paired ratios is the figure to judge by.
    const double medianRatio = Median(ratio);
    std::printf("\nmedian CyclesPerSec %.1f, reference %.1f\n", Median(ours), Median(ref));
    std::printf("median of paired ratios %.3f (%s 5%%)\n", medianRatio,
                medianRatio > 0.95 && medianRatio < 1.05 ? "within" : "NOT within");
    std::printf("iterations per time-stamp tick: median %.3f, best %.3f (at %.1f MHz)\n",
                Median(perTick), *std::max_element(perTick.begin(), perTick.end()), mhz);
    return 0;
}
