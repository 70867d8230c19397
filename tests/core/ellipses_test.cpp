#include "benchmarks/ellipses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/random.h"
#include "platform/stop_request.h"

namespace vt {
namespace {

struct TShapeRecord {
    std::int32_t Height = -1, Width = -1, Left = -1, Top = -1;
    std::uint32_t Color = 0xFFFFFFFF;
    bool Ellipse = false, Visible = false, Destroyed = false;
};

// Records every call, in order, and the properties each shape ended with.
class RecordingCanvas : public TEllipseCanvas {
public:
    void NewShape() override { Log("new"), shapes.emplace_back(); }
    void SetHeight(std::int32_t v) override { Log("height"), Last().Height = v; }
    void SetWidth(std::int32_t v) override { Log("width"), Last().Width = v; }
    void SetShapeEllipse() override { Log("ellipse"), Last().Ellipse = true; }
    void SetBrushColor(std::uint32_t v) override { Log("brush"), Last().Color = v; }
    void SetLeft(std::int32_t v) override { Log("left"), Last().Left = v; }
    void SetTop(std::int32_t v) override { Log("top"), Last().Top = v; }
    void ShowShape() override { Log("show"), Last().Visible = true; }
    void RepaintPanel() override
    {
        Log("repaint");
        ++repaints;
        // Every repaint must find the new shape already visible.
        EXPECT_TRUE(!shapes.empty() && Last().Visible);
    }
    bool DestroysShapes() override { return destroys; }
    void DestroyShape() override { Log("destroy"), Last().Destroyed = true; }

    TShapeRecord& Last() { return shapes.back(); }
    void Log(const char* what)
    {
        if (calls.size() < 64) calls.emplace_back(what);
    }

    bool destroys = true;
    std::vector<TShapeRecord> shapes;
    std::vector<std::string> calls;  // the first few calls only
    std::int64_t repaints = 0;
};

TickSource Ticks(std::deque<std::uint32_t> values, int* reads = nullptr)
{
    return [values, reads]() mutable {
        if (reads) ++*reads;
        const std::uint32_t v = values.front();
        if (values.size() > 1) values.pop_front();
        return v;
    };
}

// The generator written out independently of platform/random.
struct ReferenceGenerator {
    std::uint32_t seed;
    std::uint32_t Below(std::uint32_t n)
    {
        seed = seed * 134775813u + 1u;
        return static_cast<std::uint32_t>((std::uint64_t{n} * seed) >> 32);
    }
};

struct CountRow {
    const char* name;
    const char* text;
    std::int32_t count;
    std::int64_t drawn;
};
void PrintTo(const CountRow& row, std::ostream* os)
{
    *os << row.name;
}

class EllipseCountTest : public ::testing::TestWithParam<CountRow> {};

TEST_P(EllipseCountTest, DrawsCountPlusOneOrNone)
{
    const CountRow& row = GetParam();
    RandSeed = 7;
    RecordingCanvas canvas;
    const TEllipseRun run = DrawEllipses(row.text, canvas, Ticks({100, 100}));
    EXPECT_EQ(run.Count, row.count);
    EXPECT_EQ(run.Drawn, row.drawn);
    EXPECT_EQ(static_cast<std::int64_t>(canvas.shapes.size()), row.drawn);
    EXPECT_EQ(canvas.repaints, row.drawn);
    for (const TShapeRecord& s : canvas.shapes) EXPECT_TRUE(s.Ellipse && s.Visible && s.Destroyed);
    // A negative count draws nothing from the generator.
    if (row.drawn == 0) {
        EXPECT_EQ(RandSeed, 7u);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, EllipseCountTest,
                         ::testing::Values(CountRow{"Zero", "0", 0, 1},
                                           CountRow{"TenThousand", "10000", 10000, 10001},
                                           CountRow{"Hexadecimal", "$A", 10, 11},
                                           CountRow{"MinusFive", "-5", -5, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(EllipseLoop, CallsComeInOrderForEachEllipse)
{
    RecordingCanvas canvas;
    DrawEllipses("1", canvas, Ticks({0}));
    const std::vector<std::string> one = {"new",  "height", "width", "ellipse", "brush",
                                          "left", "top",    "show",  "repaint", "destroy"};
    std::vector<std::string> expected = one;
    expected.insert(expected.end(), one.begin(), one.end());
    EXPECT_EQ(canvas.calls, expected);
}

TEST(EllipseLoop, DrawsGeometryAndColourInGeneratorOrder)
{
    for (const std::uint32_t seed : {0u, 1u, 0x12345678u, 0xFFFFFFFFu}) {
        SCOPED_TRACE(seed);
        RandSeed = seed;
        RecordingCanvas canvas;
        DrawEllipses("50", canvas, Ticks({0}));
        ReferenceGenerator gen{seed};
        ASSERT_EQ(canvas.shapes.size(), 51u);
        for (const TShapeRecord& s : canvas.shapes) {
            EXPECT_EQ(s.Height, static_cast<std::int32_t>(gen.Below(300)));
            EXPECT_EQ(s.Width, static_cast<std::int32_t>(gen.Below(400)));
            const std::uint32_t red = gen.Below(255), green = gen.Below(255);
            const std::uint32_t blue = gen.Below(255);
            EXPECT_EQ(s.Color, red | green << 8 | blue << 16);
            EXPECT_EQ(s.Left, static_cast<std::int32_t>(gen.Below(200)));
            EXPECT_EQ(s.Top, static_cast<std::int32_t>(gen.Below(150)));
        }
        EXPECT_EQ(RandSeed, gen.seed);  // nothing else drew from the generator
        // Seed 0 makes the first draw 0: an ellipse without height still counts.
        if (seed == 0) {
            EXPECT_EQ(canvas.shapes[0].Height, 0);
        }
    }
}

TEST(EllipseLoop, BadCountFailsAfterTheStartTickBeforeAnyEllipse)
{
    struct Row {
        const char* text;
        const char* message;
    };
    for (const Row& r : {Row{"abc", "'abc' is not a valid integer value"},
                         Row{"", "'' is not a valid integer value"},
                         Row{"10 ", "'10 ' is not a valid integer value"}}) {
        SCOPED_TRACE(r.text);
        RecordingCanvas canvas;
        int reads = 0;
        RandSeed = 99;
        try {
            DrawEllipses(r.text, canvas, Ticks({0}, &reads));
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), r.message);
        }
        EXPECT_EQ(reads, 1);  // the conversion is inside the timed stretch
        EXPECT_TRUE(canvas.calls.empty());
        EXPECT_EQ(RandSeed, 99u);
    }
}

// A stop request is looked at before each ellipse: the run ends with the
// request's signal after the ellipses already made, none after it, and the
// end tick is never read (the run gives no figure).
TEST(EllipseLoop, StopRequestEndsTheRunBetweenTwoEllipses)
{
    const struct {
        const char* name;
        int stopAfter;  // the repaint after which the request comes; 0: none
        std::int64_t repaints;
        int signal;
    } rows[] = {{"none", 0, 101, 0}, {"after the first", 1, 1, 2}, {"after the 37th", 37, 37, 15}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<int> flag{0};
        struct StoppingCanvas : RecordingCanvas {
            std::atomic<int>* flag;
            int after, signal;
            void RepaintPanel() override
            {
                RecordingCanvas::RepaintPanel();
                if (repaints == after) *flag = signal;
            }
        } canvas;
        canvas.flag = &flag;
        canvas.after = row.stopAfter;
        canvas.signal = row.signal;
        int reads = 0, signal = 0;
        try {
            DrawEllipses("100", canvas, Ticks({5, 9}, &reads), &flag);
        } catch (const TStopRequest& stop) {
            signal = stop.Signal;
        }
        EXPECT_EQ(canvas.repaints, row.repaints);
        EXPECT_EQ(signal, row.signal);
        EXPECT_EQ(reads, row.signal ? 1 : 2);
    }
}

TEST(RandomColor, ChannelsStayBelow255InRedGreenBlueOrder)
{
    RandSeed = 0;
    std::uint32_t highest[3] = {0, 0, 0};
    for (int i = 0; i < 100000; ++i) {
        const std::uint32_t c = RandomColor();
        ASSERT_EQ(c >> 24, 0u);
        for (int ch = 0; ch < 3; ++ch) highest[ch] = std::max(highest[ch], (c >> (8 * ch)) & 0xFF);
    }
    for (const std::uint32_t h : highest) EXPECT_EQ(h, 254u);
}

}  // namespace
}  // namespace vt
