// The start-up sequence: probe the machine and fill the pages.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::RunStartupSequence() {}

}  // namespace vt
