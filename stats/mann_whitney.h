// The two-sided Mann-Whitney U test of two samples, with the critical value
// that the confidence interval of the ratio takes from the same test.
//
// U of `a` counts the pairs (a_i, b_j) with a_i > b_j, a tie counting one
// half. Its null distribution is the exact one where no value is tied and the
// samples give at most kExactMaxPairs pairs; otherwise the normal
// approximation with the variance corrected for ties and a continuity
// correction of one half. The p-value is twice the tail beyond the smaller of
// the two U, at most 1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vt::stats {

// At most this many pairs (m x n: 50 against 50, 25 against 100, 1 against
// 2,500) get the exact distribution. Its counts are exact in 128-bit integers
// up to there (the largest, C(100, 50), is about 1e29) and a table costs at
// most 125,000 additions.
inline constexpr std::uint64_t kExactMaxPairs = 2500;

// A sample in ascending order, each distinct value once with how many
// values have it: the log rounds its figures to a few digits, so a machine's
// many runs hold few distinct values, and everything here walks those.
struct TSortedSample {
    std::vector<double> Distinct;          // ascending, no NaN
    std::vector<std::uint64_t> Before{0};  // values below Distinct[i]; last: all
    long double TieTerm = 0;               // sum over the distinct values of t^3 - t, t their count

    std::uint64_t Size() const { return Before.back(); }
    std::uint64_t Count(std::size_t i) const { return Before[i + 1] - Before[i]; }
    // The value at `index` (from 0) in ascending order.
    double At(std::uint64_t index) const;
};

// Sorts `values`, which must hold no NaN.
TSortedSample SortSample(std::vector<double> values);

struct TRankTest {
    double PValue = 1;
    bool AHigher = false;  // a's values lie above b's (U of a above m x n / 2)
    // One more than the largest whole U whose two-sided p-value is below
    // kAlpha: the interval runs from the Rank-th smallest to the Rank-th
    // largest of the m x n pairwise ratios. Nothing where even U = 0 is not.
    std::optional<std::uint64_t> Rank;
};

// The test of `a` against `b`; both must hold at least one value.
TRankTest MannWhitneyTest(const TSortedSample& a, const TSortedSample& b);

// The smallest two-sided p-value that `m` runs against `n` can reach under
// the exact distribution: 2 / C(m + n, m), at most 1.
double SmallestExactPValue(std::uint64_t m, std::uint64_t n);

}  // namespace vt::stats
