// Test 3: ellipse drawing.
#include <QCheckBox>
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/look.h"
#include "app/qt_text.h"
#include "app/widgets/ellipse_shape.h"
#include "app/widgets/panel.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/ellipses.h"
#include "platform/number_format.h"
#include "platform/random.h"

namespace vt {

namespace {

// The drawing panel as the ellipse loop's canvas: each shape is a child of
// the panel, which owns it, and the panel repaints at once, background first
// and then every child, without going through the event queue.
class TPanelCanvas final : public TEllipseCanvas {
public:
    TPanelCanvas(QWidget* panel, const QCheckBox* destroyBox)
        : panel_(panel), destroyBox_(destroyBox)
    {
    }

    void NewShape() override { shape_ = new TEllipseShape(panel_); }
    void SetHeight(std::int32_t height) override { shape_->resize(shape_->width(), height); }
    void SetWidth(std::int32_t width) override { shape_->resize(width, shape_->height()); }
    void SetShapeEllipse() override { shape_->SetShape(TEllipseShape::TShapeType::Ellipse); }
    void SetBrushColor(std::uint32_t color) override { shape_->SetBrushColor(Bgr(color)); }
    void SetLeft(std::int32_t left) override { shape_->move(left, shape_->y()); }
    void SetTop(std::int32_t top) override { shape_->move(shape_->x(), top); }
    void ShowShape() override { shape_->setVisible(true); }
    void RepaintPanel() override { panel_->repaint(); }
    bool DestroysShapes() override { return destroyBox_->isChecked(); }
    void DestroyShape() override
    {
        delete shape_;
        shape_ = nullptr;
    }

private:
    QWidget* panel_;
    const QCheckBox* destroyBox_;
    TEllipseShape* shape_ = nullptr;
};

}  // namespace

void T_fVesktest::BitBtn1Click(QObject*)
{
    if (env_.SeedRandom)
        env_.SeedRandom();
    else
        Randomize();
    ShowWait(RxLabel2);
    TPanelCanvas canvas(Panel2, Ch);
    const TEllipseRun run = DrawEllipses(A(Edit2->text()), canvas, env_.Ticks);
    Edit1->setText(Q(FloatToStr(run.Elapsed, env_.Format)));
    Scores.DrawTime = static_cast<double>(static_cast<long double>(run.Elapsed) * 0.001L);
    ToTab();
    ShowReady(RxLabel2);
}

std::uint32_t T_fVesktest::RandomColor()
{
    return vt::RandomColor();
}

}  // namespace vt
