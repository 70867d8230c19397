// Statistics over repeated runs: what one machine's runs of a score say, and
// whether two machines' runs show a real difference or only run-to-run noise.
//
// Plain numbers in, plain numbers out; no widget, no text formatting beyond
// the verdict's word. The Compare window, `compare --text` and `compare --csv`
// all show the one result computed here.
//
// A difference is called only where a two-sided Mann-Whitney U test of the
// two machines' runs rejects equality at the 5% level (p below 0.05): the
// exact distribution of U where no value is tied and the runs give at most
// 2,500 pairs (m x n: 50 against 50, 25 against 100), the normal
// approximation with tie correction and continuity correction otherwise.
//
// The ratio of medians comes with a 95% distribution-free interval taken
// from the same test: of the m x n pairwise ratios of a machine's runs to the
// reference's, the (C+1)-th smallest and the (C+1)-th largest, C being the
// largest whole U whose p-value is below 0.05 under the distribution the
// test used. Where no run of one machine equals a run of the
// other, the interval leaves out 1 exactly when a difference is called.
// Where runs are equal (the log rounds its figures, so this is common), each
// equal pair counts one half to either side in the test, and an end of the
// interval may then be exactly 1 while a difference is called; but the
// interval never holds 1 strictly inside with a difference called, nor
// leaves 1 out without one.
//
// A value that is not a finite positive number is not a measurement: it is
// left out wherever runs are given here.
#pragma once

#include "stats/mann_whitney.h"

#include <optional>
#include <span>
#include <vector>

namespace vt::stats {

// The level at which a difference is called, and the interval's complement.
inline constexpr double kAlpha = 0.05;

// One machine's runs of one score.
struct TRunSummary {
    int Runs = 0;       // measurements given
    double Median = 0;  // the middle value; the mean of the two middle ones
    double Min = 0;
    double Max = 0;
    double Spread = 0;  // (Max - Min) / Median; 0 for a single run
};

// The summary of `runs` (any order). Runs is 0 and the rest 0 for no values.
TRunSummary Summarize(std::span<const double> runs);

// One machine's runs of one score, sorted and summarised once so that it can
// be compared with any number of machines: each comparison then walks the
// two machines' distinct values a few dozen times at most.
struct TRunSample {
    TRunSummary Summary;
    TSortedSample Sorted;  // the measurements, ascending
};

TRunSample PrepareRuns(std::span<const double> runs);

// Two-sided p-value of the Mann-Whitney U test of `x` against `y`: the exact
// distribution of U where both samples are small and no value is tied, the
// normal approximation with tie correction and continuity correction
// otherwise. 1 when either sample is empty.
double MannWhitneyPValue(std::span<const double> x, std::span<const double> y);

// Whether `m` runs against `n` runs can show a difference at all: the
// smallest two-sided p-value they can reach (completely separated runs,
// 2 / C(m + n, m) exactly) is below kAlpha. False for 3 against 3, 1 against 8
// or 2 against 5; true for 4 against 4, 3 against 5 or 2 against 8.
bool CanShowDifference(int m, int n);

// The verdict on one score of a machine against the reference machine.
enum class TVerdict {
    None,          // either machine has no value of this score
    Reference,     // the reference machine itself
    Faster,        // better than the reference
    Slower,        // worse than the reference
    NoDifference,  // the runs do not show a difference at the 5% level
    // Even completely separated runs could not show one: CanShowDifference
    // is false, or the normal approximation (taken with ties or past 2,500
    // pairs) cannot reach 5% even at U = 0, as for one run against many.
    TooFewRuns,
};

// "", "reference", "faster", "slower", "no difference", "too few runs".
const char* VerdictText(TVerdict verdict);

// One score of a machine against the reference machine.
struct TScoreComparison {
    // Ratio of the medians, oriented so that above 1 is better: machine /
    // reference for speeds, reference / machine for times.
    std::optional<double> Ratio;
    // The 95% distribution-free interval of that ratio, same orientation;
    // nothing where the runs are too few for one.
    std::optional<double> Low;
    std::optional<double> High;
    std::optional<double> PValue;  // nothing for None and Reference
    TVerdict Verdict = TVerdict::None;
};

// Compares the runs of a machine with those of the reference machine.
// `higherIsBetter` is true for speeds and false for times. Values that are
// not positive are not measurements and should not be passed (they are left
// out). With `isReference` the verdict is Reference and the ratio 1
// (interval as for any machine against itself).
TScoreComparison CompareRuns(std::span<const double> machine, std::span<const double> reference,
                             bool higherIsBetter, bool isReference = false);

// The same with runs prepared once; a table of many machines against one
// reference should prepare each machine's runs of each score only once.
TScoreComparison CompareRuns(const TRunSample& machine, const TRunSample& reference,
                             bool higherIsBetter, bool isReference = false);

// A machine's overall row against the reference. The reference's own row
// has the geometric mean 1 and no verdicts counted.
struct TOverall {
    std::optional<double> GeometricMean;  // of the ratios of the scores both machines have
    int Scores = 0;                       // how many ratios went into it
    int Faster = 0;
    int Slower = 0;
    int NoDifference = 0;
};

TOverall Overall(std::span<const TScoreComparison> scores);

}  // namespace vt::stats
