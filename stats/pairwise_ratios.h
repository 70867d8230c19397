// Order statistics of the ratios x_i / y_j of two samples of positive values,
// found without forming the m x n ratios: a machine and its reference may
// each have hundreds of thousands of runs.
#pragma once

#include <cstdint>
#include <span>

namespace vt::stats {

// The k-th smallest (k from 1 to m x n) of the ratios x_i / y_j, each
// computed as one floating-point division, so that the result is one of
// them exactly. `x` and `y` are ascending, not empty, positive and finite.
// O((m + n) x 64) divisions at most; less where one sample is much smaller.
double KthSmallestRatio(std::span<const double> x, std::span<const double> y, std::uint64_t k);

}  // namespace vt::stats
