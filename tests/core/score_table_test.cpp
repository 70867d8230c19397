// Every row of the score table against what is derived from it: the result
// line (where the row's field stands, its width and decimals), the line's
// parser (the value read back into the row's member, a fault named by the
// row's name) and the results log's header (its columns above the line's
// fields, its bytes as they always were).
#include "results/score_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/result_line_parser.h"
#include "results/results_log.h"

namespace vt {
namespace {

const FormatSettings kDot{'.', ','};

struct Row {
    const char* name;
    double value;
    std::size_t at;     // where its separator stands in the line; npos: not in it
    const char* field;  // the separator and the field as the line writes it
};

// The line's fields by position, written out by hand: the table must give
// exactly these.
const Row kRows[] = {
    {"ListCreateTime", 1.5, 31, "|  1.50"},
    {"SortTime", 0.25, 38, "| 0.250"},
    {"SortOutputTime", 2.5, 45, "|  2.50"},
    {"FillMemSpeed", 123, 52, "| 123"},
    {"ReadMemSpeed", 4567, 57, "/4567"},
    {"CyclesPerSec", 95.5, 62, "|  95.5"},
    {"DrawTime", 4.25, 69, "|  4.25"},
    {"HddSpeed", 8.5, 76, "|  8.5"},
    {"CyclesPerSecAll", 400, std::string::npos, ""},
    {"CyclesPerSecCores", 300, std::string::npos, ""},
    {"FillMemSpeedAll", 9000, std::string::npos, ""},
    {"ReadMemSpeedAll", 9000, std::string::npos, ""},
    {"DiskSeq1MQ8Read", 500, std::string::npos, ""},
    {"DiskSeq1MQ1Read", 400, std::string::npos, ""},
    {"DiskRnd4KQ32Read", 300, std::string::npos, ""},
    {"DiskRnd4KQ1Read", 30, std::string::npos, ""},
    {"DiskSeq1MQ8Write", 450, std::string::npos, ""},
    {"DiskSeq1MQ1Write", 350, std::string::npos, ""},
    {"DiskRnd4KQ32Write", 250, std::string::npos, ""},
    {"DiskRnd4KQ1Write", 25, std::string::npos, ""},
};

TEST(ScoreTable, EveryRowAgainstTheLineTheParserAndTheHeader)
{
    ASSERT_EQ(std::size(kRows), kTableScoreCount);
    const std::string zeroLine = FormatResultLine(TScores{}, "PC", "SSD", kDot);
    const auto& header = ResultsLogHeader();
    std::set<std::string> names;
    for (std::size_t i = 0; i < kTableScoreCount; ++i) {
        const Row& want = kRows[i];
        const TScoreRow& row = kScoreTable[i];
        SCOPED_TRACE(want.name);
        EXPECT_EQ(std::string(row.Name), want.name) << "the table's order";
        EXPECT_TRUE(names.insert(row.Name).second) << "names are unique";
        EXPECT_EQ(FindScore(want.name), i);

        TScores scores{};
        scores.*row.Value = want.value;
        const std::string line = FormatResultLine(scores, "PC", "SSD", kDot);
        ASSERT_EQ(line.size(), 82u);
        if (want.at == std::string::npos) {
            EXPECT_EQ(line, zeroLine) << "a score beyond the line's never reaches it";
            EXPECT_EQ(row.LineWidth, 0);
            continue;
        }
        EXPECT_LT(i, kLineScoreCount);
        EXPECT_EQ(line.substr(want.at, std::strlen(want.field)), want.field);
        // Everything else is the line with no scores.
        std::string rest = line;
        rest.replace(want.at, std::strlen(want.field), zeroLine, want.at, std::strlen(want.field));
        EXPECT_EQ(rest, zeroLine);

        // The parser reads the value back into the row's member only.
        const TResultFields read = ReadResultLine(line);
        ASSERT_EQ(read.Fault, TLineFault::None);
        for (std::size_t j = 0; j < kTableScoreCount; ++j)
            EXPECT_EQ(read.Scores.*kScoreTable[j].Value, j == i ? want.value : 0.0)
                << kScoreTable[j].Name;
        // A field that is not a number is this row's fault.
        std::string damaged = line;
        damaged[want.at + std::strlen(want.field) - 1] = 'x';
        const TResultFields bad = ReadResultLine(damaged);
        EXPECT_EQ(bad.Fault, TLineFault::NotANumber);
        EXPECT_EQ(bad.Field, static_cast<int>(i));
        EXPECT_EQ(LineFaultText(bad.Fault, bad.Field), std::string(want.name) + " is not a number");

        // The header's columns stand above the line's "|" fields; a "/"
        // field shares the column before it.
        for (std::size_t k = 1; k < header.size(); ++k)
            EXPECT_EQ(header[k][want.at] == '|', want.field[0] == '|') << "header line " << k + 1;
    }
}

TEST(ScoreTable, HeaderBytesAreTheLogsOwn)
{
    const std::array<std::string, 5> expected = {
        std::string(82, '-'),
        Ansi("                               |      |      |созд.+| FillMem |  млн |      | HDD "),
        Ansi("            Описание           |созд. |сорти-|сорт.+|   &     |циклов|10000 |Speed"),
        Ansi("                               |списк.|ровка |вывод | ReadMem | в сек|эллипс|мб/с "),
        Ansi("-------------------------------|------|------|------|---------|------|------|-----"),
    };
    EXPECT_EQ(ResultsLogHeader(), expected);
}

}  // namespace
}  // namespace vt
