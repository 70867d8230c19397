#include "platform/tick_count.h"

#include <cerrno>
#include <ctime>

namespace vt {

std::uint32_t GetTickCount()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    const auto ms = static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

TickSource SystemTicks()
{
    return [] { return GetTickCount(); };
}

void Sleep(std::uint32_t milliseconds)
{
    timespec req{static_cast<time_t>(milliseconds / 1000),
                 static_cast<long>(milliseconds % 1000) * 1000000L};
    timespec rem{};
    while (nanosleep(&req, &rem) == -1 && errno == EINTR) req = rem;
}

}  // namespace vt
