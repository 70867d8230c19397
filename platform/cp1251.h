// The Windows-1251 code page. The core keeps every text as 8-bit
// Windows-1251 bytes in a std::string (field widths count these characters,
// the sort compares these bytes); the window converts at its edge.
#pragma once

#include <string>
#include <string_view>

namespace vt {

// Windows-1251 bytes to UTF-8. The one unassigned byte (0x98) becomes U+FFFD.
std::string Cp1251ToUtf8(std::string_view ansi);

// UTF-8 to Windows-1251 bytes. A character the code page lacks, and any byte
// that is not valid UTF-8, becomes '?'.
std::string Utf8ToCp1251(std::string_view utf8);

// One Unicode code point to its Windows-1251 byte, or '?' when it has none.
char CodePointToCp1251(char32_t cp);

// One Windows-1251 byte to its code point (U+FFFD for 0x98).
char32_t Cp1251ToCodePoint(unsigned char byte);

// Shorthand for texts written in the source as UTF-8 literals.
inline std::string Ansi(std::string_view utf8) { return Utf8ToCp1251(utf8); }

}  // namespace vt
