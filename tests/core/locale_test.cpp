// The formats and conversions do not follow the C library's locale, and the
// separators come from the user's environment.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <clocale>
#include <cstdlib>
#include <string>

#include "platform/convert.h"
#include "platform/errors.h"
#include "platform/format_settings.h"
#include "platform/number_format.h"
#include "results/result_line.h"

namespace vt {
namespace {

// Switches the C library to a locale with a decimal comma for the life of the
// object: an installed one if there is, otherwise one compiled from the
// system's locale sources into a temporary directory.
class CommaCLocale {
public:
    CommaCLocale() : previous_(std::setlocale(LC_ALL, nullptr))
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "fr_FR.UTF-8", "ru_RU.UTF-8"})
            if (Try(name)) return;
        if (!dir_.isValid()) return;
        const QString target = QDir(dir_.path()).filePath(QStringLiteral("de_DE.UTF-8"));
        QProcess localedef;
        localedef.start(QStringLiteral("localedef"),
                        {QStringLiteral("-i"), QStringLiteral("de_DE"), QStringLiteral("-f"),
                         QStringLiteral("UTF-8"), target});
        if (!localedef.waitForFinished(60000) || localedef.exitCode() != 0) return;
        setenv("LOCPATH", dir_.path().toLocal8Bit().constData(), 1);
        Try("de_DE.UTF-8");
    }
    ~CommaCLocale()
    {
        std::setlocale(LC_ALL, previous_.c_str());
        unsetenv("LOCPATH");
    }
    bool Active() const { return active_; }

private:
    bool Try(const char* name)
    {
        if (!std::setlocale(LC_ALL, name)) return false;
        active_ = std::string(std::localeconv()->decimal_point) == ",";
        return active_;
    }

    std::string previous_;
    QTemporaryDir dir_;
    bool active_ = false;
};

TEST(Locale, FormatsIgnoreTheCLibraryLocale)
{
    CommaCLocale comma;
    if (!comma.Active()) GTEST_SKIP() << "no locale with a decimal comma available";

    const FormatSettings dot{'.', ','};
    EXPECT_EQ(FloatToStr(1.562, dot), "1.562");
    EXPECT_EQ(FloatToStr(0.00009999, dot), "9.999E-5");
    EXPECT_EQ(FormatFixed(1.25, 0, 1, dot), "1.3");
    EXPECT_EQ(FormatFixed(2.675, 0, 2, dot), "2.67");
    EXPECT_EQ(FormatNumber(1600, 0, 2, dot), "1,600.00");
    EXPECT_EQ(StrToFloat("1.5", dot), 1.5L);
    EXPECT_EQ(StrToFloat("2.5e-1", dot), 0.25L);
    EXPECT_THROW(StrToFloat("1,5", dot), EConvertError);
    EXPECT_EQ(FormatResultLine(TScores{}, "", "", dot),
              std::string(22, ' ') + "/" + std::string(8, ' ') +
                  "|  0.00| 0.000|  0.00|   0/   0|   0.0|  0.00|  0.0");
}

TEST(Locale, SystemSeparatorsComeFromTheEnvironment)
{
    // Read once per process, so this is the only case here.
    setenv("LC_ALL", "de_DE.UTF-8", 1);
    const FormatSettings fs = SystemFormatSettings();
    EXPECT_EQ(fs.DecimalSeparator, ',');
    EXPECT_EQ(fs.ThousandSeparator, '.');
}

}  // namespace
}  // namespace vt
