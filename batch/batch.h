// vesktest batch: the tests without the window.
#pragma once

namespace vt {

// With this environment variable set to "1", every part of a test is also
// written on standard error as a line of its own, whether or not standard
// error is a terminal: the prefix, then "RUN/RUNS: TEST: PART" (run 0 is
// the start-up).
inline constexpr const char* kBatchPartLinesVariable = "VESKTEST_PART_LINES";
inline constexpr const char* kBatchPartLinePrefix = "vesktest batch: part ";

// argv[1] is "batch". Returns the exit status.
int RunBatch(int argc, char** argv);

}  // namespace vt
