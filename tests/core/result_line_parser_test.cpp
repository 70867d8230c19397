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

// Every row: a line, whether it is a result line (no fault), and for accepted
// lines the separator and description read back, for refused ones the fault
// and the score it is in. Accepted lines must give back exactly the same
// bytes when formatted again.
TEST(ResultLineParser, AcceptsExactlyWhatTheLineFormatWrites)
{
    TScores wide = Sample();
    wide.HddSpeed = 1234.5;     // widens the last field
    wide.FillMemSpeed = 12345;  // shifts every field after it
    TScores negative = Sample();
    negative.SortOutputTime = -0.25;
    TScores huge = Sample();
    huge.FillMemSpeed = 1e15;
    const std::string good = Line(Sample(), "Pentium", "WD 2.1G");
    using F = TLineFault;
    const struct {
        const char* name;
        std::string line;
        TLineFault fault;
        int field;
        char separator;
        std::string description;
    } rows[] = {
        {"dot", good, F::None, -1, '.', "Pentium"},
        {"comma", Line(Sample(), "Pentium", "WD", ','), F::None, -1, ',', "Pentium"},
        {"cyrillic", Line(Sample(), Ansi("Домашний ПК"), Ansi("Диск")), F::None, -1, '.',
         Ansi("Домашний ПК")},
        {"all zero, memory 0/   0", Line({}, "", ""), F::None, -1, '.', ""},
        {"wider than 82 columns", Line(wide, "Athlon", "MAX"), F::None, -1, '.', "Athlon"},
        {"negative score", Line(negative, "x", "y"), F::None, -1, '.', "x"},
        {"description with separators", Line(Sample(), "a|b/c", "d|e"), F::None, -1, '.', "a|b/c"},
        {"cut short", good.substr(0, 60), F::CutShort, 4, 0, ""},
        {"cut inside the last score", good.substr(0, 80), F::CutShort, 7, 0, ""},
        {"cut in the label", good.substr(0, 28), F::CutShort, -1, 0, ""},
        {"cut in the description", good.substr(0, 20), F::NotAResultLine, -1, 0, ""},
        {"trailing blank", good + " ", F::NotAsWritten, 7, 0, ""},
        {"mixed separators", std::string(good).replace(41, 1, ","), F::MixedSeparators, 1, 0, ""},
        {"separator replaced", good.substr(0, 38) + "," + good.substr(39), F::NotAsWritten, 0, 0,
         ""},
        {"wrong decimals", good.substr(0, 35) + "1.2" + good.substr(38), F::NotAsWritten, 0, 0, ""},
        {"too much padding", std::string(good).replace(32, 6, "   1.23"), F::NotAsWritten, 0, 0,
         ""},
        {"letters in a score", std::string(good).replace(33, 1, "x"), F::NotANumber, 0, 0, ""},
        {"empty score", std::string(good).replace(39, 6, ""), F::NotANumber, 1, 0, ""},
        {"more digits than a double", Line(huge, "x", "y"), F::TooManyDigits, 3, 0, ""},
        {"binary junk", std::string("\x00\x01\xff|junk/\x7f", 11) + good.substr(11),
         F::ControlCharacter, -1, 0, ""},
        {"longer than any result line", good + std::string(200, '0'), F::TooLong, -1, 0, ""},
        {"header line", ResultsLogHeader()[2], F::NotAResultLine, -1, 0, ""},
        {"empty", "", F::NotAResultLine, -1, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TResultFields fields = ReadResultLine(row.line);
        EXPECT_EQ(fields.Fault, row.fault);
        EXPECT_EQ(fields.Field, row.field);
        const auto record = ParseResultLine(row.line);
        ASSERT_EQ(record.has_value(), row.fault == F::None);
        if (!record) {
            EXPECT_FALSE(LineFaultText(fields.Fault, fields.Field).empty());
            continue;
        }
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
    ASSERT_EQ(parsed.Skipped.size(), 2u);
    EXPECT_EQ(parsed.Skipped[0].LineNumber, 7u);
    EXPECT_EQ(parsed.Skipped[0].Fault, TLineFault::NotAResultLine);
    EXPECT_EQ(parsed.Skipped[1].LineNumber, 10u);
    EXPECT_EQ(parsed.Skipped[1].Fault, TLineFault::CutShort);
}

// Logs that went through other tools on their way: each must read back as
// the same two result lines with nothing skipped.
TEST(ResultLineParser, ReadsLogsThatOtherToolsChanged)
{
    const std::string one = Line(Sample(), Ansi("Домашний ПК"), "a");
    const std::string two = Line(Sample(), "two", Ansi("Диск"), ',');
    std::string header, trimmedHeader;
    for (const std::string& h : ResultsLogHeader()) {
        header += h + "\r\n";
        trimmedHeader += h.substr(0, h.find_last_not_of(' ') + 1) + "\n";
    }
    const struct {
        const char* name;
        std::string log;
    } rows[] = {
        {"CR CR LF line ends", header + one + "\r\r\n" + two + "\r\r\n"},
        {"header without trailing blanks", trimmedHeader + one + "\n" + two + "\n"},
        {"UTF-8 with a byte-order mark",
         "\xEF\xBB\xBF" + Cp1251ToUtf8(header + one + "\r\n" + two + "\r\n")},
        {"byte-order mark before a result line", "\xEF\xBB\xBF" + Cp1251ToUtf8(one + "\n" + two)},
        {"no line end after the last line, a CR left", header + one + "\r\n" + two + "\r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TParsedLog parsed = ParseResultsLog(row.log);
        EXPECT_TRUE(parsed.Skipped.empty());
        ASSERT_EQ(parsed.Records.size(), 2u);
        EXPECT_EQ(parsed.Records[0].Description, Ansi("Домашний ПК"));
        EXPECT_EQ(parsed.Records[1].DiskLabel, Ansi("Диск"));
        EXPECT_EQ(parsed.Records[1].DecimalSeparator, ',');
    }
}

}  // namespace
}  // namespace vt
