#include <windows.h>

#include "platform/local_time.h"

namespace vt {

namespace {
long long Minutes(const SYSTEMTIME& t)
{
    FILETIME f{};
    SystemTimeToFileTime(&t, &f);
    const long long ticks = (static_cast<long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    return ticks / (10000000LL * 60);
}
}  // namespace

TLocalTime LocalTimeNow()
{
    SYSTEMTIME utc{}, local{};
    GetSystemTime(&utc);
    // The zone's rule for this very moment, daylight saving included.
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    return {local.wYear,
            local.wMonth,
            local.wDay,
            local.wHour,
            local.wMinute,
            local.wSecond,
            static_cast<int>(Minutes(local) - Minutes(utc))};
}

}  // namespace vt
