#include "benchmarks/memory_test.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "platform/errors.h"
#include "platform/number_format.h"

namespace vt {

namespace {

std::atomic<int> liveBlocks{0};

// Between two passes: one relaxed load, which a pass of at least a MiB
// dwarfs.
void LookForStop(const std::atomic<int>* stop)
{
    if (stop == nullptr) return;
    if (const int signal = stop->load(std::memory_order_relaxed)) throw TStopRequest{signal};
}

}  // namespace

TMemoryBlockSize ChooseBlockSize(std::int32_t n, std::int64_t totalPhysMem)
{
    const std::int64_t bytes = std::int64_t{n} * kMiB;
    // bytes > 0.8 x totalPhysMem, exactly: both products are integers that fit
    // the 64-bit mantissa of long double (|bytes| < 2^52, 4 x a 63-bit
    // value is a power-of-two scaling), so the comparison rounds nothing and
    // cannot overflow.
    const bool tooLarge =
        5.0L * static_cast<long double>(bytes) > 4.0L * static_cast<long double>(totalPhysMem);
    if (bytes < kMiB || tooLarge) return {totalPhysMem / 2, true};
    return {bytes, false};
}

std::int32_t TotalPhysMem32(std::int64_t installedBytes)
{
    return static_cast<std::int32_t>(
        std::clamp<std::int64_t>(installedBytes, 0, std::numeric_limits<std::int32_t>::max()));
}

std::int32_t DefaultBlockMiB(std::int64_t totalPhysMem)
{
    return static_cast<std::int32_t>(
        RoundHalfEven(static_cast<long double>(totalPhysMem) / (2 * kMiB)));
}

std::int32_t LargestBlockMiB(std::int64_t totalPhysMem)
{
    // The largest n with 5 x n MiB <= 4 x totalPhysMem, split into quotient
    // and remainder of totalPhysMem / 5 MiB so that no product can overflow.
    if (totalPhysMem <= 0) return 0;
    const std::int64_t fiveMiB = 5 * kMiB;
    const std::int64_t n = 4 * (totalPhysMem / fiveMiB) + 4 * (totalPhysMem % fiveMiB) / fiveMiB;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

TMemoryBlock::TMemoryBlock(std::int64_t size) : size_(size)
{
    if (size < 0) throw EOutOfMemory();
    data_ = static_cast<std::uint8_t*>(std::malloc(static_cast<std::size_t>(size) + 1));
    if (data_ == nullptr) throw EOutOfMemory();
    ++liveBlocks;
}

TMemoryBlock::~TMemoryBlock()
{
    Release();
}

void TMemoryBlock::Release()
{
    if (data_ == nullptr) return;
    std::free(data_);
    data_ = nullptr;
    --liveBlocks;
}

int TMemoryBlock::Live()
{
    return liveBlocks.load();
}

std::int32_t TimeFills(std::uint8_t* block, std::int64_t size, int passes, const TickSource& ticks,
                       const std::atomic<int>* stop, const TPassHook* hook)
{
    const std::uint32_t t0 = ticks();
    for (int pass = 0; pass < passes; ++pass) {
        LookForStop(stop);
        if (hook) (*hook)(pass, passes);
        std::memset(block, kMemoryPattern, static_cast<std::size_t>(size));
        // Every pass stores for real: without this barrier the compiler may
        // see 99 of the 100 identical fills as dead and keep only the last.
        asm volatile("" : : "r"(block) : "memory");
    }
    const std::uint32_t t1 = ticks();
    return TickDiff(t1, t0);
}

void CountingPass(std::int64_t steps)
{
    if (steps <= 0) return;
    auto counter = static_cast<std::uint64_t>(steps);
#if defined(__x86_64__)
    // The loop is aligned so that its speed does not depend on where the
    // linker happens to place it.
    asm volatile(
        ".p2align 4\n"
        "1:\n\t"
        "dec %0\n\t"
        "jnz 1b\n"
        : "+r"(counter)
        :
        : "cc");
#else
    // Elsewhere the counter goes through an empty asm statement each step,
    // which the compiler must assume reads and changes it.
    do {
        asm volatile("" : "+r"(counter));
    } while (--counter != 0);
#endif
}

std::int32_t TimeCountingPasses(std::int64_t steps, int passes, const TickSource& ticks,
                                const std::atomic<int>* stop, const TPassHook* hook)
{
    const std::uint32_t t0 = ticks();
    for (int pass = 0; pass < passes; ++pass) {
        LookForStop(stop);
        if (hook) (*hook)(pass, passes);
        CountingPass(steps);
    }
    const std::uint32_t t1 = ticks();
    return TickDiff(t1, t0);
}

std::int64_t CountWrongBytes(const std::uint8_t* block, std::int64_t count)
{
    std::int64_t wrong = 0;
    for (std::int64_t i = 0; i < count; ++i) wrong += block[i] != kMemoryPattern;
    return wrong;
}

long double MemorySpeed(std::int64_t wholeMiB, int passes, std::int32_t elapsedMs)
{
    const std::int64_t mibTimes1000 = wholeMiB * passes * 1000;
    return Divide(static_cast<long double>(mibTimes1000), static_cast<long double>(elapsedMs));
}

void RefuseBlockBeyond(std::int64_t size, std::int64_t available)
{
    if (size + 1 > available) throw EOutOfMemory();
}

std::int64_t RunMemoryPasses(TMemoryBlock& block, int passes, const TickSource& ticks,
                             const TMemoryTestSteps& steps)
{
    const std::int64_t B = block.Size();
    const TPassHook* hook = steps.Pass ? &steps.Pass : nullptr;
    const std::int32_t Tf = TimeFills(block.Data(), B, passes, ticks, steps.Stop, hook);
    const std::int64_t M = B / kMiB;
    const long double fillSpeed = MemorySpeed(M, passes, Tf);
    if (steps.Filled) steps.Filled(fillSpeed);

    const std::int64_t W = M * kMiB;
    const std::int32_t Tr = TimeCountingPasses(W, passes, ticks, steps.Stop, hook);
    const long double readSpeed = MemorySpeed(M, passes, Tr);
    if (steps.Counted) steps.Counted(readSpeed);

    if (steps.BeforeCheck) steps.BeforeCheck(block.Data(), B);
    const std::int64_t errors = CountWrongBytes(block.Data(), W);
    block.Release();
    return errors;
}

}  // namespace vt
