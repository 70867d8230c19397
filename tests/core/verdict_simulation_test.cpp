// The verdicts' error rates by simulation: seeded draws of two machines'
// runs, alike or with the machine faster by a known factor, with equal and
// with unequal spreads and with rounded figures. A false verdict must come
// at most about 5% of the time and the interval must hold the true ratio at
// least about 95% of the time, each within binomial bounds of the draws.
#include "stats/run_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vt::stats {
namespace {

constexpr int kDraws = 800;

// Normal deviates by Box-Muller from the generator's own bits, so that the
// draws are the same with every standard library.
class TDraws {
public:
    explicit TDraws(std::uint32_t seed) : random_(seed) {}
    double Normal()
    {
        const double u = (random_() + 0.5) / 4294967296.0;
        const double v = (random_() + 0.5) / 4294967296.0;
        return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v);
    }
    // `count` runs around `median`, spread by `sigma` on a log scale, rounded
    // to `step` (0: every digit).
    std::vector<double> Runs(int count, double median, double sigma, double step)
    {
        std::vector<double> runs(static_cast<std::size_t>(count));
        for (double& run : runs) {
            run = median * std::exp(sigma * Normal());
            if (step > 0) run = std::max(step, std::round(run / step) * step);
        }
        return runs;
    }

private:
    std::mt19937 random_;
};

struct TScenario {
    const char* name;
    int m, n;               // runs of the machine and of the reference
    double sigmaM, sigmaR;  // their spreads on a log scale
    double step;            // rounding, as a share of the reference's median
    bool verdicts;          // whether the sizes can call a difference at all
};

// Three standard deviations of a share of kDraws draws around `rate`.
double Margin(double rate)
{
    return 3 * std::sqrt(rate * (1 - rate) / kDraws);
}

class VerdictSimulation : public ::testing::TestWithParam<TScenario> {};

TEST_P(VerdictSimulation, FalseVerdictsAndCoverageAtTheirLevels)
{
    const TScenario& c = GetParam();
    TDraws draws(static_cast<std::uint32_t>(std::hash<std::string>{}(c.name) & 0xffffffff));
    const double median = 0.1;
    int falseVerdicts = 0, missedOne = 0, missedShift = 0, found = 0, intervals = 0;
    for (int draw = 0; draw < kDraws; ++draw) {
        const auto reference = draws.Runs(c.n, median, c.sigmaR, c.step * median);
        // Alike: any difference called is false.
        const auto alike = draws.Runs(c.m, median, c.sigmaM, c.step * median);
        const TScoreComparison same = CompareRuns(alike, reference, true);
        falseVerdicts += same.Verdict == TVerdict::Faster || same.Verdict == TVerdict::Slower;
        missedOne += same.Low && (*same.Low > 1 || *same.High < 1);
        // 20% faster: a speed 1.2 times the reference's.
        const auto faster = draws.Runs(c.m, 1.2 * median, c.sigmaM, c.step * median);
        const TScoreComparison shifted = CompareRuns(faster, reference, true);
        missedShift += shifted.Low && (*shifted.Low > 1.2 || *shifted.High < 1.2);
        found += shifted.Verdict == TVerdict::Faster;
        intervals += shifted.Low.has_value();
    }
    const double falseRate = static_cast<double>(falseVerdicts) / kDraws;
    const double coverOne = 1 - static_cast<double>(missedOne) / kDraws;
    const double coverShift = 1 - static_cast<double>(missedShift) / kDraws;
    EXPECT_LE(falseRate, kAlpha + Margin(kAlpha)) << c.name;
    EXPECT_GE(coverOne, 1 - kAlpha - Margin(kAlpha)) << c.name;
    EXPECT_GE(coverShift, 1 - kAlpha - Margin(kAlpha)) << c.name;
    // Not by saying nothing: where the sizes allow it there is always an
    // interval, and a 20% difference is found often.
    if (c.verdicts) {
        EXPECT_EQ(intervals, kDraws) << c.name;
        EXPECT_GT(found, kDraws / 5) << c.name;
    } else {
        EXPECT_EQ(falseVerdicts + found + intervals, 0) << c.name;
    }
    std::printf("%-24s false %.3f  covers 1: %.3f  covers 1.2: %.3f  finds 1.2: %.3f\n", c.name,
                falseRate, coverOne, coverShift, static_cast<double>(found) / kDraws);
}

INSTANTIATE_TEST_SUITE_P(
    Draws, VerdictSimulation,
    ::testing::Values(TScenario{"Equal4", 4, 4, 0.1, 0.1, 0, false},
                      TScenario{"Equal8", 8, 8, 0.1, 0.1, 0, true},
                      TScenario{"Equal20", 20, 20, 0.1, 0.1, 0, true},
                      TScenario{"NoisyAgainstQuiet4", 4, 4, 0.3, 0.05, 0, false},
                      TScenario{"NoisyAgainstQuiet8", 8, 8, 0.3, 0.05, 0, true},
                      TScenario{"QuietAgainstNoisy8", 8, 8, 0.05, 0.3, 0, true},
                      TScenario{"NoisyAgainstQuiet20", 20, 20, 0.3, 0.05, 0, true},
                      TScenario{"Noisy6AgainstQuiet12", 6, 12, 0.3, 0.05, 0, true},
                      TScenario{"RoundedTies6", 6, 6, 0.1, 0.1, 0.05, true},
                      TScenario{"RoundedTiesUnequal20", 20, 20, 0.3, 0.05, 0.05, true},
                      TScenario{"RoundedCoarse40", 40, 40, 0.05, 0.05, 0.2, true}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt::stats
