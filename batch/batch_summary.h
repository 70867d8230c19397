// The summary a repeated batch run ends with on a terminal: per score of the
// tests that ran, the median, the smallest and the largest of the runs
// (stats::Summarize), so that a person sees at once how much the runs
// scatter; and, where tests 2 and 6 both ran, how many times the one-core
// loop the whole processor ran it.
#pragma once

#include <string>
#include <vector>

#include "results/scores.h"

namespace vt {

// Lines of text, each ending in a line feed; numbers with up to six
// significant digits. `cpusUsed` is the CPUs test 6 ran its loop on: the
// scaling line reads "all 16 CPUs: 14.7x one core", the median of the runs'
// CyclesPerSecAll / CyclesPerSec.
std::string BatchSummary(const std::vector<TScores>& runs, const std::vector<int>& tests,
                         int cpusUsed = 0);

}  // namespace vt
