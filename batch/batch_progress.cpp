#include "batch/batch_progress.h"

#include <algorithm>

namespace vt {

namespace {
constexpr int kBarCells = 24;
}  // namespace

TBatchProgress::TBatchProgress(bool shown, int parts, std::FILE* out)
    : shown_(shown), parts_(std::max(parts, 1)), out_(out)
{
}

std::string TBatchProgress::Line(const std::string& test, const std::string& part) const
{
    const int done = std::clamp(done_, 0, parts_);
    const int cells = done * kBarCells / parts_;
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    char tail[64];
    std::snprintf(tail, sizeof tail, "] %3d%% %7.1f s  ", done * 100 / parts_, seconds);
    return "[" + std::string(static_cast<std::size_t>(cells), '#') +
           std::string(static_cast<std::size_t>(kBarCells - cells), '.') + tail + test + ": " +
           part;
}

void TBatchProgress::Begin(const std::string& test, const std::string& part)
{
    ++done_;
    if (!shown_) return;
    std::fprintf(out_, "\r\033[K%s", Line(test, part).c_str());
    drawn_ = true;
    std::fflush(out_);
}

void TBatchProgress::Finish()
{
    if (!drawn_) return;
    drawn_ = false;
    std::fputs("\r\033[K", out_);
    std::fflush(out_);
}

}  // namespace vt
