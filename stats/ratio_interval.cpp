#include "stats/ratio_interval.h"

#include <algorithm>
#include <cmath>
#include <numeric>

#include "stats/run_statistics.h"

namespace vt::stats {
namespace {

bool Accepted(const TBrunnerMunzel& test, double logFactor)
{
    return test.At(logFactor).PValue >= kAlpha;
}

// The exact test changes its outcome only at the ratios of the two
// machines' distinct values: stretch k is the open one below break k
// (stretch K the one above the last). There are few of them where the test
// is exact and a machine has enough runs for an interval (6 against 15 gives
// 90), and each costs a look-up in the counted splits: every stretch is
// tried, and the interval runs from the lowest accepted to the highest.
TRatioInterval ByStretches(const TBrunnerMunzel& test, double estimate)
{
    const std::vector<TBrunnerMunzel::TBreak> breaks = test.Breaks();
    const std::size_t last = breaks.size();
    const auto at = [&](std::size_t k) {
        if (k == 0) return breaks.front().LogRatio - 1;
        if (k == last) return breaks.back().LogRatio + 1;
        return std::midpoint(breaks[k - 1].LogRatio, breaks[k].LogRatio);
    };
    std::optional<std::size_t> lowest, highest;
    for (std::size_t k = 0; k <= last; ++k)
        if (Accepted(test, at(k))) {
            if (!lowest) lowest = k;
            highest = k;
        }
    if (!lowest) return {estimate, estimate};
    TRatioInterval interval;
    if (*lowest > 0) interval.Low = std::min(breaks[*lowest - 1].Ratio, estimate);
    if (*highest < last) interval.High = std::max(breaks[*highest].Ratio, estimate);
    return interval;
}

// The large-sample test: halving on the logarithm of the factor itself, to
// within 1e-10 (far below the three decimals a ratio is shown with), outward.
std::optional<double> Edge(const TBrunnerMunzel& test, double yes, double no)
{
    if (Accepted(test, no)) return std::nullopt;
    for (int step = 0; step < 200; ++step) {
        const double middle = std::midpoint(yes, no);
        if (middle == yes || middle == no || std::fabs(no - yes) <= 1e-10) break;
        (Accepted(test, middle) ? yes : no) = middle;
    }
    return std::exp(no);
}

}  // namespace

TRatioInterval InvertTest(const TBrunnerMunzel& test, const TSortedSample& top,
                          const TSortedSample& bottom, double estimate)
{
    const double logEstimate = std::log(estimate);
    if (test.Exact()) return ByStretches(test, estimate);
    if (!Accepted(test, logEstimate)) return {estimate, estimate};
    // Beyond these, no run of one machine meets a run of the other.
    const double above = std::log(top.Distinct.back() / bottom.Distinct.front()) + 1;
    const double below = std::log(top.Distinct.front() / bottom.Distinct.back()) - 1;
    return {Edge(test, logEstimate, below), Edge(test, logEstimate, above)};
}

}  // namespace vt::stats
