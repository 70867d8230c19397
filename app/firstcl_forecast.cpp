// The HardForecast page: the hardware projection.
#include "app/firstcl_.h"

#include <QLineEdit>
#include <array>
#include <cmath>
#include <limits>

#include "app/qt_text.h"
#include "app/widgets/spin_edit.h"
#include "platform/convert.h"
#include "platform/errors.h"
#include "projection/projection.h"

namespace vt {

namespace {

// A value field's text as the 64-bit float the projection works from.
double ReadValue(const QLineEdit* edit, const FormatSettings& fs)
{
    const long double v = StrToFloat(A(edit->text()), fs);
    if (std::fabs(v) > std::numeric_limits<double>::max()) throw EOverflow();
    return static_cast<double>(v);
}

}  // namespace

// Reads every input first, so that a value that is not a number leaves all
// three results as they were; then rewrites the three results.
void T_fVesktest::RxSpeedButton3Click(QObject*)
{
    const int P1 = RxSpinEdit1->Value();
    const int P2 = RxSpinEdit2->Value();
    const int P3 = RxSpinEdit3->Value();
    const int T = RxSpinEdit4->Value();

    const FormatSettings& fs = Env().Format;
    const double V1 = ReadValue(Edit14, fs);
    const double V2 = ReadValue(Edit15, fs);
    const double V3 = ReadValue(Edit16, fs);

    const std::array<std::string, 3> results = {
        ProjectedText(V1, kCpuGrowth, P1, T, fs),
        ProjectedText(V2, kDiskGrowth, P2, T, fs),
        ProjectedText(V3, kMemoryGrowth, P3, T, fs),
    };
    Edit17->setText(Q(results[0]));
    Edit18->setText(Q(results[1]));
    Edit19->setText(Q(results[2]));
}

}  // namespace vt
