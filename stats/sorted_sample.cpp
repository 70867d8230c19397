#include "stats/sorted_sample.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

namespace vt::stats {

TSortedSample SortSample(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    TSortedSample sample;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i + 1;
        while (j < values.size() && values[j] == values[i]) ++j;
        sample.Distinct.push_back(values[i]);
        sample.Before.push_back(j);
        i = j;
    }
    return sample;
}

double TSortedSample::At(std::uint64_t index) const
{
    return Distinct[std::upper_bound(Before.begin(), Before.end(), index) - Before.begin() - 1];
}

double RoundingStep(const TSortedSample& sample)
{
    if (sample.Distinct.empty()) return 0;
    // A figure written with d decimals and read back is the double nearest
    // to a multiple of 10^-d: scaled back, within a few units of the last
    // place of the product. A value with every digit is that close to a
    // whole number only by chance, for every value of a sample never.
    for (int decimals = -6; decimals <= 9; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const bool onGrid =
            std::all_of(sample.Distinct.begin(), sample.Distinct.end(), [scale](double v) {
                const double scaled = v * scale;
                const double slack = std::max(1e-9, 8 * DBL_EPSILON * std::fabs(scaled));
                return std::fabs(scaled - std::round(scaled)) <= slack;
            });
        if (onGrid) return 1 / scale;
    }
    return 0;
}

}  // namespace vt::stats
