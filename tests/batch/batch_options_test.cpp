// The batch mode's command line: what is accepted and what it means, and
// what is refused before anything runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/batch_options.h"
#include "platform/drive_space.h"

namespace vt {
namespace {

constexpr TBatchLimits kLimits{1638};

// A folder with a file the file test may read (2 MiB, sparse), one of
// exactly 1 MiB and a subfolder.
class BatchOptionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        for (const auto& [name, size] : {std::pair{"big", 2 << 20}, {"mib", 1 << 20}}) {
            QFile f(dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            ASSERT_TRUE(f.resize(size));
        }
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("sub")));
    }

    // `options` with "DIR/" replaced by the folder.
    TBatchCommand Parse(const std::vector<const char*>& options) const
    {
        QStringList arguments{QStringLiteral("vesktest"), QStringLiteral("batch")};
        for (const char* o : options)
            arguments << QString::fromUtf8(o).replace(QStringLiteral("DIR/"), dir.path() + "/");
        return ParseBatchOptions(arguments, kLimits);
    }

    QTemporaryDir dir;
};

struct Accepted {
    const char* name;
    std::vector<const char*> options;
    std::vector<int> tests;
    TBatchFormat format;
    bool save;
    int repeat;
};

void PrintTo(const Accepted& row, std::ostream* os)
{
    *os << row.name;
}

class BatchOptionsAccepted : public BatchOptionsTest,
                             public ::testing::WithParamInterface<Accepted> {};

TEST_P(BatchOptionsAccepted, MeanWhatTheySay)
{
    const TBatchCommand command = Parse(GetParam().options);
    ASSERT_EQ(command.Kind, TBatchCommand::TKind::Run) << command.Text;
    EXPECT_EQ(command.Options.Tests, GetParam().tests);
    EXPECT_EQ(command.Options.Format, GetParam().format);
    EXPECT_EQ(command.Options.Save, GetParam().save);
    EXPECT_EQ(command.Options.Repeat, GetParam().repeat);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOptionsAccepted,
    ::testing::Values(
        Accepted{"none", {}, {1, 2, 3, 5, 6}, TBatchFormat::Line, false, 1},
        Accepted{"file_adds_test_4",
                 {"--file", "DIR/big"},
                 {1, 2, 3, 4, 5, 6},
                 TBatchFormat::Line,
                 false,
                 1},
        Accepted{"order_kept", {"--tests", "5,1,3"}, {5, 1, 3}, TBatchFormat::Line, false, 1},
        Accepted{"every_core", {"--tests", "6,2"}, {6, 2}, TBatchFormat::Line, false, 1},
        Accepted{"file_test", {"--tests=4", "--file=DIR/big"}, {4}, TBatchFormat::Line, false, 1},
        Accepted{"csv_save_log",
                 {"--format", "csv", "--save", "--log", "DIR/sub/log.txt"},
                 {1, 2, 3, 5, 6},
                 TBatchFormat::Csv,
                 true,
                 1},
        Accepted{
            "disk_profile",
            {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "64", "--disk-seconds", "60"},
            {7},
            TBatchFormat::Line,
            false,
            1},
        Accepted{"json_repeated",
                 {"--format", "json", "--tests", "2", "--repeat", "1000"},
                 {2},
                 TBatchFormat::Json,
                 false,
                 1000}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BatchOptionsTest, ValuesAreTakenAsGiven)
{
    const TBatchCommand command = Parse({"--memory", "1638", "--shapes", "0", "--description",
                                         "Box Ж", "--label", "", "--repeat", "1"});
    ASSERT_EQ(command.Kind, TBatchCommand::TKind::Run) << command.Text;
    EXPECT_EQ(command.Options.Memory, 1638);
    EXPECT_EQ(command.Options.Shapes, 0);
    EXPECT_EQ(command.Options.Description, std::string("Box Ж"));  // UTF-8, whole
    EXPECT_EQ(command.Options.Label, std::string());
    EXPECT_FALSE(Parse({}).Options.Memory.has_value());
    EXPECT_EQ(Parse({}).Options.Shapes, 10000);
}

TEST_F(BatchOptionsTest, DiskProfileValues)
{
    const TBatchCommand given = Parse(
        {"--tests", "2,7", "--disk-dir", "DIR/sub", "--disk-size", "64", "--disk-seconds", "1"});
    ASSERT_EQ(given.Kind, TBatchCommand::TKind::Run) << given.Text;
    EXPECT_EQ(given.Options.DiskDir, (dir.path() + "/sub").toStdString());
    EXPECT_EQ(given.Options.DiskMiB, 64);
    EXPECT_EQ(given.Options.DiskSeconds, 1);
    // Without --disk-dir the home folder; 1 GiB for 5 s a figure unless told.
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(dir.path()));
    const TBatchCommand defaults = Parse({"--tests", "7"});
    qputenv("HOME", home);
    ASSERT_EQ(defaults.Kind, TBatchCommand::TKind::Run) << defaults.Text;
    EXPECT_EQ(defaults.Options.DiskDir, dir.path().toStdString());
    EXPECT_EQ(defaults.Options.DiskMiB, 1024);
    EXPECT_EQ(defaults.Options.DiskSeconds, 5);
    // Never part of the tests run by default.
    EXPECT_EQ(Parse({}).Options.Tests, (std::vector<int>{1, 2, 3, 5}));
}

// A file that fits the free space but leaves less than a tenth of it more.
TEST_F(BatchOptionsTest, DiskProfileNeedsATenthMoreThanItsFile)
{
    std::int64_t total = 0, free = 0;
    ASSERT_TRUE(FileSystemSpace(dir.path().toStdString(), total, free));
    const std::int64_t size = free / 1048576 * 95 / 100;
    if (size < 64) GTEST_SKIP() << "less than 68 MiB free here";
    const TBatchCommand command = Parse(
        {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", std::to_string(size).c_str()});
    EXPECT_EQ(command.Kind, TBatchCommand::TKind::Bad);
    EXPECT_NE(command.Text.find("(its size and 10%)"), std::string::npos) << command.Text;
}

struct Refused {
    const char* name;
    std::vector<const char*> options;
    const char* reason;  // a part of the message
};

void PrintTo(const Refused& row, std::ostream* os)
{
    *os << row.name;
}

class BatchOptionsRefused : public BatchOptionsTest,
                            public ::testing::WithParamInterface<Refused> {};

TEST_P(BatchOptionsRefused, WithTheReasonAndAUsageLine)
{
    const TBatchCommand command = Parse(GetParam().options);
    EXPECT_EQ(command.Kind, TBatchCommand::TKind::Bad);
    EXPECT_EQ(command.Text.rfind("vesktest batch: ", 0), 0u) << command.Text;
    EXPECT_NE(command.Text.find(GetParam().reason), std::string::npos) << command.Text;
    EXPECT_NE(command.Text.find("Usage: vesktest batch"), std::string::npos);
    // The reason is one line, whatever the value held.
    EXPECT_EQ(command.Text.find('\n'), command.Text.find("\nUsage: ")) << command.Text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOptionsRefused,
    ::testing::Values(
        Refused{"unknown", {"--fast"}, "fast"}, Refused{"no_value", {"--tests"}, "tests"},
        Refused{"test_zero", {"--tests", "0"}, "no test '0'"},
        Refused{"test_seven", {"--tests", "1,7"}, "no test '7' (1 to 6)"},
        Refused{"test_word", {"--tests", "one"}, "no test 'one'"},
        Refused{"test_empty_item", {"--tests", "1,,2"}, "no test ''"},
        Refused{"test_twice", {"--tests", "2,2"}, "given twice"},
        Refused{"file_test_without_file", {"--tests", "4"}, "needs --file"},
        Refused{"empty_file", {"--file", ""}, "needs a file name"},
        Refused{"file_missing", {"--file", "DIR/none"}, "no such file"},
        Refused{"file_is_a_folder", {"--tests", "4", "--file", "DIR/sub"}, "not a regular file"},
        Refused{"file_of_one_mib", {"--file", "DIR/mib"}, "larger than 1 MiB"},
        Refused{"log_without_save", {"--log", "/l"}, "--log is for --save"},
        Refused{"log_folder_missing", {"--save", "--log", "DIR/none/log.txt"}, "no folder"},
        Refused{"format", {"--format", "xml"}, "no format 'xml'"},
        Refused{"given_twice", {"--shapes", "1", "--shapes", "2"}, "more than once"},
        Refused{"positional", {"extra"}, "unexpected argument"},
        Refused{"memory_letters", {"--memory", "abc"}, "from 1 to 1638"},
        Refused{"memory_zero", {"--memory", "0"}, "from 1 to 1638"},
        Refused{"memory_negative", {"--memory", "-5"}, "from 1 to 1638"},
        Refused{"memory_above_the_largest", {"--memory", "1639"}, "from 1 to 1638"},
        Refused{"memory_beyond_32_bits", {"--memory", "99999999999"}, "from 1 to 1638"},
        Refused{"memory_hexadecimal", {"--memory", "$40"}, "from 1 to 1638"},
        Refused{"memory_with_blank", {"--memory", " 16"}, "from 1 to 1638"},
        Refused{"memory_without_test_5", {"--tests", "2", "--memory", "x"}, "--memory 'x'"},
        Refused{"shapes_negative", {"--shapes", "-1"}, "--shapes '-1'"},
        Refused{"shapes_fraction", {"--shapes", "2.5"}, "--shapes '2.5'"},
        Refused{"shapes_beyond_32_bits", {"--shapes", "2147483648"}, "--shapes"},
        Refused{"repeat_zero", {"--repeat", "0"}, "from 1 to 1000"},
        Refused{"repeat_above", {"--repeat", "1001"}, "from 1 to 1000"},
        Refused{"repeat_word", {"--repeat", "many"}, "from 1 to 1000"},
        Refused{"description_line_break", {"--description", "a\nb"}, "--description holds"},
        Refused{"description_carriage_return", {"--description", "a\rb"}, "--description"},
        Refused{"label_tab", {"--label", "a\tb"}, "--label holds"},
        Refused{"label_delete", {"--label", "a\x7f"}, "--label"},
        Refused{"label_c1_control", {"--label", "a\xc2\x85"}, "--label"},
        Refused{"test_eight", {"--tests", "8"}, "no test '8'"},
        Refused{"disk_dir_without_test_7", {"--disk-dir", "DIR/sub"}, "--disk-dir is for test 7"},
        Refused{"disk_size_without_test_7",
                {"--tests", "1", "--disk-size", "64"},
                "--disk-size is for test 7"},
        Refused{"disk_seconds_without_test_7", {"--disk-seconds", "1"}, "--disk-seconds is for"},
        Refused{"disk_dir_missing",
                {"--tests", "7", "--disk-dir", "DIR/none", "--disk-size", "64"},
                "there is no folder"},
        Refused{"disk_dir_is_a_file",
                {"--tests", "7", "--disk-dir", "DIR/big", "--disk-size", "64"},
                "there is no folder"},
        Refused{"disk_dir_empty", {"--tests", "7", "--disk-dir", ""}, "needs a folder name"},
        Refused{"disk_size_below_64",
                {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "63"},
                "--disk-size '63' is not a whole number of MiB from 64"},
        Refused{"disk_size_word",
                {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "1G"},
                "--disk-size '1G'"},
        Refused{"disk_size_above_free",
                {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "2147483647"},
                "MiB is more than the"},
        Refused{
            "disk_seconds_zero",
            {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "64", "--disk-seconds", "0"},
            "--disk-seconds '0' is not a whole number from 1 to 60"},
        Refused{
            "disk_seconds_61",
            {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "64", "--disk-seconds", "61"},
            "from 1 to 60"},
        Refused{
            "disk_seconds_fraction",
            {"--tests", "7", "--disk-dir", "DIR/sub", "--disk-size", "64", "--disk-seconds", "1.5"},
            "from 1 to 60"},
        Refused{"test_with_plus", {"--tests", "+2"}, "no test '+2'"},
        Refused{"test_with_blank", {"--tests", " 2"}, "no test ' 2'"},
        Refused{"test_blank_after_comma", {"--tests", "1, 3"}, "no test ' 3'"},
        Refused{"test_leading_zero", {"--tests", "02"}, "no test '02'"},
        Refused{"memory_leading_zero", {"--memory", "0128"}, "--memory '0128'"},
        Refused{"memory_with_plus", {"--memory", "+128"}, "--memory '+128'"},
        Refused{"repeat_leading_zero", {"--repeat", "03"}, "--repeat '03'"},
        Refused{"value_line_break_escaped", {"--memory", "1\n2"}, "--memory '1\\n2'"},
        Refused{"test_escape_sequence", {"--tests", "\x1b[31m"}, "no test '\\x1b[31m'"},
        Refused{"file_for_a_test_not_run",
                {"--tests", "2", "--file", "/no/such"},
                "--file is for test 4, which --tests leaves out"},
        Refused{"memory_for_a_test_not_run",
                {"--tests", "2", "--memory", "16"},
                "--memory is for tests 5 and 6"},
        Refused{"shapes_for_a_test_not_run",
                {"--tests", "1,5", "--shapes", "5"},
                "--shapes is for test 3"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
