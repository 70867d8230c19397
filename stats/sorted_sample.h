// One machine's runs of one score, sorted once: each distinct value with how
// many runs have it. The log rounds its figures to a few digits, so a
// machine's many runs hold few distinct values, and everything that compares
// runs walks those.
#pragma once

#include <cstdint>
#include <vector>

namespace vt::stats {

struct TSortedSample {
    std::vector<double> Distinct;          // ascending, no NaN
    std::vector<std::uint64_t> Before{0};  // values below Distinct[i]; last: all

    std::uint64_t Size() const { return Before.back(); }
    std::uint64_t Count(std::size_t i) const { return Before[i + 1] - Before[i]; }
    // The value at `index` (from 0) in ascending order.
    double At(std::uint64_t index) const;
};

// Sorts `values`, which must hold no NaN.
TSortedSample SortSample(std::vector<double> values);

// The coarsest step 10^-d (d from -6 to 9) of which every value of `sample`
// is a whole multiple: the rounding of the figures, 0.01 for times that a
// log keeps to two decimals; 0 where the values keep more digits than that.
double RoundingStep(const TSortedSample& sample);

}  // namespace vt::stats
