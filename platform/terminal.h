// The process's standard streams as the command-line modes use them:
// whether standard error is a terminal, so that progress is drawn only for a
// person watching, never into a file or a pipe (isatty; on Windows _isatty),
// and how wide it is; standard descriptors the caller left closed; writes to
// a pipe whose reader has gone; and standard error kept quiet while a
// library that writes its complaints there by itself starts up.
#pragma once

#include <string_view>

namespace vt {

bool StandardErrorIsTerminal();

// The columns of the terminal on standard error; 0 when it is none or its
// width is unknown.
int TerminalColumns();

// Opens the null device on every standard descriptor (input, output, error)
// that is closed, so that no file the process opens later takes its number
// and receives what is meant for that stream. Returns whether standard
// output was closed; writes to it then go nowhere, and the caller reports
// them as failed.
bool ReserveClosedStandardStreams();

// A write to a pipe whose reader has gone fails with EPIPE instead of ending
// the process (on Linux the SIGPIPE signal is ignored; Windows has no such
// signal).
void ReportBrokenPipesAsErrors();

// Standard error points at the null device while the object lives, and back
// at its own place afterwards.
class TQuietStandardError {
public:
    TQuietStandardError();
    ~TQuietStandardError();
    TQuietStandardError(const TQuietStandardError&) = delete;
    TQuietStandardError& operator=(const TQuietStandardError&) = delete;

    // Writes to standard error's own place whether or not one of these
    // objects lives: for a message that must be seen (the last words of a
    // library that ends the process).
    static void WriteThrough(std::string_view text);

private:
    int saved_ = -1;
};

}  // namespace vt
