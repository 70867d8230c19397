#include "compare/machine_table.h"

#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cmath>
#include <numeric>

namespace vt {

bool AnyRuns(const TMachineTable& table, std::size_t score)
{
    return std::any_of(table.Results.begin(), table.Results.end(),
                       [score](const TMachineResult& r) { return r.Scores[score].Runs.Runs > 0; });
}

namespace {

// A score's runs prepared for comparison. A result line keeps a score to its
// decimals, so no rounding is coarser than that: a few runs that happen to
// be round numbers (1800, 2400) must not pass for figures rounded to 100.
stats::TRunSample Prepared(const std::vector<double>& runs, std::size_t score)
{
    stats::TRunSample sample = stats::PrepareRuns(runs);
    sample.Summary.Step =
        std::min(sample.Summary.Step, std::pow(10.0, -kScoreTable[score].Decimals));
    return sample;
}

}  // namespace

TMachineTable CompareMachines(TLogList logs, TGrouping grouping, std::size_t reference)
{
    TMachineTable table;
    table.Logs = std::move(logs);
    table.Grouping = std::move(grouping);
    table.Reference = reference;
    const std::size_t machines = table.Grouping.Machines.size();
    table.Results.resize(machines);
    if (machines == 0) return table;

    // The reference's runs are prepared once for every comparison.
    std::array<stats::TRunSample, kTableScoreCount> referenceRuns;
    {
        TMachineRuns runs;
        MachineRuns(table.Logs, table.Grouping, reference, runs);
        for (std::size_t s = 0; s < runs.size(); ++s) referenceRuns[s] = Prepared(runs[s], s);
    }

    std::vector<std::size_t> order(machines);
    std::iota(order.begin(), order.end(), std::size_t{0});
    QtConcurrent::blockingMap(order, [&](std::size_t m) {
        thread_local TMachineRuns runs;
        MachineRuns(table.Logs, table.Grouping, m, runs);
        TMachineResult& result = table.Results[m];
        std::array<stats::TScoreComparison, kTableScoreCount> comparisons;
        for (std::size_t s = 0; s < runs.size(); ++s) {
            const stats::TRunSample sample = Prepared(runs[s], s);
            result.Scores[s].Runs = sample.Summary;
            comparisons[s] = result.Scores[s].Comparison = stats::CompareRuns(
                sample, referenceRuns[s], kScoreTable[s].HigherIsBetter, m == reference);
        }
        result.Overall = stats::Overall(comparisons);
    });
    return table;
}

}  // namespace vt
