// The Result page: Save and Clear.
#include "app/firstcl_.h"

#include "app/widgets/memo.h"

namespace vt {

void T_fVesktest::Button2Click(QObject*) {}

void T_fVesktest::Button4Click(QObject*) { List->ClearLines(); }

}  // namespace vt
