// Test 2: the empty counting loop.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::Button3Click(QObject*) {}

}  // namespace vt
