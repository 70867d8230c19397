// The number formats over arbitrary long double bit patterns, widths and
// decimals: no crash, the requested width is a minimum, and a fixed text
// always carries exactly the requested decimals.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/errors.h"
#include "platform/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 12) return 0;
    long double v = 0;
    std::memcpy(&v, data, 10);  // the 80-bit value, any pattern
    const int width = data[10] % 40;
    const int decimals = data[11] % 8;
    const vt::FormatSettings fs = (size > 12 && (data[12] & 1)) ? vt::FormatSettings{',', '.'}
                                                                 : vt::FormatSettings{'.', ','};
    const std::string g = vt::FloatToStr(v, fs);
    if (g.empty()) std::abort();
    const std::string f = vt::FormatFixed(v, width, decimals, fs);
    const std::string n = vt::FormatNumber(v, width, decimals, fs);
    if (f.size() < static_cast<std::size_t>(width) || n.size() < static_cast<std::size_t>(width))
        std::abort();
    if (std::isfinite(v) && std::fabs(v) < 1e18L && decimals > 0) {
        const auto point = f.rfind(fs.DecimalSeparator);
        if (point == std::string::npos || f.size() - point - 1 != static_cast<std::size_t>(decimals))
            std::abort();
    }
    try {
        (void)vt::RoundHalfEven(v);
    } catch (const vt::EInvalidOp&) {
    }
    return 0;
}
