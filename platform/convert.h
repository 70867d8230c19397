// Text to number, with the rules and messages the program's inputs rely on.
//
// Integers: leading blanks, an optional '+' or '-', then decimal digits, or a
// '$' followed by hexadecimal digits. Nothing may follow (a trailing blank is
// an error). Decimal values must lie in the signed 32-bit range; a hexadecimal
// value may use all 32 bits and is taken as its two's-complement pattern
// ("$FFFFFFFF" is -1).
//
// Floating point: leading and trailing blanks, an optional sign, digits with
// at most one decimal separator (the locale's), an optional exponent ('E' or
// 'e', optional sign, digits). No thousands separators, no "INF" or "NAN".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/format_settings.h"

namespace vt {

bool TryStrToInt(std::string_view text, std::int32_t& value);

// Raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(std::string_view text);

// The value of the text, or `fallback` when it is not a valid integer.
std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback);

bool TryStrToFloat(std::string_view text, long double& value, const FormatSettings& fs);

// Raises EConvertError "'<text>' is not a valid floating point value".
long double StrToFloat(std::string_view text, const FormatSettings& fs);

}  // namespace vt
