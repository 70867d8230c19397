#include "platform/number_format.h"

#include <locale.h>
#include <clocale>
#include <cmath>
#include <cstdio>

#include "platform/errors.h"

namespace vt {

namespace {

// A finite, non-negative value as decimal digits: value = 0.d1d2d3... * 10^exponent.
// No leading zeros; an empty digit string is zero.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

// The C library prints the exact binary value to as many digits as asked;
// 120 significant digits decide every rounding the formats here make.
Decimal ExactDecimal(long double magnitude)
{
    Decimal d;
    if (magnitude == 0.0L) return d;
    char buf[200];
#if defined(_WIN32)
    // Windows has no per-thread locale switch; its C run-time stays in the
    // "C" locale, which nothing in the program changes there.
    std::snprintf(buf, sizeof buf, "%.120Le", magnitude);
#else
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
    const locale_t previous = uselocale(cLocale);
    std::snprintf(buf, sizeof buf, "%.120Le", magnitude);
    uselocale(previous);
#endif
    // buf: d.ddd...e[+-]XX
    std::string s(buf);
    const auto e = s.find('e');
    d.digits = s.substr(0, 1) + s.substr(2, e - 2);
    d.exponent = std::atoi(s.c_str() + e + 1) + 1;
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

// Keeps `count` leading digits (count may be <= 0), rounding halves away from
// zero; a carry may lengthen the number by one digit (exponent + 1).
void RoundToDigits(Decimal& d, int count)
{
    if (d.digits.empty() || count >= static_cast<int>(d.digits.size())) return;
    if (count < 0) {
        d.digits.clear();
        return;
    }
    const bool up = d.digits[static_cast<std::size_t>(count)] >= '5';
    d.digits.resize(static_cast<std::size_t>(count));
    if (up) {
        int k = count - 1;
        while (k >= 0 && d.digits[static_cast<std::size_t>(k)] == '9') {
            d.digits[static_cast<std::size_t>(k)] = '0';
            --k;
        }
        if (k < 0) {
            d.digits.insert(d.digits.begin(), '1');
            ++d.exponent;
        } else {
            ++d.digits[static_cast<std::size_t>(k)];
        }
    }
    while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
    if (d.digits.empty()) d.exponent = 0;
}

char DigitAt(const Decimal& d, int index)  // index 0 is d1
{
    return index >= 0 && index < static_cast<int>(d.digits.size())
               ? d.digits[static_cast<std::size_t>(index)]
               : '0';
}

std::string NonFinite(long double v)
{
    if (std::isnan(v)) return "NAN";
    return v < 0 ? "-INF" : "INF";
}

std::string Scientific(bool negative, const Decimal& d, const FormatSettings& fs)
{
    std::string out = negative ? "-" : "";
    out += d.digits[0];
    if (d.digits.size() > 1) {
        out += fs.DecimalSeparator;
        out += d.digits.substr(1);
    }
    out += 'E';
    out += std::to_string(d.exponent - 1);
    return out;
}

std::string Fixed(long double value, int decimals, bool grouped, const FormatSettings& fs)
{
    if (!std::isfinite(value)) return NonFinite(value);
    const bool negative = std::signbit(value);
    Decimal d = ExactDecimal(std::fabs(value));
    if (d.exponent > 18) {
        RoundToDigits(d, 18);
        return Scientific(negative, d, fs);
    }
    RoundToDigits(d, d.exponent + decimals);
    std::string integer;
    for (int k = 0; k < d.exponent; ++k) integer += DigitAt(d, k);
    if (integer.empty()) integer = "0";
    if (grouped && fs.ThousandSeparator != '\0') {
        std::string g;
        const int n = static_cast<int>(integer.size());
        for (int k = 0; k < n; ++k) {
            if (k > 0 && (n - k) % 3 == 0) g += fs.ThousandSeparator;
            g += integer[static_cast<std::size_t>(k)];
        }
        integer = g;
    }
    std::string out = (negative && !d.digits.empty()) ? "-" : "";
    out += integer;
    if (decimals > 0) {
        out += fs.DecimalSeparator;
        for (int k = 0; k < decimals; ++k) out += DigitAt(d, d.exponent + k);
    }
    return out;
}

}  // namespace

std::string FloatToStr(long double value, const FormatSettings& fs)
{
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0.0L) return "0";
    const bool negative = value < 0;
    Decimal d = ExactDecimal(std::fabs(value));
    RoundToDigits(d, 15);
    if (d.exponent > 15 || d.exponent < -3) return Scientific(negative, d, fs);
    std::string out = negative ? "-" : "";
    if (d.exponent <= 0) {
        out += '0';
        out += fs.DecimalSeparator;
        out.append(static_cast<std::size_t>(-d.exponent), '0');
        out += d.digits;
        return out;
    }
    for (int k = 0; k < d.exponent; ++k) out += DigitAt(d, k);
    if (static_cast<int>(d.digits.size()) > d.exponent) {
        out += fs.DecimalSeparator;
        out += d.digits.substr(static_cast<std::size_t>(d.exponent));
    }
    return out;
}

std::string FormatFixed(long double value, int width, int decimals, const FormatSettings& fs)
{
    return PadLeft(Fixed(value, decimals, false, fs), static_cast<std::size_t>(width));
}

std::string FormatNumber(long double value, int width, int decimals, const FormatSettings& fs)
{
    return PadLeft(Fixed(value, decimals, true, fs), static_cast<std::size_t>(width));
}

std::int64_t RoundHalfEven(long double value)
{
    if (std::isnan(value) || value >= 9223372036854775808.0L || value < -9223372036854775808.0L)
        throw EInvalidOp();
    const long double floor = std::floor(value);
    const long double fraction = value - floor;
    auto result = static_cast<std::int64_t>(floor);
    if (fraction > 0.5L || (fraction == 0.5L && (result & 1) != 0)) {
        if (result == INT64_MAX) throw EInvalidOp();
        ++result;
    }
    return result;
}

std::string IntToStr(std::int64_t value)
{
    return std::to_string(value);
}

std::string PadLeft(std::string_view text, std::size_t width)
{
    if (text.size() >= width) return std::string(text);
    return std::string(width - text.size(), ' ') + std::string(text);
}

}  // namespace vt
