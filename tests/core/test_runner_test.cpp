// The test runner's rules, without a widget: what each test stores and tells
// its hooks, in which order, what it refuses before measuring, and the
// defaults and texts the window and batch share.
#include "runner/test_runner.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "results/score_table.h"

namespace vt {
namespace {

// Ticks read in turn; the last one repeats.
TickSource Ticks(std::deque<std::uint32_t> values)
{
    return [values]() mutable {
        const std::uint32_t v = values.front();
        if (values.size() > 1) values.pop_front();
        return v;
    };
}

// A canvas that only counts the shapes it is asked to make.
class CountingCanvas : public TEllipseCanvas {
public:
    void NewShape() override { ++shapes; }
    void SetHeight(std::int32_t) override {}
    void SetWidth(std::int32_t) override {}
    void SetShapeEllipse() override {}
    void SetBrushColor(std::uint32_t) override {}
    void SetLeft(std::int32_t) override {}
    void SetTop(std::int32_t) override {}
    void ShowShape() override {}
    void RepaintPanel() override {}
    bool DestroysShapes() override { return true; }
    void DestroyShape() override {}
    int shapes = 0;
};

// Everything the hooks were told, as text, in order.
struct Told {
    std::vector<std::string> events;
    TTestHooks Hooks()
    {
        TTestHooks h;
        h.Step = [this](int test, int part, const std::string& what) {
            events.push_back("step " + std::to_string(test) + "." + std::to_string(part) + " " +
                             what);
        };
        h.Figure = [this](std::size_t score, long double) {
            events.push_back(std::string("figure ") + kScoreTable.at(score).Name);
        };
        h.Message = [this](const std::string& text) { events.push_back("message " + text); };
        h.Panel = [this](const std::function<void(TEllipseCanvas&)>& draw) {
            CountingCanvas canvas;
            draw(canvas);
            events.push_back("drew " + std::to_string(canvas.shapes));
        };
        h.BlockChosen = [this](std::int32_t typed, const TMemoryBlockSize& size) {
            events.push_back("block " + std::to_string(typed) + " " +
                             std::to_string(size.Bytes / kMiB) + (size.Clamped ? " clamped" : ""));
        };
        return h;
    }
};

TTestInputs Shapes(const char* count)
{
    TTestInputs in;
    in.Shapes = count;
    return in;
}

TTestInputs Memory(const char* mib, int passes)
{
    TTestInputs in;
    in.MemoryMiB = mib;
    in.MemoryPasses = passes;
    return in;
}

TTestInputs File(const char* name)
{
    TTestInputs in;
    in.File = name;
    return in;
}

TTestMachine Machine(std::deque<std::uint32_t> ticks)
{
    TTestMachine m;
    m.Ticks = Ticks(std::move(ticks));
    m.EmptyLoop = [](std::int32_t) {};
    m.AvailableMemory = [] { return std::int64_t{1} << 40; };
    m.SeedRandom = [] {};
    m.TotalPhysMem = std::int64_t{256} * kMiB;
    return m;
}

TEST(TestRunner, EachTestStoresItsScoresAndTellsItsHooksInOrder)
{
    const struct {
        const char* name;
        int test;
        TTestInputs inputs;
        std::deque<std::uint32_t> ticks;
        std::vector<std::string> events;
        double TScores::*score;
        double value;
    } rows[] = {
        {"cycles: 2.5 s",
         2,
         {},
         {1000, 3500},
         {"step 2.0 the empty loop", "figure CyclesPerSec"},
         &TScores::CyclesPerSec,
         2147483647 / 2500.0 * 0.001},
        {"shapes: 0 draws one",
         3,
         Shapes("0"),
         {100, 5100},
         {"step 3.0 drawing the ellipses", "drew 1", "figure DrawTime"},
         &TScores::DrawTime,
         5.0},
        {"shapes: negative draws none",
         3,
         Shapes("-5"),
         {7, 7},
         {"step 3.0 drawing the ellipses", "drew 0", "figure DrawTime"},
         &TScores::DrawTime,
         0.0},
        {"memory: one MiB, two passes",
         5,
         Memory("1", 2),
         {0, 1000, 1000, 2000},
         {"block 1 1", "step 5.0 filling 1 MiB", "figure FillMemSpeed",
          "step 5.1 counting passes over 1 MiB", "figure ReadMemSpeed", "step 5.2 checking 1 MiB"},
         &TScores::FillMemSpeed,
         2.0},
        {"memory: not a number takes 1",
         5,
         Memory("lots", 1),
         {0, 500, 500, 1000},
         {"block 1 1", "step 5.0 filling 1 MiB", "figure FillMemSpeed",
          "step 5.1 counting passes over 1 MiB", "figure ReadMemSpeed", "step 5.2 checking 1 MiB"},
         &TScores::ReadMemSpeed,
         2.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TTestRunner runner;
        Told told;
        const TTestOutcome out = runner.Run(row.test, Machine(row.ticks), row.inputs, told.Hooks());
        EXPECT_EQ(out.Test, row.test);
        EXPECT_EQ(told.events, row.events);
        EXPECT_DOUBLE_EQ(runner.Scores.*row.score, row.value);
        // A test writes its own scores only.
        for (const TScoreRow& s : kScoreTable) {
            if (s.Test == row.test) continue;
            EXPECT_EQ(runner.Scores.*s.Value, 0.0) << s.Name;
        }
    }
}

TEST(TestRunner, RefusalsAndErrorsLeaveTheScoresAlone)
{
    const struct {
        const char* name;
        int test;
        TTestInputs inputs;
        std::string error;    // raised
        std::string refused;  // in the outcome
    } rows[] = {
        {"file: none given", 4, {}, "", "Size of file must be > 1mb"},
        {"file: missing", 4, File("/no/such/file/here"), "", "Size of file must be > 1mb"},
        {"shapes: not a number", 3, Shapes("abc"), "'abc' is not a valid integer value", ""},
        {"every core: not built", 6, {}, "Test 6 is not built yet", ""},
        {"disk profile: not built", 7, {}, "Test 7 is not built yet", ""},
        {"no such test", 0, {}, "Test 0 is not built yet", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TTestRunner runner;
        runner.Scores.HddSpeed = 12.5;
        runner.Scores.DrawTime = 3.25;
        Told told;
        std::string raised;
        TTestOutcome out;
        try {
            out = runner.Run(row.test, Machine({0, 0}), row.inputs, told.Hooks());
        } catch (const Exception& e) {
            raised = e.Message();
        }
        EXPECT_EQ(raised, row.error);
        EXPECT_EQ(out.Refused.value_or(""), row.refused);
        EXPECT_EQ(runner.Scores.HddSpeed, 12.5);
        EXPECT_EQ(runner.Scores.DrawTime, 3.25);
        if (!row.refused.empty()) {
            EXPECT_TRUE(told.events.empty()) << "refused before any step";
        }
    }
}

TEST(TestRunner, MemoryBlockIsChosenBeforeItIsRefused)
{
    TTestRunner runner;
    Told told;
    TTestMachine machine = Machine({0, 0});
    machine.AvailableMemory = [] { return std::int64_t{10} * kMiB; };
    TTestInputs inputs;
    inputs.MemoryMiB = "99999";  // beyond what the machine's memory allows: clamped
    EXPECT_THROW(runner.Run(5, machine, inputs, told.Hooks()), Exception);
    ASSERT_EQ(told.events.size(), 1u);
    EXPECT_EQ(told.events[0].rfind("block 99999 ", 0), 0u) << told.events[0];
    EXPECT_NE(told.events[0].find(" clamped"), std::string::npos) << told.events[0];
    EXPECT_EQ(runner.Scores.FillMemSpeed, 0.0);
}

TEST(TestRunner, SharedDefaultsAndTexts)
{
    const struct {
        std::string got, want;
    } rows[] = {
        {DefaultDescription("GenuineIntel", 2446.4), "GenuineIntel2446/"},
        {DefaultDescription("AuthenticAMD", 1466.5), "AuthenticAMD1466/"},  // halves to even
        {DefaultDescription("", 1467.5), "1468/"},
        {DefaultLabel("252.0"), "252.0gb/"},
        {DefaultLabel("1\xA0"
                      "024,5"),
         "1\xA0"
         "024,5gb/"},
        {WrongBytesText(3), "3 errors"},
        {TestName(1), "1. Create and Sort Lists"},
        {TestName(5), "5. FillChar & ReadChar"},
        {TestName(8), ""},
    };
    for (const auto& row : rows) EXPECT_EQ(row.got, row.want);
    for (int test = 1; test <= kTestCount; ++test) EXPECT_GE(TestParts(test), 1) << test;
    EXPECT_EQ(DefaultMemoryMiB(std::int64_t{256} * kMiB),
              DefaultBlockMiB(std::int64_t{256} * kMiB));
}

}  // namespace
}  // namespace vt
