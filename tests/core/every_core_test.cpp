// Test 6 without threads: a gang that runs each worker in turn on the
// calling thread, notes the CPUs it was asked for and answers with scripted
// times, so that the parts, their CPUs, the figures' arithmetic, the check
// and the stop can be seen on any layout.
#include <gtest/gtest.h>

#include <deque>

#include "benchmarks/every_core.h"
#include "platform/cpu_layout.h"
#include "platform/errors.h"
#include "platform/stop_request.h"

namespace vt {
namespace {

// A layout of `cores` cores with `smt` CPUs each, numbered core by core;
// with `efficiencyCores`, the last that many cores are of a second kind.
TCpuLayout Layout(int cores, int smt, int efficiencyCores = 0, std::vector<int> allowed = {})
{
    std::vector<TCpuFact> facts;
    for (int core = 0; core < cores; ++core)
        for (int s = 0; s < smt; ++s) {
            TCpuFact fact;
            fact.Cpu = core * smt + s;
            fact.Core = core;
            fact.KindRank = core >= cores - efficiencyCores ? 0 : 1;
            facts.push_back(fact);
        }
    if (allowed.empty())
        for (const TCpuFact& fact : facts) allowed.push_back(fact.Cpu);
    std::vector<TCoreKindFact> kinds{{1, {}}};
    if (efficiencyCores > 0) kinds.push_back({0, {}});
    return BuildCpuLayout(facts, kinds, allowed);
}

// The gang of the tests: workers in turn, scripted elapsed times.
struct FakeGang {
    std::deque<std::int32_t> elapsed;  // one per call; 1 when none is left
    std::vector<std::vector<int>> calls;

    TThreadGang Gang()
    {
        return [this](const std::vector<int>& cpus, const TGangWork& work) {
            calls.push_back(cpus);
            for (std::size_t i = 0; i < cpus.size(); ++i)
                if (work.Prepare) work.Prepare(i);
            for (std::size_t i = 0; i < cpus.size(); ++i) work.Work(i);
            if (elapsed.empty()) return std::int32_t{1};
            const std::int32_t e = elapsed.front();
            elapsed.pop_front();
            return e;
        };
    }
};

TEveryCoreInputs SmallInputs(std::int64_t blockMiB = 2, int passes = 3)
{
    TEveryCoreInputs inputs;
    inputs.BlockBytes = blockMiB * kMiB;
    inputs.Passes = passes;
    inputs.LoopCount = 1000000;  // 1 M iterations: 1 M/s per thread for each second
    inputs.LoopChunk = 300000;
    return inputs;
}

TEST(EveryCore, PartsAndTheirThreadsOnAHybridProcessor)
{
    // Cores 0-1 performance with two CPUs each, cores 2-5 efficiency.
    const TCpuLayout layout = Layout(6, 2, 4);
    FakeGang fake;
    std::vector<std::string> parts;
    TEveryCoreSteps steps;
    steps.Part = [&](const std::string& part) { parts.push_back(part); };
    const TEveryCoreResult result = RunEveryCore(layout, SmallInputs(), fake.Gang(), steps);

    const std::vector<int> cores{0, 2, 4, 6, 8, 10};
    EXPECT_EQ(fake.calls, (std::vector<std::vector<int>>{
                              {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11},
                              cores,
                              {4, 6, 8, 10},  // efficiency, the lower rank, first
                              {0, 2},
                              cores,  // fill
                              cores,  // count
                              cores,  // check
                          }));
    EXPECT_EQ(parts,
              (std::vector<std::string>{
                  "the loop on 12 CPUs", "the loop on 6 cores, one CPU each",
                  "the loop on 4 cores (efficiency)", "the loop on 2 cores (performance)",
                  "filling 2 MiB on 6 threads", "counting passes over 2 MiB", "checking 2 MiB"}));
    EXPECT_EQ(static_cast<int>(parts.size()), EveryCoreParts(layout));
    ASSERT_EQ(result.CoreKinds.size(), 2u);
    EXPECT_EQ(result.CoreKinds[0].Kind, "efficiency");
    EXPECT_EQ(result.CoreKinds[0].Cpus, (std::vector<int>{4, 6, 8, 10}));
    EXPECT_EQ(result.CoreKinds[1].Kind, "performance");
    EXPECT_EQ(result.WrongBytes, 0);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

// The figures from scripted elapsed times (ms) of the parts, in their order:
// every CPU, every core, fill, count (and the check's, unused).
struct FiguresRow {
    const char* name;
    int cores, smt;
    std::int64_t blockMiB;
    int passes;
    std::deque<std::int32_t> elapsed;
    double all, perCore, fill, read;
};

class EveryCoreFiguresTest : public ::testing::TestWithParam<FiguresRow> {};

TEST_P(EveryCoreFiguresTest, Arithmetic)
{
    const FiguresRow& row = GetParam();
    FakeGang fake;
    fake.elapsed = row.elapsed;
    const TEveryCoreResult result = RunEveryCore(
        Layout(row.cores, row.smt), SmallInputs(row.blockMiB, row.passes), fake.Gang(), {});
    EXPECT_DOUBLE_EQ(result.CyclesPerSecAll, row.all);
    EXPECT_DOUBLE_EQ(result.CyclesPerSecCores, row.perCore);
    EXPECT_DOUBLE_EQ(result.FillMemSpeedAll, row.fill);
    EXPECT_DOUBLE_EQ(result.ReadMemSpeedAll, row.read);
    EXPECT_EQ(result.BlockMiB, row.blockMiB);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EveryCoreFiguresTest,
    ::testing::Values(
        // 10^6 iterations per thread in 500 ms: 2 M/s each.
        FiguresRow{"two_cores", 2, 1, 2, 3, {500, 1000, 10, 4, 1}, 4, 2, 600, 1500},
        FiguresRow{"smt_doubles_the_threads", 2, 2, 4, 1, {250, 500, 8, 16, 1}, 16, 4, 500, 250},
        FiguresRow{"one_cpu", 1, 1, 1, 100, {1000, 1000, 50, 25, 1}, 1, 1, 2000, 4000},
        FiguresRow{"zero_loop_time_leaves_zero", 2, 1, 2, 1, {0, 0, 1, 1, 1}, 0, 0, 2000, 2000},
        FiguresRow{"sixteen_cores_at_three_ms",
                   16,
                   2,
                   16,
                   2,
                   {3, 3, 7, 7, 1},
                   32000.0 / 3,
                   16000.0 / 3,
                   32000.0 / 7,
                   32000.0 / 7}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EveryCore, AtTheTestsOwnCountEachThreadRatesAsTestTwo)
{
    // 2^31 - 1 iterations in 1000 ms: 2147.483647 M/s, as test 2's figure.
    EXPECT_DOUBLE_EQ(EveryCoreLoopFigure(1, 1000), 2147.483647);
    EXPECT_DOUBLE_EQ(EveryCoreLoopFigure(4, 1000), 4 * 2147.483647);
    EXPECT_DOUBLE_EQ(EveryCoreLoopFigure(2, 2500), 2 * 858.9934588);
}

TEST(EveryCore, ZeroMemoryTimeIsADivisionByZero)
{
    for (const std::deque<std::int32_t>& elapsed :
         {std::deque<std::int32_t>{1, 1, 0}, std::deque<std::int32_t>{1, 1, 5, 0}}) {
        FakeGang fake;
        fake.elapsed = elapsed;
        EXPECT_THROW(RunEveryCore(Layout(2, 1), SmallInputs(), fake.Gang(), {}), EZeroDivide);
        EXPECT_EQ(TMemoryBlock::Live(), 0);
    }
}

// Bytes changed after the passes and before the check are found, in
// whichever thread's slice they lie.
struct CorruptRow {
    const char* name;
    int cores;
    std::vector<std::int64_t> offsets;  // bytes of the block set to 0
    std::int64_t wrong;
};

class EveryCoreCheckTest : public ::testing::TestWithParam<CorruptRow> {};

TEST_P(EveryCoreCheckTest, FindsWrongBytes)
{
    const CorruptRow& row = GetParam();
    FakeGang fake;
    TEveryCoreSteps steps;
    std::int64_t checkedSize = 0;
    steps.BeforeCheck = [&](std::uint8_t* block, std::int64_t size) {
        checkedSize = size;
        for (const std::int64_t at : row.offsets) block[at] = 0;
    };
    const TEveryCoreResult result =
        RunEveryCore(Layout(row.cores, 1), SmallInputs(3, 1), fake.Gang(), steps);
    EXPECT_EQ(checkedSize, 3 * kMiB);
    EXPECT_EQ(result.WrongBytes, row.wrong);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EveryCoreCheckTest,
    ::testing::Values(CorruptRow{"clean", 3, {}, 0}, CorruptRow{"first_byte", 3, {0}, 1},
                      CorruptRow{"last_byte", 3, {3 * kMiB - 1}, 1},
                      CorruptRow{"second_slice", 3, {kMiB, kMiB + 7, 2 * kMiB - 1}, 3},
                      CorruptRow{
                          "a_slice_per_thread", 2, {5, 3 * kMiB / 2 + 4096, 3 * kMiB - 2}, 3},
                      CorruptRow{"one_thread", 1, {kMiB}, 1}),
    [](const auto& info) { return std::string(info.param.name); });

// A stop asked for before a part ends the test there: that part's threads
// see it at their first chunk or pass; nothing after it runs and the block
// is given back. The check, the last part, runs to its end.
struct StopRow {
    const char* name;
    std::size_t stopAtPart;
    std::size_t gangCalls;  // including the one that sees the stop
    bool stops;
};

class EveryCoreStopTest : public ::testing::TestWithParam<StopRow> {};

TEST_P(EveryCoreStopTest, EndsThere)
{
    const StopRow& row = GetParam();
    FakeGang fake;
    std::atomic<int> stop{0};
    std::size_t part = 0;
    TEveryCoreSteps steps;
    steps.Stop = &stop;
    steps.Part = [&](const std::string&) {
        if (part++ == row.stopAtPart) stop = 15;
    };
    bool stopped = false;
    try {
        RunEveryCore(Layout(2, 2), SmallInputs(), fake.Gang(), steps);
    } catch (const TStopRequest& request) {
        stopped = true;
        EXPECT_EQ(request.Signal, 15);
    }
    EXPECT_EQ(stopped, row.stops);
    EXPECT_EQ(fake.calls.size(), row.gangCalls);
    EXPECT_EQ(TMemoryBlock::Live(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, EveryCoreStopTest,
                         ::testing::Values(StopRow{"every_cpu", 0, 1, true},
                                           StopRow{"every_core", 1, 2, true},
                                           StopRow{"fill", 2, 3, true},
                                           StopRow{"count", 3, 4, true},
                                           StopRow{"check", 4, 5, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EveryCore, StopAskedBeforeTheTestRunsNothing)
{
    FakeGang fake;
    std::atomic<int> stop{2};
    TEveryCoreSteps steps;
    steps.Stop = &stop;
    EXPECT_THROW(RunEveryCore(Layout(2, 1), SmallInputs(), fake.Gang(), steps), TStopRequest);
    EXPECT_TRUE(fake.calls.empty());
}

struct SlicesRow {
    const char* name;
    std::int64_t bytes;
    std::size_t threads;
    std::vector<std::int64_t> offsets;
};

class EveryCoreSlicesTest : public ::testing::TestWithParam<SlicesRow> {};

TEST_P(EveryCoreSlicesTest, Offsets)
{
    const SlicesRow& row = GetParam();
    EXPECT_EQ(EveryCoreSlices(row.bytes, row.threads), row.offsets);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EveryCoreSlicesTest,
    ::testing::Values(SlicesRow{"halves", 2 * kMiB, 2, {0, kMiB, 2 * kMiB}},
                      // 256 pages for 3: 86, 85, 85.
                      SlicesRow{"uneven", kMiB, 3, {0, 86 * 4096, 171 * 4096, kMiB}},
                      SlicesRow{"fewer_pages_than_threads", 8192, 4, {0, 4096, 8192, 8192, 8192}},
                      SlicesRow{"one_thread", 3 * kMiB, 1, {0, 3 * kMiB}},
                      SlicesRow{"nothing", 0, 2, {0, 0, 0}}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoteRow {
    const char* name;
    std::vector<int> allowed;
    std::string note;
};

class EveryCoreNoteTest : public ::testing::TestWithParam<NoteRow> {};

TEST_P(EveryCoreNoteTest, SaysWhatWasUsed)
{
    const NoteRow& row = GetParam();
    EXPECT_EQ(EveryCoreNote(Layout(4, 2, 0, row.allowed)), row.note);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EveryCoreNoteTest,
    ::testing::Values(NoteRow{"whole_machine", {}, ""},
                      NoteRow{"one_cpu",
                              {5},
                              "only CPU 5 of 8 CPUs may be used: the every-core figures are one "
                              "thread's"},
                      NoteRow{"three_cpus",
                              {0, 1, 6},
                              "3 of 8 CPUs may be used: the every-core figures are "
                              "theirs"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EveryCore, OneAllowedCpuRunsOneThreadInEveryPart)
{
    FakeGang fake;
    const TEveryCoreResult result =
        RunEveryCore(Layout(4, 2, 0, {3}), SmallInputs(), fake.Gang(), {});
    for (const std::vector<int>& call : fake.calls) EXPECT_EQ(call, std::vector<int>{3});
    EXPECT_FALSE(result.Note.empty());
}

TEST(EveryCore, DetailsOfTheRecord)
{
    const TCpuLayout layout = Layout(6, 2, 4, {0, 1, 2, 4, 6});
    TEveryCoreResult result;
    result.CoreKinds = {{"efficiency", {4, 6}, 900}, {"performance", {0, 2}, 1800}};
    const TEveryCoreDetails details = EveryCoreDetails(layout, result);
    EXPECT_EQ(details.PhysicalCores, 4);
    EXPECT_EQ(details.CpusUsed, 5);
    EXPECT_EQ(details.Smt, 2);
    EXPECT_EQ(details.NumaNodes, 1);
    ASSERT_EQ(details.CoreKinds.size(), 2u);
    EXPECT_EQ(details.CoreKinds[1].CyclesPerSec, 1800);
    EXPECT_FALSE(details.Scaling);

    EXPECT_DOUBLE_EQ(EveryCoreScaling(3400, 1700).value(), 2);
    EXPECT_FALSE(EveryCoreScaling(3400, 0));
    EXPECT_FALSE(EveryCoreScaling(0, 1700));
}

}  // namespace
}  // namespace vt
