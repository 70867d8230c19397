// The options of `vesktest batch`, read with QCommandLineParser. Every value
// is checked here, before anything is measured: a bad one is a bad command
// line, never a failure minutes into a run.
#pragma once

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vt {

enum class TBatchFormat { Line, Csv, Json };

inline constexpr int kMaxRepeat = 1000;

struct TBatchOptions {
    // Test numbers as the window counts them (1 lists, 2 cycles, 3 shapes,
    // 4 file, 5 memory), 6 every core and 7 the disk profile, in the order they run.
    std::vector<int> Tests;
    std::string File;                        // file-system bytes; empty when not given
    std::optional<std::int32_t> Memory;      // MiB, tests 5 and 6; nothing: the MemSpeed field's default
    std::int32_t Shapes = 10000;             // the Test2 count field's value
    std::optional<std::string> Description;  // UTF-8, whole
    std::optional<std::string> Label;        // UTF-8, whole
    int Repeat = 1;                          // runs of the tests after one start-up
    bool Save = false;
    std::string Log;  // file-system bytes; empty: the results log's usual place
    TBatchFormat Format = TBatchFormat::Line;
    // Test 7: the folder of its test file (file-system bytes; the home
    // folder unless given), the file's size and the seconds per figure.
    std::string DiskDir;
    std::int64_t DiskMiB = 1024;
    int DiskSeconds = 5;
};

// What the values are checked against.
struct TBatchLimits {
    // The largest --memory the memory test takes as it is (LargestBlockMiB
    // of the memory it sees).
    std::int32_t LargestBlockMiB = 0;
    // The default --memory on this machine (DefaultBlockMiB), for the help.
    std::int32_t DefaultBlockMiB = 0;
};

struct TBatchCommand {
    enum class TKind { Run, Help, Version, Bad };
    TKind Kind = TKind::Run;
    TBatchOptions Options;
    // The help or version text, or for a bad command line the reason and the
    // usage line.
    std::string Text;
};

// Reads `arguments` (the program, "batch", then the options). Every number
// is decimal digits alone (no sign, blank or leading zero). Bad: an
// unknown option, a missing or malformed value, an option given twice, a
// test number outside 1 to 7 or given twice, --file, --memory or --shapes
// when no test they are for (4; 5 or 6; 3) is among the tests, test 4
// without --file or with
// a --file that is not an existing regular file of more than 1 MiB, --log
// without --save or in a folder that does not exist, --memory that is not a
// whole number from 1 to limits.LargestBlockMiB, --shapes that is not one
// from 0, --repeat that is not one from 1 to kMaxRepeat, and a description
// or label holding a control character (a line break would split the log's
// line). For test 7 (never run unless asked for: it writes a file of a
// GiB): --disk-dir, --disk-size or --disk-seconds without it, --disk-size
// that is not a whole number of MiB from 64, --disk-seconds that is not one
// from 1 to 60, and a folder that does not exist, cannot be written or has
// less free than the file's size and 10% (DiskFolderProblem). The message
// of a bad command line shows control characters as escapes ("\n").
TBatchCommand ParseBatchOptions(const QStringList& arguments, const TBatchLimits& limits);

// The usage line of the mode.
const char* BatchUsage();

}  // namespace vt
