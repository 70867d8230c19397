// The machine table: every machine's runs of every score summarised and
// compared with the reference machine's runs. It is computed once, by the
// statistics over repeated runs (stats/run_statistics.h); the Compare window,
// `compare --text` and `compare --csv` only format it.
#pragma once

#include <array>
#include <vector>

#include "compare/machines.h"
#include "stats/run_statistics.h"

namespace vt {

// How a score is shown.
struct TScoreColumn {
    const char* Title;    // "List creation"
    const char* Unit;     // "s"
    int Decimals;         // as the result line writes it
    bool HigherIsBetter;  // false for times, whose ratio is inverted
};

const std::array<TScoreColumn, kScoreCount>& ScoreColumns();

// One score of one machine.
struct TScoreResult {
    stats::TRunSummary Runs;
    stats::TScoreComparison Comparison;  // against the reference
};

struct TMachineResult {
    std::array<TScoreResult, kScoreCount> Scores;
    stats::TOverall Overall;
};

struct TMachineTable {
    TLogList Logs;
    TGrouping Grouping;
    std::size_t Reference = 0;            // a machine; meaningless without machines
    std::vector<TMachineResult> Results;  // one per machine
};

// Compares every machine of `grouping` with machine `reference`, spread
// over the processors.
TMachineTable CompareMachines(TLogList logs, TGrouping grouping, std::size_t reference);

}  // namespace vt
