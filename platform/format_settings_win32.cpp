#include <windows.h>

#include "platform/cp1251.h"
#include "platform/format_settings.h"

namespace vt {

namespace {
// The user's locale's separator `item` as a Windows-1251 byte: `fallback`
// when it cannot be read, `missing` when the code page lacks it.
char LocaleSeparator(LCTYPE item, char fallback, char missing)
{
    wchar_t text[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, item, text, 8) <= 1) return fallback;
    char32_t cp = text[0];
    if (cp >= 0xD800 && cp <= 0xDFFF) return missing;  // beyond the basic plane
    if (cp == 0x202F) return static_cast<char>(0xA0);  // narrow no-break space
    const char c = CodePointToCp1251(cp);
    return c == '?' && cp != U'?' ? missing : c;
}
}  // namespace

FormatSettings SystemFormatSettings()
{
    FormatSettings fs;
    fs.DecimalSeparator = LocaleSeparator(LOCALE_SDECIMAL, '.', '.');
    fs.ThousandSeparator = LocaleSeparator(LOCALE_STHOUSAND, ',', ' ');
    // A blank decimal separator could not be read back (blanks around a
    // number are skipped).
    if (fs.DecimalSeparator == ' ') fs.DecimalSeparator = '.';
    if (fs.ThousandSeparator == fs.DecimalSeparator)
        fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
    return fs;
}

}  // namespace vt
