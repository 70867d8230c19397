#include "platform/format_settings.h"

#include <QLocale>
#include <QString>

#include "platform/cp1251.h"

namespace vt {

namespace {
char ToAnsiSeparator(const QString& text, char fallback)
{
    if (text.isEmpty()) return fallback;
    const char32_t cp = text.toUcs4().value(0);
    if (cp == 0x202F) return static_cast<char>(0xA0);  // narrow no-break space
    const char c = CodePointToCp1251(cp);
    return c == '?' && cp != U'?' ? ' ' : c;
}
}  // namespace

FormatSettings SystemFormatSettings()
{
    const QLocale locale = QLocale::system();
    FormatSettings fs;
    fs.DecimalSeparator = ToAnsiSeparator(locale.decimalPoint(), '.');
    fs.ThousandSeparator = ToAnsiSeparator(locale.groupSeparator(), ',');
    return fs;
}

}  // namespace vt
