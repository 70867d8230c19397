// The HardForecast page: the hardware projection.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::RxSpeedButton3Click(QObject*) {}

}  // namespace vt
