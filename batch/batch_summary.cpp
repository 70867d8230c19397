#include "batch/batch_summary.h"

#include <algorithm>
#include <cstdio>

#include "batch/batch_output.h"
#include "stats/run_statistics.h"

namespace vt {

std::string BatchSummary(const std::vector<TScores>& runs, const std::vector<int>& tests)
{
    char line[128];
    std::snprintf(line, sizeof line, "%-22s %12s %12s %12s\n",
                  ("Summary of " + std::to_string(runs.size()) + " runs").c_str(), "median",
                  "smallest", "largest");
    std::string text = line;
    for (const TBatchScore& score : BatchScores()) {
        if (std::find(tests.begin(), tests.end(), score.Test) == tests.end()) continue;
        std::vector<double> values;
        for (const TScores& run : runs) values.push_back(run.*score.Value);
        const stats::TRunSummary s = stats::Summarize(values);
        std::snprintf(line, sizeof line, "  %-14s %-5s %12.6g %12.6g %12.6g\n", score.Name,
                      score.Unit, s.Median, s.Min, s.Max);
        text += line;
    }
    return text;
}

}  // namespace vt
