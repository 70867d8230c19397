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

// The normal deviate that a two-sided p-value belongs to: 0 for 1, about
// 1.96 for 0.05, 37 at most. The large-sample statistic grows about linearly
// with the factor's logarithm near the interval's ends, and so does this:
// the search below interpolates on it. Newton's method on the logarithm of
// the tail, from a start above the root.
double Deviate(double p)
{
    if (!(p < 1)) return 0;
    p = std::max(p, 1e-300);
    double z = std::sqrt(-2 * std::log(p));
    for (int step = 0; step < 8; ++step) {
        const double tail = std::erfc(z / std::sqrt(2.0));
        if (!(tail > 0)) break;
        const double slope = -std::sqrt(2 / std::acos(-1.0)) * std::exp(-z * z / 2) / tail;
        const double next = z - (std::log(tail) - std::log(p)) / slope;
        if (!std::isfinite(next) || std::fabs(next - z) < 1e-9) break;
        z = std::max(0.0, next);
    }
    return z;
}

// A factor tried: whether the large-sample test accepts it; how far from
// the edge, on a scale close to linear in the factor's logarithm (at or above
// 0 where accepted, below where not); and the count of pairs of runs that
// tells how many breaks lie between two factors.
struct TProbe {
    double LogFactor;
    bool Accepted;
    double Value, Pairs;
};

TProbe Probe(const TBrunnerMunzel& test, double logFactor)
{
    static const double kAlphaDeviate = Deviate(kAlpha);
    const TTestResult r = test.At(logFactor);
    const bool accepted = r.PValue >= kAlpha;
    const double value = kAlphaDeviate - Deviate(r.PValue);
    // The p-value decides; the deviate, within its last digits, only guides.
    return {logFactor, accepted, accepted ? std::max(value, 0.0) : std::min(value, -1e-12),
            r.PairsAbove};
}

// The end among the few breaks from `yes` (accepted) to `no` (rejected),
// ordered from yes to no: between them lie stretches where the outcome
// holds, and halving over those finds the break that ends the accepted ones.
// The stretch before the first break holds `yes` (or is the point yes
// itself where that is a break), the one after the last holds `no`.
double AmongBreaks(const TBrunnerMunzel& test, const std::vector<TBrunnerMunzel::TBreak>& breaks,
                   double no)
{
    if (breaks.empty()) return std::exp(no);  // the outcome cannot change: rounding
    std::size_t accepted = 0, rejected = breaks.size();
    while (rejected - accepted > 1) {
        const std::size_t middle = accepted + (rejected - accepted) / 2;
        const double x = std::midpoint(breaks[middle - 1].LogRatio, breaks[middle].LogRatio);
        (Probe(test, x).Accepted ? accepted : rejected) = middle;
    }
    return breaks[accepted].Ratio;
}

// The end of the accepted factors between `yes` (accepted) and `no`
// (rejected). While many breaks lie between them: regula falsi with the
// Illinois rule, which keeps the end bracketed and halves the pull of an end
// that stays put, and a halving after a step that narrows the bracket by
// less than half. Once the pairs between them are few, the breaks are
// listed and the search ends among them; where the runs hold many equal
// values and a break stands for many pairs, it may go on to within 1e-10 in
// the logarithm, far below the digits a ratio is shown with.
double Narrow(const TBrunnerMunzel& test, TProbe yes, TProbe no, double pairsPerBreak)
{
    constexpr double kFewBreaks = 64;
    std::vector<TBrunnerMunzel::TBreak> breaks;
    int moved = 0;  // the end the last probe replaced: 1 yes, -1 no
    bool slow = false;
    for (int step = 0; step < 200; ++step) {
        const double width = std::fabs(no.LogFactor - yes.LogFactor);
        if (std::fabs(no.Pairs - yes.Pairs) <= kFewBreaks * pairsPerBreak &&
            test.BreaksWithin(std::min(yes.LogFactor, no.LogFactor),
                              std::max(yes.LogFactor, no.LogFactor), 4 * kFewBreaks, breaks)) {
            if (yes.LogFactor > no.LogFactor) std::reverse(breaks.begin(), breaks.end());
            return AmongBreaks(test, breaks, no.LogFactor);
        }
        if (width <= 1e-10) break;
        double x = std::midpoint(yes.LogFactor, no.LogFactor);
        if (!slow && yes.Value > no.Value) {
            const double share = yes.Value / (yes.Value - no.Value);
            x = yes.LogFactor + share * (no.LogFactor - yes.LogFactor);
        }
        if (x == yes.LogFactor || x == no.LogFactor) x = std::midpoint(yes.LogFactor, no.LogFactor);
        if (x == yes.LogFactor || x == no.LogFactor) break;
        const TProbe p = Probe(test, x);
        if (p.Accepted) {
            yes = p;
            if (moved == 1) no.Value /= 2;
            moved = 1;
        } else {
            no = p;
            if (moved == -1) yes.Value /= 2;
            moved = -1;
        }
        slow = !slow && std::fabs(no.LogFactor - yes.LogFactor) > width / 2;
    }
    return std::exp(no.LogFactor);
}

// The end of the interval on the side of `far` (where no run of one machine
// meets a run of the other), searched from the estimate: first at about two
// standard errors of the difference of the machines' logarithms, from the
// spread of their middle halves, moving out fourfold while accepted.
std::optional<double> Edge(const TBrunnerMunzel& test, TProbe estimate, double far, double scale,
                           double pairsPerBreak)
{
    const double direction = far > estimate.LogFactor ? 1 : -1;
    const double distance = std::fabs(far - estimate.LogFactor);
    double step = scale > 0 ? std::min(2 * scale, distance / 2) : distance / 64;
    TProbe yes = estimate;
    for (;;) {
        if (step >= distance) {
            const TProbe end = Probe(test, far);
            if (end.Accepted) return std::nullopt;
            return Narrow(test, yes, end, pairsPerBreak);
        }
        const TProbe p = Probe(test, estimate.LogFactor + direction * step);
        if (!p.Accepted) return Narrow(test, yes, p, pairsPerBreak);
        yes = p;
        step *= 4;
    }
}

// The spread of a sample's logarithms, as a standard deviation from the
// range of its middle half (0 where that half is one value).
double LogSpread(const TSortedSample& s)
{
    const std::uint64_t n = s.Size();
    return std::log(s.At(n * 3 / 4) / s.At(n / 4)) / 1.349;
}

}  // namespace

TRatioInterval InvertTest(const TBrunnerMunzel& test, const TSortedSample& top,
                          const TSortedSample& bottom, double estimate)
{
    if (test.Exact()) return ByStretches(test, estimate);
    const TProbe center = Probe(test, std::log(estimate));
    if (!center.Accepted) return {estimate, estimate};
    // Beyond these, no run of one machine meets a run of the other.
    const double above = std::log(top.Distinct.back() / bottom.Distinct.front()) + 1;
    const double below = std::log(top.Distinct.front() / bottom.Distinct.back()) - 1;
    const double st = LogSpread(top), sb = LogSpread(bottom);
    const double scale = std::sqrt(st * st / static_cast<double>(top.Size()) +
                                   sb * sb / static_cast<double>(bottom.Size()));
    // How many pairs of runs a break stands for, on average: many where the
    // runs hold few distinct values.
    const double pairsPerBreak =
        static_cast<double>(top.Size()) * static_cast<double>(bottom.Size()) /
        (static_cast<double>(top.Distinct.size()) * static_cast<double>(bottom.Distinct.size()));
    return {Edge(test, center, below, scale, pairsPerBreak),
            Edge(test, center, above, scale, pairsPerBreak)};
}

}  // namespace vt::stats
