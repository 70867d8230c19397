// Test 4: uncached file read speed.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::RxSpeedButton1Click(QObject*) {}
void T_fVesktest::FilenameEdit1AfterDialog(QObject*, QString&, bool&) {}

}  // namespace vt
