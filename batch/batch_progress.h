// The progress line of a batch run on standard error: the test running, what
// it does, a bar of the parts done and the time since the run began. Drawn
// only when standard error is a terminal, and only when a part begins, which
// is never while a tick interval is open; no thread draws it meanwhile.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace vt {

class TBatchProgress {
public:
    // `parts`: how many parts the whole run has.
    TBatchProgress(bool shown, int parts, std::FILE* out = stderr);

    // A part begins: draws the line with the parts done so far.
    void Begin(const std::string& test, const std::string& part);
    ~TBatchProgress() { Finish(); }
    TBatchProgress(const TBatchProgress&) = delete;
    TBatchProgress& operator=(const TBatchProgress&) = delete;
    // Clears the line, so that nothing of it stays on the terminal (also
    // when an error or a stop ends the run).
    void Finish();

    // The line as drawn, without the carriage return and the erasure.
    std::string Line(const std::string& test, const std::string& part) const;

private:
    bool shown_;
    int parts_;
    int done_ = -1;
    bool drawn_ = false;
    std::FILE* out_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace vt
