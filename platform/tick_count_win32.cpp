#include <windows.h>

#include "platform/tick_count.h"

namespace vt {

std::uint32_t GetTickCount()
{
    // The system's own 32-bit millisecond counter, wrapping every 49.7 days.
    return ::GetTickCount();
}

TickSource SystemTicks()
{
    return [] { return GetTickCount(); };
}

void Sleep(std::uint32_t milliseconds)
{
    ::Sleep(milliseconds);
}

}  // namespace vt
