// The machine table: every machine's runs of every score of the score table
// (results/score_table.h) summarised and
// compared with the reference machine's runs. It is computed once, by the
// statistics over repeated runs (stats/run_statistics.h); the Compare window,
// `compare --text` and `compare --csv` only format it.
#pragma once

#include <array>
#include <vector>

#include "compare/machines.h"
#include "stats/run_statistics.h"

namespace vt {

// One score of one machine. A score no run of the machine has has no runs
// (Runs.Runs 0), no ratio and no verdict: absent, never 0.
struct TScoreResult {
    stats::TRunSummary Runs;
    stats::TScoreComparison Comparison;  // against the reference
};

struct TMachineResult {
    std::array<TScoreResult, kTableScoreCount> Scores;  // the score table's rows
    stats::TOverall Overall;
};

struct TMachineTable {
    TLogList Logs;
    TGrouping Grouping;
    std::size_t Reference = 0;            // a machine; meaningless without machines
    std::vector<TMachineResult> Results;  // one per machine
};

// Whether any machine has a run of `score`: a score nobody measured (a test
// nobody ran, or a figure results logs do not carry) is left out of the
// window's table and charts and named once in the text.
bool AnyRuns(const TMachineTable& table, std::size_t score);

// Compares every machine of `grouping` with machine `reference`, spread
// over the processors.
TMachineTable CompareMachines(TLogList logs, TGrouping grouping, std::size_t reference);

}  // namespace vt
