#include "stats/run_statistics.h"

#include "stats/brunner_munzel.h"
#include "stats/pairwise_ratios.h"
#include "stats/ratio_interval.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

namespace vt::stats {
namespace {

const double kNone = std::numeric_limits<double>::quiet_NaN();

struct PCase {
    const char* name;
    std::vector<double> x;
    std::vector<double> y;
    double p;
    bool exact;  // scipy counted every split (else Student's t)
};

// kPCases, computed with scipy.
#include "core/run_statistics_cases.inc"

auto CaseName = [](const auto& info) { return std::string(info.param.name); };

// Runs drawn from [centre - spread, centre + spread], rounded to `decimals`.
std::vector<double> Runs(std::mt19937& random, int count, double centre, double spread,
                         int decimals)
{
    const double scale = std::pow(10.0, decimals);
    std::vector<double> runs(count);
    for (double& run : runs) {
        const double unit = random() / 4294967296.0;
        run = std::round((centre + spread * (2 * unit - 1)) * scale) / scale;
    }
    return runs;
}

class BrunnerMunzelTest : public ::testing::TestWithParam<PCase> {};

TEST_P(BrunnerMunzelTest, PValueAgreesWithScipyEitherWayRound)
{
    const PCase& c = GetParam();
    const double tolerance = (c.exact ? 1e-9 : 1e-7) * std::max(c.p, 1e-12);
    EXPECT_NEAR(BrunnerMunzelPValue(c.x, c.y), c.p, tolerance);
    EXPECT_NEAR(BrunnerMunzelPValue(c.y, c.x), c.p, tolerance);
}

INSTANTIATE_TEST_SUITE_P(Scipy, BrunnerMunzelTest, ::testing::ValuesIn(kPCases), CaseName);

TEST(BrunnerMunzelTest, WhatIsNotAMeasurementIsLeftOut)
{
    const std::vector<double> x{1.1, 1.2, 1.3};
    const std::vector<double> y{2.0, 2.1, 2.2, 2.3, 2.4};
    const std::vector<double> dirty{kNone, 2.0, 0.0, 2.1, -3.0, 2.2, 2.3, INFINITY, 2.4};
    EXPECT_EQ(BrunnerMunzelPValue(x, dirty), BrunnerMunzelPValue(x, y));
    EXPECT_EQ(BrunnerMunzelPValue({}, y), 1);
    EXPECT_EQ(BrunnerMunzelPValue(x, std::vector<double>{0.0, kNone}), 1);
}

std::vector<double> Ramp(int count, double first, double step)
{
    std::vector<double> runs(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) runs[static_cast<std::size_t>(i)] = first + i * step;
    return runs;
}

struct TieCase {
    const char* name;
    std::vector<double> machine;
    std::vector<double> reference;
    double p;  // by hand
    TVerdict verdict;
    double low, high;  // kNone: no interval; negative: any interval
};

class TiesAndTinySamples : public ::testing::TestWithParam<TieCase> {};

// Counted by hand. One run against forty falls in one of 41 places, two of
// them (above all, below all) as far out as can be: 2/41 where the runs are
// exchangeable. But a noisy machine's single run lands above a quiet
// machine's forty half the time, and the test answers for that case: the
// sign of one run about the other machine's cluster is a coin toss, p = 1.
TEST_P(TiesAndTinySamples, ExactPermutationWithTies)
{
    const TieCase& c = GetParam();
    const TScoreComparison r = CompareRuns(c.machine, c.reference, true);
    ASSERT_TRUE(r.PValue);
    EXPECT_NEAR(*r.PValue, c.p, 1e-12);
    EXPECT_STREQ(VerdictText(r.Verdict), VerdictText(c.verdict));
    ASSERT_EQ(r.Low.has_value(), !std::isnan(c.low));
    if (r.Low && c.low >= 0) {  // widened by the rounding to 1e-10, no more
        EXPECT_NEAR(*r.Low, c.low, 1e-9);
        EXPECT_NEAR(*r.High, c.high, 1e-9);
    }
}

std::vector<double> FortyWithATie()
{
    std::vector<double> runs = Ramp(40, 1000, 1);
    runs.back() = runs.front();
    return runs;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TiesAndTinySamples,
    ::testing::Values(
        // Every run equal: nothing to tell them apart, and no factor but 1 keeps
        // them alike.
        TieCase{"FortyEqualAgainstFortyEqual", std::vector<double>(40, 7.0123456789),
                std::vector<double>(40, 7.0123456789), 1.0, TVerdict::NoDifference, 1.0, 1.0},
        TieCase{
            "OneAgainstForty", {2000}, Ramp(40, 1000, 1), 1.0, TVerdict::TooFewRuns, kNone, kNone},
        TieCase{"OneAgainstFortyWithATie",
                {2000},
                FortyWithATie(),
                1.0,
                TVerdict::TooFewRuns,
                kNone,
                kNone},
        // Six runs against forty, all above, one tied with the top of the
        // forty: the sign test of six about the cluster, 2/64, counting the
        // tied run one half below (floor: none below).
        TieCase{"SixAboveFortyOneTied",
                {1039, 1100, 1101, 1102, 1103, 1104},
                Ramp(40, 1000, 1),
                2.0 / 64,
                TVerdict::Faster,
                -1,
                -1},
        // Five runs above five: counted 2 / C(10, 5), but the sign test of five
        // runs about a cluster says 2 / 32, and that is what the test gives.
        TieCase{"FiveAboveFive", Ramp(5, 20, 1), Ramp(5, 10, 1), 2.0 / 32, TVerdict::TooFewRuns,
                kNone, kNone},
        TieCase{"FourAgainstFourEqual", std::vector<double>(4, 3.0), std::vector<double>(4, 3.0),
                1.0, TVerdict::TooFewRuns, kNone, kNone}),
    CaseName);

// The interval against every stretch between the ratios of the two machines'
// values tried one by one with the test of the runs divided by a factor in
// it: the stretches around the ratio that the test accepts, and at their
// ends the first ratios where it rejects.
struct StretchCase {
    const char* name;
    int m, n;
    double shift;
    double spreadM, spreadR;
};

class IntervalByStretches : public ::testing::TestWithParam<StretchCase> {};

TEST_P(IntervalByStretches, AgreesWithEveryStretchTried)
{
    const StretchCase& c = GetParam();
    std::mt19937 random(static_cast<std::uint32_t>(c.m * 31 + c.n));
    for (int draw = 0; draw < 20; ++draw) {
        std::vector<double> machine(static_cast<std::size_t>(c.m)),
            reference(static_cast<std::size_t>(c.n));
        for (double& v : machine)
            v = 100 * c.shift * std::exp(c.spreadM * (random() / 4294967296.0 - 0.5));
        for (double& v : reference) v = 100 * std::exp(c.spreadR * (random() / 4294967296.0 - 0.5));
        const TScoreComparison r = CompareRuns(machine, reference, true);
        ASSERT_TRUE(r.Ratio && r.Low && r.High) << draw;
        std::vector<double> ratios;
        for (double a : machine)
            for (double b : reference) ratios.push_back(a / b);
        std::sort(ratios.begin(), ratios.end());
        const auto accepted = [&](double factor) {
            std::vector<double> divided = machine;
            for (double& v : divided) v /= factor;
            return BrunnerMunzelPValue(divided, reference) >= kAlpha;
        };
        // The estimate: the median of the ratios.
        const std::size_t k = ratios.size();
        EXPECT_DOUBLE_EQ(*r.Ratio, std::sqrt(ratios[(k - 1) / 2] * ratios[k / 2])) << draw;
        // Every stretch between two ratios, and beyond the ends.
        double low = 0, high = 0;
        bool any = false;
        for (std::size_t i = 0; i <= k; ++i) {
            const double factor = i == 0   ? ratios[0] / 2
                                  : i == k ? ratios[k - 1] * 2
                                           : std::sqrt(ratios[i - 1] * ratios[i]);
            if (!accepted(factor)) continue;
            ASSERT_TRUE(i > 0 && i < k) << "accepted beyond every ratio, draw " << draw;
            if (!any) low = ratios[i - 1];
            high = ratios[i];
            any = true;
        }
        ASSERT_TRUE(any);
        low = std::min(low, *r.Ratio);
        high = std::max(high, *r.Ratio);
        // Where the runs themselves differ, 1 is at most an end.
        if (!accepted(1.0) && low < 1 && high > 1) (*r.Ratio >= 1 ? low : high) = 1;
        if (accepted(1.0)) low = std::min(low, 1.0), high = std::max(high, 1.0);
        EXPECT_NEAR(*r.Low, low, 1e-12 * low) << draw;
        EXPECT_NEAR(*r.High, high, 1e-12 * high) << draw;
    }
}

INSTANTIATE_TEST_SUITE_P(Draws, IntervalByStretches,
                         ::testing::Values(StretchCase{"Alike8v8", 8, 8, 1.0, 0.2, 0.2},
                                           StretchCase{"Faster8v8", 8, 8, 1.1, 0.2, 0.2},
                                           StretchCase{"Unequal7v9", 7, 9, 1.05, 0.6, 0.1},
                                           StretchCase{"Uneven6v15", 6, 15, 0.95, 0.3, 0.3},
                                           // Too many splits to count: Student's t,
                                           // whose ends are searched for.
                                           StretchCase{"StudentT20v30", 20, 30, 1.03, 0.3, 0.3},
                                           StretchCase{"UnequalT12v40", 12, 40, 1.0, 0.6, 0.1},
                                           StretchCase{"UnequalT40v12", 40, 12, 1.1, 0.1, 0.6},
                                           StretchCase{"StudentT40v45", 40, 45, 1.02, 0.2, 0.2}),
                         CaseName);

// The breaks within a range, from one walk, against every break listed and
// filtered: ranges that end on a break, hold none, hold all; equal values;
// and a limit that the range's pairs exceed.
TEST(BreaksWithin, AgreeWithEveryBreakFiltered)
{
    std::mt19937 random(4711);
    const std::vector<std::pair<int, int>> decimals{{3, 3}, {0, 1}, {-1, -1}};
    for (const auto& [da, db] : decimals) {
        const TSortedSample a = SortSample(Runs(random, 40, 100, 20, da));
        const TSortedSample b = SortSample(Runs(random, 35, 95, 10, db));
        const TBrunnerMunzel test(a, b);
        const auto all = test.Breaks();
        ASSERT_GT(all.size(), 3u);
        const std::size_t k = all.size();
        const std::vector<std::pair<double, double>> ranges{
            {all[k / 3].LogRatio, all[2 * k / 3].LogRatio},  // ends on breaks
            {all[0].LogRatio - 1, all[k - 1].LogRatio + 1},  // every one
            {std::midpoint(all[1].LogRatio, all[2].LogRatio),
             std::midpoint(all[1].LogRatio, all[2].LogRatio)},  // none
            {all[k - 1].LogRatio, all[k - 1].LogRatio},         // the last alone
        };
        for (const auto& [low, high] : ranges) {
            std::vector<TBrunnerMunzel::TBreak> expected;
            for (const auto& br : all)
                if (br.LogRatio >= low && br.LogRatio <= high) expected.push_back(br);
            std::vector<TBrunnerMunzel::TBreak> found{{1, 1}};  // cleared first
            ASSERT_TRUE(test.BreaksWithin(low, high, a.Distinct.size() * b.Distinct.size(), found));
            ASSERT_EQ(found.size(), expected.size()) << low << " .. " << high;
            for (std::size_t i = 0; i < found.size(); ++i) {
                EXPECT_EQ(found[i].LogRatio, expected[i].LogRatio);
                EXPECT_EQ(found[i].Ratio, expected[i].Ratio);
            }
            if (expected.size() > 1)
                EXPECT_FALSE(test.BreaksWithin(low, high, expected.size() - 1, found));
        }
    }
}

// Runs kept to few digits tie often, and a ratio of two values then stands
// for many pairs of runs; the estimate itself is such a ratio. The large-sample
// interval's search against every stretch between the ratios tried: the same
// ends, or the estimate alone where no stretch is accepted.
struct TiedCase {
    const char* name;
    int m, n;
    double shift, spreadM, spreadR;
    int decimals;
};

class SearchedInterval : public ::testing::TestWithParam<TiedCase> {};

TEST_P(SearchedInterval, AgreesWithEveryStretchTried)
{
    const TiedCase& c = GetParam();
    std::mt19937 random(static_cast<std::uint32_t>(c.m * 7 + c.n));
    for (int draw = 0; draw < 20; ++draw) {
        const TSortedSample top = SortSample(Runs(random, c.m, 100 * c.shift, c.spreadM, c.decimals));
        const TSortedSample bottom = SortSample(Runs(random, c.n, 100, c.spreadR, c.decimals));
        const TBrunnerMunzel test(top, bottom);
        ASSERT_FALSE(test.Exact());
        const std::uint64_t pairs = top.Size() * bottom.Size();
        const double estimate = std::sqrt(KthSmallestRatio(top, bottom, (pairs + 1) / 2) *
                                          KthSmallestRatio(top, bottom, pairs / 2 + 1));
        const auto breaks = test.Breaks();
        std::optional<std::size_t> lowest, highest;
        for (std::size_t k = 0; k <= breaks.size(); ++k) {
            const double at = k == 0               ? breaks.front().LogRatio - 1
                              : k == breaks.size() ? breaks.back().LogRatio + 1
                                                   : std::midpoint(breaks[k - 1].LogRatio,
                                                                   breaks[k].LogRatio);
            if (test.At(at).PValue < kAlpha) continue;
            if (!lowest) lowest = k;
            highest = k;
        }
        const TRatioInterval r = InvertTest(test, top, bottom, estimate);
        ASSERT_TRUE(r.Low && r.High) << draw;
        if (!lowest) {
            EXPECT_EQ(*r.Low, estimate) << draw;
            EXPECT_EQ(*r.High, estimate) << draw;
            continue;
        }
        ASSERT_GT(*lowest, 0u);
        ASSERT_LT(*highest, breaks.size());
        EXPECT_EQ(*r.Low, std::min(breaks[*lowest - 1].Ratio, estimate)) << draw;
        EXPECT_EQ(*r.High, std::max(breaks[*highest].Ratio, estimate)) << draw;
    }
}

INSTANTIATE_TEST_SUITE_P(Draws, SearchedInterval,
                         ::testing::Values(TiedCase{"Whole30v30", 30, 30, 1.0, 10, 10, 0},
                                           TiedCase{"Whole40v12", 40, 12, 1.05, 5, 20, 0},
                                           TiedCase{"Tens25v35", 25, 35, 1.1, 30, 30, -1},
                                           TiedCase{"Tenths20v50", 20, 50, 0.97, 3, 3, 1}),
                         CaseName);

struct ConsistencyCase {
    const char* name;
    int m, n;
    double shift;  // the machine's centre over the reference's
    int decimals;  // fewer decimals, more ties
};

class VerdictAndIntervalTest : public ::testing::TestWithParam<ConsistencyCase> {};

// Over many random draws: the ratio lies inside its interval; a difference
// is called wherever the interval leaves 1 out, never with 1 strictly inside
// it, and in the direction of the ratio.
TEST_P(VerdictAndIntervalTest, NeverContradictEachOther)
{
    const ConsistencyCase& c = GetParam();
    std::mt19937 random(c.m * 1000 + c.n);
    int differences = 0;
    for (int draw = 0; draw < 150; ++draw) {
        const auto reference = Runs(random, c.n, 100, 10, c.decimals);
        const auto machine = Runs(random, c.m, 100 * c.shift, 10, c.decimals);
        for (bool higherIsBetter : {true, false}) {
            const TScoreComparison r = CompareRuns(machine, reference, higherIsBetter);
            if (!r.Low) {
                ASSERT_EQ(r.Verdict, TVerdict::TooFewRuns);
                continue;
            }
            ASSERT_LE(*r.Low, *r.Ratio) << "draw " << draw;
            ASSERT_GE(*r.High, *r.Ratio) << "draw " << draw;
            const bool called = r.Verdict == TVerdict::Faster || r.Verdict == TVerdict::Slower;
            const bool leftOut = *r.Low > 1 || *r.High < 1;
            differences += called;
            if (leftOut) {
                ASSERT_TRUE(called) << "draw " << draw;
            }
            if (called) {
                ASSERT_FALSE(*r.Low < 1 && *r.High > 1) << "draw " << draw;
                ASSERT_LT(*r.PValue, kAlpha);
                ASSERT_EQ(r.Verdict == TVerdict::Faster, *r.Ratio > 1) << "draw " << draw;
            }
        }
    }
    // The draws cover both outcomes.
    EXPECT_GT(differences, 10);
    EXPECT_LT(differences, 290);
}

INSTANTIATE_TEST_SUITE_P(Draws, VerdictAndIntervalTest,
                         ::testing::Values(ConsistencyCase{"Exact6v6", 6, 6, 1.08, 3},
                                           ConsistencyCase{"Exact6v15", 6, 15, 1.08, 3},
                                           ConsistencyCase{"Exact8v30", 8, 30, 1.06, 3},
                                           ConsistencyCase{"StudentT60v70", 60, 70, 1.03, 3},
                                           ConsistencyCase{"Ties6v6", 6, 6, 1.1, 0},
                                           ConsistencyCase{"HeavyTies12v10", 12, 10, 1.15, -1},
                                           ConsistencyCase{"Ties200v300", 200, 300, 1.02, 0}),
                         CaseName);

struct SizesCase {
    int m, n;
    bool canShow;
};

TEST(CanShowDifference, SixRunsOfEachMachineAtLeast)
{
    const SizesCase cases[] = {{5, 5, false},    {1, 40, false},  {5, 1000, false},
                               {1000, 5, false}, {0, 50, false},  {-1, 50, false},
                               {6, 6, true},     {6, 2500, true}, {200000, 200000, true}};
    for (const SizesCase& c : cases)
        EXPECT_EQ(CanShowDifference(c.m, c.n), c.canShow) << c.m << " against " << c.n;
}

// The verdicts that are not a test's outcome.
TEST(CompareRuns, VerdictsBesideTheTest)
{
    const std::vector<double> runs{1694, 2210, 3340, 2600, 1950, 2890, 3105, 2480};
    EXPECT_EQ(CompareRuns(runs, std::vector<double>{0.0}, true).Verdict, TVerdict::None);
    EXPECT_FALSE(CompareRuns(std::vector<double>{}, runs, true).Ratio);

    const TScoreComparison self = CompareRuns(runs, runs, true, true);
    EXPECT_EQ(self.Verdict, TVerdict::Reference);
    EXPECT_FALSE(self.PValue);
    EXPECT_EQ(self.Ratio, 1.0);
    ASSERT_TRUE(self.Low && self.High);
    EXPECT_NEAR(*self.Low * *self.High, 1, 1e-12);  // runs against themselves: 1/r to r
    EXPECT_LT(*self.Low, 1);
}

struct RoundingCase {
    const char* name;
    std::vector<double> values;
    double step;
};

TEST(RoundingStep, CoarsestGridOfTheValues)
{
    const RoundingCase cases[] = {
        {"Hundredths", {0.05, 0.06, 0.1, 0.07}, 0.01}, {"Whole", {1694, 2210, 3340}, 1},
        {"Hundreds", {2400, 2000, 1800}, 100},         {"Thousandths", {0.125, 0.5}, 0.001},
        {"EveryDigit", {0.0512345678912, 0.061}, 0},   {"Empty", {}, 0},
    };
    for (const RoundingCase& c : cases)
        EXPECT_DOUBLE_EQ(RoundingStep(SortSample(c.values)), c.step) << c.name;
}

// Times kept to 0.01 s of about 0.05 s: the runs tie, and a test of the
// rounded figures finds differences that the rounding made. The interval
// is widened by the rounding and the step is flagged; with every digit the
// same runs are compared as they are.
TEST(CompareRuns, RoundedFiguresWidenTheIntervalAndAreFlagged)
{
    std::mt19937 random(1000);
    std::normal_distribution<double> noise(0, 0.1);
    std::vector<double> fast, slow, fastRounded, slowRounded;
    for (int i = 0; i < 1000; ++i) {
        fast.push_back(0.055 * std::exp(noise(random)));
        slow.push_back(1.05 * 0.055 * std::exp(noise(random)));
        fastRounded.push_back(std::round(fast.back() * 100) / 100);
        slowRounded.push_back(std::round(slow.back() * 100) / 100);
    }
    const TScoreComparison rounded = CompareRuns(fastRounded, slowRounded, false);
    EXPECT_TRUE(rounded.CoarseRounding);
    ASSERT_TRUE(rounded.Low && rounded.High);
    EXPECT_LT(*rounded.Low, 1.05);
    EXPECT_GT(*rounded.High, 1.05);
    EXPECT_NE(rounded.Verdict, TVerdict::Slower);

    const TScoreComparison exact = CompareRuns(fast, slow, false);
    EXPECT_FALSE(exact.CoarseRounding);
    ASSERT_TRUE(exact.Low && exact.High);
    EXPECT_LT(*exact.Low, 1.05);
    EXPECT_GT(*exact.High, 1.05);
    EXPECT_EQ(exact.Verdict, TVerdict::Faster);
    EXPECT_LT(*exact.High / *exact.Low, *rounded.High / *rounded.Low);
}

struct SummaryCase {
    const char* name;
    std::vector<double> runs;
    TRunSummary expected;
};

class SummarizeTest : public ::testing::TestWithParam<SummaryCase> {};

TEST_P(SummarizeTest, BySelectionAndBySorting)
{
    const SummaryCase& c = GetParam();
    for (const TRunSummary& s : {Summarize(c.runs), PrepareRuns(c.runs).Summary}) {
        EXPECT_EQ(s.Runs, c.expected.Runs);
        EXPECT_DOUBLE_EQ(s.Median, c.expected.Median);
        EXPECT_EQ(s.Min, c.expected.Min);
        EXPECT_EQ(s.Max, c.expected.Max);
        EXPECT_DOUBLE_EQ(s.Spread, c.expected.Spread);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, SummarizeTest,
    ::testing::Values(
        SummaryCase{"Empty", {}, {0, 0, 0, 0, 0, 0}}, SummaryCase{"Single", {5}, {1, 5, 5, 5, 0}},
        SummaryCase{"OddUnordered", {3, 1, 2}, {3, 2, 1, 3, 1}},
        SummaryCase{"EvenMeanOfMiddleTwo", {4, 1, 3, 2}, {4, 2.5, 1, 4, 1.2}},
        SummaryCase{"EvenTiedMiddle", {7, 2, 7, 9}, {4, 7, 2, 9, 1}},
        SummaryCase{"IssueCycles", {1694, 3340}, {2, 2517, 1694, 3340, 1646.0 / 2517}},
        SummaryCase{
            "NotMeasurementsLeftOut", {kNone, -1, 0, INFINITY, 4, 2}, {2, 3, 2, 4, 2.0 / 3}},
        SummaryCase{
            "HugeValuesDoNotOverflow", {1e308, 1.5e308}, {2, 1.25e308, 1e308, 1.5e308, 0.4}}),
    CaseName);

TEST(Overall, GeometricMeanOfTheRatiosAndVerdictCounts)
{
    const TScoreComparison machine[] = {{2.0, 1.5, 2.5, 0.01, TVerdict::Faster, {}, false},
                                        {0.5, 0.4, 0.6, 0.01, TVerdict::Slower, {}, false},
                                        {1.1, 0.9, 1.3, 0.40, TVerdict::NoDifference, {}, false},
                                        {4.0, {}, {}, 0.20, TVerdict::TooFewRuns, {}, false},
                                        {{}, {}, {}, {}, TVerdict::None, {}, false}};
    const TOverall overall = Overall(machine);
    EXPECT_DOUBLE_EQ(overall.GeometricMean.value_or(0), std::pow(4.4, 0.25));
    EXPECT_EQ(std::tuple(overall.Scores, overall.Faster, overall.Slower, overall.NoDifference),
              std::tuple(4, 1, 1, 1));

    const TScoreComparison reference[] = {{1.0, 0.9, 1.1, {}, TVerdict::Reference, 1.0, false}};
    EXPECT_EQ(Overall(reference).GeometricMean, 1.0);
    EXPECT_FALSE(Overall({}).GeometricMean);
}

struct SelectionCase {
    const char* name;
    int m, n;
    int decimals;
};

class KthSmallestRatioTest : public ::testing::TestWithParam<SelectionCase> {};

// Every rank (or every 97th of many) against all m x n ratios formed and
// sorted.
TEST_P(KthSmallestRatioTest, AgreesWithEveryPairFormed)
{
    const SelectionCase& c = GetParam();
    std::mt19937 random(c.m * 7 + c.n);
    const auto x = Runs(random, c.m, 50, 40, c.decimals);
    const auto y = Runs(random, c.n, 60, 40, c.decimals);
    const TSortedSample sortedX = SortSample(x), sortedY = SortSample(y);
    std::vector<double> ratios;
    for (double a : x)
        for (double b : y) ratios.push_back(a / b);
    std::sort(ratios.begin(), ratios.end());
    const std::uint64_t step = ratios.size() > 5000 ? 97 : 1;
    for (std::uint64_t k = 1; k <= ratios.size(); k += step)
        ASSERT_EQ(KthSmallestRatio(sortedX, sortedY, k), ratios[k - 1]) << "k = " << k;
    EXPECT_EQ(KthSmallestRatio(sortedX, sortedY, ratios.size()), ratios.back());
}

INSTANTIATE_TEST_SUITE_P(Samples, KthSmallestRatioTest,
                         ::testing::Values(SelectionCase{"OneAgainstOne", 1, 1, 3},
                                           SelectionCase{"OneAgainstMany", 1, 300, 3},
                                           SelectionCase{"ManyAgainstOne", 300, 1, 3},
                                           SelectionCase{"FewAgainstMany", 3, 2000, 2},
                                           SelectionCase{"ManyAgainstFew", 2000, 3, 2},
                                           SelectionCase{"HeavilyTied", 40, 30, 0},
                                           SelectionCase{"Like", 60, 70, 3},
                                           SelectionCase{"ManyDistinct", 300, 400, 4}),
                         CaseName);

// A merged log may hold hundreds of thousands of runs of one machine: the
// comparison must come out without forming the 4e10 pairs.
TEST(CompareRuns, TwoHundredThousandRunsAgainstTwoHundredThousand)
{
    std::mt19937 random(200000);
    const auto reference = Runs(random, 200000, 1000, 200, 3);
    auto machine = Runs(random, 200000, 1000, 200, 3);
    for (double& run : machine) run *= 1.3;
    const TScoreComparison speed = CompareRuns(machine, reference, true);
    EXPECT_EQ(speed.Verdict, TVerdict::Faster);
    for (const auto& value : {speed.Ratio, speed.Low, speed.High, speed.MedianRatio})
        EXPECT_NEAR(value.value_or(0), 1.3, 0.01);
    EXPECT_LT(speed.Low.value_or(0), speed.High.value_or(0));

    const auto fewRuns = CompareRuns(Runs(random, 6, 1000, 200, 1), reference, false);
    EXPECT_EQ(fewRuns.Verdict, TVerdict::NoDifference);
    EXPECT_LT(fewRuns.Low.value_or(2), 1);
    EXPECT_GT(fewRuns.High.value_or(0), 1);
}

}  // namespace
}  // namespace vt::stats
