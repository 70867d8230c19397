// Statistics over repeated runs: what one machine's runs of a score say, and
// whether two machines' runs show a real difference or only run-to-run noise.
//
// Plain numbers in, plain numbers out; no widget, no text formatting beyond
// the verdict's word. The Compare window, `compare --text` and `compare --csv`
// all show the one result computed here.
//
// A difference is called only where the two-sided Brunner-Munzel test of the
// two machines' runs (stats/brunner_munzel.h) rejects at the 5% level: it asks
// whether a run of one machine tends to beat a run of the other, and keeps
// that level when one machine is much noisier than the other. Each machine
// needs at least kLeastRuns runs for a verdict: with fewer, a noisy machine's
// runs all land on one side of a quiet machine's too often (two times in 32
// for five runs) even where the two are alike.
//
// The ratio is the median of the ratios of a run of the machine to a run of
// the reference, with the 95% interval of the factors that the same test does
// not reject (stats/ratio_interval.h): the ratio lies inside its interval, a
// difference is called only where the interval does not hold 1 strictly
// inside, and it is called wherever the interval leaves 1 out. The ratio of
// the medians is given beside it.
//
// Figures rounded by the log (a time kept to 0.01 s) tie often and make the
// test's factors jump from one ratio of rounded values to the next; where a
// machine's runs are all whole multiples of a step, the interval is widened by
// half a step at both machines' medians, and a step above 2% of a median is
// flagged, since the runs cannot then show a small difference.
//
// A value that is not a finite positive number is not a measurement: it is
// left out wherever runs are given here.
#pragma once

#include "stats/sorted_sample.h"

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
    double Step = 0;    // the rounding of the values (RoundingStep), 0 where none
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

// A step of rounding above this share of a median is flagged.
inline constexpr double kCoarseRounding = 0.02;

// The fewest runs of each machine that can show a difference: if one
// machine's runs spread and the other's do not, all of k runs land above (or
// all below) the other's with a chance of up to 2 / 2^k, which is below kAlpha
// from k = 6 on.
inline constexpr int kLeastRuns = 6;

// Two-sided p-value of the Brunner-Munzel test of `x` against `y`: the exact
// studentised permutation distribution where the splits of the runs are few
// enough to count, Student's t otherwise. 1 when either sample is empty.
double BrunnerMunzelPValue(std::span<const double> x, std::span<const double> y);

// Whether `m` runs against `n` runs can show a difference at all: both are
// at least kLeastRuns.
bool CanShowDifference(int m, int n);

// The verdict on one score of a machine against the reference machine.
enum class TVerdict {
    None,          // either machine has no value of this score
    Reference,     // the reference machine itself
    Faster,        // better than the reference
    Slower,        // worse than the reference
    NoDifference,  // the runs do not show a difference at the 5% level
    // A machine has fewer than kLeastRuns runs, or even runs that do not
    // overlap at all could not show a difference.
    TooFewRuns,
};

// "", "reference", "faster", "slower", "no difference", "too few runs".
const char* VerdictText(TVerdict verdict);

// One score of a machine against the reference machine.
struct TScoreComparison {
    // The median of the ratios of a run of the machine to a run of the
    // reference, oriented so that above 1 is better: machine / reference for
    // speeds, reference / machine for times.
    std::optional<double> Ratio;
    // The 95% interval of that ratio, same orientation; nothing where the
    // runs are too few for one.
    std::optional<double> Low;
    std::optional<double> High;
    std::optional<double> PValue;  // nothing for None and Reference
    TVerdict Verdict = TVerdict::None;
    std::optional<double> MedianRatio;  // the ratio of the medians, same orientation
    // A machine's rounding step is above kCoarseRounding of its median.
    bool CoarseRounding = false;
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
