// Text to integer and to floating point on arbitrary bytes: no crash, and a
// text accepted as an integer converts back to the same value.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/number_format.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::int32_t i = 0;
    if (vt::TryStrToInt(text, i)) {
        std::int32_t again = 0;
        if (!vt::TryStrToInt(vt::IntToStr(i), again) || again != i) std::abort();
    }
    try {
        (void)vt::StrToInt(text);
    } catch (const vt::EConvertError&) {
    }
    for (const vt::FormatSettings fs : {vt::FormatSettings{'.', ','}, vt::FormatSettings{',', '.'}}) {
        long double f = 0;
        if (vt::TryStrToFloat(text, f, fs) && std::fabs(f) < 1e4000L) {
            // What the general format writes must read back.
            long double back = 0;
            if (!vt::TryStrToFloat(vt::FloatToStr(f, fs), back, fs)) std::abort();
        }
        try {
            (void)vt::StrToFloat(text, fs);
        } catch (const vt::EConvertError&) {
        }
    }
    return 0;
}
