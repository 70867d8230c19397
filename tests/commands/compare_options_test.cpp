// The compare mode's command line: what is accepted and what it means, and
// what is refused before any log is read.
#include <gtest/gtest.h>

#include "compare/compare_options.h"

namespace vt {
namespace {

TCompareCommand Parse(const std::vector<const char*>& options)
{
    QStringList arguments{QStringLiteral("vesktest"), QStringLiteral("compare")};
    for (const char* o : options) arguments << QString::fromUtf8(o);
    return ParseCompareOptions(arguments);
}

TEST(CompareOptions, AcceptedMeanWhatTheySay)
{
    using O = TCompareOutput;
    const struct {
        const char* name;
        std::vector<const char*> options;
        O output;
        bool runs;
        std::optional<QString> reference;
        TGroupBy by;
        QStringList logs;
    } rows[] = {
        {"nothing", {}, O::Window, false, {}, TGroupBy::Auto, {}},
        {"window with logs",
         {"a.txt", "b.txt"},
         O::Window,
         false,
         {},
         TGroupBy::Auto,
         {"a.txt", "b.txt"}},
        {"text", {"--text", "a.txt"}, O::Text, false, {}, TGroupBy::Auto, {"a.txt"}},
        {"csv runs", {"--csv", "--runs"}, O::Csv, true, {}, TGroupBy::Auto, {}},
        {"text runs", {"--runs", "--text"}, O::Text, true, {}, TGroupBy::Auto, {}},
        {"reference",
         {"--reference", "Pentium / WD"},
         O::Window,
         false,
         "Pentium / WD",
         TGroupBy::Auto,
         {}},
        {"reference empty", {"--reference="}, O::Window, false, "", TGroupBy::Auto, {}},
        {"file", {"--group-by", "file", "--csv"}, O::Csv, false, {}, TGroupBy::File, {}},
        {"line", {"--group-by=line"}, O::Window, false, {}, TGroupBy::Line, {}},
        {"after --", {"--text", "--", "--csv"}, O::Text, false, {}, TGroupBy::Auto, {"--csv"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TCompareCommand c = Parse(row.options);
        ASSERT_EQ(c.Kind, TCompareCommand::TKind::Run) << c.Reason.toStdString();
        EXPECT_EQ(c.Options.Output, row.output);
        EXPECT_EQ(c.Options.Console(), row.output != O::Window);
        EXPECT_EQ(c.Options.Runs, row.runs);
        EXPECT_EQ(c.Options.Reference, row.reference);
        EXPECT_EQ(c.Options.GroupBy, row.by);
        EXPECT_EQ(c.Options.Logs, row.logs);
    }
}

TEST(CompareOptions, QuietOnlyGoesWithEveryOutput)
{
    for (const auto& options : {std::vector<const char*>{"--quiet-only"},
                                {"--csv", "--quiet-only", "a.jsonl"},
                                {"--text", "--runs", "--quiet-only"}}) {
        const TCompareCommand c = Parse(options);
        ASSERT_EQ(c.Kind, TCompareCommand::TKind::Run) << c.Reason.toStdString();
        EXPECT_TRUE(c.Options.QuietOnly);
    }
    EXPECT_FALSE(Parse({"--csv"}).Options.QuietOnly);
}

TEST(CompareOptions, HelpWinsOverEverythingValid)
{
    for (const auto& options : {std::vector<const char*>{"--help"}, {"-h", "--text", "x.txt"}})
        EXPECT_EQ(Parse(options).Kind, TCompareCommand::TKind::Help);
    const QString help = CompareHelp(QStringLiteral("/opt/v/Result3.txt"));
    EXPECT_TRUE(help.startsWith(QLatin1String(CompareUsage())));
    EXPECT_TRUE(help.contains(QStringLiteral("reads the results log /opt/v/Result3.txt")));
}

TEST(CompareOptions, RefusedSayWhy)
{
    const struct {
        const char* name;
        std::vector<const char*> options;
        const char* reason;
    } rows[] = {
        {"unknown", {"--bogus"}, "Unknown option 'bogus'."},
        {"no value", {"--reference"}, "Missing value after '--reference'."},
        {"text and csv", {"--text", "--csv"}, "--text and --csv exclude each other"},
        {"runs alone", {"--runs"}, "--runs needs --text or --csv"},
        {"runs reference",
         {"--text", "--runs", "--reference", "1"},
         "--runs lists lines; --reference and --group-by are for machines"},
        {"runs group",
         {"--csv", "--runs", "--group-by", "file"},
         "--runs lists lines; --reference and --group-by are for machines"},
        {"bad grouping",
         {"--group-by", "label"},
         "no grouping 'label' (machine, description, file or line)"},
        {"reference twice",
         {"--reference", "1", "--reference", "2"},
         "--reference is given more than once"},
        {"grouping twice",
         {"--group-by", "file", "--group-by", "file"},
         "--group-by is given more than once"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TCompareCommand c = Parse(row.options);
        EXPECT_EQ(c.Kind, TCompareCommand::TKind::Bad);
        EXPECT_EQ(c.Reason.toStdString(), row.reason);
    }
}

}  // namespace
}  // namespace vt
