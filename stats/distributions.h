// The distributions that the test of two machines' runs takes its p-values
// from: Student's t for many runs, the binomial for the sign of runs against
// another machine's tight cluster.
#pragma once

namespace vt::stats {

// The chance that |T| is at least `t` for T with `degrees` degrees of
// freedom (any positive real number): the two-sided p-value of `t`. 1 for
// t = 0, 0 for an infinite t.
double StudentTwoSided(double t, double degrees);

// The two-sided p-value of `k` of `n` coin tosses coming up one way: twice
// the chance of at most min(k, n - k), at most 1.
double SignTestTwoSided(double k, double n);

}  // namespace vt::stats
