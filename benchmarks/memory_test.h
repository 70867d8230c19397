// Test 5, memory fill and read: the measured parts.
//
// The block comes from the general allocator before any tick is read; the
// fills and the counting passes are timed separately with the tick counter;
// the check that every byte still holds the pattern runs after the last
// reading. Figures are whole MiB of the block per second, in extended
// precision.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "benchmarks/between_parts.h"

#include "platform/stop_request.h"
#include "platform/tick_count.h"

namespace vt {

constexpr std::int64_t kMiB = 1048576;
constexpr std::uint8_t kMemoryPattern = 0xA5;
constexpr int kMemoryPasses = 100;

// The physical memory as the memory test and its default see it: a signed
// 32-bit byte count, the installed size up to 2 GiB - 1 byte. The test's
// figures stop depending on the block once it is far beyond the processor's
// caches, so a machine with more memory gets a default block of about 1 GiB
// and a test that ends in about a minute, not half its memory and a quarter
// of an hour. Nothing else sees this figure: the projection page and the
// reports of the machine keep the installed size.
std::int32_t TotalPhysMem32(std::int64_t installedBytes);

// The memory test's default entry in MiB, as the window starts with it: half
// of `totalPhysMem` (the 32-bit figure above) in MiB, to the nearest integer,
// halves to even.
std::int32_t DefaultBlockMiB(std::int64_t totalPhysMem);

// The largest entry in MiB that ChooseBlockSize takes as it is, without the
// clamp (no more than 0.8 of `totalPhysMem`); the smallest is 1. 0 when not
// even 1 MiB is taken.
std::int32_t LargestBlockMiB(std::int64_t totalPhysMem);

// The block size for an entry of n MiB: n MiB, unless that is below 1 MiB or
// above 0.8 of the physical memory, when it is half the physical memory
// (remainder dropped) and Clamped is set. Exactly 0.8 of the memory is kept.
struct TMemoryBlockSize {
    std::int64_t Bytes = 0;
    bool Clamped = false;
};
TMemoryBlockSize ChooseBlockSize(std::int32_t n, std::int64_t totalPhysMem);

// The test's block: size + 1 bytes from the general allocator, released when
// the object goes or at Release(). Only the first `size` bytes are used; the
// last one is never touched. Raises EOutOfMemory when the allocator has
// nothing to give.
class TMemoryBlock {
public:
    explicit TMemoryBlock(std::int64_t size);
    ~TMemoryBlock();
    TMemoryBlock(const TMemoryBlock&) = delete;
    TMemoryBlock& operator=(const TMemoryBlock&) = delete;

    std::uint8_t* Data() const { return data_; }
    std::int64_t Size() const { return size_; }
    // Gives the memory back now; Data() is null afterwards.
    void Release();

    // Blocks currently held by the process, so that a leak shows.
    static int Live();

private:
    std::uint8_t* data_ = nullptr;
    std::int64_t size_ = 0;
};

// Told before each pass (from 0) of how many, inside the timed stretch: it
// must take next to nothing (a progress line redrawn now and then, so that
// a person sees a long part move).
using TPassHook = std::function<void(int pass, int passes)>;

// `passes` bulk fills of the first `size` bytes with kMemoryPattern, one
// memset per pass, between two tick readings. Returns the elapsed ms.
// With `stop`, its value is read before each pass: a non-zero one (a stop
// request's signal) raises TStopRequest, ending the passes without their
// figure, so that a stop need not wait for all of them. With `pass`, it is
// told after that.
std::int32_t TimeFills(std::uint8_t* block, std::int64_t size, int passes, const TickSource& ticks,
                       const std::atomic<int>* stop = nullptr, const TPassHook* pass = nullptr);

// One counting pass: `steps` iterations of a loop that only steps its
// counter, one decrement and one conditional branch each, with no memory
// access. Written in assembly so that no compiler can shorten or drop it.
void CountingPass(std::int64_t steps);

// `passes` counting passes of `steps` steps between two tick readings.
// Returns the elapsed ms. `stop` and `pass` as for TimeFills.
std::int32_t TimeCountingPasses(std::int64_t steps, int passes, const TickSource& ticks,
                                const std::atomic<int>* stop = nullptr,
                                const TPassHook* pass = nullptr);

// Bytes among the first `count` of the block that do not hold kMemoryPattern.
std::int64_t CountWrongBytes(const std::uint8_t* block, std::int64_t count);

// MiB per second of `passes` passes over `wholeMiB` MiB in `elapsedMs`:
// wholeMiB x passes x 1000 / elapsedMs, the product formed exactly as an
// integer and divided in extended precision. Zero elapsed time raises
// EZeroDivide.
long double MemorySpeed(std::int64_t wholeMiB, int passes, std::int32_t elapsedMs);

// Refuses a block of `size` + 1 bytes beyond what the process can still
// obtain and touch (`available`): Linux grants such a block and kills the
// process once the fill reaches the missing pages, so it is refused with
// EOutOfMemory as the allocator would refuse it.
void RefuseBlockBeyond(std::int64_t size, std::int64_t available);

// What the caller does at the points between the measured parts.
struct TMemoryTestSteps {
    // After the fill passes, with FillMemSpeed; after the counting passes,
    // with ReadMemSpeed. No tick interval is open at either.
    std::function<void(long double)> Filled;
    std::function<void(long double)> Counted;
    // Just before the check, with the block and its used size.
    std::function<void(std::uint8_t* block, std::int64_t size)> BeforeCheck;
    // Read between the passes, as TimeFills says; none by default.
    const std::atomic<int>* Stop = nullptr;
    // Told before each fill and each counting pass, as TimeFills says.
    TPassHook Pass;
};

// The measured parts over `block`: `passes` fills of all its bytes, the
// speed over its whole MiB, `passes` counting passes over the whole MiB, the
// check of the whole MiB, then the block released. Returns the wrong bytes.
// A zero elapsed time raises EZeroDivide (the block is released).
std::int64_t RunMemoryPasses(TMemoryBlock& block, int passes, const TickSource& ticks,
                             const TMemoryTestSteps& steps);

}  // namespace vt
