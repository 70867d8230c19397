#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <filesystem>
#include <sstream>
#include <streambuf>

#include "app/widgets/filename_edit.h"
#include "app/widgets/memo.h"
#include "app/widgets/shadow_label.h"
#include "platform/direct_file.h"
#include "window_fixture.h"

namespace vt::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::int64_t MiB = 1048576;

int OpenFdCount()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator("/proc/self/fd")) ++n;
    return n;
}

// The HDD test page on real files. The files live beside the test executable,
// on the disk, so that direct reads work whatever /tmp is mounted as; they
// are sparse, so that large sizes cost no disk space.
class HddPageTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        std::string tmpl = fs::read_symlink("/proc/self/exe").parent_path() / "hdd_page.XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        disk = tmpl;
        TDirectFile probe;
        const int error = probe.Open(File("probe", 4096).toStdString());
        if (error == EINVAL) GTEST_SKIP() << "the file system here refuses direct reads";
        ASSERT_EQ(error, 0);
    }
    void TearDown() override
    {
        WindowTest::TearDown();
        std::error_code ec;
        if (!disk.empty()) fs::remove_all(disk, ec);
    }

    QString File(const std::string& name, std::int64_t size)
    {
        const std::string full = disk + "/" + name;
        const int fd = ::open(full.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, size), 0);
        ::close(fd);
        return QString::fromStdString(full);
    }

    // Opens the window with standard output captured.
    T_fVesktest& OpenPage()
    {
        auto& w = Open();
        w.Env().StdOut = &out;
        return w;
    }

    // Runs the test on `text` as the edit's text, with the two tick readings
    // `t0` and `t1`.
    void Run(const QString& text, std::uint32_t t0 = 1000, std::uint32_t t1 = 5000)
    {
        window->FilenameEdit1->SetText(text);
        ScriptTicks({t0, t1});
        window->RxSpeedButton1->click();
    }

    std::string disk;
    std::ostringstream out;
};

TEST_F(HddPageTest, OnlyFilesOverOneMiBAreMeasured)
{
    struct Row {
        const char* name;
        enum { Sized, Directory, Missing, Empty } kind;
        std::int64_t size;
        bool message;
        bool measured;
    };
    const Row rows[] = {
        {"exactly_one_MiB", Row::Sized, MiB, true, false},
        {"one_byte_over", Row::Sized, MiB + 1, false, true},
        {"directory", Row::Directory, 0, true, false},
        {"missing_name", Row::Missing, 0, true, false},
        {"empty_name", Row::Empty, 0, true, false},
        // Beyond 32 bits the whole size counts.
        {"four_GiB_and_a_bit", Row::Sized, (4LL << 30) + 4096, false, true},
    };
    auto& w = OpenPage();
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        QString name;
        switch (r.kind) {
            case Row::Sized:
                name = File(r.name, r.size);
                break;
            case Row::Directory:
                name = QString::fromStdString(disk);
                break;
            case Row::Missing:
                name = QString::fromStdString(disk + "/none");
                break;
            case Row::Empty:
                break;
        }
        dialogs.boxes.clear();
        const int lines = w.List->LineCount();
        const int memo = w.Memo2->LineCount();
        Run(name);
        if (r.message) {
            ASSERT_EQ(dialogs.boxes.size(), 1u);
            EXPECT_EQ(dialogs.boxes[0].kind, CapturedDialogs::Box::Message);
            EXPECT_EQ(dialogs.boxes[0].text, QStringLiteral("Size of file must be > 1mb"));
        } else {
            EXPECT_TRUE(dialogs.boxes.empty());
        }
        EXPECT_EQ(w.List->LineCount(), lines + (r.measured ? 1 : 0));
        EXPECT_EQ(w.Memo2->LineCount(), memo + (r.measured ? 2 : 0));
        EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Ready"));
        EXPECT_EQ(out.str(), "");
    }
}

TEST_F(HddPageTest, FiguresOfACompletedRun)
{
    struct Row {
        const char* name;
        std::int64_t size;
        std::uint32_t elapsed;
        FormatSettings format;
        double hddSpeed;
        const char* hddText;
        const char* cdText;
    };
    const Row rows[] = {
        {"hundred_MiB_in_four_seconds", 100 * MiB, 4000, {'.', ','}, 25.0, "25", "170.7"},
        {"decimal_comma", 3 * MiB, 2000, {',', ' '}, 1.5, "1,5", "10,2"},
        {"three_decimals", 2 * MiB, 3000, {'.', ','}, 2.0 / 3.0, "0.667", "4.6"},
        {"three_GiB", 3LL << 30, 4096, {'.', ','}, 750.0, "750", "5120"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto& w = OpenPage();
        w.Env().Format = r.format;
        w.Memo2->ClearLines();
        const QString name = File(r.name, r.size);
        Run(name, 1000, 1000 + r.elapsed);
        EXPECT_DOUBLE_EQ(w.Scores.HddSpeed, r.hddSpeed);
        EXPECT_EQ(w.HDDspeed->Caption().toStdString(), std::string(r.hddText) + " Mb/s");
        EXPECT_EQ(w.CDspeed->Caption().toStdString(), std::string(r.cdText) + "X");
        ASSERT_EQ(w.Memo2->LineCount(), 2);
        EXPECT_EQ(w.Memo2->Lines()[0],
                  std::string("Average speed of reading =  ") + r.hddText + " mb/s");
        EXPECT_EQ(w.Memo2->Lines()[1], std::string("For CD's average x-speed = ") + r.cdText + "X");
        EXPECT_EQ(w.List->Lines().back(), w.FormatResultLine());
        EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Ready"));
        EXPECT_EQ(out.str(), "");
        EXPECT_TRUE(dialogs.boxes.empty());
    }
}

// A file in a memory file system is measured as any other, but standard
// output says first that the figure is not a disk's. (Files on the disk,
// as in the tests above, get no such line.)
TEST_F(HddPageTest, FileInMemoryIsMeasuredWithAWarning)
{
    if (!fs::is_directory("/dev/shm")) GTEST_SKIP() << "no /dev/shm here";
    std::string path = "/dev/shm/hdd_page.XXXXXX";
    const int fd = mkstemp(path.data());
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, 2 * MiB), 0);
    ::close(fd);
    auto& w = OpenPage();
    const int memo = w.Memo2->LineCount();
    Run(QString::fromStdString(path));
    const std::string warning =
        "Warning: " + path +
        " is on tmpfs (memory), not on a disk: the figure is not a disk speed\n";
    TDirectFile probe;
    if (probe.Open(path) == 0) {
        // Memory file systems take direct reads since Linux 6.6.
        EXPECT_EQ(out.str(), warning);
        EXPECT_EQ(w.Memo2->LineCount(), memo + 2);
    } else {
        EXPECT_EQ(out.str().substr(0, warning.size()), warning);
        EXPECT_EQ(w.Memo2->LineCount(), memo);
    }
    EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Ready"));
    fs::remove(path);
}

TEST_F(HddPageTest, TwoRunsLeaveFourMemoLinesInOrder)
{
    auto& w = OpenPage();
    const QString name = File("twice", 100 * MiB);
    Run(name, 1000, 5000);
    Run(name, 9000, 11000);
    const std::vector<std::string> expected = {
        "Average speed of reading =  25 mb/s", "For CD's average x-speed = 170.7X",
        "Average speed of reading =  50 mb/s", "For CD's average x-speed = 341.3X"};
    EXPECT_EQ(w.Memo2->Lines(), expected);
}

TEST_F(HddPageTest, ResultLineIsAppendedBeforeTheLabelsChange)
{
    auto& w = OpenPage();
    const QString name = File("order", 100 * MiB);
    std::vector<QString> hddAtAppend;
    std::vector<int> memoAtAppend;
    const int before = w.List->LineCount();
    QObject::connect(w.List, &QPlainTextEdit::textChanged, [&] {
        hddAtAppend.push_back(w.HDDspeed->Caption());
        memoAtAppend.push_back(w.Memo2->LineCount());
    });
    Run(name);
    EXPECT_EQ(w.List->LineCount(), before + 1);
    ASSERT_FALSE(hddAtAppend.empty());
    EXPECT_EQ(hddAtAppend.front(), QStringLiteral("0 Mb/s"));
    EXPECT_EQ(memoAtAppend.front(), 0);
    // The line carries the new score.
    EXPECT_EQ(w.List->Lines().back().substr(w.List->Lines().back().size() - 5), " 25.0");
}

// A stream whose every write fails.
struct FailingBuffer : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
};

TEST_F(HddPageTest, FailuresGoToStandardOutputAndReleaseEverything)
{
    auto& w = OpenPage();
    const QString name = File("fails", 2 * MiB);
    w.Scores.HddSpeed = 7.0;
    const int lines = w.List->LineCount();
    const int fds = OpenFdCount();
    const int buffers = TAlignedBuffer::LiveCount();

    auto expectNothingChanged = [&] {
        EXPECT_EQ(w.Scores.HddSpeed, 7.0);
        EXPECT_EQ(w.List->LineCount(), lines);
        EXPECT_EQ(w.HDDspeed->Caption(), QStringLiteral("0 Mb/s"));
        EXPECT_EQ(w.CDspeed->Caption(), QStringLiteral("0x"));
        EXPECT_EQ(w.Memo2->LineCount(), 0);
        EXPECT_EQ(OpenFdCount(), fds);
        EXPECT_EQ(TAlignedBuffer::LiveCount(), buffers);
    };

    {
        SCOPED_TRACE("zero elapsed time");
        Run(name, 1000, 1000);
        EXPECT_EQ(out.str(), "Floating point division by zero\n");
        EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Ready"));
        expectNothingChanged();
    }
    {
        SCOPED_TRACE("failed open");
        out.str("");
        // No descriptor left to open the file with: the open fails with EMFILE.
        rlimit saved{};
        ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
        const int lowestFree = dup(0);
        ASSERT_GE(lowestFree, 0);
        ::close(lowestFree);
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
        Run(name);
        setrlimit(RLIMIT_NOFILE, &saved);
        EXPECT_EQ(out.str(), "Failed to open " + name.toStdString() + "\nError:24\n");
        EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Ready"));
        expectNothingChanged();
    }
    {
        SCOPED_TRACE("standard output cannot be written");
        FailingBuffer failing;
        std::ostream broken(&failing);
        w.Env().StdOut = &broken;
        Run(name, 1000, 1000);
        ASSERT_EQ(dialogs.Errors().size(), 1u);
        EXPECT_TRUE(dialogs.Errors()[0].startsWith(QStringLiteral("I/O error ")))
            << dialogs.Errors()[0].toStdString();
        EXPECT_EQ(w.RxLabel4->Caption(), QStringLiteral("Wait"));
        expectNothingChanged();
        w.Env().StdOut = &out;
    }
    {
        SCOPED_TRACE("completed run");
        Run(name, 1000, 2000);
        EXPECT_EQ(w.Memo2->LineCount(), 2);
        EXPECT_EQ(OpenFdCount(), fds);
        EXPECT_EQ(TAlignedBuffer::LiveCount(), buffers);
    }
}

TEST_F(HddPageTest, QuotedNameWithABlankIsMeasured)
{
    auto& w = OpenPage();
    const QString name = File("with blank.bin", MiB + 1);
    for (const QString& text : {QLatin1Char('"') + name + QLatin1Char('"'),
                                QLatin1Char('"') + name + QStringLiteral("\" -x"), name}) {
        SCOPED_TRACE(text.toStdString());
        w.FilenameEdit1->SetText(text);
        EXPECT_EQ(w.FilenameEdit1->FileName(), name);
        const int memo = w.Memo2->LineCount();
        Run(text);
        EXPECT_EQ(w.Memo2->LineCount(), memo + 2);
        EXPECT_TRUE(dialogs.boxes.empty());
    }
}

TEST(FilenameEditRule, FirstItemOfACommandLine)
{
    struct Row {
        const char* name;
        const char* text;
        const char* item;
    };
    const Row rows[] = {
        {"plain_word", "/data/file.bin", "/data/file.bin"},
        {"first_of_several_words", "/data/a.bin /data/b.bin", "/data/a.bin"},
        {"leading_blanks", "  \t/data/a.bin rest", "/data/a.bin"},
        {"quoted_with_blank", "\"/data/my file.bin\" rest", "/data/my file.bin"},
        {"unclosed_quote", "\"/data/my file.bin", "/data/my file.bin"},
        {"tab_delimits", "/data/a.bin\t/data/b.bin", "/data/a.bin"},
        {"empty", "", ""},
        {"only_blanks", "   ", ""},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(TFilenameEdit::FirstCommandLineItem(QString::fromUtf8(r.text)),
                  QString::fromUtf8(r.item));
    }
    EXPECT_EQ(TFilenameEdit::QuotedName(QStringLiteral("/a b")), QStringLiteral("\"/a b\""));
    EXPECT_EQ(TFilenameEdit::QuotedName(QStringLiteral("/ab")), QStringLiteral("/ab"));
}

TEST_F(HddPageTest, FileSizeFollowsTheDialog)
{
    auto& w = OpenPage();
    const QString small = File("three point nine", MiB * 39 / 10);
    const QString huge = File("huge", 5LL << 30);

    // Choosing a file shows its whole MiB, truncated, and writes its name.
    dialogs.fileChoices = {small};
    w.FilenameEdit1->Button()->click();
    EXPECT_EQ(w.FileSz->Caption(), QStringLiteral("3 Mb"));
    EXPECT_EQ(w.FilenameEdit1->Text(), QLatin1Char('"') + small + QLatin1Char('"'));

    dialogs.fileChoices = {huge};
    w.FilenameEdit1->Browse();
    EXPECT_EQ(w.FileSz->Caption(), QStringLiteral("5120 Mb"));
    EXPECT_EQ(w.FilenameEdit1->Text(), huge);

    // Typing changes nothing; cancelling recomputes for the name held.
    w.FilenameEdit1->SetText(QLatin1Char('"') + small + QLatin1Char('"'));
    EXPECT_EQ(w.FileSz->Caption(), QStringLiteral("5120 Mb"));
    File("three point nine", 2 * MiB);
    dialogs.fileChoices = {std::nullopt};
    w.FilenameEdit1->Browse();
    EXPECT_EQ(w.FileSz->Caption(), QStringLiteral("2 Mb"));
    EXPECT_EQ(w.FilenameEdit1->Text(), QLatin1Char('"') + small + QLatin1Char('"'));
    EXPECT_EQ(dialogs.openedWith.back(), small);

    // A directory counts as 0.
    dialogs.fileChoices = {QString::fromStdString(disk)};
    w.FilenameEdit1->Browse();
    EXPECT_EQ(w.FileSz->Caption(), QStringLiteral("0 Mb"));
    EXPECT_TRUE(dialogs.Errors().empty());
}

}  // namespace
}  // namespace vt::testing
