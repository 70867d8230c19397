// Statistics over repeated runs: what one machine's runs of a score say, and
// whether two machines' runs show a real difference or only run-to-run noise.
//
// Plain numbers in, plain numbers out; no widget, no text formatting beyond
// the verdict's word. The Compare window, `compare --text` and `compare --csv`
// all show the one result computed here.
//
// A difference is called only where a two-sided Mann-Whitney U test of the
// two machines' runs rejects equality at the 5% level. The ratio of medians
// comes with a 95% distribution-free interval taken from the same test, so
// that the interval leaves out 1 exactly when the test calls a difference.
#pragma once

#include <optional>
#include <span>
#include <vector>

namespace vt::stats {

// The level at which a difference is called, and the interval's complement.
inline constexpr double kAlpha = 0.05;

// One machine's runs of one score.
struct TRunSummary {
    int Runs = 0;           // values given (every value is a measurement)
    double Median = 0;      // the middle value; the mean of the two middle ones
    double Min = 0;
    double Max = 0;
    double Spread = 0;      // (Max - Min) / Median; 0 for a single run
};

// The summary of `runs` (any order). Runs is 0 and the rest 0 for no values.
TRunSummary Summarize(std::span<const double> runs);

// Two-sided p-value of the Mann-Whitney U test of `x` against `y`: the exact
// distribution of U where both samples are small and no value is tied, the
// normal approximation with tie correction and continuity correction
// otherwise. 1 when either sample is empty.
double MannWhitneyPValue(std::span<const double> x, std::span<const double> y);

// Whether `m` runs against `n` runs can show a difference at all: the
// smallest two-sided p-value they can reach (completely separated runs) is
// below kAlpha. False for 3 against 3, 1 against 8 or 2 against 5; true for
// 4 against 4 or 3 against 5.
bool CanShowDifference(int m, int n);

// The verdict on one score of a machine against the reference machine.
enum class TVerdict {
    None,          // either machine has no value of this score
    Reference,     // the reference machine itself
    Faster,        // better than the reference
    Slower,        // worse than the reference
    NoDifference,  // the runs do not show a difference at the 5% level
    TooFewRuns,    // even completely separated runs could not show one
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
// not positive are not measurements and must not be passed. With
// `isReference` the verdict is Reference and the ratio 1 (interval as for
// any machine against itself).
TScoreComparison CompareRuns(std::span<const double> machine, std::span<const double> reference,
                             bool higherIsBetter, bool isReference = false);

// A machine's overall row against the reference.
struct TOverall {
    std::optional<double> GeometricMean;  // of the ratios of the scores both machines have
    int Scores = 0;                       // how many ratios went into it
    int Faster = 0;
    int Slower = 0;
    int NoDifference = 0;
};

TOverall Overall(std::span<const TScoreComparison> scores);

}  // namespace vt::stats
