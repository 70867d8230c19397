#include "platform/convert.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdlib>

#include "platform/errors.h"

namespace vt {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The text (digits, '.', exponent) as a number, whatever the C library's
// current locale. Windows has no strtold_l; its C run-time starts in the "C"
// locale and nothing in the program changes that there (Qt does not call
// setlocale on Windows), so strtold reads the full stop.
long double StrToLongDoubleC(const char* text)
{
#if defined(_WIN32)
    return std::strtold(text, nullptr);
#else
    static const locale_t loc = newlocale(LC_ALL_MASK, "C", nullptr);
    return strtold_l(text, nullptr, loc);
#endif
}

}  // namespace

bool TryStrToInt(std::string_view s, std::int32_t& value)
{
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size()) return false;

    if (s[i] == '$') {
        ++i;
        if (i >= s.size()) return false;
        std::uint64_t v = 0;
        for (; i < s.size(); ++i) {
            const int h = HexValue(s[i]);
            if (h < 0) return false;
            v = v * 16 + static_cast<unsigned>(h);
            if (v > 0xFFFFFFFFull) return false;
        }
        auto pattern = static_cast<std::uint32_t>(v);
        if (negative) pattern = 0u - pattern;
        value = static_cast<std::int32_t>(pattern);
        return true;
    }

    std::int64_t v = 0;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    bool any = false;
    for (; i < s.size(); ++i) {
        if (!IsDigit(s[i])) return false;
        v = v * 10 + (s[i] - '0');
        if (v > limit) return false;
        any = true;
    }
    if (!any) return false;
    value = static_cast<std::int32_t>(negative ? -v : v);
    return true;
}

std::int32_t StrToInt(std::string_view text)
{
    std::int32_t v = 0;
    if (!TryStrToInt(text, v))
        throw EConvertError("'" + std::string(text) + "' is not a valid integer value");
    return v;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback)
{
    std::int32_t v = 0;
    return TryStrToInt(text, v) ? v : fallback;
}

bool TryStrToFloat(std::string_view s, long double& value, const FormatSettings& fs)
{
    // Validate the syntax and rewrite the number with a '.' for strtold_l.
    std::string c;
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) c += s[i++];
    bool digits = false;
    bool point = false;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            digits = true;
            c += s[i];
        } else if (s[i] == fs.DecimalSeparator && !point) {
            point = true;
            c += '.';
        } else {
            break;
        }
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) c += s[i++];
        bool expDigits = false;
        for (; i < s.size() && IsDigit(s[i]); ++i) {
            expDigits = true;
            c += s[i];
        }
        if (!expDigits) return false;
    }
    while (i < s.size() && s[i] == ' ') ++i;
    if (i != s.size()) return false;

    const long double v = StrToLongDoubleC(c.c_str());
    if (std::isinf(v) || std::isnan(v)) return false;
    value = v;
    return true;
}

long double StrToFloat(std::string_view text, const FormatSettings& fs)
{
    long double v = 0;
    if (!TryStrToFloat(text, v, fs))
        throw EConvertError("'" + std::string(text) + "' is not a valid floating point value");
    return v;
}

}  // namespace vt
