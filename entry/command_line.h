// The executable's command-line modes. With no arguments the program opens
// its window; with a command word it runs that mode instead:
//   vesktest batch [options]     run tests without the window
//   vesktest compare [LOG...]    compare results logs
// and the usual --help and --version. Each mode makes its own application
// object, so the window's start-up stays exactly as it is.
#pragma once

namespace vt {

// Runs the mode named by argv[1] and returns the process's exit status:
// 0 on success, 1 for an error while running, 2 for a bad command line.
int RunCommandLine(int argc, char** argv);

}  // namespace vt
