// The Brunner-Munzel test of two machines' runs: does a run of one machine
// tend to lie above a run of the other? It asks whether the chance that a run
// of `a` beats a run of `b` (a tie counting one half) differs from one half,
// and it keeps its 5% level when one machine's runs spread much more than the
// other's, where a test of equal distributions (Mann-Whitney) calls a
// difference too often.
//
// The statistic: each run's placement (how many of the other machine's runs
// lie below it, a tie counting one half), the difference of the two mean
// placements studentised by the spread of the placements within each
// machine. Its null distribution is the studentised permutation one: every
// way of splitting the pooled runs into m and n, counted exactly (runs with
// equal values are split by how many go to each side, weighted by the number
// of ways) where there are at most kExactMaxSplits such splits or one machine
// has a single run; otherwise Student's t with Welch-Satterthwaite degrees of
// freedom.
//
// The test can also be asked with `a`'s runs divided by a factor: the
// interval of the ratio is the set of factors that it does not reject.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "stats/sorted_sample.h"

namespace vt::stats {

// At most this many splits of the pooled runs (8 against 8 has 12,870,
// 10 against 10 184,756, 4 against 40 135,751) are counted one by one.
inline constexpr std::uint64_t kExactMaxSplits = 200000;

struct TTestResult {
    double PValue = 1;     // two-sided
    bool AHigher = false;  // a's runs tend to lie above b's
    // The pairs of a run of a (divided by the factor) and a run of b in
    // which a's lies above, a tie counting one half: how many of the breaks
    // below lie between two factors is the difference of their counts.
    double PairsAbove = 0;
};

class TBrunnerMunzel {
public:
    // Both samples hold at least one value, all positive and finite; they
    // must outlive the test.
    TBrunnerMunzel(const TSortedSample& a, const TSortedSample& b);

    // The test of a's runs, each divided by exp(logFactor), against b's.
    // logFactor 0 compares the values themselves (equal values tie).
    TTestResult At(double logFactor) const;

    // Whether the null distribution is counted split by split.
    bool Exact() const { return exact_; }

    // The logarithm of every ratio a_i / b_j of distinct values, where the
    // test's outcome can change, ascending and without repeats, with the
    // ratio itself (one division). Only for exact tests: there are few.
    struct TBreak {
        double LogRatio;
        double Ratio;
    };
    std::vector<TBreak> Breaks() const;
    // The breaks with a logarithm from `low` to `high`, both included, in the
    // same order; false, and `breaks` unspecified, where there are more than
    // `limit` pairs of distinct values to list. One walk over both machines'
    // values.
    bool BreaksWithin(double low, double high, std::size_t limit,
                      std::vector<TBreak>& breaks) const;

    struct TGroup {
        std::uint64_t A, B;  // how many runs of each machine have one value
    };
    struct TSums {
        long double P = 0, P2 = 0, Q = 0, Q2 = 0;  // placements of a's runs and of b's
    };

private:
    // Calls `visit` with each group of equal runs of a (divided by the
    // factor) and b pooled, in ascending order.
    template <class Visit>
    void Pool(double logFactor, Visit&& visit) const;
    double Statistic(const TSums& sums) const;
    double ExactPValue(const std::vector<TGroup>& groups, double observed) const;
    double ApproximatePValue(const TSums& sums) const;

    const TSortedSample& a_;
    const TSortedSample& b_;
    std::vector<double> logA_, logB_;
    std::uint64_t m_, n_;
    bool exact_;
};

}  // namespace vt::stats
