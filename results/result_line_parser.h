// Reading result lines back from a results log.
//
// A result line is a fixed 31-character prefix (the description right-aligned
// in 22 characters, "/", the disk label right-aligned in 8) followed by the
// eight scores, each after a "|" except the read figure of the memory test,
// which follows the fill figure after a "/":
//   "|%6.2f|%6.3f|%6.2f|%4.0f/%4.0f|%6.1f|%6.2f|%5.1f".
// A number wider than its field shifts the rest of the line, so the scores are
// found by their separators, not by their columns.
//
// A line is accepted only when it is exactly what FormatResultLine writes for
// the values read from it, with the decimal separator it was written with
// ("." or ","; one log may hold lines of both): every number in its canonical
// form (blanks on the left up to the field's width and no more, an optional
// "-", no leading zeros, exactly the field's decimals), nothing before,
// between or after the fields. Anything else (the log's header, a line cut
// short, a line from another program, binary junk) is not a result line.
// Numbers of 10^15 and more, which the line would write with more digits than
// a double holds, are not accepted either.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/scores.h"

namespace vt {

// One result line read back.
struct TResultRecord {
    std::string Description;  // Windows-1251, the blanks that pad it on the left removed
    std::string DiskLabel;    // Windows-1251, likewise
    TScores Scores;
    char DecimalSeparator = '.';  // '.' or ',', as the line was written
    std::size_t LineNumber = 0;   // 1-based line of the log; 0 for a lone line
};

// The record of one line (its bytes without the line break), or nothing when
// the line is not a result line.
std::optional<TResultRecord> ParseResultLine(std::string_view line);

// A whole log read back.
struct TParsedLog {
    std::vector<TResultRecord> Records;  // in the order of the log
    // 1-based numbers of the lines that are neither a result line, nor a line
    // of the log's header, nor blank.
    std::vector<std::size_t> SkippedLines;
};

// Every result line of `content` (a log's bytes, lines split at CR LF or a
// lone LF as results_log::Load splits them). Lines of the five-line header,
// wherever they stand (logs joined together repeat it), and blank lines are
// passed over without being counted; every other line that is not a result
// line is skipped and its number kept. Never fails.
TParsedLog ParseResultsLog(std::string_view content);

}  // namespace vt
