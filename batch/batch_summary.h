// The summary a repeated batch run ends with on a terminal: per score of the
// tests that ran, the median, the smallest and the largest of the runs
// (stats::Summarize), so that a person sees at once how much the runs
// scatter.
#pragma once

#include <string>
#include <vector>

#include "results/scores.h"

namespace vt {

// Lines of text, each ending in a line feed; numbers with up to six
// significant digits.
std::string BatchSummary(const std::vector<TScores>& runs, const std::vector<int>& tests);

}  // namespace vt
