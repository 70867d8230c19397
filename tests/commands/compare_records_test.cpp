// Compare over records: records logs and results logs told apart by their
// lines, each run counted once where a folder's two logs are read together,
// machines by their records' host, processor and memory, and the runs that
// were not quiet counted or left out.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "compare/log_runs.h"
#include "compare/machines.h"
#include "platform/cp1251.h"
#include "results/result_line.h"
#include "results/run_record_json.h"
#include "tests/commands/compare_logs.h"

namespace vt {
namespace {

using test::ScaledLine;
using test::WriteLog;

// A run's record as a records log holds it: its line, its machine, its
// verdict (nothing: no conditions).
std::string Record(const std::string& line, const std::string& host, double cycles,
                   std::optional<bool> quiet = std::nullopt, std::int64_t memory = 512)
{
    TRunRecord r;
    r.Tests = {2};
    r.Scores.CyclesPerSec = cycles;
    r.Description = "PC";
    r.Label = "L";
    r.Host = host;
    r.CpuBrand = "Brand";
    r.MemoryMiB = memory;
    r.Line = line;
    if (quiet) {
        r.Conditions = TRunConditions{};
        r.Conditions->Quiet = *quiet;
    }
    return RecordToJson(r);
}

void WriteLines(const QString& path, const std::vector<std::string>& lines)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    for (const std::string& l : lines) file.write((l + "\n").c_str());
}

QStringList Titles(const TGrouping& g)
{
    QStringList titles;
    for (std::size_t m = 0; m < g.Machines.size(); ++m)
        titles << QStringLiteral("%1 x%2").arg(MachineTitle(g, m)).arg(g.Machines[m].Runs());
    return titles;
}

class CompareRecords : public ::testing::Test {
protected:
    QString Path(const QString& name) const { return dir.filePath(name); }
    TLogList Load(const QStringList& names) const
    {
        TLogList logs;
        for (const QString& name : names) logs.push_back(LoadLogRuns(Path(name)));
        return logs;
    }
    QTemporaryDir dir;
};

// The lines of a folder's results log and records log, named together, in
// either order or alone: each run once, a line without a record too.
TEST_F(CompareRecords, EachRunCountedOnce)
{
    const std::string a = ScaledLine("PC", "L", 1.0), b = ScaledLine("PC", "L", 1.1),
                      c = ScaledLine("PC", "L", 1.2);
    // Two runs with the same line: two records claim two lines, not one.
    WriteLog(Path("pc/Result3.txt"), {a, b, b, c});
    WriteLines(Path("pc/Result3.jsonl"),
               {Record(a, "pc1", 3000), Record(b, "pc1", 3300), Record(b, "pc1", 3300)});
    // The same records in another folder pair with nothing there.
    WriteLines(Path("other/Result3.jsonl"), {Record(a, "pc1", 3000)});
    const struct {
        const char* name;
        QStringList logs;
        std::size_t runs, paired;
        TGroupBy chosen;  // what Auto chose
    } rows[] = {
        {"both logs", {"pc/Result3.txt", "pc/Result3.jsonl"}, 4, 3, TGroupBy::Description},
        {"records first", {"pc/Result3.jsonl", "pc/Result3.txt"}, 4, 3, TGroupBy::Description},
        {"results log alone", {"pc/Result3.txt"}, 4, 0, TGroupBy::Description},
        {"records alone", {"pc/Result3.jsonl"}, 3, 0, TGroupBy::Machine},
        {"records of two folders",
         {"pc/Result3.jsonl", "other/Result3.jsonl"},
         4,
         0,
         TGroupBy::Machine},
        {"another folder's records",
         {"pc/Result3.txt", "other/Result3.jsonl"},
         5,
         0,
         TGroupBy::Description},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TGrouping g = GroupMachines(Load(row.logs), TGroupBy::Auto);
        EXPECT_EQ(g.Lines.size(), row.runs);
        EXPECT_EQ(g.Paired, row.paired);
        EXPECT_EQ(g.By, row.chosen);
    }
}

// A record's run keeps the record's scores whole, not the line's rounding,
// and the machine of its line's description and label, so that by
// description its runs and its machine's older lines are one machine.
TEST_F(CompareRecords, RecordsAndLinesOfOneMachine)
{
    const std::string old = ScaledLine("PC", "L", 1.0);
    WriteLog(Path("a/Result3.txt"), {old});
    WriteLines(Path("b/Result3.jsonl"), {Record(ScaledLine("PC", "L", 1.1), "pc1", 3300.123456789),
                                         // Without a line: its texts as the line would take them.
                                         Record("", "pc1", 3400)});
    const TLogList logs = Load({"a/Result3.txt", "b/Result3.jsonl"});
    EXPECT_EQ(Titles(GroupMachines(logs, TGroupBy::Description)), QStringList({"PC / L x3"}));
    EXPECT_EQ(logs[1]->Lines[0].Scores[5], 3300.123456789);
    EXPECT_EQ(logs[1]->Records, 2u);
    // By machine, the line without a record stays a machine of its own name.
    EXPECT_EQ(Titles(GroupMachines(logs, TGroupBy::Machine)),
              QStringList({"PC / L x1", "pc1 / Brand, 512 MiB x2"}));
}

TEST_F(CompareRecords, MachinesByHostProcessorAndMemory)
{
    WriteLines(Path("Result3.jsonl"),
               {Record("", "pc1", 1), Record("", "pc2", 2), Record("", "pc1", 3),
                Record("", "pc1", 4, std::nullopt, 1024), Record("", "pc2", 5)});
    EXPECT_EQ(Titles(GroupMachines(Load({"Result3.jsonl"}), TGroupBy::Auto)),
              QStringList({"pc1 / Brand, 512 MiB x2", "pc2 / Brand, 512 MiB x2",
                           "pc1 / Brand, 1024 MiB x1"}));
}

TEST_F(CompareRecords, RunsNotQuietCountedOrLeftOut)
{
    WriteLines(Path("Result3.jsonl"),
               {Record("", "pc1", 1, true), Record("", "pc1", 2, false), Record("", "pc1", 3),
                Record("", "pc2", 4, false), Record("", "pc2", 5, false)});
    const TLogList logs = Load({"Result3.jsonl"});
    const struct {
        const char* name;
        bool quietOnly;
        QStringList titles;
        QStringList messages;
    } rows[] = {
        {"all runs",
         false,
         {"pc1 / Brand, 512 MiB x3", "pc2 / Brand, 512 MiB x2"},
         {"pc1 / Brand, 512 MiB: 1 of 3 runs not quiet",
          "pc2 / Brand, 512 MiB: 2 of 2 runs not quiet"}},
        // A run that says nothing of its conditions is kept.
        {"quiet only",
         true,
         {"pc1 / Brand, 512 MiB x2"},
         {"pc1 / Brand, 512 MiB: 1 runs not quiet, left out (2 kept)",
          "pc2 / Brand, 512 MiB: all 2 runs not quiet, left out"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const TGrouping g = GroupMachines(logs, TGroupBy::Auto, row.quietOnly);
        EXPECT_EQ(Titles(g), row.titles);
        EXPECT_EQ(QuietMessages(g), row.messages);
        std::size_t runs = 0;
        for (const TMachine& m : g.Machines) runs += m.Runs();
        EXPECT_EQ(g.Lines.size(), runs);
    }
}

// Lines a records log may hold besides records: a record cut by a kill, the
// blank line of two writers, a result line whose description starts with
// "{", batch's JSON of an older release.
TEST_F(CompareRecords, WhatARecordsLogMayHold)
{
    const std::string whole = Record("", "pc1", 1);
    const std::string brace = FormatResultLine({}, "{PC}", "L", {'.', ' '});
    WriteLines(
        Path("Result3.jsonl"),
        {whole, whole.substr(0, 60), "", brace,
         R"({"description": "Old", "disk_label": "40.0gb/", "CyclesPerSec": 9, "tests": [2]})"});
    const auto log = LoadLogRuns(Path("Result3.jsonl"));
    ASSERT_EQ(log->Lines.size(), 3u);
    EXPECT_EQ(log->Records, 2u);
    ASSERT_EQ(log->Skipped.size(), 1u);
    EXPECT_EQ(log->Skipped[0].LineNumber, 2u);
    EXPECT_EQ(log->Skipped[0].Fault, TLineFault::NotARecord);
    EXPECT_EQ(log->Lines[1].LineNumber, 4u);
    EXPECT_EQ(log->Names[log->Lines[1].Name].Description, "{PC}");
    EXPECT_EQ(log->Names[log->Lines[2].Name].Description, "Old");
    // The older record names no host, processor or memory: a machine of
    // its own.
    EXPECT_EQ(log->Machines.size(), 2u);
    EXPECT_EQ(Titles(GroupMachines({log}, TGroupBy::Machine)),
              QStringList({"pc1 / Brand, 512 MiB x1", "{PC} / L x1", "(no host) / , 0 MiB x1"}));
}

}  // namespace
}  // namespace vt
