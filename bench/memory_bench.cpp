// The memory test's two figures against references measured in the same run:
// - FillMemSpeed (100 fills through TimeFills, timed with the tick counter)
//   against a plain memset of the same block, timed with steady_clock; it
//   should reach at least 0.9 of it;
// - ReadMemSpeed (counting passes through TimeCountingPasses) against a
//   separately written two-instruction loop of the same step count; the two
//   should agree within 5%.
// Runs alternate which side goes first. Prints every run and the medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "benchmarks/memory_test.h"
#include "platform/memory_available.h"
#include "platform/tick_count.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int64_t kBlockMiB = 256;
constexpr int kCountingPasses = 10;  // 2.7e9 steps per measurement
constexpr int kRuns = 4;

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

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main()
{
    const std::int64_t size = kBlockMiB * vt::kMiB;
    if (size + 1 > vt::AvailableMemory()) {
        std::printf("not enough memory available for a %lld MiB block\n",
                    static_cast<long long>(kBlockMiB));
        return 1;
    }
    vt::TMemoryBlock block(size);
    const vt::TickSource ticks = vt::SystemTicks();
    std::memset(block.Data(), 0, static_cast<std::size_t>(size));  // fault the pages in first

    std::vector<double> fillRatio, readRatio;
    std::printf("block %lld MiB; fill 100 passes; counting %d passes\n",
                static_cast<long long>(kBlockMiB), kCountingPasses);
    std::printf("%-4s %14s %14s %7s   %14s %14s %7s\n", "run", "FillMemSpeed", "memset", "ratio",
                "ReadMemSpeed", "ref loop", "ratio");
    for (int run = 0; run < kRuns; ++run) {
        const bool oursFirst = run % 2 == 0;
        double fill = 0, fillRef = 0, read = 0, readRef = 0;
        const auto ourFill = [&] {
            const auto tf = vt::TimeFills(block.Data(), size, vt::kMemoryPasses, ticks);
            fill = static_cast<double>(vt::MemorySpeed(kBlockMiB, vt::kMemoryPasses, tf));
        };
        const auto ourRead = [&] {
            const auto tr = vt::TimeCountingPasses(size, kCountingPasses, ticks);
            read = static_cast<double>(vt::MemorySpeed(kBlockMiB, kCountingPasses, tr));
        };
        if (oursFirst) {
            ourFill();
            fillRef = ReferenceFill(block.Data(), size, vt::kMemoryPasses);
            ourRead();
            readRef = ReferenceCounting(size, kCountingPasses);
        } else {
            fillRef = ReferenceFill(block.Data(), size, vt::kMemoryPasses);
            ourFill();
            readRef = ReferenceCounting(size, kCountingPasses);
            ourRead();
        }
        fillRatio.push_back(fill / fillRef);
        readRatio.push_back(read / readRef);
        std::printf("%-4d %14.2f %14.2f %7.3f   %14.2f %14.2f %7.3f\n", run + 1, fill, fillRef,
                    fill / fillRef, read, readRef, read / readRef);
    }
    const std::int64_t wrong = vt::CountWrongBytes(block.Data(), size);
    const double fillMedian = Median(fillRatio), readMedian = Median(readRatio);
    std::printf("median fill ratio %.3f (want >= 0.9): %s\n", fillMedian,
                fillMedian >= 0.9 ? "ok" : "LOW");
    std::printf("median read ratio %.3f (want 0.95..1.05): %s\n", readMedian,
                readMedian >= 0.95 && readMedian <= 1.05 ? "ok" : "OFF");
    std::printf("wrong bytes after the fills: %lld\n", static_cast<long long>(wrong));
    return 0;
}
