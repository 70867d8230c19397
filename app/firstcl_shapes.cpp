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
#include "platform/random.h"

namespace vt {

void T_fVesktest::BitBtn1Click(QObject*)
{
    if (env_.SeedRandom)
        env_.SeedRandom();
    else
        Randomize();
    ShowWait(RxLabel2);
    TPanelCanvas canvas(Panel2, Ch);
    BeginConditions(3);
    const TEllipseRun run = DrawEllipses(A(Edit2->text()), canvas, env_.Ticks);
    EndConditions(3);
    Edit1->setText(Q(FloatToStr(run.Elapsed, env_.Format)));
    Scores.DrawTime = DrawTimeSeconds(run.Elapsed);
    LastShapes = run.Count;
    ToTab();
    ShowReady(RxLabel2);
}

std::uint32_t T_fVesktest::RandomColor()
{
    return vt::RandomColor();
}

}  // namespace vt
