// Reading result lines back from a results log.
//
// A result line is a fixed 31-character prefix (the description right-aligned
// in 22 characters, "/", the disk label right-aligned in 8) followed by the
// score table's line rows, each after its separator, in its width and with
// its decimals:
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
// short, a line from another program, binary junk) is not a result line, and
// the reader says why.
// Numbers of 10^15 and more, which the line would write with more digits than
// a double holds, are not accepted either.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "results/score_table.h"

namespace vt {

// Why a line is not a result line.
enum class TLineFault : std::uint8_t {
    None,
    TooLong,           // longer than any result line can be
    NotAResultLine,    // no description and disk label in front of the scores
    ControlCharacter,  // a control character in the description or the label
    CutShort,          // ends before its last score
    NotANumber,        // a score's field holds something other than a number
    NotAsWritten,      // a number, but not as the line writes it (padding, zeros, decimals)
    MixedSeparators,   // a decimal separator other than the one of the line's first score
    TooManyDigits,     // more digits than a double holds
    NotARecord,        // begins as a run's JSON record but is not one (cut short, edited)
};

// The longest line a result line can be: every score at its widest.
inline constexpr std::size_t kLongestResultLine = 31 + kLineScoreCount * (1 + 1 + 15 + 1);

// One line read in place: the texts are views into the line.
struct TResultFields {
    std::string_view Description;  // Windows-1251, the padding blanks removed
    std::string_view DiskLabel;    // likewise
    TScores Scores;
    char DecimalSeparator = '.';  // '.' or ',', as the line was written
    TLineFault Fault = TLineFault::None;
    int Field = -1;  // the line row the fault is in, -1 for the whole line
};

// Reads one line (its bytes without the line break). Allocates nothing.
TResultFields ReadResultLine(std::string_view line);

// "cut short", "SortTime is not a number", ...: why a line was skipped.
std::string LineFaultText(TLineFault fault, int field);

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

// A line that is neither a result line, nor a line of the log's header, nor
// blank.
struct TSkippedLine {
    std::size_t LineNumber = 0;  // 1-based
    TLineFault Fault = TLineFault::NotAResultLine;
    int Field = -1;
};

// Reads a log line by line, as results_log::Load splits it, and sorts each
// line into a result line, a skipped line or one passed over: a line of the
// five-line header wherever it stands (logs joined together repeat it), also
// when an editor removed its trailing blanks, or a blank line. Line ends may
// carry more than one CR (a CR LF log copied through a tool that added
// another). A UTF-8 byte-order mark at the start says that an editor stored
// the log as UTF-8: its lines are then read back as Windows-1251.
class TLogLineReader {
public:
    enum class TKind { Result, Skipped, Passed };
    struct TLine {
        TKind Kind = TKind::Passed;
        std::size_t Number = 0;  // 1-based
        TResultFields Fields;    // its texts valid until the next call
    };

    // The next line of the log, its bytes up to (not including) the LF.
    TLine Read(std::string_view line);

private:
    std::size_t number_ = 0;
    bool utf8_ = false;
    std::string converted_;
};

// A whole log read back.
struct TParsedLog {
    std::vector<TResultRecord> Records;  // in the order of the log
    std::vector<TSkippedLine> Skipped;   // in the order of the log
};

// Every result line of `content`, read as TLogLineReader reads it. Never
// fails.
TParsedLog ParseResultsLog(std::string_view content);

}  // namespace vt
