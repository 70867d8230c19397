// Test 5: memory fill and read.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::RxSpeedButton4Click(QObject*) {}

}  // namespace vt
