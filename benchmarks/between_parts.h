// The hook a test calls between its measured parts (after the list building
// and before the sorting, after the fill passes and after the counting
// passes), never while a tick interval is open. The batch run draws its
// progress there and stops there when asked to; it may raise an error to end
// the test, which then releases what it holds on the way out.
#pragma once

#include <functional>

namespace vt {

using TBetweenParts = std::function<void()>;

inline void CallBetweenParts(const TBetweenParts& between)
{
    if (between) between();
}

}  // namespace vt
