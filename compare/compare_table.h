// The comparison table: the result lines of one or more results logs, one row
// per line, and what a row's score is worth against a reference row. Shared
// by the Compare window and the text and CSV output of `vesktest compare`.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "results/result_line_parser.h"

namespace vt {

// One results log read back: its records and the lines that were skipped,
// or the reason it could not be read.
struct TLoadedLog {
    QString Path;
    std::vector<TResultRecord> Records;
    std::vector<std::size_t> SkippedLines;
    QString Error;  // empty when the file was read
};

// Reads and parses the log at `path`. Never throws: a file that cannot be
// read gives its error text in Error.
TLoadedLog LoadLog(const QString& path);

// "Result3.txt: 2 lines skipped (3, 9)", the first ten line numbers at most;
// "Result3.txt: cannot be read: ..." for a log that could not be read; empty
// when nothing was skipped.
QString SkippedSummary(const TLoadedLog& log);

// One row of the table.
struct TCompareRow {
    QString File;  // the log's file name
    TResultRecord Record;
};

// The rows of `log`, its records moved into them.
std::vector<TCompareRow> RowsOf(TLoadedLog&& log);

// One score column of the table.
struct TScoreColumn {
    double TScores::*Score;
    const char* Title;  // the column title
    const char* Unit;
    int Decimals;  // as the result line writes it
    bool IsTime;   // lower is better; its ratio is inverted
};

inline constexpr int kScoreCount = 8;
const std::array<TScoreColumn, kScoreCount>& ScoreColumns();

// Columns of the table: File, Description, Label, then the eight scores.
inline constexpr int kFixedColumns = 3;
inline constexpr int kColumnCount = kFixedColumns + kScoreCount;
QStringList ColumnTitles();

// A score as a value, or nothing for a test that was not run on that machine
// (zero or less: a time or speed of zero is no measurement).
std::optional<double> ScoreValue(const TScores& scores, int score);

// How `value` compares with `reference`, higher is better for every score:
// value / reference for speeds, reference / value for times. Nothing when
// either has no value, so that a test not run never becomes an infinite or
// zero ratio.
std::optional<double> RelativeScore(std::optional<double> value, std::optional<double> reference,
                                    bool isTime);

// The text of cell `column` of `row`: the description and label as UTF-8,
// scores with their line's decimals and "." (empty when not measured).
QString CellText(const TCompareRow& row, int column);

// The table as CSV: a title row, then one row per table row; fields with a
// comma, quote or line break are quoted, scores use "." and are empty when
// not measured.
QString CompareCsv(const std::vector<TCompareRow>& rows);

// The table as text in aligned columns, for a terminal.
QString CompareText(const std::vector<TCompareRow>& rows);

}  // namespace vt
