// The memory test's two figures against references measured in the same run,
// on one 256 MiB block (far larger than any processor cache):
// - FillMemSpeed (100 fills through TimeFills, timed with the tick counter)
//   against a plain memset of the same block, timed with the steady clock; it
//   should reach at least 0.9 of it;
// - ReadMemSpeed (counting passes through TimeCountingPasses) against a
//   separately written two-instruction loop of the same step count; the two
//   should agree within 5%.
// - Both figures as a batch run measures them, looking at the stop request
//   between two passes, against the same passes without the look; the two
//   should agree within 5%.
// Each figure's runs alternate with its reference's, in pairs.
//
// Usage: memory_bench [pairs] (9 unless given).
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "bench/bench_report.h"
#include "benchmarks/memory_test.h"
#include "platform/memory_available.h"
#include "platform/stop_request.h"
#include "platform/tick_count.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kBlockMiB = 256;
constexpr int kCountingPasses = 5;  // 1.3e9 steps per measurement

double Seconds(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double>(to - from).count();
}

double ReferenceFill(std::uint8_t* block, std::int64_t size, int passes)
{
    const auto t0 = Clock::now();
    for (int pass = 0; pass < passes; ++pass) {
        std::memset(block, vt::kMemoryPattern, static_cast<std::size_t>(size));
        asm volatile("" : : "r"(block) : "memory");
    }
    const auto t1 = Clock::now();
    return static_cast<double>(size) / vt::kMiB * passes / Seconds(t0, t1);
}

// The reference loop: one subtraction and one conditional branch per step,
// counter in a register.
void ReferenceLoop(std::uint64_t steps)
{
    if (steps == 0) return;
    asm volatile(
        ".p2align 4\n"
        "1:\n\t"
        "sub $1, %0\n\t"
        "jne 1b\n"
        : "+r"(steps)
        :
        : "cc");
}

double ReferenceCounting(std::int64_t steps, int passes)
{
    const auto t0 = Clock::now();
    for (int pass = 0; pass < passes; ++pass) ReferenceLoop(static_cast<std::uint64_t>(steps));
    const auto t1 = Clock::now();
    return static_cast<double>(steps) / vt::kMiB * passes / Seconds(t0, t1);
}

}  // namespace

int main(int argc, char** argv)
{
    using namespace vt::bench;
    const int pairs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const std::int64_t size = kBlockMiB * vt::kMiB;
    if (size + 1 > vt::AvailableMemory()) {
        Detail("not enough memory available for a %lld MiB block\n",
               static_cast<long long>(kBlockMiB));
        return 2;
    }
    vt::TMemoryBlock block(size);
    const vt::TickSource ticks = vt::SystemTicks();
    std::memset(block.Data(), 0, static_cast<std::size_t>(size));  // fault the pages in first
    Detail("block %lld MiB; fills %d passes; counting %d passes\n",
           static_cast<long long>(kBlockMiB), vt::kMemoryPasses, kCountingPasses);

    const Pairs fills = RunAlternating(
        "FillMemSpeed", pairs,
        [&] {
            const auto ms = vt::TimeFills(block.Data(), size, vt::kMemoryPasses, ticks);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, vt::kMemoryPasses, ms));
        },
        [&] { return ReferenceFill(block.Data(), size, vt::kMemoryPasses); });
    const Pairs reads = RunAlternating(
        "ReadMemSpeed", pairs,
        [&] {
            const auto ms = vt::TimeCountingPasses(size, kCountingPasses, ticks);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, kCountingPasses, ms));
        },
        [&] { return ReferenceCounting(size, kCountingPasses); });

    // The stop request's flag as the batch run passes it; no request comes.
    const std::atomic<int>* stop = &vt::StopRequestFlag();
    const Pairs stoppableFills = RunAlternating(
        "FillMemSpeed with the stop check", pairs,
        [&] {
            const auto ms = vt::TimeFills(block.Data(), size, vt::kMemoryPasses, ticks, stop);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, vt::kMemoryPasses, ms));
        },
        [&] {
            const auto ms = vt::TimeFills(block.Data(), size, vt::kMemoryPasses, ticks);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, vt::kMemoryPasses, ms));
        });
    const Pairs stoppableReads = RunAlternating(
        "ReadMemSpeed with the stop check", pairs,
        [&] {
            const auto ms = vt::TimeCountingPasses(size, kCountingPasses, ticks, stop);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, kCountingPasses, ms));
        },
        [&] {
            const auto ms = vt::TimeCountingPasses(size, kCountingPasses, ticks);
            return static_cast<double>(vt::MemorySpeed(kBlockMiB, kCountingPasses, ms));
        });

    const std::int64_t wrong = vt::CountWrongBytes(block.Data(), size);
    Detail("wrong bytes after the fills: %lld\n", static_cast<long long>(wrong));
    if (wrong != 0) return 2;

    ReportRatio("memory FillMemSpeed", "MiB/s", fills, Target::AtLeast(0.9));
    ReportRatio("memory ReadMemSpeed", "MiB/s", reads, Target::Within(0.05));
    ReportRatio("memory FillMemSpeed, stop check / none", "MiB/s", stoppableFills,
                Target::Within(0.05));
    ReportRatio("memory ReadMemSpeed, stop check / none", "MiB/s", stoppableReads,
                Target::Within(0.05));
    return 0;
}
