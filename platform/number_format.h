// Numbers to text, as every figure of the program is shown.
//
// All formats work on the exact value of the long double they are given and
// take the separators from a FormatSettings, never from the C library.
//
// - FloatToStr, the general format: up to 15 significant digits, rounded
//   halves away from zero, no trailing zeros; fixed notation for magnitudes
//   from 0.0001 up to below 10^15, otherwise mantissa, "E" and exponent
//   ("1E15", "1.5E-5"). Zero is "0"; NaN and infinities are "NAN", "INF",
//   "-INF".
// - FormatFixed, the "%W.Df" format: D decimals, rounded halves away from zero
//   (1.25 with one decimal is 1.3), right-aligned in at least W characters.
//   A magnitude of 10^18 or more is written in scientific notation with 18
//   significant digits instead.
// - FormatNumber, the "%W.Dn" format: as FormatFixed, with the thousands
//   separator every three digits before the decimal separator.
// - RoundHalfEven: the nearest integer, halves to the even neighbour (1466.5
//   gives 1466, 1467.5 gives 1468). Raises EInvalidOp for NaN or a value
//   beyond the 64-bit range.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/format_settings.h"

namespace vt {

std::string FloatToStr(long double value, const FormatSettings& fs);

std::string FormatFixed(long double value, int width, int decimals, const FormatSettings& fs);

std::string FormatNumber(long double value, int width, int decimals, const FormatSettings& fs);

std::int64_t RoundHalfEven(long double value);

std::string IntToStr(std::int64_t value);

// The text right-aligned in `width` characters, padded on the left with
// blanks; a longer text is returned whole.
std::string PadLeft(std::string_view text, std::size_t width);

}  // namespace vt
