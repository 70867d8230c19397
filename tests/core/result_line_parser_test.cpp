#include "results/result_line_parser.h"

#include <gtest/gtest.h>

#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/results_log.h"

namespace vt {
namespace {

TScores Sample()
{
    return {1.23, 0.456, 2.34, 180, 320, 95.3, 4.21, 8.5};
}

std::string Line(const TScores& s, std::string_view description, std::string_view label,
                 char separator = '.')
{
    return FormatResultLine(s, description, label, {separator, ' '});
}

// Every row: a line, whether it is a result line, and for accepted lines the
// separator and description read back. Accepted lines must give back exactly
// the same bytes when formatted again.
TEST(ResultLineParser, AcceptsExactlyWhatTheLineFormatWrites)
{
    TScores wide = Sample();
    wide.HddSpeed = 1234.5;     // widens the last field
    wide.FillMemSpeed = 12345;  // shifts every field after it
    TScores negative = Sample();
    negative.SortOutputTime = -0.25;
    const std::string good = Line(Sample(), "Pentium", "WD 2.1G");
    const struct {
        const char* name;
        std::string line;
        bool accepted;
        char separator;
        std::string description;
    } rows[] = {
        {"dot", good, true, '.', "Pentium"},
        {"comma", Line(Sample(), "Pentium", "WD", ','), true, ',', "Pentium"},
        {"cyrillic", Line(Sample(), Ansi("Домашний ПК"), Ansi("Диск")), true, '.',
         Ansi("Домашний ПК")},
        {"all zero, memory 0/   0", Line({}, "", ""), true, '.', ""},
        {"wider than 82 columns", Line(wide, "Athlon", "MAX"), true, '.', "Athlon"},
        {"negative score", Line(negative, "x", "y"), true, '.', "x"},
        {"description with separators", Line(Sample(), "a|b/c", "d|e"), true, '.', "a|b/c"},
        {"cut short", good.substr(0, 60), false, 0, ""},
        {"cut in the prefix", good.substr(0, 20), false, 0, ""},
        {"trailing blank", good + " ", false, 0, ""},
        {"mixed separators", good.substr(0, 38) + "," + good.substr(39), false, 0, ""},
        {"wrong decimals", good.substr(0, 35) + "1.2" + good.substr(38), false, 0, ""},
        {"too much padding", std::string(good).replace(32, 6, "   1.23"), false, 0, ""},
        {"letters in a score", std::string(good).replace(33, 1, "x"), false, 0, ""},
        {"binary junk", std::string("\x00\x01\xff|junk/\x7f", 11) + good.substr(11), false, 0, ""},
        {"header line", ResultsLogHeader()[2], false, 0, ""},
        {"empty", "", false, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto record = ParseResultLine(row.line);
        ASSERT_EQ(record.has_value(), row.accepted);
        if (!record) continue;
        EXPECT_EQ(record->DecimalSeparator, row.separator);
        EXPECT_EQ(record->Description, row.description);
        EXPECT_EQ(Line(record->Scores, record->Description, record->DiskLabel, row.separator),
                  row.line);
    }
}

TEST(ResultLineParser, LogSkipsHeaderAndCountsDamagedLines)
{
    std::string log;
    for (const std::string& h : ResultsLogHeader()) log += h + "\r\n";
    log += Line(Sample(), "one", "a") + "\r\n";         // line 6
    log += "not a result line\r\n";                     // line 7, skipped
    log += "\r\n";                                      // line 8, blank
    log += Line(Sample(), "two", "b", ',') + "\n";      // line 9, lone LF
    log += Line(Sample(), "three", "c").substr(0, 50);  // line 10, cut, no line end
    const TParsedLog parsed = ParseResultsLog(log);
    ASSERT_EQ(parsed.Records.size(), 2u);
    EXPECT_EQ(parsed.Records[0].LineNumber, 6u);
    EXPECT_EQ(parsed.Records[1].LineNumber, 9u);
    EXPECT_EQ(parsed.Records[1].DecimalSeparator, ',');
    EXPECT_DOUBLE_EQ(parsed.Records[1].Scores.SortTime, 0.456);
    EXPECT_EQ(parsed.SkippedLines, (std::vector<std::size_t>{7, 10}));
}

}  // namespace
}  // namespace vt
