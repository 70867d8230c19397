#include "batch/batch_summary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "benchmarks/every_core.h"
#include "results/score_table.h"
#include "stats/run_statistics.h"

namespace vt {

namespace {

bool Ran(const std::vector<int>& tests, int test)
{
    return std::find(tests.begin(), tests.end(), test) != tests.end();
}

}  // namespace

std::string BatchSummary(const std::vector<TScores>& runs, const std::vector<int>& tests,
                         int cpusUsed)
{
    // The name column fits the longest name shown, 14 at least.
    int width = 14;
    for (const TScoreRow& score : kScoreTable)
        if (Ran(tests, score.Test))
            width = std::max(width, static_cast<int>(std::strlen(score.Name)));
    char line[160];
    std::snprintf(line, sizeof line, "%-*s %12s %12s %12s\n", width + 8,
                  ("Summary of " + std::to_string(runs.size()) + " runs").c_str(), "median",
                  "smallest", "largest");
    std::string text = line;
    for (const TScoreRow& score : kScoreTable) {
        if (!Ran(tests, score.Test)) continue;
        std::vector<double> values;
        for (const TScores& run : runs) values.push_back(run.*score.Value);
        const stats::TRunSummary s = stats::Summarize(values);
        std::snprintf(line, sizeof line, "  %-*s %-5s %12.6g %12.6g %12.6g\n", width, score.Name,
                      score.Unit, s.Median, s.Min, s.Max);
        text += line;
    }
    if (Ran(tests, 2) && Ran(tests, 6)) {
        std::vector<double> ratios;
        for (const TScores& run : runs)
            if (const auto scaling = EveryCoreScaling(run.CyclesPerSecAll, run.CyclesPerSec))
                ratios.push_back(*scaling);
        if (!ratios.empty()) {
            std::snprintf(line, sizeof line, "  all %d CPU%s: %.1fx one core\n", cpusUsed,
                          cpusUsed == 1 ? "" : "s", stats::Summarize(ratios).Median);
            text += line;
        }
    }
    return text;
}

}  // namespace vt
