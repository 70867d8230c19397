// The batch mode's command line: what is accepted and what it means, and
// what is refused.
#include <gtest/gtest.h>

#include "batch/batch_options.h"

namespace vt {
namespace {

TBatchCommand Parse(const std::vector<const char*>& options)
{
    QStringList arguments{QStringLiteral("vesktest"), QStringLiteral("batch")};
    for (const char* o : options) arguments << QString::fromUtf8(o);
    return ParseBatchOptions(arguments);
}

struct Accepted {
    const char* name;
    std::vector<const char*> options;
    std::vector<int> tests;
    TBatchFormat format;
    bool save;
};

void PrintTo(const Accepted& row, std::ostream* os)
{
    *os << row.name;
}

class BatchOptionsAccepted : public ::testing::TestWithParam<Accepted> {};

TEST_P(BatchOptionsAccepted, MeanWhatTheySay)
{
    const TBatchCommand command = Parse(GetParam().options);
    ASSERT_EQ(command.Kind, TBatchCommand::TKind::Run) << command.Text;
    EXPECT_EQ(command.Options.Tests, GetParam().tests);
    EXPECT_EQ(command.Options.Format, GetParam().format);
    EXPECT_EQ(command.Options.Save, GetParam().save);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOptionsAccepted,
    ::testing::Values(
        Accepted{"none", {}, {1, 2, 3, 5}, TBatchFormat::Line, false},
        Accepted{"file_adds_test_4", {"--file", "/x"}, {1, 2, 3, 4, 5}, TBatchFormat::Line, false},
        Accepted{"order_kept", {"--tests", "5,1, 3"}, {5, 1, 3}, TBatchFormat::Line, false},
        Accepted{"file_test", {"--tests=4", "--file=/x"}, {4}, TBatchFormat::Line, false},
        Accepted{"csv_save_log",
                 {"--format", "csv", "--save", "--log", "/l"},
                 {1, 2, 3, 5},
                 TBatchFormat::Csv,
                 true},
        Accepted{"json", {"--format", "json", "--tests", "2"}, {2}, TBatchFormat::Json, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(BatchOptions, TextsAreKeptForTheWindowsConversions)
{
    const TBatchCommand command =
        Parse({"--memory", "$40", "--shapes", " 12", "--description", "Box Ж", "--label", ""});
    ASSERT_EQ(command.Kind, TBatchCommand::TKind::Run);
    EXPECT_EQ(command.Options.Memory, "$40");
    EXPECT_EQ(command.Options.Shapes, " 12");
    EXPECT_EQ(command.Options.Description, std::string("Box \xC6"));  // Windows-1251
    EXPECT_EQ(command.Options.Label, std::string());
}

struct Refused {
    const char* name;
    std::vector<const char*> options;
};

void PrintTo(const Refused& row, std::ostream* os)
{
    *os << row.name;
}

class BatchOptionsRefused : public ::testing::TestWithParam<Refused> {};

TEST_P(BatchOptionsRefused, WithAUsageLine)
{
    const TBatchCommand command = Parse(GetParam().options);
    EXPECT_EQ(command.Kind, TBatchCommand::TKind::Bad);
    EXPECT_NE(command.Text.find("Usage: vesktest batch"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BatchOptionsRefused,
    ::testing::Values(
        Refused{"unknown", {"--fast"}}, Refused{"no_value", {"--tests"}},
        Refused{"test_zero", {"--tests", "0"}}, Refused{"test_six", {"--tests", "1,6"}},
        Refused{"test_word", {"--tests", "one"}}, Refused{"test_empty_item", {"--tests", "1,,2"}},
        Refused{"test_twice", {"--tests", "2,2"}},
        Refused{"file_test_without_file", {"--tests", "4"}}, Refused{"empty_file", {"--file", ""}},
        Refused{"log_without_save", {"--log", "/l"}}, Refused{"format", {"--format", "xml"}},
        Refused{"given_twice", {"--shapes", "1", "--shapes", "2"}},
        Refused{"positional", {"extra"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
