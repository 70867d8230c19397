#include <cstdio>
#include <cstdlib>

#include "platform/local_time.h"

namespace vt {

std::string Iso8601(const TLocalTime& t)
{
    const int offset = std::abs(t.UtcOffsetMinutes);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.Year, t.Month,
                  t.Day, t.Hour, t.Minute, t.Second, t.UtcOffsetMinutes < 0 ? '-' : '+',
                  offset / 60, offset % 60);
    return text;
}

}  // namespace vt
