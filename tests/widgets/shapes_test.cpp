#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app/look.h"
#include "app/widgets/ellipse_shape.h"
#include "app/widgets/memo.h"
#include "app/widgets/page_control.h"
#include "app/widgets/panel.h"
#include "app/widgets/shadow_label.h"
#include "platform/random.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

struct ExpectedEllipse {
    QRect geometry;
    QColor color;
};

// The ellipses a seed yields, drawn with the generator written out here.
std::vector<ExpectedEllipse> Replay(std::uint32_t seed, int count)
{
    auto below = [&seed](std::uint32_t n) {
        seed = seed * 134775813u + 1u;
        return static_cast<int>((std::uint64_t{n} * seed) >> 32);
    };
    std::vector<ExpectedEllipse> out;
    for (int i = 0; i < count; ++i) {
        const int h = below(300), w = below(400);
        const int r = below(255), g = below(255), b = below(255);
        const int left = below(200), top = below(150);
        out.push_back({QRect(left, top, w, h), QColor(r, g, b)});
    }
    return out;
}

class ShapesTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        env.SeedRandom = [this] { RandSeed = seed; };
        auto& w = Open();
        for (int i = 0; i < w.PageControl1->PageCount(); ++i)
            if (w.PageControl1->Page(i) == w.TabSheet2) w.PageControl1->SetActivePageIndex(i);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        QCoreApplication::processEvents();
        w.Panel2->installEventFilter(&panelPaints);
        TEllipseShape::ResetTally();
    }

    // Runs the test the way a click does, through the general error handler.
    void Draw(const char* count)
    {
        window->Edit2->setText(QString::fromLatin1(count));
        window->BitBtn1->click();
    }

    int EllipsesOnPanel() const
    {
        return static_cast<int>(
            window->Panel2->findChildren<TEllipseShape*>(Qt::FindDirectChildrenOnly).size());
    }

    std::uint32_t seed = 0x2468ACE0u;
    PaintCounter panelPaints;
};

struct RunRow {
    const char* name;
    const char* count;
    int drawn;
};
void PrintTo(const RunRow& row, std::ostream* os)
{
    *os << row.name;
}

class ShapesRunTest : public ShapesTest, public ::testing::WithParamInterface<RunRow> {};

TEST_P(ShapesRunTest, MakesPaintsAndRemovesEachEllipse)
{
    const RunRow& row = GetParam();
    auto& w = *window;
    ScriptTicks({1000, 6000});
    const int linesBefore = w.List->LineCount();
    Draw(row.count);

    EXPECT_TRUE(dialogs.Errors().empty());
    const TEllipseShape::TTally& tally = TEllipseShape::Tally();
    EXPECT_EQ(tally.Created, row.drawn);
    EXPECT_EQ(tally.Destroyed, row.drawn);
    // One synchronous panel repaint per ellipse, and each ellipse with an
    // area painted in it; one without height or width has nothing to paint.
    EXPECT_EQ(panelPaints.paints, row.drawn);
    int withArea = 0;
    for (const ExpectedEllipse& e : Replay(seed, row.drawn)) withArea += !e.geometry.isEmpty();
    EXPECT_EQ(tally.Painted, withArea);
    EXPECT_EQ(EllipsesOnPanel(), 0);

    EXPECT_EQ(w.Edit1->text(), QStringLiteral("5000"));
    EXPECT_DOUBLE_EQ(w.Scores.DrawTime, 5.0);
    ASSERT_EQ(w.List->LineCount(), linesBefore + 1);
    const std::string line = w.List->Lines().back();
    EXPECT_EQ(line.size(), 82u);
    EXPECT_EQ(line.substr(line.size() - 13), "|  5.00|  0.0");
    EXPECT_EQ(w.RxLabel2->Caption(), QStringLiteral("Ready"));
    EXPECT_EQ(w.RxLabel2->FontColor(), kStatusGreen);
}

INSTANTIATE_TEST_SUITE_P(Counts, ShapesRunTest,
                         ::testing::Values(RunRow{"Zero", "0", 1},
                                           RunRow{"TenThousand", "10000", 10001},
                                           RunRow{"MinusFive", "-5", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ShapesTest, CountThatIsNoIntegerShowsErrorAndLeavesWait)
{
    auto& w = *window;
    w.Edit1->setText(QStringLiteral("123"));
    w.Scores.DrawTime = 1.5;
    const int linesBefore = w.List->LineCount();
    Draw("abc");
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{"'abc' is not a valid integer value."});
    EXPECT_EQ(TEllipseShape::Tally().Created, 0);
    EXPECT_EQ(w.List->LineCount(), linesBefore);
    EXPECT_EQ(w.Edit1->text(), QStringLiteral("123"));
    EXPECT_EQ(w.Scores.DrawTime, 1.5);
    EXPECT_EQ(w.RxLabel2->Caption(), QStringLiteral("Wait"));
    EXPECT_EQ(w.RxLabel2->FontColor(), kStatusRed);

    // The window stays usable: the next good run completes.
    Draw("2");
    EXPECT_EQ(TEllipseShape::Tally().Created, 3);
    EXPECT_EQ(w.RxLabel2->Caption(), QStringLiteral("Ready"));
}

TEST_F(ShapesTest, EllipsesGetTheGeneratorsGeometryAndColours)
{
    auto& w = *window;
    w.Ch->setChecked(false);  // keep every ellipse on the panel to inspect it
    Draw("5");
    const auto shapes = w.Panel2->findChildren<TEllipseShape*>(Qt::FindDirectChildrenOnly);
    const auto expected = Replay(seed, 6);
    ASSERT_EQ(shapes.size(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const TEllipseShape* s = shapes[i];
        EXPECT_EQ(s->geometry(), expected[i].geometry);
        EXPECT_EQ(s->BrushColor(), expected[i].color);
        EXPECT_EQ(s->Shape(), TEllipseShape::TShapeType::Ellipse);
        EXPECT_TRUE(s->isVisible());
        EXPECT_FALSE(s->testAttribute(Qt::WA_NativeWindow));
        EXPECT_EQ(s->internalWinId(), WId{0});
    }
    // Each repaint painted every ellipse made so far: 1 + 2 + ... + 6 with
    // area, as long as none is empty.
    int painted = 0;
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j <= i; ++j) painted += !expected[j].geometry.isEmpty();
    EXPECT_EQ(TEllipseShape::Tally().Painted, painted);
}

TEST_F(ShapesTest, EllipseIsFilledInsideABlackOutline)
{
    auto& w = *window;
    seed = 20;  // a large first ellipse well inside the panel
    w.Ch->setChecked(false);
    Draw("0");
    const auto shapes = w.Panel2->findChildren<TEllipseShape*>(Qt::FindDirectChildrenOnly);
    ASSERT_EQ(shapes.size(), 1);
    const QRect r = shapes[0]->geometry();
    ASSERT_GT(r.width(), 50);
    ASSERT_GT(r.height(), 50);
    const QImage img = w.Panel2->grab().toImage();
    const QColor background = img.pixelColor(r.left() + 2, r.top() + 2);
    const int midY = r.top() + r.height() / 2, midX = r.left() + r.width() / 2;

    EXPECT_EQ(img.pixelColor(r.center()), shapes[0]->BrushColor());
    EXPECT_NE(background, shapes[0]->BrushColor());  // corners lie outside the ellipse
    EXPECT_EQ(img.pixelColor(r.right() - 2, r.bottom() - 2), background);
    // The outline touches the rectangle's four sides, one pixel wide.
    EXPECT_EQ(img.pixelColor(r.left(), midY), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(r.right(), midY), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(midX, r.top()), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(midX, r.bottom()), QColor(Qt::black));
    EXPECT_EQ(img.pixelColor(r.left() + 2, midY), shapes[0]->BrushColor());
    // Nothing is drawn outside the control.
    EXPECT_EQ(img.pixelColor(r.left() - 1, midY), background);
    EXPECT_EQ(img.pixelColor(r.right() + 1, midY), background);
}

}  // namespace
}  // namespace vt::testing
