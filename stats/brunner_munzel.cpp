#include "stats/brunner_munzel.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "stats/distributions.h"

namespace vt::stats {
namespace {

// The number of ways of putting `k` of `t` equal runs on one side.
long double Choose(std::uint64_t t, std::uint64_t k)
{
    k = std::min(k, t - k);
    long double ways = 1;
    for (std::uint64_t i = 1; i <= k; ++i) ways = ways * static_cast<long double>(t - k + i) / i;
    return ways;
}

// How many splits of runs in groups of equal values `sizes` put `side` of
// them on one side, counting a group by how many of it go there. Long double:
// the count may be far beyond any integer, and only its size matters.
long double Splits(const std::vector<std::uint64_t>& sizes, std::uint64_t side)
{
    std::vector<long double> ways(side + 1, 0), next(side + 1);
    ways[0] = 1;
    for (std::uint64_t t : sizes) {
        // next[r] = ways[r] + ... + ways[r - t]: a sliding sum.
        long double window = 0;
        for (std::uint64_t r = 0; r <= side; ++r) {
            window += ways[r];
            if (r > t) window -= ways[r - t - 1];
            next[r] = window;
        }
        ways.swap(next);
    }
    return ways[side];
}

// Where one machine's runs all lie in one gap between the other's, the
// other's runs fall on either side of a tight cluster: if the first machine
// is much quieter, that count is all the runs can tell, and it is a coin
// toss per run where the machines are alike (the worst case for the test).
// Fed the pooled groups in ascending order, the cluster's runs and the
// others' of each, it gives the sign test of that count, or 0 where the
// cluster is not in one gap.
class TClusterWatch {
public:
    void Add(std::uint64_t cluster, std::uint64_t others)
    {
        if (cluster > 0) {
            if (groups_ == 0) {
                beforeFirst_ = below_;
                inFirst_ = others;
            }
            beforeLast_ = below_;
            inLast_ = others;
            ++groups_;
        }
        below_ += others;
    }

    double PValue(std::uint64_t runs) const
    {
        if (groups_ == 0) return 0;
        if (groups_ > 1 && beforeLast_ > beforeFirst_ + inFirst_) return 0;  // the cluster is split
        // Those tied with the cluster's ends count one half.
        const long double below = static_cast<long double>(beforeFirst_) + inFirst_ / 2.0L +
                                  (groups_ > 1 ? inLast_ / 2.0L : 0.0L);
        return SignTestTwoSided(static_cast<double>(below), static_cast<double>(runs));
    }

private:
    std::uint64_t below_ = 0, beforeFirst_ = 0, inFirst_ = 0, beforeLast_ = 0, inLast_ = 0;
    std::uint64_t groups_ = 0;
};

// The placements of every run, summed as the groups come: in long double
// where the exact test tells splits apart by them, in double (ample for the
// approximate test, and much quicker) otherwise.
template <class Real>
struct TPlacementSums {
    Real P = 0, P2 = 0, Q = 0, Q2 = 0;
    std::uint64_t ABelow = 0, BBelow = 0;
    TClusterWatch OfA, OfB;  // a's runs about b's cluster, b's about a's

    void Add(const TBrunnerMunzel::TGroup& g)
    {
        const Real p = static_cast<Real>(BBelow) + static_cast<Real>(g.B) / 2;
        const Real q = static_cast<Real>(ABelow) + static_cast<Real>(g.A) / 2;
        const auto a = static_cast<Real>(g.A), b = static_cast<Real>(g.B);
        P += a * p;
        P2 += a * p * p;
        Q += b * q;
        Q2 += b * q * q;
        OfA.Add(g.B, g.A);
        OfB.Add(g.A, g.B);
        ABelow += g.A;
        BBelow += g.B;
    }

    TBrunnerMunzel::TSums Sums() const { return {P, P2, Q, Q2}; }
};

}  // namespace

TBrunnerMunzel::TBrunnerMunzel(const TSortedSample& a, const TSortedSample& b)
    : a_(a), b_(b), m_(a.Size()), n_(b.Size())
{
    for (double v : a.Distinct) logA_.push_back(std::log(v));
    for (double v : b.Distinct) logB_.push_back(std::log(v));
    // The splits are fewest where equal values of the two machines pool
    // (a factor of 1); the count without pooling bounds every factor's.
    const std::uint64_t side = std::min(m_, n_);
    exact_ = side <= 1;
    if (!exact_ && side <= 64) {
        std::vector<std::uint64_t> sizes;
        for (std::size_t i = 0; i < a.Distinct.size(); ++i) sizes.push_back(a.Count(i));
        for (std::size_t j = 0; j < b.Distinct.size(); ++j) sizes.push_back(b.Count(j));
        exact_ = Splits(sizes, side) <= static_cast<long double>(kExactMaxSplits) + 0.5L;
    }
}

template <class Visit>
void TBrunnerMunzel::Pool(double logFactor, Visit&& visit) const
{
    // a_i / f against b_j: compared through the same difference of logarithms
    // that Breaks() lists, or as the values themselves for f = 1.
    const auto order = [&](std::size_t i, std::size_t j) {
        if (logFactor == 0)
            return (a_.Distinct[i] > b_.Distinct[j]) - (a_.Distinct[i] < b_.Distinct[j]);
        const double d = logA_[i] - logB_[j];
        return (d > logFactor) - (d < logFactor);
    };
    std::size_t i = 0, j = 0;
    while (i < logA_.size() || j < logB_.size()) {
        const int c = i == logA_.size() ? 1 : j == logB_.size() ? -1 : order(i, j);
        TGroup group{0, 0};
        if (c <= 0) group.A = a_.Count(i++);
        if (c >= 0) group.B = b_.Count(j++);
        visit(group);
    }
}

double TBrunnerMunzel::Statistic(const TSums& s) const
{
    const long double m = static_cast<long double>(m_), n = static_cast<long double>(n_);
    const long double meanP = s.P / m, meanQ = s.Q / n;
    const long double varP = m_ > 1 ? std::max(0.0L, (s.P2 - s.P * meanP) / (m - 1)) : 0;
    const long double varQ = n_ > 1 ? std::max(0.0L, (s.Q2 - s.Q * meanQ) / (n - 1)) : 0;
    // The difference of the mean ranks in the pooled runs.
    long double difference = meanP - meanQ + (m - n) / 2;
    if (std::fabs(difference) < 1e-12L * (m + n)) difference = 0;
    const long double spread = m * varP + n * varQ;
    if (!(spread > 1e-18L * (m + n) * (m + n) * (m + n))) {
        // Every run of each machine placed alike: the runs are all equal (no
        // evidence) or do not overlap at all (the strongest there is).
        return difference == 0 ? 0.0
                               : std::copysign(std::numeric_limits<double>::infinity(),
                                               static_cast<double>(difference));
    }
    return static_cast<double>(m * n * difference / ((m + n) * std::sqrt(spread)));
}

double TBrunnerMunzel::ApproximatePValue(const TSums& s) const
{
    const double t = Statistic(s);
    if (t == 0 || std::isinf(t)) return t == 0 ? 1 : 0;
    const long double m = static_cast<long double>(m_), n = static_cast<long double>(n_);
    const long double varP = (s.P2 - s.P * s.P / m) / (m - 1);
    const long double varQ = (s.Q2 - s.Q * s.Q / n) / (n - 1);
    const long double wa = m * std::max(0.0L, varP), wb = n * std::max(0.0L, varQ);
    const long double degrees = (wa + wb) * (wa + wb) / (wa * wa / (m - 1) + wb * wb / (n - 1));
    return StudentTwoSided(t, static_cast<double>(degrees));
}

namespace {

using TSums = TBrunnerMunzel::TSums;

// Every split's statistic, for the splits of groups of equal runs of these
// sizes (in ascending order of value) into m and the rest: the statistic
// depends on the split alone, not on the values, so one table serves every
// factor at which no run of one machine equals a run of the other.
struct TSplitTable {
    std::uint64_t M = 0;
    std::vector<std::uint64_t> Sizes;
    std::vector<double> Statistics;     // |statistic| of each kind of split, descending
    std::vector<long double> WaysUpTo;  // ways of the splits up to each, cumulated
};

const TSplitTable& SplitTable(const std::vector<std::uint64_t>& sizes, std::uint64_t m,
                              const std::function<double(const TSums&)>& statistic)
{
    constexpr std::size_t kTables = 8;
    thread_local std::vector<TSplitTable> cache;
    for (const TSplitTable& table : cache)
        if (table.M == m && table.Sizes == sizes) return table;
    const std::size_t count = sizes.size();
    std::vector<std::uint64_t> after(count + 1, 0);  // runs in the groups from g on
    for (std::size_t g = count; g-- > 0;) after[g] = after[g + 1] + sizes[g];
    struct TFrame {
        std::size_t G;
        std::uint64_t Left, ABelow, BBelow;  // a's runs still to place; placed below
        TSums Sums;
        long double Ways;
    };
    std::vector<std::pair<double, long double>> splits;
    std::vector<TFrame> stack{{0, m, 0, 0, {}, 1}};
    while (!stack.empty()) {
        TFrame f = stack.back();
        stack.pop_back();
        const auto ab = static_cast<long double>(f.ABelow), bb = static_cast<long double>(f.BBelow);
        if (f.Left == 0 || f.Left == after[f.G]) {
            // The rest all go to one side: b's runs above every a's run, or
            // a's runs above every b's run.
            const auto rest = static_cast<long double>(after[f.G]);
            if (f.Left == 0) {
                f.Sums.Q += rest * ab;
                f.Sums.Q2 += rest * ab * ab;
            } else {
                f.Sums.P += rest * bb;
                f.Sums.P2 += rest * bb * bb;
            }
            splits.emplace_back(std::fabs(statistic(f.Sums)), f.Ways);
            continue;
        }
        const std::uint64_t t = sizes[f.G];
        const std::uint64_t lowest = f.Left > after[f.G + 1] ? f.Left - after[f.G + 1] : 0;
        for (std::uint64_t k = lowest; k <= std::min(t, f.Left); ++k) {
            TFrame next = f;
            const long double p = bb + static_cast<long double>(t - k) / 2;
            const long double q = ab + static_cast<long double>(k) / 2;
            next.Sums.P += k * p;
            next.Sums.P2 += k * p * p;
            next.Sums.Q += (t - k) * q;
            next.Sums.Q2 += (t - k) * q * q;
            next.G = f.G + 1;
            next.Left = f.Left - k;
            next.ABelow = f.ABelow + k;
            next.BBelow = f.BBelow + (t - k);
            next.Ways = f.Ways * Choose(t, k);
            stack.push_back(next);
        }
    }
    std::sort(splits.begin(), splits.end(),
              [](const auto& x, const auto& y) { return x.first > y.first; });
    if (cache.size() == kTables) cache.erase(cache.begin());
    TSplitTable& table = cache.emplace_back();
    table.M = m;
    table.Sizes = sizes;
    long double ways = 0;
    for (const auto& [value, w] : splits) {
        table.Statistics.push_back(value);
        table.WaysUpTo.push_back(ways += w);
    }
    return table;
}

}  // namespace

double TBrunnerMunzel::ExactPValue(const std::vector<TGroup>& groups, double observed) const
{
    std::vector<std::uint64_t> sizes;
    sizes.reserve(groups.size());
    for (const TGroup& g : groups) sizes.push_back(g.A + g.B);
    const TSplitTable& table =
        SplitTable(sizes, m_, [this](const TSums& sums) { return Statistic(sums); });
    // The splits at least as extreme as the one observed lead the table.
    const double bound = std::isinf(observed)
                             ? std::numeric_limits<double>::infinity()
                             : std::fabs(observed) - 1e-9 * std::max(1.0, std::fabs(observed));
    const auto extreme = static_cast<std::size_t>(
        std::partition_point(table.Statistics.begin(), table.Statistics.end(),
                             [bound](double value) { return value >= bound; }) -
        table.Statistics.begin());
    if (extreme == 0) return 0;
    return static_cast<double>(std::min(1.0L, table.WaysUpTo[extreme - 1] / table.WaysUpTo.back()));
}

TTestResult TBrunnerMunzel::At(double logFactor) const
{
    TTestResult result;
    const auto finish = [&](const auto& placed, double pValue) {
        result.AHigher = placed.P > placed.Q;
        result.PairsAbove = static_cast<double>(placed.P);
        result.PValue = std::max({pValue, placed.OfA.PValue(m_), placed.OfB.PValue(n_)});
    };
    if (exact_) {
        std::vector<TGroup> groups;
        groups.reserve(logA_.size() + logB_.size());
        TPlacementSums<long double> placed;
        Pool(logFactor, [&](const TGroup& g) {
            groups.push_back(g);
            placed.Add(g);
        });
        finish(placed, ExactPValue(groups, Statistic(placed.Sums())));
    } else {
        TPlacementSums<double> placed;
        Pool(logFactor, [&](const TGroup& g) { placed.Add(g); });
        finish(placed, ApproximatePValue(placed.Sums()));
    }
    return result;
}

namespace {

void SortBreaks(std::vector<TBrunnerMunzel::TBreak>& breaks)
{
    using TBreak = TBrunnerMunzel::TBreak;
    std::sort(breaks.begin(), breaks.end(),
              [](const TBreak& x, const TBreak& y) { return x.LogRatio < y.LogRatio; });
    breaks.erase(
        std::unique(breaks.begin(), breaks.end(),
                    [](const TBreak& x, const TBreak& y) { return x.LogRatio == y.LogRatio; }),
        breaks.end());
}

}  // namespace

std::vector<TBrunnerMunzel::TBreak> TBrunnerMunzel::Breaks() const
{
    std::vector<TBreak> breaks;
    breaks.reserve(logA_.size() * logB_.size());
    for (std::size_t i = 0; i < logA_.size(); ++i)
        for (std::size_t j = 0; j < logB_.size(); ++j)
            breaks.push_back({logA_[i] - logB_[j], a_.Distinct[i] / b_.Distinct[j]});
    SortBreaks(breaks);
    return breaks;
}

bool TBrunnerMunzel::BreaksWithin(double low, double high, std::size_t limit,
                                  std::vector<TBreak>& breaks) const
{
    breaks.clear();
    // For a's i-th value, b's values whose difference from it lies in the
    // range form one run of b's, which moves up as i does.
    std::size_t first = 0, end = 0;
    for (std::size_t i = 0; i < logA_.size(); ++i) {
        while (first < logB_.size() && logA_[i] - logB_[first] > high) ++first;
        end = std::max(end, first);
        while (end < logB_.size() && logA_[i] - logB_[end] >= low) ++end;
        for (std::size_t j = first; j < end; ++j) {
            const double d = logA_[i] - logB_[j];
            if (d < low || d > high) continue;
            if (breaks.size() == limit) return false;
            breaks.push_back({d, a_.Distinct[i] / b_.Distinct[j]});
        }
    }
    SortBreaks(breaks);
    return true;
}

}  // namespace vt::stats
