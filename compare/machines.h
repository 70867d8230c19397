// Result lines grouped into machines.
//
// A machine is what a user measured several times: the runs whose records
// name the same host, processor brand and memory; or the lines with the same
// description and disk label (blanks at either end do not count), from
// whichever log they come; or one machine per log; or one per line. By
// default machines are told by their records wherever every run has one,
// else by description. Machines are numbered in the order their first line
// appears (logs in the order given, lines in the order of each log, which is
// the order they were measured in).
//
// A run is counted once: a results log's line whose record (holding the same
// line) is read from a log in the same folder counts as that record only.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "compare/log_runs.h"

namespace vt {

// Auto: Machine where every run has a record, else Description.
enum class TGroupBy { Description, File, Line, Machine, Auto };

// "description", "file", "line", "machine", "auto" and back.
const char* GroupByWord(TGroupBy by);
std::optional<TGroupBy> GroupByFromWord(const QString& word);

// Where a result line is kept: the log's index in the list and the line's
// index in that log.
struct TLineRef {
    std::uint32_t Log;
    std::uint32_t Index;
};

struct TMachine {
    QString Description;          // UTF-8; by file the log's name, by machine the host
    QString Label;                // UTF-8; empty by file; by machine brand and memory
    std::uint32_t Log = 0;        // the log of its first line
    std::uint32_t FirstLine = 0;  // the line number of its first line
    std::uint32_t Begin = 0;      // its lines: Lines[Begin, End) of the grouping
    std::uint32_t End = 0;
    std::size_t NotQuiet = 0;  // runs whose record says they were not quiet
    std::size_t Runs() const { return End - Begin; }
};

struct TGrouping {
    TGroupBy By = TGroupBy::Description;  // never Auto: what Auto chose
    bool QuietOnly = false;               // runs not quiet were left out
    QStringList LogNames;  // the names that tell the logs apart, as ShortestLogNames gives them
    std::vector<TMachine> Machines;
    std::vector<TLineRef> Lines;  // machine by machine, each in log order
    std::size_t Paired = 0;       // results logs' lines counted as their records
    // With QuietOnly: machines all of whose runs were left out, with how many.
    std::vector<std::pair<QString, std::size_t>> LeftOut;
};

// With `quietOnly` the runs whose record says they were not quiet are left
// out of their machines (and counted in TMachine::NotQuiet); a machine left
// with no run is named in LeftOut.
TGrouping GroupMachines(const TLogList& logs, TGroupBy by, bool quietOnly = false);

// What the user hears of the quiet runs: per machine, how many of its runs
// were not quiet (and with QuietOnly, that they were left out). Empty when
// every run was quiet or said nothing.
QStringList QuietMessages(const TGrouping& grouping);

// The machine as one text: "description / label", "description" without a
// label, the log's name by file; by line its log and line number follow.
QString MachineTitle(const TGrouping& grouping, std::size_t machine);

// "pc1/Result3.txt:7", where the machine's first line stands.
QString FirstLineText(const TGrouping& grouping, std::size_t machine);

// The runs of a machine, score by score (the rows of the score table), in
// log order: its lines' values of each score that are measurements (above
// zero). `out` is reused.
using TMachineRuns = std::array<std::vector<double>, kTableScoreCount>;
void MachineRuns(const TLogList& logs, const TGrouping& grouping, std::size_t machine,
                 TMachineRuns& out);

// The machine `name` chooses: its number in the table (1-based; a number is
// always a number, so a machine described as "2" is named "2/"), its
// description, its description and label ("description/label" or
// "description / label"), or, by file, the log's name. A description that
// ends in a slash may be given without it where no machine has the name
// without one. Blanks at either end do not count. Nothing with `error` set
// when no machine or more than one is meant.
std::optional<std::size_t> FindMachine(const TGrouping& grouping, const QString& name,
                                       QString& error);

}  // namespace vt
