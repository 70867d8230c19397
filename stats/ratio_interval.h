// The 95% interval of the ratio of two machines' runs, by inverting their
// test: the factors f for which the Brunner-Munzel test of the numerator's
// runs divided by f against the denominator's does not reject at kAlpha.
// Where the test is exact it runs from the lowest factor accepted to the
// highest; with many runs (Student's t) its ends are searched for from the
// estimate outward, and each is the ratio of two runs, where the test's
// outcome changes, found among the few that a narrowing search leaves (a
// dozen tests a side, not the hundreds of thousands of ratios of two large
// machines). It always holds the estimate, the median of the
// ratios of a run of one machine to a run of the other (the factor that makes
// the test's statistic zero); and since the ratio 1 is the test of the runs
// themselves, a difference called and an interval that leaves 1 out go
// together (stats/run_statistics.h).
#pragma once

#include <optional>

#include "stats/brunner_munzel.h"

namespace vt::stats {

struct TRatioInterval {
    // Nothing on a side where the test rejects no factor however far: the
    // runs are too few to bound the ratio.
    std::optional<double> Low, High;
};

// `test` is of `top` against `bottom`; `estimate` lies between their
// smallest and largest ratio.
TRatioInterval InvertTest(const TBrunnerMunzel& test, const TSortedSample& top,
                          const TSortedSample& bottom, double estimate);

}  // namespace vt::stats
