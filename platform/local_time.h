// The local time of day with its offset from UTC, for the record of when a
// run started.
#pragma once

#include <string>

namespace vt {

struct TLocalTime {
    int Year = 1970, Month = 1, Day = 1;  // Month 1 to 12
    int Hour = 0, Minute = 0, Second = 0;
    int UtcOffsetMinutes = 0;  // local time minus UTC: +60 in Central European winter
};

// Now, on the system's clock, in the system's time zone.
TLocalTime LocalTimeNow();

// ISO 8601 with the offset: "2026-12-08T17:04:08+01:00"; UTC itself is
// written "+00:00".
std::string Iso8601(const TLocalTime& t);

}  // namespace vt
