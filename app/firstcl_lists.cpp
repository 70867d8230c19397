// Test 1: person records, list building and sorting.
#include "app/firstcl_.h"

namespace vt {

void T_fVesktest::Button1Click(QObject*) {}
void T_fVesktest::ListView() {}
void T_fVesktest::Sorting(TListBox*) {}
void T_fVesktest::QuickSort(std::int32_t, std::int32_t) {}
void T_fVesktest::RxSpeedButton2Click(QObject*) {}
void T_fVesktest::ListBoxChange(QObject*) {}
void T_fVesktest::ListBox1DblClick(QObject*) {}

}  // namespace vt
