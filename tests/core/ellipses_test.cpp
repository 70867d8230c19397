#include "benchmarks/ellipses.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/random.h"

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
    for (const TShapeRecord& s : canvas.shapes) {
        EXPECT_TRUE(s.Ellipse && s.Visible && s.Destroyed);
        EXPECT_LT(s.Height, 300);
        EXPECT_LT(s.Width, 400);
        EXPECT_LT(s.Left, 200);
        EXPECT_LT(s.Top, 150);
        EXPECT_GE(std::min({s.Height, s.Width, s.Left, s.Top}), 0);
    }
    // A negative count draws nothing from the generator.
    if (row.drawn == 0) {
        EXPECT_EQ(RandSeed, 7u);
    }
}

INSTANTIATE_TEST_SUITE_P(Counts, EllipseCountTest,
                         ::testing::Values(CountRow{"Zero", "0", 0, 1}, CountRow{"One", "1", 1, 2},
                                           CountRow{"TenThousand", "10000", 10000, 10001},
                                           CountRow{"LeadingBlanksAndSign", "  +3", 3, 4},
                                           CountRow{"Hexadecimal", "$A", 10, 11},
                                           CountRow{"MinusOne", "-1", -1, 0},
                                           CountRow{"MinusFive", "-5", -5, 0},
                                           CountRow{"MostNegative", "-2147483648", INT32_MIN, 0}),
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

TEST(EllipseLoop, UntickedBoxLeavesEveryShape)
{
    RecordingCanvas canvas;
    canvas.destroys = false;
    DrawEllipses("4", canvas, Ticks({0}));
    ASSERT_EQ(canvas.shapes.size(), 5u);
    for (const TShapeRecord& s : canvas.shapes) EXPECT_FALSE(s.Destroyed);
    EXPECT_EQ(std::count(canvas.calls.begin(), canvas.calls.end(), "destroy"), 0);
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
    }
}

TEST(EllipseLoop, SeedZeroStartsWithAnEllipseOfHeightZero)
{
    // Worked by hand: the first draw after seed 0 has seed 1, so every
    // "below n" is 0 and the first ellipse has no height, yet it is made.
    RandSeed = 0;
    RecordingCanvas canvas;
    const TEllipseRun run = DrawEllipses("1", canvas, Ticks({0}));
    EXPECT_EQ(run.Drawn, 2);
    ASSERT_EQ(canvas.shapes.size(), 2u);
    const TShapeRecord& first = canvas.shapes[0];
    EXPECT_EQ(first.Height, 0);
    EXPECT_EQ(first.Width, 12);
    EXPECT_EQ(first.Color, 0x004533DBu);
    EXPECT_EQ(first.Left, 134);
    EXPECT_EQ(first.Top, 47);
    EXPECT_TRUE(first.Visible && first.Destroyed);
    EXPECT_EQ(canvas.shapes[1].Height, 48);
    EXPECT_EQ(canvas.shapes[1].Width, 148);
}

TEST(EllipseLoop, ElapsedIsTickDifferenceAcrossWrap)
{
    struct Row {
        std::uint32_t t0, t1;
        std::int32_t elapsed;
    };
    for (const Row& r : {Row{1000, 6000, 5000}, Row{0xFFFFFF00u, 0x100u, 512}, Row{7, 7, 0}}) {
        RecordingCanvas canvas;
        EXPECT_EQ(DrawEllipses("-5", canvas, Ticks({r.t0, r.t1})).Elapsed, r.elapsed);
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
                         Row{"10 ", "'10 ' is not a valid integer value"},
                         Row{"2147483648", "'2147483648' is not a valid integer value"}}) {
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

    // The largest value, 254, comes from the largest seed, 0xFFFFFFFF: step
    // back from it with the inverse multiplier so that it lands on each
    // channel in turn.
    std::uint32_t inverse = 134775813u;
    for (int k = 0; k < 5; ++k) inverse *= 2u - 134775813u * inverse;
    ASSERT_EQ(134775813u * inverse, 1u);
    for (int ch = 0; ch < 3; ++ch) {
        std::uint32_t seed = 0xFFFFFFFFu;
        for (int k = 0; k <= ch; ++k) seed = (seed - 1u) * inverse;
        RandSeed = seed;
        EXPECT_EQ((RandomColor() >> (8 * ch)) & 0xFF, 254u) << "channel " << ch;
    }
}

}  // namespace
}  // namespace vt
