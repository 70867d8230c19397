// The runs of one score of one machine as a chart can show them: at most one
// column of pixels per group of runs. Up to `columns` runs each is its own
// point; beyond that the runs are split into `columns` groups of consecutive
// runs, each drawn as the range from its smallest to its largest value, so
// that a machine of 100,000 runs costs the chart as much as one of a few
// hundred. Runs that were not quiet (other programs busy while they ran) are
// kept apart so that the chart can mark them.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace vt {

struct TRunColumn {
    double First = 0, Last = 0;  // the runs it stands for, numbered from 1
    double Min = 0, Max = 0;     // their smallest and largest value
    bool NotQuiet = false;       // one of them or more was not quiet
    double NotQuietMax = 0;      // the largest value of those
};

struct TRunColumns {
    bool Summarised = false;  // columns stand for several runs each
    std::vector<TRunColumn> Columns;
};

// `runs` in log order; `notQuiet` empty (every run quiet) or one flag per run.
TRunColumns RunColumns(std::span<const double> runs, const std::vector<bool>& notQuiet,
                       std::size_t columns);

}  // namespace vt
