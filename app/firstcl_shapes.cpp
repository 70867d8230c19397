// Test 3: ellipse drawing.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::BitBtn1Click(QObject*) {}
std::uint32_t T_fVesktest::RandomColor() { return 0; }

}  // namespace vt
