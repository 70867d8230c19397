// Where the results log lives.
//
// A copy of the program in a folder the user can write (unpacked somewhere,
// run from its build folder) keeps its log beside the executable, as it
// always has. An installed program (in a folder the user cannot write, or
// one the system installed, such as /usr/bin even for root) keeps it in the
// user's data folder: $XDG_DATA_HOME/vesktest/Result3.txt,
// by default ~/.local/share/vesktest/Result3.txt.
#pragma once

#include <optional>
#include <string>

namespace vt {

// What the log is looked up for. Reading creates nothing, so that a start-up
// never fails over a folder; writing creates the data folder when the log
// goes there.
enum class LogUse { Read, Write };

// What the choice of the log's place depends on.
struct LogPlaceInputs {
    // The log can be written beside the executable: its folder lets the
    // process create files, or the log there exists and may be written.
    bool besideExeWritable = true;
    std::optional<std::string> xdgDataHome;  // $XDG_DATA_HOME
    std::optional<std::string> home;         // the user's home folder
    // The program was installed into the system (InstalledInSystem): its
    // log goes to the data folder even where its folder can be written.
    bool installed = false;
};

struct LogPlace {
    std::string path;    // the log's full path
    std::string folder;  // the data folder to create before writing; empty beside the executable
};

// The log's place for a program whose executable lies in `exeDir` (with its
// trailing separator). $XDG_DATA_HOME counts only when it is an absolute
// path; with no usable data folder at all the log stays beside the
// executable, where Save then reports why it cannot be written.
LogPlace ChooseResultsLogPlace(const std::string& exeDir, const LogPlaceInputs& in);

// The inputs as this process finds them. A folder that is missing or not a
// folder is not "refusing": it keeps the log beside the executable, so that
// Save reports the fault instead of writing elsewhere.
LogPlaceInputs SystemLogPlaceInputs(const std::string& exeDir);

// The results log's full path, by the rule above on this machine. For
// LogUse::Write the data folder is created first (mkdir -p); a folder that
// cannot be created raises EInOutError with the system's code.
std::string ResultsLogPath(const std::string& exeDir, LogUse use = LogUse::Write);

}  // namespace vt
