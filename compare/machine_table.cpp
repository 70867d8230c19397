#include "compare/machine_table.h"

#include <QtConcurrent/QtConcurrentMap>
#include <numeric>

namespace vt {

const std::array<TScoreColumn, kScoreCount>& ScoreColumns()
{
    static const std::array<TScoreColumn, kScoreCount> columns = {{
        {"List creation", "s", 2, false},
        {"Sorting", "s", 3, false},
        {"Sort + output", "s", 2, false},
        {"Memory fill", "MiB/s", 0, true},
        {"Memory read", "MiB/s", 0, true},
        {"Cycles", "M/s", 1, true},
        {"Ellipses", "s", 2, false},
        {"HDD speed", "MiB/s", 1, true},
    }};
    return columns;
}

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
    std::array<stats::TRunSample, kScoreCount> referenceRuns;
    {
        TMachineRuns runs;
        MachineRuns(table.Logs, table.Grouping, reference, runs);
        for (std::size_t s = 0; s < runs.size(); ++s)
            referenceRuns[s] = stats::PrepareRuns(runs[s]);
    }

    std::vector<std::size_t> order(machines);
    std::iota(order.begin(), order.end(), std::size_t{0});
    QtConcurrent::blockingMap(order, [&](std::size_t m) {
        thread_local TMachineRuns runs;
        MachineRuns(table.Logs, table.Grouping, m, runs);
        TMachineResult& result = table.Results[m];
        std::array<stats::TScoreComparison, kScoreCount> comparisons;
        for (std::size_t s = 0; s < runs.size(); ++s) {
            const stats::TRunSample sample = stats::PrepareRuns(runs[s]);
            result.Scores[s].Runs = sample.Summary;
            comparisons[s] = result.Scores[s].Comparison = stats::CompareRuns(
                sample, referenceRuns[s], ScoreColumns()[s].HigherIsBetter, m == reference);
        }
        result.Overall = stats::Overall(comparisons);
    });
    return table;
}

}  // namespace vt
