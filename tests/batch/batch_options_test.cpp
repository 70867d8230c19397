// The batch mode's command line: what is accepted and what it means, and
// what is refused before anything runs.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "batch/batch_options.h"

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
        Accepted{"none", {}, {1, 2, 3, 5}, TBatchFormat::Line, false, 1},
        Accepted{"file_adds_test_4",
                 {"--file", "DIR/big"},
                 {1, 2, 3, 4, 5},
                 TBatchFormat::Line,
                 false,
                 1},
        Accepted{"order_kept", {"--tests", "5,1, 3"}, {5, 1, 3}, TBatchFormat::Line, false, 1},
        Accepted{"file_test", {"--tests=4", "--file=DIR/big"}, {4}, TBatchFormat::Line, false, 1},
        Accepted{"file_not_read_needs_no_check",
                 {"--tests", "2", "--file", "/no/such"},
                 {2},
                 TBatchFormat::Line,
                 false,
                 1},
        Accepted{"csv_save_log",
                 {"--format", "csv", "--save", "--log", "DIR/sub/log.txt"},
                 {1, 2, 3, 5},
                 TBatchFormat::Csv,
                 true,
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
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOptionsRefused,
    ::testing::Values(
        Refused{"unknown", {"--fast"}, "fast"}, Refused{"no_value", {"--tests"}, "tests"},
        Refused{"test_zero", {"--tests", "0"}, "no test '0'"},
        Refused{"test_six", {"--tests", "1,6"}, "no test '6'"},
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
        Refused{"label_c1_control", {"--label", "a\xc2\x85"}, "--label"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
