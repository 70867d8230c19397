#include "stats/run_statistics.h"

#include "stats/brunner_munzel.h"
#include "stats/pairwise_ratios.h"
#include "stats/ratio_interval.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace vt::stats {
namespace {

std::vector<double> Measurements(std::span<const double> runs)
{
    std::vector<double> values;
    values.reserve(runs.size());
    for (double value : runs)
        if (std::isfinite(value) && value > 0) values.push_back(value);
    return values;
}

TRunSummary SummaryOf(std::size_t runs, double lowerMiddle, double upperMiddle, double min,
                      double max)
{
    const double median = std::midpoint(lowerMiddle, upperMiddle);
    return {static_cast<int>(runs), median, min, max, (max - min) / median};
}

}  // namespace

TRunSummary Summarize(std::span<const double> runs)
{
    std::vector<double> values = Measurements(runs);
    if (values.empty()) return {};
    // Selection, not sorting: a machine may have hundreds of thousands of runs.
    const auto upper = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), upper, values.end());
    const double lower = values.size() % 2 ? *upper : *std::max_element(values.begin(), upper);
    const auto [min, max] = std::minmax_element(values.begin(), values.end());
    return SummaryOf(values.size(), lower, *upper, *min, *max);
}

TRunSample PrepareRuns(std::span<const double> runs)
{
    TRunSample sample{{}, SortSample(Measurements(runs))};
    const TSortedSample& v = sample.Sorted;
    if (v.Size() > 0) {
        sample.Summary = SummaryOf(v.Size(), v.At((v.Size() - 1) / 2), v.At(v.Size() / 2),
                                   v.Distinct.front(), v.Distinct.back());
        sample.Summary.Step = RoundingStep(v);
    }
    return sample;
}

double BrunnerMunzelPValue(std::span<const double> x, std::span<const double> y)
{
    const TSortedSample a = SortSample(Measurements(x));
    const TSortedSample b = SortSample(Measurements(y));
    if (a.Size() == 0 || b.Size() == 0) return 1;
    return TBrunnerMunzel(a, b).At(0).PValue;
}

bool CanShowDifference(int m, int n)
{
    return m >= kLeastRuns && n >= kLeastRuns;
}

const char* VerdictText(TVerdict verdict)
{
    switch (verdict) {
        case TVerdict::None:
            return "";
        case TVerdict::Reference:
            return "reference";
        case TVerdict::Faster:
            return "faster";
        case TVerdict::Slower:
            return "slower";
        case TVerdict::NoDifference:
            return "no difference";
        case TVerdict::TooFewRuns:
            return "too few runs";
    }
    return "";
}

TScoreComparison CompareRuns(std::span<const double> machine, std::span<const double> reference,
                             bool higherIsBetter, bool isReference)
{
    return CompareRuns(PrepareRuns(machine), PrepareRuns(reference), higherIsBetter, isReference);
}

TScoreComparison CompareRuns(const TRunSample& machine, const TRunSample& reference,
                             bool higherIsBetter, bool isReference)
{
    TScoreComparison result;
    if (machine.Summary.Runs == 0 || reference.Summary.Runs == 0) return result;

    // Oriented so that above 1 is better: the better machine's figure is the
    // numerator, a speed's for speeds and the reference's time for times.
    const TRunSample& top = higherIsBetter ? machine : reference;
    const TRunSample& bottom = higherIsBetter ? reference : machine;
    result.MedianRatio = top.Summary.Median / bottom.Summary.Median;
    const std::uint64_t pairs = top.Sorted.Size() * bottom.Sorted.Size();
    // The median of the pairs' ratios: the middle one, or the two middle
    // ones' geometric mean.
    const double lowerMiddle = KthSmallestRatio(top.Sorted, bottom.Sorted, (pairs + 1) / 2);
    const double estimate =
        pairs % 2 ? lowerMiddle
                  : std::sqrt(lowerMiddle * KthSmallestRatio(top.Sorted, bottom.Sorted, pairs / 2 + 1));
    result.Ratio = estimate;

    const TBrunnerMunzel test(top.Sorted, bottom.Sorted);
    const TTestResult atOne = test.At(0);
    const bool canShow = CanShowDifference(machine.Summary.Runs, reference.Summary.Runs);
    // Half a step of rounding either way at each machine's median.
    const double topStep = top.Summary.Step / top.Summary.Median;
    const double bottomStep = bottom.Summary.Step / bottom.Summary.Median;
    result.CoarseRounding = std::max(topStep, bottomStep) > kCoarseRounding;
    bool roundedAway = false;
    if (canShow) {
        TRatioInterval interval = InvertTest(test, top.Sorted, bottom.Sorted, estimate);
        // The test's own p-value at 1 decides where the interval's search
        // could not: 1 accepted lies inside, 1 rejected is at most an end.
        if (interval.Low && interval.High) {
            double& low = *interval.Low;
            double& high = *interval.High;
            if (atOne.PValue >= kAlpha) {
                low = std::min(low, 1.0);
                high = std::max(high, 1.0);
            } else if (low < 1 && high > 1) {
                (estimate >= 1 ? low : high) = 1;
            }
            const double shrink = (1 - topStep / 2) / (1 + bottomStep / 2);
            const double grow = (1 + topStep / 2) / (1 - bottomStep / 2);
            roundedAway = !(shrink > 0 && grow > 0);
            if (!roundedAway) {
                low *= shrink;
                high *= grow;
                result.Low = low;
                result.High = high;
            }
        }
    }
    if (isReference) {
        result.Ratio = 1;
        result.MedianRatio = 1;
        result.Verdict = TVerdict::Reference;
        return result;
    }
    result.PValue = atOne.PValue;
    if (roundedAway)
        result.Verdict = TVerdict::NoDifference;
    else if (!result.Low)
        result.Verdict = TVerdict::TooFewRuns;
    else if (atOne.PValue >= kAlpha || (*result.Low < 1 && *result.High > 1) || estimate == 1)
        result.Verdict = TVerdict::NoDifference;
    else
        result.Verdict = atOne.AHigher ? TVerdict::Faster : TVerdict::Slower;
    return result;
}

TOverall Overall(std::span<const TScoreComparison> scores)
{
    TOverall overall;
    long double logSum = 0;
    for (const TScoreComparison& score : scores) {
        if (!score.Ratio || !std::isfinite(*score.Ratio) || !(*score.Ratio > 0)) continue;
        logSum += std::log(static_cast<long double>(*score.Ratio));
        ++overall.Scores;
        overall.Faster += score.Verdict == TVerdict::Faster;
        overall.Slower += score.Verdict == TVerdict::Slower;
        overall.NoDifference += score.Verdict == TVerdict::NoDifference;
    }
    if (overall.Scores > 0)
        overall.GeometricMean = static_cast<double>(std::exp(logSum / overall.Scores));
    return overall;
}

}  // namespace vt::stats
