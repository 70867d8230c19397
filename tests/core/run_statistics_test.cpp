#include "stats/run_statistics.h"

#include "stats/pairwise_ratios.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
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
};

struct ComparisonCase {
    const char* name;
    std::vector<double> machine;
    std::vector<double> reference;
    bool higherIsBetter;
    double ratio;
    double low;  // kNone: no interval
    double high;
    double p;
    TVerdict verdict;
};

// kPCases and kComparisonCases, computed with scipy.
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

class MannWhitneyTest : public ::testing::TestWithParam<PCase> {};

TEST_P(MannWhitneyTest, PValueAgreesWithScipyEitherWayRound)
{
    const PCase& c = GetParam();
    EXPECT_NEAR(MannWhitneyPValue(c.x, c.y), c.p, 1e-9 * c.p);
    EXPECT_NEAR(MannWhitneyPValue(c.y, c.x), c.p, 1e-9 * c.p);
}

INSTANTIATE_TEST_SUITE_P(Scipy, MannWhitneyTest, ::testing::ValuesIn(kPCases), CaseName);

TEST(MannWhitneyTest, WhatIsNotAMeasurementIsLeftOut)
{
    const std::vector<double> x{1.1, 1.2, 1.3};
    const std::vector<double> y{2.0, 2.1, 2.2, 2.3, 2.4};
    const std::vector<double> dirty{kNone, 2.0, 0.0, 2.1, -3.0, 2.2, 2.3, INFINITY, 2.4};
    EXPECT_EQ(MannWhitneyPValue(x, dirty), MannWhitneyPValue(x, y));
    EXPECT_EQ(MannWhitneyPValue({}, y), 1);
    EXPECT_EQ(MannWhitneyPValue(x, std::vector<double>{0.0, kNone}), 1);
}

class CompareRunsTest : public ::testing::TestWithParam<ComparisonCase> {};

TEST_P(CompareRunsTest, AgreesWithScipyAndEveryPairFormed)
{
    const ComparisonCase& c = GetParam();
    const TScoreComparison result = CompareRuns(c.machine, c.reference, c.higherIsBetter);
    EXPECT_STREQ(VerdictText(result.Verdict), VerdictText(c.verdict));
    ASSERT_TRUE(result.Ratio && result.PValue);
    EXPECT_DOUBLE_EQ(*result.Ratio, c.ratio);
    EXPECT_NEAR(*result.PValue, c.p, 1e-9 * c.p);
    ASSERT_EQ(result.Low.has_value(), !std::isnan(c.low));
    ASSERT_EQ(result.High.has_value(), !std::isnan(c.high));
    // Both ends are one of the pairwise ratios: the same division gives the
    // same double.
    if (result.Low) {
        EXPECT_EQ(*result.Low, c.low);
        EXPECT_EQ(*result.High, c.high);
    }
}

INSTANTIATE_TEST_SUITE_P(Scipy, CompareRunsTest, ::testing::ValuesIn(kComparisonCases), CaseName);

struct ConsistencyCase {
    const char* name;
    int m, n;
    double shift;  // the machine's centre over the reference's
    int decimals;  // fewer decimals, more ties
};

class VerdictAndIntervalTest : public ::testing::TestWithParam<ConsistencyCase> {};

// Over many random draws: a difference is called where the interval leaves
// 1 out, and never with 1 strictly inside it; without ties, exactly then.
TEST_P(VerdictAndIntervalTest, NeverContradictEachOther)
{
    const ConsistencyCase& c = GetParam();
    std::mt19937 random(c.m * 1000 + c.n);
    int differences = 0;
    for (int draw = 0; draw < 300; ++draw) {
        const auto reference = Runs(random, c.n, 100, 10, c.decimals);
        const auto machine = Runs(random, c.m, 100 * c.shift, 10, c.decimals);
        // Only a run of one machine equal to a run of the other gives a ratio
        // of exactly 1.
        const bool ties = std::find_first_of(machine.begin(), machine.end(), reference.begin(),
                                             reference.end()) != machine.end();
        for (bool higherIsBetter : {true, false}) {
            const TScoreComparison r = CompareRuns(machine, reference, higherIsBetter);
            if (!r.Low) {
                ASSERT_EQ(r.Verdict, TVerdict::TooFewRuns);
                continue;
            }
            ASSERT_LE(*r.Low, *r.High);
            const bool called = r.Verdict == TVerdict::Faster || r.Verdict == TVerdict::Slower;
            const bool leftOut = *r.Low > 1 || *r.High < 1;
            differences += called;
            if (leftOut || !ties) {
                ASSERT_EQ(called, leftOut) << "draw " << draw;
            }
            if (called) {
                ASSERT_FALSE(*r.Low < 1 && *r.High > 1) << "draw " << draw;
                ASSERT_EQ(r.Verdict == TVerdict::Faster, *r.Low >= 1) << "draw " << draw;
            }
        }
    }
    // The draws cover both outcomes.
    EXPECT_GT(differences, 20);
    EXPECT_LT(differences, 580);
}

INSTANTIATE_TEST_SUITE_P(Draws, VerdictAndIntervalTest,
                         ::testing::Values(ConsistencyCase{"Exact4v4", 4, 4, 1.15, 3},
                                           ConsistencyCase{"Exact5v40", 5, 40, 1.1, 3},
                                           ConsistencyCase{"Exact50v50", 50, 50, 1.04, 3},
                                           ConsistencyCase{"Normal60v70", 60, 70, 1.03, 3},
                                           ConsistencyCase{"Ties8v8", 8, 8, 1.08, 0},
                                           ConsistencyCase{"HeavyTies12v10", 12, 10, 1.05, -1},
                                           ConsistencyCase{"Ties200v300", 200, 300, 1.01, 0}),
                         CaseName);

struct SizesCase {
    int m, n;
    bool canShow;  // 2 / C(m + n, m) below 0.05, C(m + n, m) above 40
};

TEST(CanShowDifference, SmallestReachablePValueBelowFivePercent)
{
    const SizesCase cases[] = {
        {3, 3, false},  {1, 8, false},  {2, 5, false},   {5, 2, false},         {2, 7, false},
        {1, 39, false}, {0, 50, false}, {-1, 50, false}, {4, 4, true},          {3, 5, true},
        {2, 8, true},   {1, 40, true},  {1, 2500, true}, {200000, 200000, true}};
    for (const SizesCase& c : cases)
        EXPECT_EQ(CanShowDifference(c.m, c.n), c.canShow) << c.m << " against " << c.n;
}

// The verdicts that are not a test's outcome, and where too few runs win.
TEST(CompareRuns, VerdictsBesideTheTest)
{
    const std::vector<double> runs{1694, 2210, 3340, 2600, 1950, 2890, 3105, 2480};
    EXPECT_EQ(CompareRuns(runs, std::vector<double>{0.0}, true).Verdict, TVerdict::None);
    EXPECT_FALSE(CompareRuns(std::vector<double>{}, runs, true).Ratio);

    const TScoreComparison self = CompareRuns(runs, runs, true, true);
    EXPECT_EQ(self.Verdict, TVerdict::Reference);
    EXPECT_FALSE(self.PValue);
    ASSERT_TRUE(self.Low && self.High);
    EXPECT_NEAR(*self.Low * *self.High, 1, 1e-12);  // runs against themselves: 1/r to r
    EXPECT_LT(*self.Low, 1);

    // Ties alone would reach 5% at 3 against 3; the sizes cannot.
    const std::vector<double> two{2, 2, 2}, one{1, 1, 1};
    EXPECT_EQ(CompareRuns(two, one, true).Verdict, TVerdict::TooFewRuns);
    // One run against 60: only the exact distribution can call it; once a
    // tie forces the normal approximation, no U reaches 5%.
    std::vector<double> many(60);
    for (int i = 0; i < 60; ++i) many[i] = 1000 + i;
    const std::vector<double> single{2000};
    EXPECT_EQ(CompareRuns(single, many, true).Verdict, TVerdict::Faster);
    many.back() = many.front();
    EXPECT_EQ(CompareRuns(single, many, true).Verdict, TVerdict::TooFewRuns);
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
        SummaryCase{"Empty", {}, {0, 0, 0, 0, 0}}, SummaryCase{"Single", {5}, {1, 5, 5, 5, 0}},
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
    const TScoreComparison machine[] = {{2.0, 1.5, 2.5, 0.01, TVerdict::Faster},
                                        {0.5, 0.4, 0.6, 0.01, TVerdict::Slower},
                                        {1.1, 0.9, 1.3, 0.40, TVerdict::NoDifference},
                                        {4.0, {}, {}, 0.20, TVerdict::TooFewRuns},
                                        {{}, {}, {}, {}, TVerdict::None}};
    const TOverall overall = Overall(machine);
    EXPECT_DOUBLE_EQ(overall.GeometricMean.value_or(0), std::pow(4.4, 0.25));
    EXPECT_EQ(std::tuple(overall.Scores, overall.Faster, overall.Slower, overall.NoDifference),
              std::tuple(4, 1, 1, 1));

    const TScoreComparison reference[] = {{1.0, 0.9, 1.1, {}, TVerdict::Reference}};
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
    for (const auto& value : {speed.Ratio, speed.Low, speed.High})
        EXPECT_NEAR(value.value_or(0), 1.3, 0.01);
    EXPECT_LT(speed.Low.value_or(0), speed.High.value_or(0));

    const auto fewRuns = CompareRuns(Runs(random, 5, 1000, 200, 1), reference, false);
    EXPECT_EQ(fewRuns.Verdict, TVerdict::NoDifference);
    EXPECT_LT(fewRuns.Low.value_or(2), 1);
    EXPECT_GT(fewRuns.High.value_or(0), 1);
}

}  // namespace
}  // namespace vt::stats
