// Test 6, every core: the counting loop of test 2 and the passes of test 5
// run on many threads at once, beside the one-thread figures of those tests.
//
// Each part starts one thread per CPU of its plan through a gang
// (thread_gang.h): pinned, released together, timed with the tick counter
// from the release to the last thread's end (E, in ms).
//
//   CyclesPerSecAll    the loop on every allowed logical CPU
//   CyclesPerSecCores  the loop on one logical CPU of every physical core
//   core kinds         the loop on one logical CPU of every core of a kind
//                      (hybrid processors only)
//   FillMemSpeedAll    the fill passes, one thread per core, each over its
//   ReadMemSpeedAll    own slice of one block; then the counting passes
//
// Every thread runs the whole loop of test 2 (EmptyLoop, kEmptyLoopCount
// iterations, in chunks so that a stop request is seen between them). A
// thread's rate is its iterations over the common time E, count / E, in M
// iterations per second as test 2 computes it; a part's figure is the sum of
// its threads' rates, n x count / E: all the work done over the time from
// the release until the last thread ended. A thread that ends early adds no
// more than a thread that ends last, so one slow CPU pulls the figure down
// as it pulls down a program that waits for all its threads.
//
// The memory figures are test 5's, over the whole block: M MiB x passes x
// 1000 / E, each thread having done passes over its slice, the slices
// together being the block's whole MiB. Each slice is first touched by its
// own thread before the release (so that it lies on that thread's NUMA node
// and no page is mapped in while timed). After the timed parts every byte of
// the whole MiB is checked against the pattern, each slice by its thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "benchmarks/empty_loop.h"
#include "benchmarks/memory_test.h"
#include "benchmarks/thread_gang.h"
#include "platform/cpu_layout.h"
#include "results/run_record.h"

namespace vt {

// Iterations of the loop between two looks at the stop request: about 30 ms
// at 2,000 M iterations/s.
inline constexpr std::int32_t kEveryCoreLoopChunk = 1 << 26;

// The CPUs each part starts its threads on.
struct TEveryCorePlan {
    std::vector<int> AllCpus;   // every allowed logical CPU
    std::vector<int> CoreCpus;  // the first allowed CPU of every core; the memory parts too
    struct TKind {
        std::string Name;
        std::vector<int> Cpus;  // the first allowed CPU of every core of the kind
    };
    std::vector<TKind> Kinds;  // hybrid processors only
};
TEveryCorePlan PlanEveryCore(const TCpuLayout& layout);

// The measured parts of the test on `layout`, for a progress count.
int EveryCoreParts(const TCpuLayout& layout);

struct TEveryCoreInputs {
    std::int64_t BlockBytes = 0;  // the memory parts' block; its whole MiB are used
    int Passes = kMemoryPasses;
    std::int32_t LoopCount = kEmptyLoopCount;
    std::int32_t LoopChunk = kEveryCoreLoopChunk;
};

struct TEveryCoreSteps {
    // Before each part, with what it does; no interval is open. May raise an
    // error (a stop request) to end the test.
    std::function<void(const std::string& part)> Part;
    // Just before the check, with the block and its used size.
    std::function<void(std::uint8_t* block, std::int64_t size)> BeforeCheck;
    // Read by every thread between two chunks or passes: a non-zero value (a
    // stop request's signal) ends the test with TStopRequest.
    const std::atomic<int>* Stop = nullptr;
};

struct TEveryCoreResult {
    double CyclesPerSecAll = 0;
    double CyclesPerSecCores = 0;
    double FillMemSpeedAll = 0;
    double ReadMemSpeedAll = 0;
    std::vector<TCoreKindFigure> CoreKinds;
    std::int64_t BlockMiB = 0;
    std::int64_t WrongBytes = 0;
    // Why the figures are not those of a whole machine (one CPU, or fewer
    // than the machine has); empty when every CPU was used.
    std::string Note;
};

// The loop part's figure: `threads` x count / E in M iterations/s, E in ms;
// 0 when E is 0 (as test 2 leaves it).
double EveryCoreLoopFigure(std::size_t threads, std::int32_t elapsedMs,
                           std::int32_t count = kEmptyLoopCount);

// The slices of `wholeBytes` for `threads` threads: threads + 1 offsets from
// 0 to wholeBytes, each inner one on a 4 KiB page boundary, so that no page
// is shared by two threads.
std::vector<std::int64_t> EveryCoreSlices(std::int64_t wholeBytes, std::size_t threads);

// What a run on `layout` says about itself: one thread only, or fewer CPUs
// than the machine has; empty otherwise.
std::string EveryCoreNote(const TCpuLayout& layout);

// Runs the test. The block is taken from the general allocator before the
// memory parts (EOutOfMemory when it cannot be had) and released on every
// path. A zero elapsed time of a memory part raises EZeroDivide, as test 5.
TEveryCoreResult RunEveryCore(const TCpuLayout& layout, const TEveryCoreInputs& inputs,
                              const TThreadGang& gang, const TEveryCoreSteps& steps);

// The record's facts of the run; Scaling is left for the caller, who knows
// whether test 2 ran.
TEveryCoreDetails EveryCoreDetails(const TCpuLayout& layout, const TEveryCoreResult& result);

// CyclesPerSecAll / CyclesPerSec, when both are above 0.
std::optional<double> EveryCoreScaling(double cyclesPerSecAll, double cyclesPerSec);

}  // namespace vt
