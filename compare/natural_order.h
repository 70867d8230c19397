// Names in the order a reader expects: "PC 2" before "PC 10", capitals and
// small letters together, whatever the locale (the C locale's byte order
// puts "PC 10" first).
#pragma once

#include <QString>

namespace vt {

// A key whose plain comparison is the natural order of the texts: letters
// folded to one case, every run of digits compared as a number.
QString NaturalSortKey(const QString& text);

}  // namespace vt
