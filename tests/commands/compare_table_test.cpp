// The machine table without the window: reading logs, grouping lines into
// machines, naming logs, choosing the reference, the verdicts as the table
// shows them, and the CSV and text made of it.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>

#include "compare/log_runs.h"
#include "compare/machine_table.h"
#include "compare/natural_order.h"
#include "compare/table_format.h"
#include "platform/cp1251.h"
#include "results/score_table.h"
#include "tests/commands/compare_logs.h"

namespace vt {
namespace {

using test::ScaledLine;
using test::WriteLog;

TLogList Load(const QStringList& paths)
{
    TLogList logs;
    for (const QString& path : paths) logs.push_back(LoadLogRuns(path));
    return logs;
}

QStringList Titles(const TGrouping& g)
{
    QStringList titles;
    for (std::size_t m = 0; m < g.Machines.size(); ++m)
        titles << QStringLiteral("%1 x%2").arg(MachineTitle(g, m)).arg(g.Machines[m].Runs());
    return titles;
}

TEST(CompareTable, GroupsLinesIntoMachinesByEachKey)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt"), b = dir.filePath("b.txt");
    // Blanks around a description or label do not make another machine.
    WriteLog(a, {ScaledLine("Office", "SSD", 1), ScaledLine("Office", "SSD", 1.1),
                 ScaledLine(" Lab ", "x", 1)});
    WriteLog(b, {ScaledLine("Lab", "x ", 1), ScaledLine("Office", "HDD", 1),
                 ScaledLine("Office", "SSD", 1, ',')});
    const TLogList logs = Load({a, b});
    const struct {
        const char* name;
        TGroupBy by;
        QStringList titles;
    } rows[] = {
        {"description and label",
         TGroupBy::Description,
         {"Office / SSD x3", "Lab / x x2", "Office / HDD x1"}},
        {"file", TGroupBy::File, {"a.txt x3", "b.txt x3"}},
        {"line",
         TGroupBy::Line,
         {"Office / SSD (a.txt:6) x1", "Office / SSD (a.txt:7) x1", "Lab / x (a.txt:8) x1",
          "Lab / x (b.txt:6) x1", "Office / HDD (b.txt:7) x1", "Office / SSD (b.txt:8) x1"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TGrouping g = GroupMachines(logs, row.by);
        EXPECT_EQ(Titles(g), row.titles);
        // Each machine's runs in log order: the first Office / SSD run first.
        TMachineRuns runs;
        MachineRuns(logs, g, 0, runs);
        ASSERT_FALSE(runs[5].empty());
        EXPECT_DOUBLE_EQ(runs[5].front(), 3000);
    }
    EXPECT_EQ(GroupByFromWord("file"), TGroupBy::File);
    EXPECT_FALSE(GroupByFromWord("label").has_value());
}

TEST(CompareTable, NamesLogsByTheShortestPathThatTellsThemApart)
{
    QTemporaryDir dir;
    const QString root = QFileInfo(dir.path()).canonicalFilePath() + "/";
    const struct {
        const char* name;
        QStringList paths;
        QStringList names;
    } rows[] = {
        {"alone", {"pc1/Result3.txt"}, {"Result3.txt"}},
        {"same name, two folders",
         {"pc1/Result3.txt", "pc2/Result3.txt"},
         {"pc1/Result3.txt", "pc2/Result3.txt"}},
        {"different names", {"pc1/Result3.txt", "pc1/old.txt"}, {"Result3.txt", "old.txt"}},
        {"apart two folders up",
         {"a/x/Result3.txt", "b/x/Result3.txt", "c/Result3.txt"},
         {"a/x/Result3.txt", "b/x/Result3.txt", "c/Result3.txt"}},
        {"one path the end of another", {"x/a/R.txt", "a/R.txt"}, {"x/a/R.txt", "./a/R.txt"}},
        {"one log named twice",
         {"pc1/Result3.txt", "pc1/../pc1/Result3.txt"},
         {"Result3.txt", "Result3.txt"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QStringList paths;
        for (const QString& p : row.paths) {
            paths << root + p;
            WriteLog(root + p, {});
        }
        QStringList names = ShortestLogNames(paths);
        // The temporary folder's name, where only it tells a log apart.
        for (QString& n : names) n.replace(QFileInfo(dir.path()).fileName(), ".");
        EXPECT_EQ(names, row.names);
    }
}

TEST(CompareTable, FindsTheReferenceByNameOrNumber)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    WriteLog(a, {ScaledLine("Office", "SSD", 1), ScaledLine("Office", "HDD", 1),
                 ScaledLine("Lab/1", "20gb/", 1), ScaledLine("2", "", 1),
                 ScaledLine(Ansi("Ноутбук"), "", 1), ScaledLine("Twin A/", "", 1)});
    const TGrouping g = GroupMachines(Load({a}), TGroupBy::Description);
    const struct {
        const char* name;
        QString wanted;
        std::optional<std::size_t> machine;
        QString error;  // a part of the message
    } rows[] = {
        {"number", "3", 2, {}},
        {"number with blanks", " 5 ", 4, {}},
        {"description and label", "Office/HDD", 1, {}},
        {"description / label", "Office / SSD", 0, {}},
        {"slashes in both", "Lab/1/20gb/", 2, {}},
        {"unique description", "Lab/1", 2, {}},
        {"cyrillic", "Ноутбук", 4, {}},
        {"description of two machines", "Office", std::nullopt, "names 2 machines"},
        {"a number is a number", "2", 1, {}},
        {"a description that is a number, with its slash", "2/", 3, {}},
        {"trailing slash left out", "Twin A", 5, {}},
        {"number beyond the table", "7", std::nullopt, "the table has 6"},
        {"no such machine", "Server", std::nullopt, "no machine 'Server'"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QString error;
        EXPECT_EQ(FindMachine(g, row.wanted, error), row.machine);
        EXPECT_TRUE(error.contains(row.error)) << error.toStdString();
    }
}

// The verdicts as the table shows them, for speeds and for times alike: the
// ratios are oriented so that above 1 is better.
TEST(CompareTable, VerdictsAgainstTheReference)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    // Run-to-run noise of a few percent, the same for every machine.
    const double noise[] = {1.00, 0.97, 1.03, 0.99, 1.02, 0.98, 1.01, 0.96};
    std::vector<std::string> lines;
    for (int i = 0; i < 8; ++i) {
        lines.push_back(ScaledLine("Reference", "", noise[i]));
        lines.push_back(ScaledLine("Upgraded", "", 1.3 * noise[7 - i]));
        lines.push_back(ScaledLine("Older", "", 0.7 * noise[i]));
        // One machine's runs saved under two names, alternately.
        lines.push_back(ScaledLine(i % 2 ? "Same A" : "Same B", "", noise[7 - i]));
    }
    lines.push_back(ScaledLine("Once", "", 1.3));
    TScores partial{0.30, 0.040, 0.50, 9000, 1500, 3000, 2.10, 0};  // no disk test
    lines.push_back(FormatResultLine(partial, "No disk", "", {'.', ' '}));
    WriteLog(a, lines);
    const TLogList logs = Load({a});
    const TGrouping g = GroupMachines(logs, TGroupBy::Description);
    const TMachineTable table = CompareMachines(logs, g, 0);
    using V = stats::TVerdict;
    const struct {
        const char* machine;
        V verdict;  // of every score
        double ratio;
    } rows[] = {
        {"Reference", V::Reference, 1.0}, {"Upgraded", V::Faster, 1.3},
        {"Older", V::Slower, 0.7},        {"Same A", V::TooFewRuns, 1.0},
        {"Same B", V::TooFewRuns, 1.0},   {"Once", V::TooFewRuns, 1.3},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.machine);
        const auto m = static_cast<std::size_t>(
            std::find_if(g.Machines.begin(), g.Machines.end(),
                         [&](const TMachine& x) { return x.Description == row.machine; }) -
            g.Machines.begin());
        ASSERT_LT(m, g.Machines.size());
        for (std::size_t s = 0; s < kLineScoreCount; ++s) {
            SCOPED_TRACE(kScoreTable[s].Name);
            const stats::TScoreComparison& c = table.Results[m].Scores[s].Comparison;
            EXPECT_EQ(c.Verdict, row.verdict);
            ASSERT_TRUE(c.Ratio.has_value());
            EXPECT_NEAR(*c.Ratio, row.ratio, 0.06 * row.ratio);
        }
    }
    // A score one machine did not measure has no ratio and no verdict.
    const TScoreResult& disk = table.Results.back().Scores[7];
    EXPECT_EQ(disk.Runs.Runs, 0);
    EXPECT_FALSE(disk.Comparison.Ratio.has_value());
    EXPECT_EQ(disk.Comparison.Verdict, V::None);
    EXPECT_EQ(table.Results.back().Overall.Scores, 7);
}

TEST(CompareTable, CsvHasOneRowPerMachineUnderTheHeader)
{
    std::string header =
        "description,label,runs,overall ratio,overall faster,overall slower,"
        "overall no difference,overall too few runs";
    for (const char* score :
         {"ListCreateTime",   "SortTime",          "SortOutputTime",    "FillMemSpeed",
          "ReadMemSpeed",     "CyclesPerSec",      "DrawTime",          "HddSpeed",
          "CyclesPerSecAll",  "CyclesPerSecCores", "FillMemSpeedAll",   "ReadMemSpeedAll",
          "DiskSeq1MQ8Read",  "DiskSeq1MQ1Read",   "DiskRnd4KQ32Read",  "DiskRnd4KQ1Read",
          "DiskSeq1MQ8Write", "DiskSeq1MQ1Write",  "DiskRnd4KQ32Write", "DiskRnd4KQ1Write"})
        for (const char* column : {"runs", "median", "min", "max", "spread", "ratio", "low", "high",
                                   "median ratio", "p", "verdict", "rounded"})
            header += std::string(",") + score + " " + column;
    EXPECT_EQ(MachineCsvHeader(), header + "\n");

    QTemporaryDir dir;
    const QString a = dir.filePath("a.txt");
    WriteLog(a, {ScaledLine("=cmd|' /C calc'!A0", "", 1, ','), ScaledLine("Lab, new", "b", 2),
                 ScaledLine("=cmd|' /C calc'!A0", "", 1.02, ',')});
    const TLogList logs = Load({a});
    const TMachineTable table =
        CompareMachines(logs, GroupMachines(logs, TGroupBy::Description), 1);
    std::string rows;
    for (std::size_t m = 0; m < table.Results.size(); ++m) AppendMachineCsvRow(rows, table, m);
    const std::string first = rows.substr(0, rows.find('\n'));
    // Medians with "." although the lines were written with ",", the middle
    // of two runs with one decimal more; the overall row, each score's runs,
    // spread, ratio, median ratio and p against machine 2; times of 0.3 s
    // kept to 0.01 s are rounded by more than 2%.
    EXPECT_EQ(first.substr(0, first.find(",2,9090")),
              "'=cmd|' /C calc'!A0,,2,0.5056,0,0,0,8,2,0.295,0.29,0.30,0.0339,0.5085,,,0.5085,1,"
              "too few runs,rounded,2,0.0395,0.039,0.040,0.0253,0.5064,,,0.5063,1,too few runs,"
              "rounded,2,0.495,0.49,0.50,0.0202,0.5051,,,0.5051,1,too few runs,rounded")
        << first;
    EXPECT_NE(rows.find("\n\"Lab, new\",b,1,1.0000,,,,,1,0.15,0.15,0.15,0.0000,1.0000,"),
              std::string::npos)
        << rows;
    EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2);
    EXPECT_EQ(std::count(first.begin(), first.end(), ','), 8 + 12 * 20 - 1);
}

TEST(CompareTable, TextShowsEveryMachineWholeInEachSection)
{
    QTemporaryDir dir;
    const QString a = dir.filePath("pc1/Result3.txt"), b = dir.filePath("pc2/Result3.txt");
    std::vector<std::string> lines;
    for (int i = 0; i < 1200; ++i) lines.push_back(ScaledLine("PC " + std::to_string(i), "", 1));
    // The longest description comes last.
    lines.push_back(ScaledLine(Ansi("Очень длинное описание"), "NVMe 2TB", 1));
    WriteLog(a, lines);
    WriteLog(b, {ScaledLine("PC 0", "", 1)});
    const TLogList logs = Load({a, b});
    const TMachineTable table =
        CompareMachines(logs, GroupMachines(logs, TGroupBy::Description), 0);
    const QString text = QString::fromStdString(MachineText(table));
    EXPECT_TRUE(
        text.startsWith("Logs: pc1/Result3.txt, pc2/Result3.txt\n"
                        "Machines by description and label\nReference: 1. PC 0\n"));
    // The machines once with their whole names, then the overall section and
    // the eight score sections with every machine's number.
    EXPECT_EQ(text.count(QRegularExpression(
                  "\n1201  Очень длинное описание / NVMe 2TB +1  pc1/Result3.txt:1206\n")),
              1);
    EXPECT_EQ(text.count(QRegularExpression("\n   1  PC 0 +2  pc1/Result3.txt:6\n")), 1);
    EXPECT_EQ(text.count(QRegularExpression("\n1201 ")), 2 + 8);
    EXPECT_EQ(text.count(QRegularExpression("\n   1 +2 ")), 8);
}

TEST(CompareTable, TextLeavesOutScoresNoMachineHas)
{
    QTemporaryDir dir;
    const QString log = dir.filePath("Result3.txt");
    TScores cycles{};
    cycles.CyclesPerSec = 3000;
    TScores cyclesAndDraw = cycles;
    cyclesAndDraw.DrawTime = 2.1;
    WriteLog(log, {FormatResultLine(cycles, "A", "", {'.', ' '}),
                   FormatResultLine(cyclesAndDraw, "B", "", {'.', ' '})});
    const TLogList logs = Load({log});
    const QString text = QString::fromStdString(
        MachineText(CompareMachines(logs, GroupMachines(logs, TGroupBy::Description), 0)));
    EXPECT_TRUE(text.contains("\nCyclesPerSec: "));
    EXPECT_TRUE(text.contains("\nDrawTime: ")) << "one machine has it";
    EXPECT_FALSE(text.contains("\nHddSpeed: "));
    // Results logs carry none of the figures beyond the line's.
    EXPECT_TRUE(
        text.contains("\nNo runs of ListCreateTime, SortTime, SortOutputTime, "
                      "FillMemSpeed, ReadMemSpeed, HddSpeed, CyclesPerSecAll, "))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(", DiskRnd4KQ1Write.\n")) << text.toStdString();
}

// Runs that carry figures beyond the result line's (a record's) count for
// those scores; runs without them are absent there, never 0.
TEST(CompareTable, ScoresBeyondTheLineCountWhereRunsHaveThem)
{
    const std::size_t all = *FindScore("CyclesPerSecAll");
    const std::size_t q1 = *FindScore("DiskRnd4KQ1Write");
    auto log = std::make_shared<TLogRuns>();
    log->Path = QStringLiteral("records");
    log->Names = {{"A", ""}, {"B", ""}};
    TScores withCores{};
    withCores.CyclesPerSec = 100;
    for (const double figure : {400.0, 380.0, 0.0}) {  // the third run did not run test 6
        withCores.CyclesPerSecAll = figure;
        log->AddRun(withCores, 0, static_cast<std::uint32_t>(log->Lines.size() + 1));
    }
    TScores lineOnly{};
    lineOnly.CyclesPerSec = 110;
    log->AddRun(lineOnly, 1, 4);
    EXPECT_EQ(log->More.size(), 2u) << "only runs with such figures keep them";
    const TLogList logs = {log};
    const TMachineTable table =
        CompareMachines(logs, GroupMachines(logs, TGroupBy::Description), 0);
    ASSERT_EQ(table.Results.size(), 2u);
    EXPECT_EQ(table.Results[0].Scores[all].Runs.Runs, 2);
    EXPECT_EQ(table.Results[0].Scores[all].Runs.Median, 390);
    EXPECT_EQ(table.Results[1].Scores[all].Runs.Runs, 0);
    EXPECT_FALSE(table.Results[1].Scores[all].Comparison.Ratio.has_value());
    EXPECT_TRUE(AnyRuns(table, all));
    EXPECT_FALSE(AnyRuns(table, q1));
    // The overall ratio takes only the scores both machines have.
    EXPECT_EQ(table.Results[1].Overall.Scores, 1);
    const std::string text = MachineText(table);
    EXPECT_NE(text.find("\nCyclesPerSecAll: Cycles, all CPUs (M/s), ratio machine / reference\n"),
              std::string::npos)
        << text;
    std::string rows;
    AppendMachineCsvRow(rows, table, 1);
    // B: three runs... of CyclesPerSec only; its CyclesPerSecAll cells are empty.
    const std::size_t at = 8 + 12 * all + 1;  // its median
    std::vector<std::string> cells(1);
    for (const char c : rows)
        if (c == ',')
            cells.emplace_back();
        else if (c != '\n')
            cells.back() += c;
    ASSERT_EQ(cells.size(), 8 + 12 * kTableScoreCount);
    EXPECT_EQ(cells[at - 1], "0");  // no runs
    EXPECT_EQ(cells[at] + cells[at + 1] + cells[at + 2] + cells[at + 3] + cells[at + 4], "");
    EXPECT_EQ(cells[at + 9], "");  // no verdict either
}

TEST(CompareTable, NumbersShowTheirDecimalsAndHalves)
{
    const struct {
        double value;
        int decimals;
        const char* text;
    } rows[] = {
        {1.23, 2, "1.23"},
        {1.235, 2, "1.235"},
        {0.0395, 3, "0.0395"},
        {1500, 0, "1500"},
        {1500.5, 0, "1500.5"},
        {3340.1, 1, "3340.1"},
        {12345678.9, 1, "12345678.9"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(ValueText(row.value, row.decimals), QString(row.text)) << row.text;
}

TEST(CompareTable, NaturalOrderOfNames)
{
    const QStringList sorted = {"Lab",    "lab 2",  "PC 2",   "pc 02b", "PC 10",
                                "PC 10a", "PC 100", "Офис 2", "офис 10"};
    QStringList shuffled = {"PC 100", "офис 10", "PC 10a", "Lab",  "PC 2",
                            "Офис 2", "PC 10",   "pc 02b", "lab 2"};
    std::stable_sort(shuffled.begin(), shuffled.end(), [](const QString& a, const QString& b) {
        return NaturalSortKey(a) < NaturalSortKey(b);
    });
    EXPECT_EQ(shuffled, sorted);
}

TEST(CompareTable, ReadsALogInPiecesAndSaysWhatItSkipped)
{
    QTemporaryDir dir;
    // More than one piece, so that lines are split across pieces.
    const QString big = dir.filePath("big.txt");
    std::vector<std::string> lines;
    for (int i = 0; i < 30000; ++i)
        lines.push_back(ScaledLine("PC " + std::to_string(i % 7), "", 1));
    lines[12345] = "damaged";
    WriteLog(big, lines);
    const auto log = LoadLogRuns(big);
    EXPECT_EQ(log->Lines.size(), 29999u);
    ASSERT_EQ(log->Skipped.size(), 1u);
    EXPECT_EQ(log->Skipped[0].LineNumber, 5u + 12345 + 1);

    // A file without line breaks is one line, too long, kept only in part.
    const QString junk = dir.filePath("junk.bin");
    {
        QFile f(junk);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(3 << 20, 'x'));
    }
    const QString empty = dir.filePath("empty.txt");
    QFile(empty).open(QIODevice::WriteOnly);
    const struct {
        const char* name;
        QString path;
        QStringList messages;
    } rows[] = {
        {"damaged line", big, {"big.txt: line 12351: not a result line"}},
        {"no line breaks",
         junk,
         {"junk.bin: line 1: too long for a result line", "junk.bin: no result lines"}},
        {"empty", empty, {"empty.txt: no result lines"}},
        {"missing",
         dir.filePath("none.txt"),
         {"none.txt: cannot be read: No such file or directory"}},
        {"folder",
         dir.path(),
         {QFileInfo(dir.path()).fileName() + ": cannot be read: is a folder, not a log"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto read = LoadLogRuns(row.path);
        EXPECT_EQ(LogMessages(QFileInfo(row.path).fileName(), read->Error, read->Skipped,
                              read->Lines.size(), 20),
                  row.messages);
    }
    std::vector<TSkippedLine> many(25, TSkippedLine{7, TLineFault::CutShort, 3});
    const QStringList messages = LogMessages("x", {}, many, 4, 20);
    ASSERT_EQ(messages.size(), 21);
    EXPECT_EQ(messages[0], "x: line 7: cut short");
    EXPECT_EQ(messages[20], "x: 5 more lines skipped (25 in all)");
}

}  // namespace
}  // namespace vt
