// The options of `vesktest batch`, read with QCommandLineParser.
#pragma once

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

namespace vt {

enum class TBatchFormat { Line, Csv, Json };

struct TBatchOptions {
    // Test numbers as the window counts them (1 lists, 2 cycles, 3 shapes,
    // 4 file, 5 memory), in the order they run.
    std::vector<int> Tests;
    std::string File;                        // file-system bytes; empty when not given
    std::optional<std::string> Memory;       // MiB, as text for the MemSpeed field's conversion
    std::string Shapes = "10000";            // as text for the Test2 count field's conversion
    std::optional<std::string> Description;  // Windows-1251
    std::optional<std::string> Label;        // Windows-1251
    bool Save = false;
    std::string Log;  // file-system bytes; empty: the log beside the executable
    TBatchFormat Format = TBatchFormat::Line;
};

struct TBatchCommand {
    enum class TKind { Run, Help, Version, Bad };
    TKind Kind = TKind::Run;
    TBatchOptions Options;
    // The help or version text, or for a bad command line the reason and the
    // usage line.
    std::string Text;
};

// Reads `arguments` (the program, "batch", then the options). A bad option,
// a missing or malformed value, a test number outside 1 to 5 or given twice,
// test 4 without --file and --log without --save make a Bad command.
TBatchCommand ParseBatchOptions(const QStringList& arguments);

// The usage line of the mode.
const char* BatchUsage();

}  // namespace vt
