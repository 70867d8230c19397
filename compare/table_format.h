// The machine table and the result lines as text: the cells the Compare
// window shows, the text table of `compare --text`, the CSV of
// `compare --csv` and the line rows of `--runs`. Numbers are written with
// "." whatever the locale.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "compare/machine_table.h"
#include "results/csv.h"

namespace vt {

// A value with the decimals of its score in the result line, one more where
// that is needed to show it exactly (the median of an even number of runs).
QString ValueText(double value, int decimals);
QString RatioText(std::optional<double> ratio);          // "1.932", empty for nothing
QString IntervalText(const stats::TScoreComparison& c);  // "1.712 .. 2.104", empty for nothing
QString SpreadText(const stats::TRunSummary& s);         // "12.3%", empty without runs

// The text of a verdict, and what it means for a tooltip or the help.
QString VerdictLabel(stats::TVerdict verdict);
QString VerdictHelp();

// What the ratio of score `score` is: "machine / reference" or, for times,
// "reference / machine".
QString RatioMeaning(int score);

// The CSV of the machine table: the header, then one row per machine.
std::string MachineCsvHeader();
void AppendMachineCsvRow(std::string& out, const TMachineTable& table, std::size_t machine);

// What heads the table and an exported picture of its charts: the logs, how
// lines make machines, and the reference, on lines of their own.
QString TableHeading(const TMachineTable& table);

// The text of the machine table for a terminal: the logs and the reference,
// the overall row of every machine, then one section per score. Columns are
// as wide as their widest cell.
std::string MachineText(const TMachineTable& table);

// The lines of `--runs`, one row per result line, written as they are read.
// `logCell` is the log's name as the row shows it: a CSV field, or padded to
// the width of the widest name for the text.
std::string RunsCsvHeader();
void AppendRunCsvRow(std::string& out, std::string_view logCell, const TLogLineReader::TLine& line);
std::string RunsTextHeader(int logWidth);
void AppendRunTextRow(std::string& out, std::string_view logCell,
                      const TLogLineReader::TLine& line);

}  // namespace vt
