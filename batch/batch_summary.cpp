#include "batch/batch_summary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "results/score_table.h"
#include "stats/run_statistics.h"

namespace vt {

std::string BatchSummary(const std::vector<TScores>& runs, const std::vector<int>& tests)
{
    auto ran = [&](const TScoreRow& row) {
        return std::find(tests.begin(), tests.end(), row.Test) != tests.end();
    };
    // The names take the room the longest of them needs, at least 14.
    int width = 14;
    for (const TScoreRow& row : kScoreTable)
        if (ran(row)) width = std::max(width, static_cast<int>(std::strlen(row.Name)));
    char line[160];
    std::snprintf(line, sizeof line, "%-*s %12s %12s %12s\n", width + 8,
                  ("Summary of " + std::to_string(runs.size()) + " runs").c_str(), "median",
                  "smallest", "largest");
    std::string text = line;
    for (const TScoreRow& row : kScoreTable) {
        if (!ran(row)) continue;
        std::vector<double> values;
        for (const TScores& run : runs) values.push_back(run.*row.Value);
        const stats::TRunSummary s = stats::Summarize(values);
        std::snprintf(line, sizeof line, "  %-*s %-5s %12.6g %12.6g %12.6g\n", width, row.Name,
                      row.Unit, s.Median, s.Min, s.Max);
        text += line;
    }
    return text;
}

}  // namespace vt
