// Bad input in the fields and files the other window tests leave out: each
// gets a clear message or its fallback, and nothing saved is lost.
#include <sys/stat.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/widgets/ellipse_shape.h"
#include "app/widgets/memo.h"
#include "app/widgets/spin_edit.h"
#include "platform/cp1251.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

// The ellipse count: a whole number in 32 bits, sign and "$" hex allowed;
// anything else names the text and draws nothing.
TEST_F(WindowTest, EllipseCountEntries)
{
    struct Row {
        const char* name;
        const char* text;
        int drawn;  // -1: the conversion error
    };
    const Row rows[] = {
        {"empty", "", -1},
        {"blanks", "   ", -1},
        {"letters", "ten", -1},
        {"trailing letter", "5x", -1},
        {"inner blank", "1 0", -1},
        {"plus sign", "+3", 4},
        {"hex", "$10", 17},
        {"largest negative", "-2147483648", 0},
        {"beyond 32 bits", "4294967296", -1},
        {"fraction", "2.5", -1},
    };
    auto& w = Open();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        dialogs.boxes.clear();
        TEllipseShape::ResetTally();
        w.Edit2->setText(QString::fromLatin1(r.text));
        w.BitBtn1->click();
        if (r.drawn < 0) {
            ASSERT_EQ(dialogs.Errors().size(), 1u);
            EXPECT_EQ(dialogs.Errors()[0],
                      QStringLiteral("'%1' is not a valid integer value.").arg(r.text));
            EXPECT_EQ(TEllipseShape::Tally().Created, 0);
        } else {
            EXPECT_TRUE(dialogs.boxes.empty());
            EXPECT_EQ(TEllipseShape::Tally().Created, r.drawn);
        }
    }
}

// The value fields of the projection: a bad one is named, results stay.
TEST_F(WindowTest, ProjectionValueEntries)
{
    struct Row {
        const char* name;
        QString text;
        QString message;  // empty: accepted
    };
    const Row rows[] = {
        {"hex", QStringLiteral("$10"),
         QStringLiteral("'$10' is not a valid floating point value.")},
        {"outside the code page", QString::fromUtf8("４０"),
         QStringLiteral("'?\?' is not a valid floating point value.")},
        {"beyond a 64-bit float", QStringLiteral("1e400"),
         QStringLiteral("Floating point overflow.")},
        {"sign", QStringLiteral("-40"), QString()},
        {"exponent", QStringLiteral("4E1"), QString()},
    };
    auto& w = Open();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        w.Edit15->setText(QStringLiteral("40"));
        dialogs.boxes.clear();
        w.RxSpeedButton3->click();
        const QStringList before = {w.Edit17->text(), w.Edit18->text(), w.Edit19->text()};
        w.Edit15->setText(r.text);
        w.RxSpeedButton3->click();
        if (r.message.isEmpty()) {
            EXPECT_TRUE(dialogs.boxes.empty());
        } else {
            ASSERT_EQ(dialogs.Errors().size(), 1u);
            EXPECT_EQ(dialogs.Errors()[0], r.message);
            EXPECT_EQ(QStringList({w.Edit17->text(), w.Edit18->text(), w.Edit19->text()}), before);
        }
    }
}

// The year fields take no text beyond their bounds: typed letters, signs and
// huge numbers leave a year within them.
TEST_F(WindowTest, YearFieldEntries)
{
    auto& w = Open();
    for (const char* text : {"abc", "-5", "99999999999", "$7D3", " 2003 "}) {
        SCOPED_TRACE(text);
        dialogs.boxes.clear();
        for (TSpinEdit* year : {w.RxSpinEdit1, w.RxSpinEdit4}) {
            year->findChild<QLineEdit*>()->setText(QString::fromLatin1(text));
            EXPECT_GE(year->Value(), year->minimum());
            EXPECT_LE(year->Value(), year->maximum());
        }
        w.RxSpeedButton3->click();
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_FALSE(w.Edit17->text().isEmpty());
    }
}

// The description and disk label: cut to their fields, characters outside
// Windows-1251 as "?", and the saved line keeps its width.
TEST_F(WindowTest, DescriptionAndLabelEntries)
{
    struct Row {
        const char* name;
        QString description, label;
        std::string start;  // the line's first 31 bytes
    };
    const Row rows[] = {
        {"overlong", QString(40, QLatin1Char('d')), QString(20, QLatin1Char('l')),
         std::string(22, 'd') + "/" + std::string(8, 'l')},
        {"outside the code page", QString::fromUtf8("日本€"), QString::fromUtf8("✓x"),
         std::string(19, ' ') + "??\x88/" + std::string(6, ' ') + "?x"},
        {"empty", QString(), QString(), std::string(22, ' ') + "/" + std::string(8, ' ')},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        std::filesystem::remove(ExeDir() + "Result3.txt");
        auto& w = Open();
        w.Edit7->setText(r.description);
        w.Edit13->setText(r.label);
        w.Button2->click();
        EXPECT_TRUE(dialogs.boxes.empty());
        const std::string log = ReadBytes(ExeDir() + "Result3.txt");
        const std::string line = log.substr(log.size() - 84);
        EXPECT_EQ(line.substr(0, 31), r.start);
        EXPECT_EQ(line.substr(82), "\r\n");
        window.reset();
    }
}

// Files read at start-up: a binary log is shown as it is and Save still
// appends whole lines to it; a file that cannot be read is reported and the
// steps after it are skipped.
TEST_F(WindowTest, StartupFileEntries)
{
    const std::string binary("\x00\x98\r\xFF\n\x01\x02\r\n", 9);
    auto write = [&](const char* name, const std::string& bytes) {
        std::ofstream(ExeDir() + name, std::ios::binary) << bytes;
    };
    {
        SCOPED_TRACE("binary log");
        write("Result3.txt", binary);
        auto& w = Open();
        EXPECT_TRUE(dialogs.boxes.empty());
        // Two lines in the file; the memo breaks the line at its lone CR.
        EXPECT_EQ(w.List->LineCount(), 3);
        w.Button2->click();
        EXPECT_EQ(ReadBytes(ExeDir() + "Result3.txt"), binary + w.FormatResultLine() + "\r\n");
        window.reset();
    }
    {
        SCOPED_TRACE("binary readme");
        write("Vesk_test_readme.txt", binary);
        auto& w = Open();
        EXPECT_TRUE(dialogs.boxes.empty());
        EXPECT_EQ(w.Memo1->LineCount(), 3);
        EXPECT_FALSE(w.Edit13->text().isEmpty());  // the later steps ran
        window.reset();
        std::filesystem::remove(ExeDir() + "Vesk_test_readme.txt");
    }
    {
        SCOPED_TRACE("readme is a folder");
        std::filesystem::create_directory(ExeDir() + "Vesk_test_readme.txt");
        auto& w = Open();
        EXPECT_EQ(dialogs.Errors(),
                  std::vector<QString>{QStringLiteral("I/O error %1.").arg(EISDIR)});
        EXPECT_EQ(w.Edit13->text(), QString());
        window.reset();
        std::filesystem::remove(ExeDir() + "Vesk_test_readme.txt");
        dialogs.boxes.clear();
    }
    if (geteuid() != 0) {
        SCOPED_TRACE("unreadable log");
        chmod((ExeDir() + "Result3.txt").c_str(), 0);
        auto& w = Open();
        EXPECT_EQ(dialogs.Errors(),
                  std::vector<QString>{QStringLiteral("I/O error %1.").arg(EACCES)});
        w.Button2->click();  // appending needs no reading: refused the same way
        EXPECT_EQ(dialogs.Errors().size(), 2u);
        chmod((ExeDir() + "Result3.txt").c_str(), 0644);
        window.reset();
    }
}

}  // namespace
}  // namespace vt::testing
