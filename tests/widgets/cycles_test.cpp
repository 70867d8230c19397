#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <atomic>

#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "window_fixture.h"

namespace vt::testing {

class CyclesTest : public WindowTest {
protected:
    // Opens the window with a loop that records its count and the number of
    // tick readings before it, and a clock probe that records when it ran.
    T_fVesktest& OpenRecording(double mhz = 1466.0)
    {
        auto& w = Open();
        w.Env().EmptyLoop = [this](std::int32_t count) {
            loopCounts.push_back(count);
            readsAtLoop.push_back(reads);
        };
        w.Env().MeasureCpuMHz = [this, mhz] {
            readsAtClock.push_back(reads);
            return mhz;
        };
        return w;
    }
    // Scripts the tick counter and counts its readings.
    void Ticks(std::deque<std::uint32_t> values)
    {
        ScriptTicks(std::move(values));
        auto inner = window->Env().Ticks;
        window->Env().Ticks = [this, inner] {
            ++reads;
            return inner();
        };
    }

    int reads = 0;
    std::vector<std::int32_t> loopCounts;
    std::vector<int> readsAtLoop;
    std::vector<int> readsAtClock;
};

TEST_F(CyclesTest, ShowsSecondsRateAndClock)
{
    struct Row {
        std::uint32_t t0, t1;
        const char* edit1;
        double rate;
        const char* rateColumn;
    };
    const Row rows[] = {
        {5000, 6000, "1", 2147.483647, "2147.5"},
        {5000, 7500, "2.5", 858.9934588, " 859.0"},
        {5000, 6562, "1.562", 1374.8294795134443, "1374.8"},
        {0xFFFFFFFFu - 499, 500, "1", 2147.483647, "2147.5"},  // across the wrap
    };
    for (const Row& r : rows) {
        auto& w = OpenRecording();
        w.List->ClearLines();
        Ticks({r.t0, r.t1});
        w.Button3Click(w.Button3);

        EXPECT_EQ(w.Edit1->text(), QString::fromLatin1(r.edit1));
        EXPECT_DOUBLE_EQ(w.Scores.CyclesPerSec, r.rate);
        ASSERT_EQ(w.List->LineCount(), 1);
        EXPECT_EQ(w.List->Lines()[0], w.FormatResultLine());
        // The rate is the sixth column: "%6.1f" after the fifth '|'.
        const std::string line = w.List->Lines()[0];
        std::size_t bar = 0;
        for (int i = 0; i < 5; ++i) bar = line.find('|', bar) + 1;
        EXPECT_EQ(line.substr(bar, 6), r.rateColumn);
        EXPECT_EQ(w.RxLabel3->Caption(), QStringLiteral("Ready"));

        // The loop ran once with its full count, between the two readings;
        // the clock came after the second.
        EXPECT_EQ(loopCounts, (std::vector<std::int32_t>{2147483647}));
        EXPECT_EQ(readsAtLoop, (std::vector<int>{1}));
        EXPECT_EQ(readsAtClock, (std::vector<int>{2}));
        EXPECT_TRUE(dialogs.Errors().empty());
        window.reset();
        reads = 0;
        loopCounts.clear();
        readsAtLoop.clear();
        readsAtClock.clear();
    }
}

TEST_F(CyclesTest, ClockRoundsHalvesToEven)
{
    const struct {
        double mhz;
        const char* text;
    } rows[] = {{1467.4, "1467"}, {1466.5, "1466"}, {1467.5, "1468"}, {2999.6, "3000"}};
    for (const auto& r : rows) {
        auto& w = OpenRecording(r.mhz);
        Ticks({100, 1100});
        w.Button3Click(w.Button3);
        EXPECT_EQ(w.Edit14->text(), QString::fromLatin1(r.text)) << r.mhz;
        EXPECT_EQ(w.RxLabel1->Caption(), QString::fromLatin1(r.text) + "mHz") << r.mhz;
        window.reset();
    }
}

TEST_F(CyclesTest, ZeroElapsedTimeGivesRateZero)
{
    auto& w = OpenRecording();
    Ticks({4000, 4000});
    w.Button3Click(w.Button3);
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("0"));
    EXPECT_EQ(w.Scores.CyclesPerSec, 0.0);
    EXPECT_EQ(w.RxLabel3->Caption(), QStringLiteral("Ready"));
    EXPECT_TRUE(dialogs.Errors().empty());
}

TEST_F(CyclesTest, TwoRunsAppendTwoLines)
{
    auto& w = OpenRecording();
    w.List->ClearLines();
    Ticks({0, 1000, 2000, 3000, 3000, 5500});
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    ASSERT_EQ(w.List->LineCount(), 2);
    EXPECT_EQ(w.List->Lines()[0], w.List->Lines()[1]);  // equal elapsed times
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    ASSERT_EQ(w.List->LineCount(), 3);
    EXPECT_NE(w.List->Lines()[2], w.List->Lines()[1]);
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("2.5"));
    EXPECT_EQ(loopCounts.size(), 3u);
}

// Each test's run is sampled from just before its measured work to just
// after it (the clock probe after the loop is outside); the window keeps the
// conditions of the last run of each test for Save.
TEST_F(CyclesTest, KeepsTheConditionsOfItsLastRun)
{
    struct Machine {
        std::atomic<double> wall{0}, busy{0}, process{0}, thread{0};
    };
    const auto m = std::make_shared<Machine>();
    env.ConditionSampler = [m] {
        TConditionSource s;
        s.Wall = [m] { return m->wall.load(); };
        s.SystemTimes = [m] {
            TSystemCpuTimes t;
            t.User = m->busy;
            t.Idle = 2 * m->wall - m->busy;
            t.Cpus = 2;
            t.Resolution = 0.01;
            return std::optional<TSystemCpuTimes>(t);
        };
        s.ThreadCpu = [m] { return m->thread.load(); };
        s.ProcessCpu = [m] { return m->process.load(); };
        s.Clocks = [] { return TProcessorClocks{}; };
        s.Throttle = [] { return std::optional<std::int64_t>(); };
        s.Temperature = [] { return std::optional<double>(); };
        s.Battery = [] { return std::optional<bool>(); };
        // The sampler's own thread never reads: every figure comes from the
        // moments the window reads.
        return std::make_unique<TConditionSampler>(
            s, TConditionSampler::TTiming{std::chrono::hours(1), std::chrono::hours(1), 1.0});
    };
    auto& w = OpenRecording();
    EXPECT_FALSE(w.RunConditions());
    // Work of this process, `share` of it on the measuring thread.
    const auto work = [m](double seconds, double share) {
        m->wall = m->wall + seconds;
        m->thread = m->thread + seconds * share;
        m->process = m->process + seconds * share;
        m->busy = m->busy + seconds * share;
    };
    m->wall = 2;
    w.Env().EmptyLoop = [work](std::int32_t) { work(1, 0.5); };
    w.Env().MeasureCpuMHz = [work] {
        work(10, 0);
        return 1466.0;
    };
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    auto c = w.RunConditions();
    ASSERT_TRUE(c);
    ASSERT_TRUE(c->ThreadCpuShare);
    EXPECT_DOUBLE_EQ(*c->ThreadCpuShare, 0.5);
    EXPECT_FALSE(c->Quiet);
    EXPECT_EQ(c->Disturbances,
              std::vector<std::string>{"test 2: the measuring thread got 50% of a CPU"});
    EXPECT_FALSE(c->ClockMinMHz);  // none reported: null, not 0

    // The next run replaces the last.
    w.Env().EmptyLoop = [work](std::int32_t) { work(1, 1); };
    QTest::mouseClick(w.Button3, Qt::LeftButton);
    c = w.RunConditions();
    ASSERT_TRUE(c);
    EXPECT_DOUBLE_EQ(*c->ThreadCpuShare, 1);
    EXPECT_TRUE(c->Quiet);
    EXPECT_EQ(w.TestConditions.size(), 1u);
    // Save's record carries them; a test that did not run has none.
    const TRunRecord record = w.RunRecord();
    ASSERT_TRUE(record.Conditions);
    EXPECT_DOUBLE_EQ(*record.Conditions->ThreadCpuShare, 1);
    EXPECT_FALSE(w.RunConditions({5}));
}

}  // namespace vt::testing
