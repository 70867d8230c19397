// The runs of results logs and records logs, read for comparison.
//
// A log is told apart by its lines, not its name: a line that is a run's
// JSON record (a records log, batch's JSON Lines output) is read as the
// record, any other as a result line, so that one file may hold both. A log
// is read in pieces, never whole, and each run is kept in a compact form
// (its scores, the line number, its description and label and its machine
// by number, whether it was quiet), so that a log of a million lines costs
// about 100 MB. A log once read is never changed: the Compare window shares
// it between its thread and the thread that compares.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "results/result_line_parser.h"
#include "results/run_record.h"

namespace vt {

// A description and disk label as the machine's name: Windows-1251, blanks
// removed at both ends.
struct TMachineName {
    std::string Description;
    std::string Label;
};

// The machine a record names: its host, processor brand and memory.
struct TMachineKey {
    std::string Host;      // UTF-8
    std::string CpuBrand;  // UTF-8
    std::int64_t MemoryMiB = 0;
};

// What a run's record says of its conditions.
enum class TQuiet : std::uint8_t { Unknown, Quiet, NotQuiet };

inline constexpr std::uint32_t kNoRecord = 0xFFFFFFFF;

// One run: a result line, or a record. A score that is not above zero is
// no measurement (the line writes 0 for a test that did not run).
struct TRunLine {
    static constexpr std::uint32_t kNoMore = UINT32_MAX;
    std::array<double, kLineScoreCount> Scores;  // the result line's, in its order
    std::uint32_t Name;                          // index into TLogRuns::Names
    std::uint32_t LineNumber;                    // 1-based
    std::uint32_t More = kNoMore;  // its scores beyond the line's: index into TLogRuns::More
    // Index into TLogRuns::Machines; kNoRecord for a result line.
    std::uint32_t Machine = kNoRecord;
    TQuiet Quiet = TQuiet::Unknown;
    // The result line's bytes hashed: a result line's own, a record's line.
    // A results log's line and a record beside it with the same line are
    // one run.
    std::uint64_t LineHash = 0;
};

// The scores of the table's rows after the line's, of a run that has any.
using TMoreScores = std::array<double, kTableScoreCount - kLineScoreCount>;

// One log as read.
struct TLogRuns {
    QString Path;       // as given
    QString Canonical;  // the file it names (links followed); empty when it does not exist
    QString Error;      // why it could not be read; empty when it was
    std::vector<TSkippedLine> Skipped;
    std::vector<TMachineName> Names;    // the distinct names of its lines
    std::vector<TMachineKey> Machines;  // the distinct machines of its records
    std::deque<TRunLine> Lines;         // in the order of the log
    std::deque<TMoreScores> More;       // only for runs with a score beyond the line's
    std::size_t Records = 0;            // of Lines, those read from records

    // Adds a run of `scores` (every row of the score table; one not above
    // zero is no measurement) at the end of Lines.
    void AddRun(const TScores& scores, std::uint32_t name, std::uint32_t lineNumber);
    // Score `score` (a row of the score table) of `run`; 0 where it has none.
    double Score(const TRunLine& run, std::size_t score) const;
};

inline double TLogRuns::Score(const TRunLine& run, std::size_t score) const
{
    if (score < kLineScoreCount) return run.Scores[score];
    if (run.More == TRunLine::kNoMore) return 0;
    return More[run.More][score - kLineScoreCount];
}

using TLogList = std::vector<std::shared_ptr<const TLogRuns>>;

// Reads the log at `path` ("-": standard input) piece by piece and calls
// `onLine` for every line in order (result lines, records, skipped lines and
// lines passed over alike). A record comes as a result line (its scores, the
// description and label of its line) with `record` set; a result line with
// `record` null; `raw` is the line's bytes as the file holds them, without
// its LF. Returns why the file could not be read (opened, or read to its
// end), empty when it was; the lines before a failed read have been given to
// `onLine`. Once `stop` is set it reads no further piece and says it was
// stopped.
using TLogLineCallback = std::function<void(const TLogLineReader::TLine& line,
                                            const TRunRecord* record, std::string_view raw)>;
QString ReadLogLines(const QString& path, const TLogLineCallback& onLine,
                     const std::atomic<bool>* stop = nullptr);

// The hash TRunLine::LineHash keeps of a result line's bytes (line ends
// not counted).
std::uint64_t ResultLineHash(std::string_view line);

// Reads the log at `path`. Never throws: a file that cannot be read keeps
// its error in Error and the lines read before the failure.
std::shared_ptr<TLogRuns> LoadLogRuns(const QString& path, const std::atomic<bool>* stop = nullptr);

// The file `path` names, for telling whether two paths name one log: its
// canonical path, or the clean absolute path when it does not exist.
QString LogIdentity(const QString& path);

// `paths` without those that name a log already in `open` (paths) or named
// earlier in `paths`, in order; those are added to `repeated` as given.
QStringList LogsToRead(const QStringList& paths, const QStringList& open, QStringList& repeated);

// The names that tell the logs apart: for each path the shortest tail of
// its absolute path (whole folders) that no other path in `paths` ends in.
// "pc1/Result3.txt" and "pc2/Result3.txt" beside each other, "Result3.txt"
// alone. Paths that name one file get one name.
QStringList ShortestLogNames(const QStringList& paths);

// "line 7: cut short", the reason a line was skipped.
QString SkippedLineText(const TSkippedLine& line);

// What a user must hear about a log named `name`: that it could not be read
// and why; each skipped line with its reason (the first `shown` of them, then
// how many more); that it holds no result lines. Empty for a log read whole
// with nothing skipped.
QStringList LogMessages(const QString& name, const QString& error,
                        const std::vector<TSkippedLine>& skipped, std::size_t results,
                        std::size_t shown);

}  // namespace vt
