// The conditions of a run worked out from readings: the figures, the
// verdict and its clauses, the warning line, the window's combination of
// its tests, and the sampler over a scripted machine.
#include "sysinfo/run_conditions.h"

#include <gtest/gtest.h>

#include <atomic>

#include "sysinfo/condition_sampler.h"

namespace vt {
namespace {

constexpr int kCpus = 2;
constexpr double kTick = 0.01;

// The machine's counters after `busy` seconds of work and `steal` seconds
// stolen, over `wall` seconds of its processors.
TSystemCpuTimes Times(double wall, double busy, std::optional<double> steal)
{
    TSystemCpuTimes t;
    t.User = busy;
    t.Steal = steal;
    t.Idle = kCpus * wall - busy - steal.value_or(0);
    t.Cpus = kCpus;
    t.Resolution = kTick;
    return t;
}

struct Row {
    const char* name;
    double wall;                  // seconds of the run
    double others;                // processor seconds other processes took during it
    double before;                // and in the second before
    std::optional<double> steal;  // seconds stolen during it
    double judgedCpu, judgedCapacity;
    double waitingCpu, waitingCapacity;
    std::optional<std::int64_t> throttleStart, throttleEnd;
    std::vector<std::string> clauses;
    double cpuResolution = 1e-9;
};

TConditionReadings Readings(const Row& row)
{
    const double own = row.judgedCpu + row.waitingCpu;
    TConditionReadings r;
    r.SecondBefore = TCounterReading{100, Times(100, 50, 0), 5};
    r.Start = TCounterReading{101, Times(101, 50 + row.before, 0), 5};
    const double busy = 50 + row.before + own + row.others;
    r.End = TCounterReading{101 + row.wall, Times(101 + row.wall, busy, row.steal), 5 + own};
    if (!row.steal) r.Start.System->Steal.reset();
    r.JudgedCpu = row.judgedCpu;
    r.JudgedCapacity = row.judgedCapacity;
    r.JudgedParts = row.judgedCapacity > 0 ? 1 : 0;
    r.WaitingCpu = row.waitingCpu;
    r.WaitingCapacity = row.waitingCapacity;
    r.ThrottleStart = row.throttleStart;
    r.ThrottleEnd = row.throttleEnd;
    r.CpuResolution = row.cpuResolution;
    return r;
}

TEST(RunConditionsVerdict, QuietOrTheClausesThatDisturbedIt)
{
    // Columns: wall, others during, others before, steal, judged CPU and
    // capacity, waiting CPU and capacity, throttle counts, clauses.
    // clang-format off
    const Row rows[] = {
        {"quiet", 10, 0.2, 0.01, 0.1, 10, 10, 0, 0, 4, 4, {}},
        {"starved thread", 10, 0, 0, 0, 6.4, 10, 0, 0, {}, {}, {"the measuring thread got 64% of a CPU"}},
        {"just below the share's limit", 10, 0, 0, 0, 9.47, 10, 0, 0, {}, {}, {"the measuring thread got 94% of a CPU"}},
        {"the share's limit itself", 10, 0, 0, 0, 9.5, 10, 0, 0, {}, {}, {}},
        {"a waiting test's share is not judged", 10, 0, 0, 0, 0, 0, 0.3, 10, {}, {}, {}},
        {"a coarse thread clock over a short part", 0.2, 0, 0, 0, 0.17, 0.2, 0, 0, {}, {}, {}, 0.0156},
        {"others during the run", 10, 9.7, 0, 0, 10, 10, 0, 0, {}, {}, {"other processes used 97% of a CPU"}},
        {"others in the second before", 10, 0, 0.4, 0, 10, 10, 0, 0, {}, {}, {"other processes used 40% of a CPU in the second before"}},
        {"others below a tenth of a CPU", 10, 0.9, 0.09, 0, 10, 10, 0, 0, {}, {}, {}},
        {"others within the ticks of a short run", 0.1, 0.0105, 0, 0, 0.1, 0.1, 0, 0, {}, {}, {}},
        {"steal", 10, 0, 0, 1.4, 10, 10, 0, 0, {}, {}, {"the virtual machine's host took 7% of the processor time"}},
        {"steal not counted", 10, 0, 0, std::nullopt, 10, 10, 0, 0, {}, {}, {}},
        {"throttled", 10, 0, 0, 0, 10, 10, 0, 0, 5, 8, {"the processor throttled 3 times for heat"}},
        {"throttled once", 10, 0, 0, 0, 10, 10, 0, 0, 0, 1, {"the processor throttled once for heat"}},
        {"throttling not counted at the end", 10, 0, 0, 0, 10, 10, 0, 0, 5, {}, {}},
        {"everything at once", 10, 3, 0.5, 1.2, 5, 10, 0, 0, 0, 2,
         {"the measuring thread got 50% of a CPU", "other processes used 50% of a CPU in the second before",
          "other processes used 30% of a CPU", "the virtual machine's host took 6% of the processor time",
          "the processor throttled 2 times for heat"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const TRunConditions c = Conclude(Readings(row));
        EXPECT_EQ(c.Disturbances, row.clauses);
        EXPECT_EQ(c.Quiet, row.clauses.empty());
    }
}

TEST(RunConditionsVerdict, FiguresAsMeasured)
{
    const Row row{"figures", 4, 1, 0.25, 0.2, 3, 4, 0.5, 2, 10, 10, {}};
    TConditionReadings r = Readings(row);
    r.ClockMinMHz = 800;
    r.ClockMaxMHz = 3400;
    r.Governor = "schedutil";
    r.MaxTemperatureC = 71.5;
    r.OnBattery = true;
    const TRunConditions c = Conclude(r);
    EXPECT_DOUBLE_EQ(*c.ThreadCpuShare, 0.75);  // the judged part alone
    EXPECT_DOUBLE_EQ(*c.OtherCpuBeforePct, 25);
    EXPECT_DOUBLE_EQ(*c.OtherCpuDuringPct, 25);
    EXPECT_DOUBLE_EQ(*c.StealPct, 2.5);  // of 2 processors x 4 s
    EXPECT_EQ(c.ClockMinMHz, 800);
    EXPECT_EQ(c.ClockMaxMHz, 3400);
    EXPECT_EQ(c.Governor, "schedutil");
    EXPECT_EQ(c.ThrottleEvents, 0);
    EXPECT_EQ(c.MaxTemperatureC, 71.5);
    EXPECT_EQ(c.OnBattery, true);

    // Only a waiting part: its share is still recorded.
    const Row waiting{"waiting", 4, 0, 0, 0, 0, 0, 0.5, 2, {}, {}, {}};
    EXPECT_DOUBLE_EQ(*Conclude(Readings(waiting)).ThreadCpuShare, 0.25);
}

TEST(RunConditionsVerdict, NothingKeptIsNullNotZero)
{
    TConditionReadings r;
    r.Start.Wall = 1;
    r.End.Wall = 2;
    const TRunConditions c = Conclude(r);
    EXPECT_FALSE(c.ThreadCpuShare);
    EXPECT_FALSE(c.OtherCpuBeforePct);
    EXPECT_FALSE(c.OtherCpuDuringPct);
    EXPECT_FALSE(c.StealPct);
    EXPECT_FALSE(c.ClockMinMHz);
    EXPECT_FALSE(c.ClockMaxMHz);
    EXPECT_FALSE(c.Governor);
    EXPECT_FALSE(c.ThrottleEvents);
    EXPECT_FALSE(c.MaxTemperatureC);
    EXPECT_FALSE(c.OnBattery);
    EXPECT_TRUE(c.Quiet);
}

TEST(OtherCpuPct, BusyTimeLessThisProcess)
{
    const TCounterReading from{10, Times(10, 4, 0), 1};
    const struct {
        const char* name;
        TCounterReading to;
        std::optional<double> pct;
    } rows[] = {
        {"others took half a CPU", {12, Times(12, 7, 0), 3}, 50},
        {"this process alone", {12, Times(12, 6, 0), 3}, 0},
        {"the counters behind this process's clock", {12, Times(12, 5.9, 0), 3}, 0},
        {"no time between", {10, Times(10, 5, 0), 1}, std::nullopt},
        {"no machine counters", {12, std::nullopt, 3}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OtherCpuPct(from, row.to), row.pct);
    }
}

TEST(NotQuietWarning, OneLineNamingWhatDisturbed)
{
    const struct {
        std::vector<std::string> clauses;
        const char* line;
    } rows[] = {
        {{}, ""},
        {{"other processes used 97% of a CPU"},
         "run 3 of 8: other processes used 97% of a CPU; its figures are not this machine's own"},
        {{"a", "b"}, "run 3 of 8: a and b; its figures are not this machine's own"},
        {{"a", "b", "c"}, "run 3 of 8: a, b and c; its figures are not this machine's own"},
    };
    for (const auto& row : rows) {
        TRunConditions c;
        c.Disturbances = row.clauses;
        c.Quiet = row.clauses.empty();
        EXPECT_EQ(NotQuietWarning(3, 8, c), row.line);
    }
}

TEST(CombineConditions, WorstOfEachTestAndTheirClauses)
{
    TRunConditions cycles;
    cycles.ThreadCpuShare = 0.99;
    cycles.OtherCpuBeforePct = 3;
    cycles.OtherCpuDuringPct = 2;
    cycles.StealPct = 0.5;
    cycles.ClockMinMHz = 800;
    cycles.ClockMaxMHz = 2400;
    cycles.Governor = "powersave";
    cycles.ThrottleEvents = 0;
    cycles.MaxTemperatureC = 50;
    cycles.OnBattery = false;
    TRunConditions memory;
    memory.ThreadCpuShare = 0.97;
    memory.OtherCpuBeforePct = 40;
    memory.OtherCpuDuringPct = 1;
    memory.ClockMinMHz = 1000;
    memory.ClockMaxMHz = 3000;
    memory.Governor = "performance";
    memory.ThrottleEvents = 2;
    memory.MaxTemperatureC = 70;
    memory.Quiet = false;
    memory.Disturbances = {"other processes used 40% of a CPU in the second before"};

    const TRunConditions all = CombineConditions({{2, cycles}, {5, memory}, {3, cycles}});
    EXPECT_EQ(all.ThreadCpuShare, 0.97);
    EXPECT_EQ(all.OtherCpuBeforePct, 40);
    EXPECT_EQ(all.OtherCpuDuringPct, 2);
    EXPECT_EQ(all.StealPct, 0.5);
    EXPECT_EQ(all.ClockMinMHz, 800);
    EXPECT_EQ(all.ClockMaxMHz, 3000);
    EXPECT_EQ(all.Governor, "powersave,performance");
    EXPECT_EQ(all.ThrottleEvents, 2);
    EXPECT_EQ(all.MaxTemperatureC, 70);
    EXPECT_EQ(all.OnBattery, false);
    EXPECT_FALSE(all.Quiet);
    EXPECT_EQ(
        all.Disturbances,
        std::vector<std::string>{"test 5: other processes used 40% of a CPU in the second before"});

    TRunConditions unplugged;
    unplugged.OnBattery = true;
    EXPECT_EQ(CombineConditions({{2, cycles}, {1, unplugged}}).OnBattery, true);
    const TRunConditions none = CombineConditions({{1, TRunConditions{}}});
    EXPECT_FALSE(none.ThreadCpuShare);
    EXPECT_FALSE(none.ThrottleEvents);
    EXPECT_FALSE(none.OnBattery);
    EXPECT_TRUE(none.Quiet);
}

// A machine whose counters the test sets; the sampler's own thread never
// reads between Begin and End (its periods are an hour), so every figure
// comes from the moments the test chose.
struct ScriptedMachine {
    std::atomic<double> wall{0}, busy{0}, steal{0}, process{0}, thread{0};
    std::atomic<std::int64_t> throttle{7};

    TConditionSource Source()
    {
        TConditionSource s;
        s.Wall = [this] { return wall.load(); };
        s.SystemTimes = [this] {
            return std::optional<TSystemCpuTimes>(Times(wall, busy, steal.load()));
        };
        s.ThreadCpu = [this] { return thread.load(); };
        s.ProcessCpu = [this] { return process.load(); };
        s.CpuResolution = 1e-9;
        s.Clocks = [] { return TProcessorClocks{{1200, 3400}, "ondemand"}; };
        s.Throttle = [this] { return std::optional<std::int64_t>(throttle.load()); };
        s.Temperature = [] { return std::optional<double>(55); };
        s.Battery = [] { return std::optional<bool>(false); };
        return s;
    }
};

TConditionSampler::TTiming Asleep()
{
    return {std::chrono::hours(1), std::chrono::hours(1), 1.0};
}

TEST(ConditionSampler, FiguresFromTheReadingsAroundTheParts)
{
    ScriptedMachine m;
    TConditionSampler sampler(m.Source(), Asleep());
    m.wall = 2;
    m.busy = 0.5;  // others, in the two seconds before
    sampler.Begin();
    {
        const TConditionSampler::TPart part(sampler, ThreadUseOfTest(2));
        m.wall = 4;
        m.thread = 1.5;
        m.process = 1.6;
        m.busy = 0.5 + 1.6 + 0.6;
        m.steal = 0.2;
    }
    {
        // A waiting part is left out of the share.
        const TConditionSampler::TPart part(sampler, ThreadUseOfTest(4));
        m.wall = 5;
        m.process = 1.7;
        m.thread = 1.6;
        m.busy = 0.5 + 1.7 + 0.6;
    }
    m.throttle = 9;
    const TRunConditions c = sampler.End();
    EXPECT_DOUBLE_EQ(*c.ThreadCpuShare, 0.75);
    EXPECT_DOUBLE_EQ(*c.OtherCpuBeforePct, 25);
    EXPECT_DOUBLE_EQ(*c.OtherCpuDuringPct, 20);  // 0.6 s over 3 s
    EXPECT_NEAR(*c.StealPct, 0.2 / (kCpus * 3) * 100, 1e-9);
    EXPECT_EQ(c.ClockMinMHz, 1200);
    EXPECT_EQ(c.ClockMaxMHz, 3400);
    EXPECT_EQ(c.Governor, "ondemand");
    EXPECT_EQ(c.ThrottleEvents, 2);
    EXPECT_EQ(c.MaxTemperatureC, 55);
    EXPECT_EQ(c.OnBattery, false);
    EXPECT_EQ(c.Disturbances,
              (std::vector<std::string>{"the measuring thread got 75% of a CPU",
                                        "other processes used 25% of a CPU in the second before",
                                        "other processes used 20% of a CPU",
                                        "the processor throttled 2 times for heat"}));

    // The next run starts afresh.
    m.wall = 7;
    sampler.Begin();
    {
        const TConditionSampler::TPart part(sampler, ThreadUseOfTest(6, 2));
        m.wall = 8;
        m.process = 1.7 + 1.9;
        m.busy = 0.5 + 3.6 + 0.6;
    }
    const TRunConditions next = sampler.End();
    EXPECT_DOUBLE_EQ(*next.ThreadCpuShare, 0.95);  // 1.9 s of 2 threads x 1 s
    EXPECT_DOUBLE_EQ(*next.OtherCpuDuringPct, 0);
    EXPECT_EQ(next.ThrottleEvents, 0);
    // The sampler's thread slept: the second before reaches back to its
    // last reading, when the sampler was made.
    EXPECT_EQ(next.Disturbances,
              std::vector<std::string>{"other processes used 16% of a CPU in the second before"});
}

TEST(ConditionSampler, EndWithoutBeginIsEmpty)
{
    ScriptedMachine m;
    TConditionSampler sampler(m.Source(), Asleep());
    const TRunConditions c = sampler.End();
    EXPECT_TRUE(c.Quiet);
    EXPECT_FALSE(c.ThreadCpuShare);
    EXPECT_FALSE(c.OtherCpuDuringPct);
}

}  // namespace
}  // namespace vt
