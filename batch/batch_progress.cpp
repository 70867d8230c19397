#include "batch/batch_progress.h"

#include <algorithm>

#include "platform/terminal.h"

namespace vt {

namespace {
constexpr int kUnknownColumns = 80;
constexpr int kMostBarCells = 24;
}  // namespace

TBatchProgress::TBatchProgress(bool shown, int parts, std::FILE* out, std::function<int()> columns)
    : shown_(shown),
      parts_(std::max(parts, 1)),
      out_(out),
      columns_(columns ? std::move(columns) : std::function<int()>(TerminalColumns))
{
}

void TBatchProgress::SetRun(int run, int runs)
{
    run_ = run;
    runs_ = runs;
}

std::string TBatchProgress::Line(const std::string& test, const std::string& part,
                                 int columns) const
{
    // Nothing in the last column, where a terminal moves on to the next
    // line, and room for the "^C" the terminal echoes when the user stops
    // the run: the clearing then takes that too.
    const std::size_t width =
        static_cast<std::size_t>(std::max(1, (columns > 0 ? columns : kUnknownColumns) - 3));
    const int done = std::clamp(done_, 0, parts_);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    char figures[48];
    std::snprintf(figures, sizeof figures, "%3d%% %6.1f s  ", done * 100 / parts_, seconds);
    std::string text = test + ": " + part;
    if (runs_ > 1)
        text = "run " + std::to_string(run_) + " of " + std::to_string(runs_) + "  " + text;

    // The bar takes a fifth of the width, and none on a narrow terminal.
    const int cells = std::min(kMostBarCells, static_cast<int>(width) / 5);
    std::string line;
    if (cells >= 4) {
        const int filled = done * cells / parts_;
        line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
               std::string(static_cast<std::size_t>(cells - filled), '.') + "] ";
    }
    // Where a long part has got to stands before the test, so that a narrow
    // terminal cuts the part's words rather than it.
    line += figures + (detail_.empty() ? "" : detail_ + "  ") + text;
    if (line.size() > width) line = line.substr(0, width - std::min<std::size_t>(width, 3)) + "...";
    return line.substr(0, width);
}

void TBatchProgress::Begin(const std::string& test, const std::string& part)
{
    ++done_;
    test_ = test;
    part_ = part;
    detail_.clear();
    Draw();
}

void TBatchProgress::Detail(const std::string& detail)
{
    if (!shown_) return;
    detail_ = detail;
    if (std::chrono::steady_clock::now() - drawnAt_ >= std::chrono::milliseconds(250)) Draw();
}

void TBatchProgress::Draw()
{
    if (!shown_) return;
    std::fprintf(out_, "\r\033[K%s", Line(test_, part_, columns_()).c_str());
    drawn_ = true;
    drawnAt_ = std::chrono::steady_clock::now();
    std::fflush(out_);
}

void TBatchProgress::Clear()
{
    if (!drawn_) return;
    drawn_ = false;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
}

void TBatchProgress::Message(const std::string& text)
{
    const bool wasDrawn = drawn_;
    Clear();
    std::fprintf(out_, "%s\n", text.c_str());
    std::fflush(out_);
    if (wasDrawn) Draw();
}

}  // namespace vt
