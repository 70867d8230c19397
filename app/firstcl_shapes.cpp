// Test 3: ellipse drawing.
#include <QCheckBox>
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/panel.h"
#include "app/widgets/panel_canvas.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/ellipses.h"
#include "platform/number_format.h"

namespace vt {

void T_fVesktest::BitBtn1Click(QObject*)
{
    TTestInputs inputs;
    inputs.Shapes = A(Edit2->text());
    TTestHooks hooks = Hooks(RxLabel2);
    hooks.Panel = [this](const std::function<void(TEllipseCanvas&)>& draw) {
        TPanelCanvas canvas(Panel2, Ch);
        draw(canvas);
    };
    const TTestOutcome run = Runner.Run(3, Machine(), inputs, hooks);
    EndConditions(3);
    Edit1->setText(Q(FloatToStr(run.Ellipses.Elapsed, env_.Format)));
    LastShapes = run.Ellipses.Count;
    ToTab();
    ShowReady(RxLabel2);
}

std::uint32_t T_fVesktest::RandomColor()
{
    return vt::RandomColor();
}

}  // namespace vt
