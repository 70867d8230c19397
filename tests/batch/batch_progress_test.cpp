// The progress line and the summary of a batch run on a terminal: the line
// never reaches the terminal's last column, a message stands on a line of
// its own with the progress line cleared before it, nothing stays behind;
// the summary shows the median, the smallest and the largest per score.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>

#include "batch/batch_progress.h"
#include "batch/batch_summary.h"

namespace vt {
namespace {

// What a progress object wrote, read back from its stream.
class WrittenStream {
public:
    WrittenStream() : file_(std::tmpfile()) {}
    ~WrittenStream() { std::fclose(file_); }
    std::FILE* Get() const { return file_; }
    std::string Text() const
    {
        std::fflush(file_);
        std::string text(static_cast<std::size_t>(std::ftell(file_)), '\0');
        std::rewind(file_);
        text.resize(std::fread(text.data(), 1, text.size(), file_));
        return text;
    }

private:
    std::FILE* file_;
};

TEST(BatchProgress, LineLeavesRoomForTheEchoedStop)
{
    const std::string longPart = "counting passes over 1638 MiB";
    for (const int columns : {0, 1, 2, 10, 40, 50, 79, 80, 200}) {
        for (const int runs : {1, 12}) {
            SCOPED_TRACE(std::to_string(columns) + " columns, " + std::to_string(runs) + " runs");
            TBatchProgress progress(true, 7, stderr, [] { return 0; });
            progress.SetRun(runs, runs);
            const std::string line = progress.Line("5. FillChar & ReadChar", longPart, columns);
            const std::size_t width = static_cast<std::size_t>(columns > 0 ? columns : 80);
            EXPECT_LE(line.size(), std::max<std::size_t>(width - 3, 1));
            EXPECT_EQ(line.find('\n'), std::string::npos);
            if (width >= 100) {
                EXPECT_NE(line.find(longPart), std::string::npos) << line;
                EXPECT_EQ(line.find("run 12 of 12") != std::string::npos, runs > 1) << line;
            }
        }
    }
}

TEST(BatchProgress, MessagesStandOnLinesOfTheirOwn)
{
    const struct {
        const char* name;
        bool shown;
        const char* expected;
    } rows[] = {
        {"terminal", true, "\r\033[K%1\r\033[Kwarning\n\r\033[K%1\r\033[K%2\r\033[K"},
        {"no terminal", false, "warning\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        WrittenStream out;
        std::string first, second;
        {
            TBatchProgress progress(row.shown, 2, out.Get(), [] { return 60; });
            progress.Begin("1. test", "part one");
            first = progress.Line("1. test", "part one", 60);
            progress.Message("warning");
            progress.Begin("1. test", "part two");
            second = progress.Line("1. test", "part two", 60);
        }  // a run that ends, however, clears the line
        std::string expected = row.expected;
        for (const auto& [mark, line] : {std::pair{"%1", first}, {"%2", second}})
            for (std::size_t at; (at = expected.find(mark)) != std::string::npos;)
                expected.replace(at, 2, line);
        // The elapsed time may have moved on between two drawings.
        const std::regex elapsed(R"( *[0-9]+\.[0-9] s)");
        EXPECT_EQ(std::regex_replace(out.Text(), elapsed, " T s"),
                  std::regex_replace(expected, elapsed, " T s"));
    }
}

TEST(BatchSummary, MedianSmallestAndLargestOfTheScoresThatRan)
{
    std::vector<TScores> runs(4);
    const double cycles[] = {300, 100, 400, 200};
    const double fills[] = {5, 5, 7, 1};
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].CyclesPerSec = cycles[i];
        runs[i].FillMemSpeed = fills[i];
        runs[i].ReadMemSpeed = 1000 * (i + 1);
    }
    const std::string text = BatchSummary(runs, {2, 5});
    EXPECT_EQ(text,
              "Summary of 4 runs            median     smallest      largest\n"
              "  FillMemSpeed   MiB/s            5            1            7\n"
              "  ReadMemSpeed   MiB/s         2500         1000         4000\n"
              "  CyclesPerSec   M/s            250          100          400\n");
}

}  // namespace
}  // namespace vt
