#include "stats/mann_whitney.h"

#include "stats/run_statistics.h"

#include <algorithm>
#include <cmath>

namespace vt::stats {
namespace {

// Numbers of orderings of two samples. The power series below subtracts on
// its way, so intermediate coefficients wrap around; arithmetic modulo 2^128
// still ends exact, since every true count up to kExactMaxPairs pairs is below
// 2^128.
__extension__ typedef unsigned __int128 TCount;

long double TieTermOfGroup(std::uint64_t t)
{
    const long double size = static_cast<long double>(t);
    return size * size * size - size;
}

double TwoSidedExactP(TCount tail, TCount orderings)
{
    const long double p = 2.0L * static_cast<long double>(tail) / orderings;
    return static_cast<double>(std::min(p, 1.0L));
}

// The exact two-sided p-value for each value k of the smaller U from 0 to
// m x n / 2, for m <= n. The number of orderings with U = k is the
// coefficient of q^k in the Gaussian binomial coefficient
//   prod_{i=1..m} (1 - q^(n+i)) / (1 - q^i),
// built one factor at a time on the power series cut after q^(m n / 2).
std::vector<double> ExactPValues(std::uint64_t m, std::uint64_t n)
{
    const std::uint64_t last = m * n / 2;
    std::vector<TCount> counts(last + 1, 0);
    counts[0] = 1;
    TCount orderings = 1;
    for (std::uint64_t i = 1; i <= m; ++i) {
        for (std::uint64_t k = last; k >= n + i; --k) counts[k] -= counts[k - n - i];
        for (std::uint64_t k = i; k <= last; ++k) counts[k] += counts[k - i];
        orderings = orderings * (n + i) / i;
    }
    std::vector<double> p(last + 1);
    TCount tail = 0;
    for (std::uint64_t k = 0; k <= last; ++k) {
        tail += counts[k];
        p[k] = TwoSidedExactP(tail, orderings);
    }
    return p;
}

// The table for m against n, kept for the next few calls of this thread (a
// Compare table asks for the same few run counts over and over); valid until
// the next call.
const std::vector<double>& CachedExactPValues(std::uint64_t m, std::uint64_t n)
{
    struct TEntry {
        std::uint64_t M, N;
        std::vector<double> P;
    };
    constexpr std::size_t kEntries = 16;
    thread_local std::vector<TEntry> cache;
    if (m > n) std::swap(m, n);
    for (const TEntry& entry : cache)
        if (entry.M == m && entry.N == n) return entry.P;
    if (cache.size() == kEntries) cache.erase(cache.begin());
    cache.push_back({m, n, ExactPValues(m, n)});
    return cache.back().P;
}

// The two-sided p-value of a smaller U under the normal approximation.
class TNormalApproximation {
public:
    TNormalApproximation(long double pairs, long double values, long double tieTerm)
        : HalfPairs(pairs / 2),
          Variance(pairs / 12 * ((values + 1) - tieTerm / (values * (values - 1))))
    {
    }

    double PValue(long double smallerU) const
    {
        // Every value tied: U says nothing.
        if (!(Variance > 0)) return 1;
        const long double z = (HalfPairs - smallerU - 0.5L) / std::sqrt(Variance);
        return static_cast<double>(std::min(std::erfc(z / std::sqrt(2.0L)), 1.0L));
    }

    // The largest whole U with a p-value below kAlpha; the caller has made
    // sure that U = 0 is one.
    long double Critical() const
    {
        const long double zAlpha = 1.959963984540054L;  // two-sided 5% point
        long double u = std::floor(HalfPairs - 0.5L - zAlpha * std::sqrt(Variance));
        u = std::clamp(u, 0.0L, std::floor(HalfPairs));
        // The closed form is off by rounding at most: step to the value that
        // PValue itself puts at the border, so that verdict and interval agree.
        while (u + 1 <= HalfPairs && PValue(u + 1) < kAlpha) ++u;
        while (u > 0 && PValue(u) >= kAlpha) --u;
        return u;
    }

private:
    long double HalfPairs;
    long double Variance;
};

}  // namespace

TSortedSample SortSample(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    TSortedSample sample;
    for (std::size_t i = 0; i < values.size();) {
        std::size_t j = i + 1;
        while (j < values.size() && values[j] == values[i]) ++j;
        sample.Distinct.push_back(values[i]);
        sample.Before.push_back(j);
        sample.TieTerm += TieTermOfGroup(j - i);
        i = j;
    }
    return sample;
}

double TSortedSample::At(std::uint64_t index) const
{
    return Distinct[std::upper_bound(Before.begin(), Before.end(), index) - Before.begin() - 1];
}

TRankTest MannWhitneyTest(const TSortedSample& a, const TSortedSample& b)
{
    const std::uint64_t m = a.Size();
    const std::uint64_t n = b.Size();
    const long double pairs = static_cast<long double>(m) * n;

    // U of the sample with fewer distinct values, found by looking them up in
    // the other: O(small x log large), so that a machine of a few runs against
    // a reference of many costs little. Ties across the samples add to the
    // tie term: (s + l)^3 - (s + l) = s^3 - s + l^3 - l + 3 s l (s + l).
    const bool aIsSmall = a.Distinct.size() <= b.Distinct.size();
    const TSortedSample& small = aIsSmall ? a : b;
    const TSortedSample& large = aIsSmall ? b : a;
    long double uSmall = 0;
    long double tieTerm = a.TieTerm + b.TieTerm;
    auto at = large.Distinct.begin();
    for (std::size_t i = 0; i < small.Distinct.size(); ++i) {
        at = std::lower_bound(at, large.Distinct.end(), small.Distinct[i]);
        const std::size_t j = at - large.Distinct.begin();
        const bool tied = at != large.Distinct.end() && *at == small.Distinct[i];
        const long double s = static_cast<long double>(small.Count(i));
        const long double l = tied ? static_cast<long double>(large.Count(j)) : 0;
        uSmall += s * (static_cast<long double>(large.Before[j]) + l / 2);
        tieTerm += 3 * s * l * (s + l);
    }
    const long double uA = aIsSmall ? uSmall : pairs - uSmall;
    const long double smallerU = std::min(uA, pairs - uA);

    TRankTest test;
    test.AHigher = uA > pairs / 2;
    if (tieTerm == 0 && m <= kExactMaxPairs && n <= kExactMaxPairs && m * n <= kExactMaxPairs) {
        const std::vector<double>& p = CachedExactPValues(m, n);
        test.PValue = p[static_cast<std::size_t>(smallerU)];
        // p rises with U: count the values of U below kAlpha.
        const auto rank =
            std::partition_point(p.begin(), p.end(), [](double value) { return value < kAlpha; }) -
            p.begin();
        if (rank > 0) test.Rank = static_cast<std::uint64_t>(rank);
    } else {
        const TNormalApproximation normal(pairs, static_cast<long double>(m + n), tieTerm);
        test.PValue = normal.PValue(smallerU);
        if (normal.PValue(0) < kAlpha)
            test.Rank = static_cast<std::uint64_t>(normal.Critical()) + 1;
    }
    return test;
}

double SmallestExactPValue(std::uint64_t m, std::uint64_t n)
{
    if (m > n) std::swap(m, n);
    // C(m + n, m) grows with every factor; once past 2^64 the p-value is far
    // below kAlpha, so stop there, before the product could leave 128 bits.
    TCount orderings = 1;
    for (std::uint64_t i = 1; i <= m && orderings < (TCount{1} << 64); ++i)
        orderings = orderings * (n + i) / i;
    return TwoSidedExactP(1, orderings);
}

}  // namespace vt::stats
