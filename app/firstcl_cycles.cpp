// Test 2: the empty counting loop.
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/shadow_label.h"
#include "benchmarks/empty_loop.h"
#include "platform/number_format.h"

namespace vt {

void T_fVesktest::Button3Click(QObject*)
{
    ShowWait(RxLabel3);

    BeginConditions(2);
    const TEmptyLoopFigures figures = TimeEmptyLoop(env_.EmptyLoop, env_.Ticks);
    EndConditions(2);
    Scores.CyclesPerSec = figures.Seconds;  // the seconds, until the rate replaces them
    Edit1->setText(Q(FloatToStr(figures.Seconds, env_.Format)));
    Scores.CyclesPerSec = figures.CyclesPerSec;

    // The clock is measured after the timed stretch, so it does not count.
    const double mhz = env_.MeasureCpuMHz();
    Edit14->setText(Q(IntToStr(RoundHalfEven(mhz))));
    ToTab();
    RxLabel1->SetCaption(Edit14->text() + QStringLiteral("mHz"));

    ShowReady(RxLabel3);
}

}  // namespace vt
