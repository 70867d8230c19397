// The tests as the window and batch run them. One runner owns the scores and
// every rule of each test: what it is given and how that is checked, the
// memory block's size, the seeding, the error texts, the defaults of the
// result line's description and label. Where a test needs the screen (the
// three list boxes of test 1, the drawing panel of test 3) the caller lends
// it through a hook; what is shown while and after a test runs is the
// caller's. No widget is needed here.
//
// A test is numbered as the window counts them: 1 lists, 2 cycles, 3 shapes,
// 4 file, 5 memory, 6 every core, 7 the disk profile. A new test is one
// function of the runner and one case in Run.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "benchmarks/disk_profile.h"
#include "benchmarks/ellipses.h"
#include "benchmarks/empty_loop.h"
#include "benchmarks/every_core.h"
#include "benchmarks/file_read.h"
#include "benchmarks/list_test.h"
#include "benchmarks/memory_test.h"
#include "benchmarks/sorting.h"
#include "benchmarks/thread_gang.h"
#include "platform/cpu_layout.h"
#include "platform/errors.h"
#include "platform/tick_count.h"
#include "results/run_record.h"
#include "results/scores.h"

namespace vt {

// What the tests take from the machine. The window and batch give the
// system's; tests give their own clock and loop.
struct TTestMachine {
    TickSource Ticks;
    std::function<void(std::int32_t count)> EmptyLoop;  // test 2's loop
    std::function<std::int64_t()> AvailableMemory;      // test 5 refuses a larger block
    std::function<void()> SeedRandom;                   // empty: the time of day
    std::int64_t TotalPhysMem = 0;  // bytes as the memory test sees them (TotalPhysMem32)
    // Test 6: starts, pins and times its threads; empty: the system's.
    TThreadGang Gang;
};

// What a test is given, as the window's fields hold it.
struct TTestInputs {
    std::string Shapes = "10000";  // test 3: the ellipse count as typed
    std::string File;              // test 4: the file, file-system bytes
    std::string MemoryMiB = "1";   // test 5: the block in MiB as typed
    int MemoryPasses = kMemoryPasses;
    // Test 6: the CPUs it may use (read once by the caller), over a block of
    // test 5's size as MemoryMiB gives it.
    TCpuLayout Layout;
    // Test 7: the folder of its test file, the file's size and each figure's
    // time.
    std::string DiskFolder;
    std::int64_t DiskMiB = kDiskDefaultMiB;
    int DiskSeconds = kDiskDefaultSeconds;
};

// Test 1's screen: the three list boxes' entries, the sorting test's lists
// and the pool that owns the records.
struct TListScreen {
    TSortLists Lists;
    TPersonPool& Pool;
};

struct TTestHooks {
    // Before each measured part (0, 1, ...), never inside a timed interval;
    // may raise an error to end the test.
    std::function<void(int test, int part, const std::string& what)> Step;
    // A score (its row in the score table) as soon as it is stored. SortTime
    // is told inside the sorting test's interval: a figure box only.
    std::function<void(std::size_t score, long double figure)> Figure;
    // A warning for the user on a line of its own (a file that is not on a
    // disk).
    std::function<void(const std::string& text)> Message;
    // Test 1: the list boxes.
    std::function<TListScreen()> Lists;
    // Test 3: makes a canvas on the drawing panel and calls `draw` with it;
    // may raise an error when the display did not paint what was drawn.
    std::function<void(const std::function<void(TEllipseCanvas&)>& draw)> Panel;
    // Test 5: the block chosen, before the memory is asked for (the MiB as
    // typed and the size taken).
    std::function<void(std::int32_t typed, const TMemoryBlockSize& size)> BlockChosen;
    // Test 5: just before the check, with the block and its used size.
    std::function<void(std::uint8_t* block, std::int64_t size)> BeforeMemoryCheck;
    // Test 5: where its passes have got to, between two passes.
    TPassHook Pass;
    // Tests 3, 5, 6 and 7: read between ellipses, passes and requests; a set
    // flag ends the test.
    const std::atomic<int>* Stop = nullptr;
};

// What a run found beside its scores.
struct TTestOutcome {
    int Test = 0;
    // Test 4: why the file was not read (nothing measured, nothing stored),
    // or why its reading failed (the score keeps its value).
    std::optional<std::string> Refused;
    std::optional<std::string> Failure;
    TEmptyLoopFigures Cycles;     // test 2
    TEllipseRun Ellipses;         // test 3
    TFileReadFigures File;        // test 4
    bool FileTooQuick = false;    // test 4: read within one tick, so not timed
    TMemoryBlockSize Block;       // test 5
    std::int64_t WrongBytes = 0;  // tests 5 and 6
    std::optional<TEveryCoreDetails> EveryCore;  // test 6
    std::optional<TDiskDetails> Disk;            // test 7
};

class TTestRunner {
public:
    // Zero at start; each score kept until its test runs again.
    TScores Scores;

    // Runs test `test` (1 to 7). An error of the platform or the test ends
    // it and is raised; a test not built here raises ENotBuilt.
    TTestOutcome Run(int test, const TTestMachine& machine, const TTestInputs& inputs,
                     const TTestHooks& hooks);

private:
    void Lists(const TTestMachine& machine, const TTestHooks& hooks);
    void Cycles(const TTestMachine& machine, const TTestHooks& hooks, TTestOutcome& out);
    void Shapes(const TTestMachine& machine, const TTestInputs& inputs, const TTestHooks& hooks,
                TTestOutcome& out);
    void File(const TTestMachine& machine, const TTestInputs& inputs, const TTestHooks& hooks,
              TTestOutcome& out);
    void Memory(const TTestMachine& machine, const TTestInputs& inputs, const TTestHooks& hooks,
                TTestOutcome& out);
    void EveryCore(const TTestMachine& machine, const TTestInputs& inputs,
                   const TTestHooks& hooks, TTestOutcome& out);
    void Disk(const TTestMachine& machine, const TTestInputs& inputs, const TTestHooks& hooks,
              TTestOutcome& out);
};

// A test the runner does not have: "Test 6 is not built yet".
class ENotBuilt : public Exception {
public:
    explicit ENotBuilt(int test);
};

// "1. Create and Sort Lists" ... as the window's buttons and batch's
// progress name them.
const char* TestName(int test);
// The measured parts of a test (the Step calls of a whole run); test 6's
// depend on the CPUs it may use.
int TestParts(int test, const TCpuLayout& layout = {});

// Why the file test cannot read `name` (missing, not a file, or not larger
// than 1 MiB), or nothing when it can.
std::optional<std::string> FileTestProblem(const std::string& name);
// The memory test's wrong bytes as the window shows them: "3 errors".
std::string WrongBytesText(std::int64_t wrongBytes);
// The memory field's start-up value.
std::int32_t DefaultMemoryMiB(std::int64_t totalPhysMem);

// The result line's defaults, Windows-1251: the processor's vendor and the
// clock measured at start-up, whole MHz, then "/" ("GenuineIntel2446/"); the
// disk's size as the locale writes it, then "gb/" ("252.0gb/").
std::string DefaultDescription(std::string_view vendor, double cpuMHz);
std::string DefaultLabel(std::string_view diskSizeText);

}  // namespace vt
