// The progress line of a batch run on standard error: the parts done as a
// bar, the time since the run began, which run of how many, the test running
// and what it does. Drawn only when standard error is a terminal: when a part
// begins, which is never while a tick interval is open, and between two
// passes of a long part (Detail), a few times a second at most; no thread
// draws it meanwhile.
//
// The line stays three columns short of the terminal's width (80 columns
// when it is unknown), so that neither it nor the "^C" the terminal echoes
// after it wraps, and the next drawing, or the clearing at the end, leaves
// nothing behind. A message clears the
// line first and stands on a line of its own; the progress is drawn again
// under it.
#pragma once

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace vt {

class TBatchProgress {
public:
    // `parts`: how many parts the whole run has. `columns` tells the
    // terminal's width, 0 when unknown.
    TBatchProgress(bool shown, int parts, std::FILE* out = stderr,
                   std::function<int()> columns = {});
    ~TBatchProgress() { Clear(); }
    TBatchProgress(const TBatchProgress&) = delete;
    TBatchProgress& operator=(const TBatchProgress&) = delete;

    // Which run of how many the parts now belong to; shown when runs > 1.
    void SetRun(int run, int runs);

    // A part begins: draws the line with the parts done so far.
    void Begin(const std::string& test, const std::string& part);

    // What the part under way has got to ("pass 37/100"), shown before the
    // test's name, so that the clock moves during a long part. The line is drawn
    // again only when a quarter of a second has passed since it last was:
    // a caller between two passes of a timed stretch pays next to nothing.
    // The next part drops it.
    void Detail(const std::string& detail);

    // Writes `text` and a line feed to the stream, whether or not progress
    // is shown, after clearing the progress line, and draws it again below.
    void Message(const std::string& text);

    // Clears the line, so that nothing of it stays on the terminal: before
    // anything else is written to the terminal (a record on standard
    // output), and at the end, also when an error or a stop ends the run.
    // The next part draws it again.
    void Clear();

    // The line as drawn for a terminal of `columns` (0: unknown), without
    // the carriage return and the erasure.
    std::string Line(const std::string& test, const std::string& part, int columns) const;

private:
    void Draw();

    bool shown_;
    int parts_;
    int done_ = -1;
    int run_ = 1, runs_ = 1;
    std::string test_, part_, detail_;
    bool drawn_ = false;
    std::chrono::steady_clock::time_point drawnAt_;
    std::FILE* out_;
    std::function<int()> columns_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace vt
