// The gang of real threads: every worker pinned and prepared before any is
// released, the time from the release to the last end, an error naming the
// CPU when a thread cannot be started or pinned, every thread joined on
// every path; and test 6 on this machine's own layout, stopped and whole.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <system_error>

#include "benchmarks/every_core.h"
#include "benchmarks/thread_gang.h"
#include "platform/cpu_layout.h"
#include "platform/errors.h"
#include "platform/pin_thread.h"
#include "platform/stop_request.h"

namespace vt {
namespace {

// Ticks 10 ms apart on every reading, from any thread.
TickSource SteppingTicks(std::atomic<std::uint32_t>& now)
{
    return [&now] { return now.fetch_add(10) + 10; };
}

TEST(ThreadGang, PreparedAndPinnedBeforeTheReleaseTimedToTheLastEnd)
{
    const std::vector<int> cpus = ReadCpuLayout().Cpus;
    std::atomic<std::uint32_t> now{1000};
    std::mutex mutex;
    std::multiset<int> pinned;
    std::set<std::size_t> workers;
    std::atomic<std::size_t> prepared{0};
    std::atomic<bool> releasedEarly{false};
    TThreadHooks hooks;
    hooks.Pin = [&](int cpu) {
        PinThisThread(cpu);
        const std::lock_guard<std::mutex> lock(mutex);
        pinned.insert(cpu);
    };
    TGangWork work;
    work.Prepare = [&](std::size_t) { ++prepared; };
    work.Work = [&](std::size_t i) {
        if (prepared != cpus.size()) releasedEarly = true;
        const std::lock_guard<std::mutex> lock(mutex);
        workers.insert(i);
    };
    const std::int32_t elapsed = PinnedThreadGang(SteppingTicks(now), hooks)(cpus, work);
    // Two readings: the release and the last end.
    EXPECT_EQ(elapsed, 10);
    EXPECT_EQ(now.load(), 1020u);
    EXPECT_EQ(pinned, std::multiset<int>(cpus.begin(), cpus.end()));
    EXPECT_EQ(workers.size(), cpus.size());
    EXPECT_FALSE(releasedEarly);
}

// A failure before the release: no worker runs its work, every thread is
// joined (a thread left behind would end the process), the error names the
// CPU.
struct FailureRow {
    const char* name;
    std::vector<int> cpus;
    bool failStart;       // the second thread cannot be started
    int failPin;          // this CPU cannot be pinned to (-2: none)
    bool failPrepare;     // the first worker's preparation fails
    const char* message;  // part of the error's message
};

class ThreadGangFailureTest : public ::testing::TestWithParam<FailureRow> {};

TEST_P(ThreadGangFailureTest, EndsBeforeTheRelease)
{
    const FailureRow& row = GetParam();
    std::atomic<int> started{0}, worked{0};
    TThreadHooks hooks;
    hooks.Start = [&](std::function<void()> body) {
        if (row.failStart && started == 1)
            throw std::system_error(
                std::make_error_code(std::errc::resource_unavailable_try_again));
        ++started;
        return std::thread(std::move(body));
    };
    if (row.failPin != -2)
        hooks.Pin = [&](int cpu) {
            if (cpu == row.failPin) PinThisThread(cpu);
        };
    TGangWork work;
    work.Prepare = [&](std::size_t i) {
        if (row.failPrepare && i == 0) throw Exception("no memory for worker 0");
    };
    work.Work = [&](std::size_t) { ++worked; };
    std::atomic<std::uint32_t> now{0};
    try {
        PinnedThreadGang(SteppingTicks(now), hooks)(row.cpus, work);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.Message()).find(row.message), std::string::npos) << e.Message();
    }
    EXPECT_EQ(worked.load(), 0);
    EXPECT_EQ(now.load(), 0u);  // no time was taken
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ThreadGangFailureTest,
    ::testing::Values(
        FailureRow{
            "thread_not_started", {0, 0, 0}, true, -2, false, "Cannot start a thread for CPU 0"},
        // No machine has CPU 4095 in 64 groups of 64: the system refuses.
        FailureRow{"cpu_refused", {0, 4095}, false, 4095, false, "CPU 4095"},
        FailureRow{"negative_cpu", {-1, 0}, false, -1, false, "CPU -1"},
        FailureRow{"preparation_failed", {0, 0}, false, -2, true, "no memory for worker 0"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ThreadGang, AWorkersErrorEndsTheGangAfterTheOthersEnd)
{
    std::atomic<int> ended{0};
    TGangWork work;
    work.Work = [&](std::size_t i) {
        ++ended;
        if (i == 1) throw TStopRequest{2};
    };
    TThreadHooks hooks;
    hooks.Pin = [](int) {};
    std::atomic<std::uint32_t> now{0};
    EXPECT_THROW(PinnedThreadGang(SteppingTicks(now), hooks)({0, 0, 0}, work), TStopRequest);
    EXPECT_EQ(ended.load(), 3);
}

TEveryCoreInputs TinyInputs()
{
    TEveryCoreInputs inputs;
    inputs.BlockBytes = 2 * kMiB;
    inputs.Passes = 2;
    inputs.LoopCount = 1 << 20;
    inputs.LoopChunk = 1 << 18;
    return inputs;
}

TEST(EveryCoreThreads, WholeTestOnThisMachine)
{
    const TCpuLayout layout = ReadCpuLayout();
    std::atomic<std::uint32_t> now{0};
    const TEveryCoreResult result =
        RunEveryCore(layout, TinyInputs(), PinnedThreadGang(SteppingTicks(now)), {});
    // Every part took 10 ms of the stepping ticks.
    EXPECT_DOUBLE_EQ(result.CyclesPerSecAll, EveryCoreLoopFigure(layout.Cpus.size(), 10, 1 << 20));
    EXPECT_DOUBLE_EQ(result.CyclesPerSecCores,
                     EveryCoreLoopFigure(layout.Cores.size(), 10, 1 << 20));
    EXPECT_DOUBLE_EQ(result.FillMemSpeedAll, 2 * 2 * 1000 / 10.0);
    EXPECT_EQ(result.WrongBytes, 0);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

TEST(EveryCoreThreads, CorruptedSliceFoundByItsThread)
{
    const TCpuLayout layout = ReadCpuLayout();
    std::atomic<std::uint32_t> now{0};
    TEveryCoreSteps steps;
    steps.BeforeCheck = [](std::uint8_t* block, std::int64_t size) {
        block[size / 2] ^= 1;
        block[size - 1] = 0;
    };
    EXPECT_EQ(
        RunEveryCore(layout, TinyInputs(), PinnedThreadGang(SteppingTicks(now)), steps).WrongBytes,
        2);
}

TEST(EveryCoreThreads, StopInTheMiddleOfTheLoop)
{
    // The whole loop of test 2 on every CPU takes a second or more; the
    // stop comes while it runs, and every thread sees it between chunks.
    const TCpuLayout layout = ReadCpuLayout();
    TEveryCoreInputs inputs = TinyInputs();
    inputs.LoopCount = kEmptyLoopCount;
    inputs.LoopChunk = kEveryCoreLoopChunk;
    std::atomic<int> stop{0};
    TEveryCoreSteps steps;
    steps.Stop = &stop;
    std::thread stopper;
    steps.Part = [&](const std::string&) {
        if (!stopper.joinable())
            stopper = std::thread([&] {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
                stop = 2;
            });
    };
    int signal = 0;
    try {
        RunEveryCore(layout, inputs, PinnedThreadGang(SystemTicks()), steps);
    } catch (const TStopRequest& request) {
        signal = request.Signal;
    }
    stopper.join();
    EXPECT_EQ(signal, 2);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

}  // namespace
}  // namespace vt
