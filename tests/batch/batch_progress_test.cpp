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

namespace vt {
namespace {

// Test 6's scores in the summary, and the scaling line only where test 2's
// one-core figure ran beside it: the median of the runs' own ratios.
struct ScalingRow {
    const char* name;
    std::vector<int> tests;
    int cpus;
    std::vector<double> one, all;  // CyclesPerSec, CyclesPerSecAll per run
    std::string scalingLine;       // empty: none
};

class BatchSummaryScaling : public ::testing::TestWithParam<ScalingRow> {};

TEST_P(BatchSummaryScaling, Line)
{
    const ScalingRow& row = GetParam();
    std::vector<TScores> runs(row.all.size());
    for (std::size_t i = 0; i < runs.size(); ++i) {
        runs[i].CyclesPerSec = row.one[i];
        runs[i].CyclesPerSecAll = row.all[i];
        runs[i].CyclesPerSecCores = 7;
    }
    const std::string text = BatchSummary(runs, row.tests, row.cpus);
    // The longest name sets the column.
    EXPECT_NE(text.find("\n  CyclesPerSecCores M/s              7            7            7\n"),
              std::string::npos)
        << text;
    const std::size_t at = text.find("  all ");
    if (row.scalingLine.empty()) {
        EXPECT_EQ(at, std::string::npos) << text;
    } else {
        ASSERT_NE(at, std::string::npos) << text;
        EXPECT_EQ(text.substr(at), row.scalingLine);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, BatchSummaryScaling,
    ::testing::Values(
        // Ratios 2.0, 2.1 and 1.8; the ratio of the medians would be 1.97.
        ScalingRow{"two_cpus",
                   {2, 6},
                   2,
                   {1700, 1600, 1800},
                   {3400, 3360, 3240},
                   "  all 2 CPUs: 2.0x one core\n"},
        ScalingRow{"sixteen_cpus",
                   {6, 2},
                   16,
                   {1000, 1000},
                   {14700, 14700},
                   "  all 16 CPUs: 14.7x one core\n"},
        ScalingRow{"one_cpu", {2, 6}, 1, {2000}, {1990}, "  all 1 CPU: 1.0x one core\n"},
        ScalingRow{"a_run_without_the_loop_left_out",
                   {2, 6},
                   2,
                   {0, 1000, 1000},
                   {3000, 1500, 1700},
                   "  all 2 CPUs: 1.6x one core\n"},
        ScalingRow{"without_test_2", {6}, 2, {0, 0}, {3400, 3400}, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
