// The results log "Result3.txt", where results/log_location.h places it
// (beside the executable, or in the user's data folder): Windows-1251 text
// lines, each ending in CR LF, a five-line table header written when the file
// is created, then one result line per Save. The window and batch only append
// to it; the window shows it and Compare reads its result lines back
// (results/result_line_parser.h). Nothing shortens or rewrites it.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

inline constexpr const char* kResultsLogName = "Result3.txt";

// The five header lines, 82 Windows-1251 characters each, without line ends.
// Their column separators lie above those of the result line.
const std::array<std::string, 5>& ResultsLogHeader();

namespace results_log {

// Appends `line` and CR LF to the log at `path`; a log that does not exist,
// or exists but is empty, gets the header first, in the same write as the
// line, so that the log never holds part of its header; a log whose last line
// has no line end (cut short) gets CR LF before the line, so that the line
// stays whole. Every open, write and close is checked:
// the first that fails raises EInOutError with the system's error code, and
// whatever was written before it stays in the file.
void Append(const std::string& path, std::string_view line);

// Why lines cannot be appended to the log at `path`, found before anything
// is measured, as "<path>: <reason>" ("<path> (its link leads to <target>):
// <reason>" where a link was followed); nothing when they can. The reasons:
// the system's (ErrnoText), "it is a folder", "it is not a regular file",
// and for an existing file that is neither empty nor begins with the five
// header lines (with CR LF or LF line ends) "it is not a results log (it does
// not begin with the log's header)", so that a mistyped name never gets a
// result line appended to a file of another kind. Creates and changes
// nothing.
std::optional<std::string> AppendProblem(const std::string& path);

// The lines of a text file (the log, the readme), split at CR LF or a lone
// LF, bytes as they are; nothing when the file does not exist. A file that
// exists but cannot be read raises EInOutError with the system's error code.
std::optional<std::vector<std::string>> Load(const std::string& path);

// The lines of `content` as Load splits them: at CR LF or a lone LF, bytes
// (NUL, a lone CR) kept as they are; no line after a final line break.
std::vector<std::string> SplitLines(std::string_view content);

}  // namespace results_log

}  // namespace vt
