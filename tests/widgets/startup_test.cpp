#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>

#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "app/widgets/spin_edit.h"
#include "platform/cp1251.h"
#include "window_fixture.h"

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vt::testing {
namespace {

class StartupTest : public WindowTest {
protected:
    void Write(const std::string& name, const std::string& bytes)
    {
        std::ofstream(ExeDir() + name, std::ios::binary) << bytes;
    }
};

TEST_F(StartupTest, FillsThePagesFromTheMachine)
{
    auto& w = Open();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(w.TotalPhysMem, 256 * 1048576);
    EXPECT_EQ(w.Edit14->text(), QStringLiteral("1466"));
    EXPECT_EQ(w.RxLabel8->Caption(), QStringLiteral("Intel"));
    EXPECT_EQ(w.RxLabel1->Caption(), QStringLiteral("1466mhz"));
    EXPECT_EQ(w.Edit7->text(), QStringLiteral("Intel1466/"));
    EXPECT_EQ(w.Edit15->text(), QStringLiteral("40.0"));
    EXPECT_EQ(w.Edit16->text(), QStringLiteral("256"));
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("128"));
    EXPECT_EQ(w.Edit13->text(), QStringLiteral("40.0gb/"));
    // One year of growth on every row.
    for (TSpinEdit* p : {w.RxSpinEdit1, w.RxSpinEdit2, w.RxSpinEdit3}) EXPECT_EQ(p->Value(), 2003);
    EXPECT_EQ(w.RxSpinEdit4->Value(), 2004);
    EXPECT_EQ(w.Edit17->text(), QStringLiteral("  2155.0"));
    EXPECT_EQ(w.Edit18->text(), QStringLiteral("    79.8"));
    EXPECT_EQ(w.Edit19->text(), QStringLiteral("   423.8"));
}

TEST_F(StartupTest, LoadsTheLogAndTheReadmeWhenPresent)
{
    const std::string log = Ansi("-----\r\n            Описание\r\nIntel1466/ 40.0gb/|  0.00\r\n");
    const std::string readme = Ansi("Прочти меня\n\nsecond line\r\n");
    const struct {
        const char* name;
        bool log;
        bool readme;
    } rows[] = {{"neither", false, false},
                {"only readme", false, true},
                {"only log", true, false},
                {"both", true, true}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::filesystem::remove(ExeDir() + "Result3.txt");
        std::filesystem::remove(ExeDir() + "Vesk_test_readme.txt");
        if (r.log) Write("Result3.txt", log);
        if (r.readme) Write("Vesk_test_readme.txt", readme);
        auto& w = Open();
        EXPECT_TRUE(dialogs.boxes.empty());
        const std::vector<std::string> logLines = {"-----", Ansi("            Описание"),
                                                   "Intel1466/ 40.0gb/|  0.00"};
        const std::vector<std::string> readmeLines = {Ansi("Прочти меня"), "", "second line"};
        EXPECT_EQ(w.List->Lines(), r.log ? logLines : std::vector<std::string>{});
        EXPECT_EQ(w.Memo1->Lines(), r.readme ? readmeLines : BuiltInAboutLines());
        window.reset();
    }
}

TEST_F(StartupTest, MemoryAndClockRoundToTheNearestHalvesToEven)
{
    const std::int64_t MiB = 1048576;
    const struct {
        const char* name;
        std::int64_t bytes;
        const char* edit16;
        const char* edit5;
    } rows[] = {
        {"256 MiB", 256 * MiB, "256", "128"},
        {"a byte short", 256 * MiB - 1, "256", "128"},
        {"just over 0.005 MiB counts", 255 * MiB + 5243, "256", "128"},
        {"just under 0.005 MiB does not", 256 * MiB + 5242, "256", "128"},
        {"over the half", 256 * MiB + 5243, "257", "128"},
        {"3 MiB halves to 2", 3 * MiB, "3", "2"},
        {"5 MiB halves to 2", 5 * MiB, "5", "2"},
        {"2 GiB", 2048 * MiB, "2048", "1024"},
        {"24 GiB", 24576 * MiB, "24576", "1024"},
        {"128 GiB", 131072 * MiB, "131072", "1024"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        env.ReadTotalPhysMem = [b = r.bytes] { return b; };
        auto& w = Open();
        EXPECT_EQ(w.Edit16->text(), QString::fromLatin1(r.edit16));
        EXPECT_EQ(w.Edit5->text(), QString::fromLatin1(r.edit5));
        window.reset();
    }

    const struct {
        double mhz;
        const char* text;
    } clocks[] = {{1466.5, "1466"}, {1467.5, "1468"}, {2999.51, "3000"}, {0.4, "0"}};
    for (const auto& c : clocks) {
        SCOPED_TRACE(c.mhz);
        env.MeasureCpuMHz = [m = c.mhz] { return m; };
        auto& w = Open();
        EXPECT_EQ(w.Edit14->text(), QString::fromLatin1(c.text));
        EXPECT_EQ(w.RxLabel1->Caption(), QString::fromLatin1(c.text) + "mhz");
        EXPECT_EQ(w.Edit7->text(), "Intel" + QString::fromLatin1(c.text) + "/");
        window.reset();
    }
}

TEST_F(StartupTest, YearsOutsideTheFieldsBoundsAreBroughtIntoThem)
{
    const struct {
        int year;
        int purchase;
        int target;
    } rows[] = {{2024, 2024, 2025}, {2049, 2049, 2050}, {2050, 2050, 2050},
                {2070, 2050, 2050}, {1970, 1982, 1982}, {1981, 1982, 1982}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.year);
        env.Today = [y = r.year] { return QDate(y, 12, 31); };
        auto& w = Open();
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(w.RxSpinEdit1->Value(), r.purchase);
        EXPECT_EQ(w.RxSpinEdit3->Value(), r.purchase);
        EXPECT_EQ(w.RxSpinEdit4->Value(), r.target);
        window.reset();
    }
}

// Grouped capacity text would not convert in the projection; the projection
// gets it ungrouped, the disk label keeps the grouping.
TEST_F(StartupTest, ThousandGigabytesOrMoreStartsWithoutAnError)
{
    env.TotalDiskSizeText = [](const FormatSettings&, bool grouped) {
        return std::string(grouped ? "1,862.9" : "1862.9");
    };
    auto& w = Open();
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(w.Edit15->text(), QStringLiteral("1862.9"));
    EXPECT_EQ(w.Edit18->text(), QStringLiteral("  3716.5"));
    EXPECT_EQ(w.Edit13->text(), QStringLiteral("1,862.9gb/"));
}

// An error in one step ends the sequence there: the window opens and the
// controls of the later steps keep their design-time values.
TEST_F(StartupTest, UnreadableLogStopsTheLaterSteps)
{
    std::filesystem::create_directory(ExeDir() + "Result3.txt");
    Write("Vesk_test_readme.txt", "readme\r\n");
    env.ReadTotalPhysMem = [] { return std::int64_t{512} * 1048576; };
    auto& w = Open();
    ASSERT_EQ(dialogs.Errors(), std::vector<QString>{QStringLiteral("I/O error %1.").arg(EISDIR)});
    // Steps before the log ran.
    EXPECT_EQ(w.Edit14->text(), QStringLiteral("1466"));
    EXPECT_EQ(w.Edit7->text(), QStringLiteral("Intel1466/"));
    EXPECT_EQ(w.RxSpinEdit4->Value(), 2004);
    // Steps after it did not.
    EXPECT_EQ(w.List->LineCount(), 0);
    EXPECT_EQ(w.Memo1->Lines(), BuiltInAboutLines());
    EXPECT_EQ(w.Edit15->text(), QString());
    EXPECT_EQ(w.Edit16->text(), QStringLiteral("256"));
    EXPECT_EQ(w.Edit5->text(), QStringLiteral("32"));
    EXPECT_EQ(w.Edit13->text(), QString());
    for (QLineEdit* r : {w.Edit17, w.Edit18, w.Edit19}) EXPECT_EQ(r->text(), QString());
    // The window is usable.
    w.show();
    EXPECT_TRUE(w.isVisible());
    w.Button4->click();
    EXPECT_EQ(dialogs.Errors().size(), 1u);
}

TEST_F(StartupTest, ProjectionErrorIsTheLastStep)
{
    env.TotalDiskSizeText = [](const FormatSettings&, bool grouped) {
        return std::string(grouped ? "40.0" : "");
    };
    auto& w = Open();
    EXPECT_EQ(dialogs.Errors(),
              std::vector<QString>{QStringLiteral("'' is not a valid floating point value.")});
    EXPECT_EQ(w.Edit13->text(), QStringLiteral("40.0gb/"));
    EXPECT_EQ(w.Edit16->text(), QStringLiteral("256"));
    EXPECT_EQ(w.Edit17->text(), QString());
}

}  // namespace
}  // namespace vt::testing
