// Test 2: the empty counting loop.
#include <QLineEdit>

#include "app/firstcl_.h"
#include "app/qt_text.h"
#include "app/widgets/shadow_label.h"
#include "platform/number_format.h"

namespace vt {

void T_fVesktest::Button3Click(QObject*)
{
    const TTestOutcome run = Runner.Run(2, Machine(), {}, Hooks(RxLabel3));
    EndConditions(2);
    Edit1->setText(Q(FloatToStr(run.Cycles.Seconds, env_.Format)));

    // The clock is measured after the timed stretch, so it does not count.
    const double mhz = env_.MeasureCpuMHz();
    Edit14->setText(Q(IntToStr(RoundHalfEven(mhz))));
    ToTab();
    RxLabel1->SetCaption(Edit14->text() + QStringLiteral("mHz"));

    ShowReady(RxLabel3);
}

}  // namespace vt
