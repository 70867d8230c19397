#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/widgets/memo.h"
#include "app/widgets/page_control.h"
#include "platform/cp1251.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

// The header as it must appear in the file, written out independently.
std::string ExpectedHeaderBytes()
{
    const char* lines[] = {
        "----------------------------------------------------------------------------------",
        "                               |      |      |созд.+| FillMem |  млн |      | HDD ",
        "            Описание           |созд. |сорти-|сорт.+|   &     |циклов|10000 |Speed",
        "                               |списк.|ровка |вывод | ReadMem | в сек|эллипс|мб/с ",
        "-------------------------------|------|------|------|---------|------|------|-----",
    };
    std::string bytes;
    for (const char* l : lines) bytes += Ansi(l) + "\r\n";
    return bytes;
}

class ResultsPageTest : public WindowTest {
protected:
    std::string LogPath() const { return ExeDir() + "Result3.txt"; }
    void Save() { window->Button2->click(); }
};

TEST_F(ResultsPageTest, FirstSaveWritesHeaderAndLineByteForByte)
{
    auto& w = Open();
    w.Edit7->setText(QString::fromUtf8("Тест-машина"));
    w.PageControl1->SetActivePageIndex(2);
    w.List->ClearLines();
    w.List->AddLine("memo only");

    Save();
    const std::string line = w.FormatResultLine();
    ASSERT_EQ(line.size(), 82u);
    EXPECT_EQ(ReadBytes(LogPath()), ExpectedHeaderBytes() + line + "\r\n");
    EXPECT_TRUE(dialogs.boxes.empty());
    // Save writes only the file.
    EXPECT_EQ(w.List->Lines(), std::vector<std::string>{"memo only"});
    EXPECT_EQ(w.PageControl1->ActivePageIndex(), 2);

    w.Scores.CyclesPerSec = 123.4;
    Save();
    EXPECT_EQ(ReadBytes(LogPath()),
              ExpectedHeaderBytes() + line + "\r\n" + w.FormatResultLine() + "\r\n");
}

TEST_F(ResultsPageTest, TooltipsNameTheLogFile)
{
    auto& w = Open();
    const QString path = QString::fromStdString(LogPath());
    EXPECT_TRUE(w.List->toolTip().endsWith(path)) << w.List->toolTip().toStdString();
    EXPECT_TRUE(w.Button2->toolTip().endsWith(path)) << w.Button2->toolTip().toStdString();
}

TEST_F(ResultsPageTest, LogDeletedWhileRunningIsCreatedAgainWithHeader)
{
    auto& w = Open();
    Save();
    Save();
    ASSERT_TRUE(QFile::remove(QString::fromStdString(LogPath())));
    Save();
    EXPECT_EQ(ReadBytes(LogPath()), ExpectedHeaderBytes() + w.FormatResultLine() + "\r\n");
}

TEST_F(ResultsPageTest, ClearEmptiesTheMemoOnlyAndSaveStillAppends)
{
    auto& w = Open();
    Save();
    w.ToTab();
    w.ToTab();
    const auto before = ReadBytes(LogPath());
    w.Button4->click();
    EXPECT_EQ(w.List->LineCount(), 0);
    EXPECT_EQ(ReadBytes(LogPath()), before);
    Save();
    EXPECT_EQ(ReadBytes(LogPath()), before + w.FormatResultLine() + "\r\n");
    EXPECT_EQ(w.List->LineCount(), 0);
}

TEST_F(ResultsPageTest, NewWindowShowsHeaderAndEverySavedLine)
{
    auto& w = Open();
    w.Edit7->setText(QStringLiteral("first"));
    Save();
    const std::string first = w.FormatResultLine();
    w.Edit7->setText(QStringLiteral("second"));
    Save();
    const std::string second = w.FormatResultLine();
    w.ToTab();  // in the memo only; gone after a restart
    window.reset();

    auto& again = Open();
    std::vector<std::string> expected;
    std::istringstream header(ExpectedHeaderBytes());
    for (std::string l; std::getline(header, l);) expected.push_back(l.substr(0, l.size() - 1));
    expected.push_back(first);
    expected.push_back(second);
    EXPECT_EQ(again.List->Lines(), expected);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(ResultsPageTest, UnwritableLogShowsTheSystemCodeAndChangesNothing)
{
    const struct {
        const char* name;
        bool folderIsFile;  // else the log's name is taken by a folder
        int code;
    } rows[] = {{"folder is a file", true, ENOTDIR}, {"log is a folder", false, EISDIR}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dialogs.boxes.clear();
        const std::string root = ExeDir() + row.name + "/";
        std::filesystem::create_directories(root);
        env.ExeDir = row.folderIsFile ? root + "afile/" : root;
        if (row.folderIsFile) std::ofstream(root + "afile") << "x";
        auto& w = Open();
        if (!row.folderIsFile) std::filesystem::create_directory(root + "Result3.txt");
        w.ToTab();
        const auto memo = w.List->Lines();
        const int page = w.PageControl1->ActivePageIndex();

        Save();
        ASSERT_EQ(dialogs.Errors().size(), 1u);
        EXPECT_EQ(dialogs.Errors()[0], QStringLiteral("I/O error %1.").arg(row.code));
        EXPECT_EQ(w.List->Lines(), memo);
        EXPECT_EQ(w.PageControl1->ActivePageIndex(), page);
        if (row.folderIsFile) {
            EXPECT_EQ(ReadBytes(root + "afile"), "x");
        }
        window.reset();
    }
}

// Save through a log name that is a link whose target is missing: the
// target is made where its folder exists, else the error box shows at once.
TEST_F(ResultsPageTest, LinkedLogWithoutItsTargetIsCreatedOrReported)
{
    const struct {
        const char* name;
        const char* target;  // relative to the executable's folder
        bool created;
    } rows[] = {{"target folder exists", "kept.txt", true},
                {"target folder missing", "none/kept.txt", false}};
    auto& w = Open();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        dialogs.boxes.clear();
        std::filesystem::remove(LogPath());
        std::filesystem::create_symlink(row.target, LogPath());
        Save();
        if (row.created) {
            EXPECT_TRUE(dialogs.boxes.empty());
            EXPECT_EQ(ReadBytes(ExeDir() + row.target),
                      ExpectedHeaderBytes() + w.FormatResultLine() + "\r\n");
        } else {
            EXPECT_EQ(dialogs.Errors(),
                      std::vector<QString>{QStringLiteral("I/O error %1.").arg(ENOENT)});
        }
    }
}

TEST_F(ResultsPageTest, FullDiskShowsTheSystemCodeAndKeepsTheSavedLines)
{
    Open();
    Save();
    const std::string saved = ReadBytes(LogPath());
    std::filesystem::rename(LogPath(), ExeDir() + "saved.txt");
    std::filesystem::create_symlink("/dev/full", LogPath());
    Save();
    EXPECT_EQ(dialogs.Errors(), std::vector<QString>{QStringLiteral("I/O error %1.").arg(ENOSPC)});
    EXPECT_EQ(ReadBytes(ExeDir() + "saved.txt"), saved);
}

}  // namespace
}  // namespace vt::testing
