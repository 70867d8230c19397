// Order statistics of the ratios x_i / y_j of two samples of positive values,
// found without forming the m x n ratios: a machine and its reference may
// each have hundreds of thousands of runs.
#pragma once

#include "stats/sorted_sample.h"

#include <cstdint>

namespace vt::stats {

// The k-th smallest (k from 1 to m x n) of the ratios x_i / y_j, each
// computed as one floating-point division, so that the result is one of
// them exactly. `x` and `y` are not empty, positive and finite. The cost is
// a few dozen walks over the distinct values of both samples.
double KthSmallestRatio(const TSortedSample& x, const TSortedSample& y, std::uint64_t k);

}  // namespace vt::stats
