// The locale's number separators. Read once at start-up from the user's
// environment; every conversion and format takes them explicitly, so nothing
// depends on the C library's current locale by accident.
#pragma once

namespace vt {

struct FormatSettings {
    char DecimalSeparator = '.';   // Windows-1251 byte
    char ThousandSeparator = ',';  // Windows-1251 byte
};

// The separators of the user's locale (LC_ALL, LC_NUMERIC, LANG), as Qt's
// system locale reports them. A decimal separator the code page lacks becomes
// '.', a thousands separator it lacks a blank; a narrow no-break space becomes
// the no-break space 0xA0. On Windows the separators are the user's locale's
// (GetLocaleInfoW with LOCALE_SDECIMAL and LOCALE_STHOUSAND), converted the
// same way.
FormatSettings SystemFormatSettings();

}  // namespace vt
