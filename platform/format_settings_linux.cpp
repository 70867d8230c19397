#include "platform/format_settings.h"

#include <QLocale>
#include <QString>

#include "platform/cp1251.h"

namespace vt {

namespace {
// The separator as a Windows-1251 byte; `missing` when the code page lacks it.
char ToAnsiSeparator(const QString& text, char fallback, char missing)
{
    if (text.isEmpty()) return fallback;
    const char32_t cp = text.toUcs4().value(0);
    if (cp == 0x202F) return static_cast<char>(0xA0);  // narrow no-break space
    const char c = CodePointToCp1251(cp);
    return c == '?' && cp != U'?' ? missing : c;
}
}  // namespace

FormatSettings SystemFormatSettings()
{
    const QLocale locale = QLocale::system();
    FormatSettings fs;
    // A blank decimal separator could not be read back (blanks around a
    // number are skipped), so a missing one falls back to the full stop.
    fs.DecimalSeparator = ToAnsiSeparator(locale.decimalPoint(), '.', '.');
    fs.ThousandSeparator = ToAnsiSeparator(locale.groupSeparator(), ',', ' ');
    if (fs.ThousandSeparator == fs.DecimalSeparator)
        fs.ThousandSeparator = fs.DecimalSeparator == ',' ? '.' : ',';
    return fs;
}

}  // namespace vt
