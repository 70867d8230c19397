// Test 6's figures against a plain C program with pthreads (cores_reference),
// run alternately in the same process's turns:
//   CyclesPerSecAll    the loop of test 2 on every allowed CPU, against the
//                      same count down on the same CPUs (within 10%);
//   FillMemSpeedAll    the fill passes on one thread per core, against memset
//                      over the same block on the same threads (at least 0.9);
//   ReadMemSpeedAll    the counting passes, against the same count of loop
//                      steps per byte on the same threads (at least 0.9); a
//                      pass that sums the block's words is shown beside it,
//                      for information: the counting pass reads no memory,
//                      one loop step per byte, and cannot reach it;
//   scaling            CyclesPerSecAll over test 2's one-thread CyclesPerSec
//                      measured back to back: between 0.8 and 1.1 times the
//                      allowed CPUs (1.6 to 2.2 on two), on a quiet machine.
//
// Usage: cores_bench [pairs] [block MiB] [passes] (7, 512 and 10 unless given).
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_report.h"
#include "benchmarks/every_core.h"
#include "platform/cpu_layout.h"

namespace {

std::string CpuList(const std::vector<int>& cpus)
{
    std::string text;
    for (const int cpu : cpus) text += " " + std::to_string(cpu);
    return text;
}

// The reference's output: one or two numbers.
std::vector<double> Reference(const std::string& arguments)
{
    const std::string command = std::string(VESKTEST_CORES_REFERENCE) + " " + arguments;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        std::perror("popen");
        std::exit(1);
    }
    std::vector<double> values;
    double value = 0;
    while (std::fscanf(pipe, "%lf", &value) == 1) values.push_back(value);
    if (pclose(pipe) != 0 || values.empty()) {
        std::fprintf(stderr, "the reference failed: %s\n", command.c_str());
        std::exit(1);
    }
    return values;
}

vt::TEveryCoreResult Ours(const vt::TCpuLayout& layout, std::int64_t blockMiB, int passes,
                          std::int32_t loopCount)
{
    vt::TEveryCoreInputs inputs;
    inputs.BlockBytes = blockMiB * vt::kMiB;
    inputs.Passes = passes;
    inputs.LoopCount = loopCount;
    return vt::RunEveryCore(layout, inputs, vt::PinnedThreadGang(vt::SystemTicks()), {});
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::int64_t blockMiB = argc > 2 ? std::max(1, std::atoi(argv[2])) : 512;
    const int passes = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10;
    const vt::TCpuLayout layout = vt::ReadCpuLayout();
    const vt::TEveryCorePlan plan = vt::PlanEveryCore(layout);
    Detail("layout: %s\n", vt::DescribeCpuLayout(layout).c_str());

    const Pairs loop = RunAlternating(
        "CyclesPerSecAll", pairs,
        [&] { return Ours(layout, 64, 2, vt::kEmptyLoopCount).CyclesPerSecAll; },
        [&] {
            return Reference("loop " + std::to_string(vt::kEmptyLoopCount) + CpuList(plan.AllCpus))
                .front();
        });

    std::vector<double> refSum, refCount;
    std::vector<double> oursRead;
    const Pairs fill = RunAlternating(
        "FillMemSpeedAll", pairs,
        [&] {
            const vt::TEveryCoreResult r = Ours(layout, blockMiB, passes, 1);
            oursRead.push_back(r.ReadMemSpeedAll);
            return r.FillMemSpeedAll;
        },
        [&] {
            const std::vector<double> v =
                Reference("memory " + std::to_string(blockMiB) + " " + std::to_string(passes) +
                          CpuList(plan.CoreCpus));
            refSum.push_back(v.size() > 1 ? v[1] : 0);
            refCount.push_back(v.size() > 2 ? v[2] : 0);
            return v.front();
        });
    // The read figures of the same runs, paired as they ran (the warm-up
    // pair's first, uncounted, left out).
    Pairs read, summed;
    for (std::size_t i = 1; i < oursRead.size() && i < refCount.size(); ++i) {
        read.Add(oursRead[i], refCount[i]);
        summed.Add(oursRead[i], refSum[i]);
    }

    // The scaling: every CPU against test 2's one thread, back to back.
    const Pairs scaling = RunAlternating(
        "CyclesPerSecAll vs CyclesPerSec", pairs,
        [&] { return Ours(layout, 64, 2, vt::kEmptyLoopCount).CyclesPerSecAll; },
        [&] { return vt::TimeEmptyLoop(vt::EmptyLoop, vt::SystemTicks()).CyclesPerSec; });

    ReportRatio("every core CyclesPerSecAll", "M/s", loop, Target::Within(0.10));
    ReportRatio("every core FillMemSpeedAll", "MiB/s", fill, Target::AtLeast(0.9));
    ReportRatio("every core ReadMemSpeedAll", "MiB/s", read, Target::AtLeast(0.9));
    ReportRatio("every core ReadMemSpeedAll vs summing", "MiB/s", summed, Target::None());
    const double n = static_cast<double>(layout.Cpus.size());
    ReportRatio("every core scaling (x one core)", "M/s", scaling,
                Target::Between(0.8 * n, 1.1 * n));
    return 0;
}
