// The Compare window's charts, drawn from the machine table.
//
// A ratio chart shows one score: a horizontal bar per machine at the ratio
// of its median to the reference's (above 1 is better; times inverted), a
// whisker from its smallest to its largest run on the same scale, a dashed
// line at 1.0, and beside each bar the machine's whole name with its ratio,
// verdict and interval. The bar's colour is its verdict, the legend says
// which is which, and the reference's own bar has a colour of its own. Names
// are never shortened: the axis that carries them takes the room they need.
//
// A runs chart shows one score of one machine over its runs in log order, the
// order they were measured in, so that a machine that got slower shows it.
// Past kRunColumns runs it draws each column's range of runs instead of
// every run (compare/run_columns.h), and it marks runs that were not quiet.
#pragma once

#include <QString>
#include <vector>

#include "compare/machine_table.h"

class QChart;

namespace vt {

// The label beside a machine's bar: its number and name, then its ratio,
// verdict and interval (or why it has none), on two lines.
QString RatioLabel(const TMachineTable& table, std::size_t machine, int score);

// The chart of `score` over `machines`, top to bottom in that order.
QChart* RatioChart(const TMachineTable& table, int score, const std::vector<std::size_t>& machines);

// More runs than this are drawn as columns of ranges.
inline constexpr std::size_t kRunColumns = 500;

// The chart of `score` over the runs of `machine`; nullptr when it has none.
// `notQuiet`: empty, or one flag per run of the machine (in log order), set
// for a run during which the machine was not quiet.
QChart* RunsChart(const TMachineTable& table, int score, std::size_t machine,
                  const std::vector<bool>& notQuiet = {});
// The same from the machine's runs of `score`, read once for all its charts.
QChart* RunsChart(const std::vector<double>& runs, int score,
                  const std::vector<bool>& notQuiet = {});

// The height a ratio chart of `machines` bars needs.
int RatioChartHeight(std::size_t machines);

}  // namespace vt
