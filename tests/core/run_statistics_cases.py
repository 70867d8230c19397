#!/usr/bin/python3
"""Expected p-values of run_statistics_test.cpp, computed apart from the code
under test with scipy: the Brunner-Munzel statistic from
scipy.stats.brunnermunzel, its exact null distribution by
scipy.stats.permutation_test over every split of the pooled runs (equal runs
included), Student's t p-values by brunnermunzel itself, and the sign test of
runs against another machine's tight cluster by scipy.stats.binomtest.

Made once with Debian 12's python3-scipy (1.10); CI does not need it:
    /usr/bin/python3 tests/core/run_statistics_cases.py > tests/core/run_statistics_cases.inc
"""
import math
import random
import textwrap
import warnings

import numpy
from scipy.stats import binomtest, brunnermunzel, permutation_test

EXACT_MAX_SPLITS = 200000
warnings.simplefilter("ignore")


def statistic(x, y):
    """|Brunner-Munzel statistic|: 0 where every run ties, infinite where
    the runs do not overlap."""
    w = brunnermunzel(x, y).statistic
    return 0.0 if math.isnan(w) else abs(w)


def splits(x, y):
    """Splits of the pooled runs, equal values counted by how many go each
    way, with every distinct value a group of its own."""
    sizes = list(numpy.unique(x, return_counts=True)[1]) + \
        list(numpy.unique(y, return_counts=True)[1])
    side = min(len(x), len(y))
    ways = [1] + [0] * side
    for t in sizes:
        ways = [sum(ways[r - k] for k in range(0, min(t, r) + 1)) for r in range(side + 1)]
    return ways[side]


def cluster_p(runs, cluster):
    """The sign test of `runs` about `cluster` where `cluster` lies in one gap
    of `runs` (a tie counting one half on each side), else 0."""
    lo, hi = min(cluster), max(cluster)
    if any(lo < r < hi for r in runs):
        return 0.0
    below = sum(r < lo for r in runs) + 0.5 * sum(r == lo for r in runs)
    if hi != lo:
        below += 0.5 * sum(r == hi for r in runs)
    fewer = math.floor(min(below, len(runs) - below))
    return binomtest(fewer, len(runs), 0.5).pvalue


def by_groups(x, y):
    """The exact p-value where scipy's enumeration of every split of the
    runs one by one would take too long: every split of the pooled groups of
    equal values, by how many of each go to x, weighted by the ways."""
    values, counts = numpy.unique(numpy.concatenate((x, y)), return_counts=True)
    observed = statistic(x, y)
    extreme = total = 0

    def walk(g, left, chosen):
        nonlocal extreme, total
        if g == len(values):
            if left:
                return
            ways = math.prod(math.comb(t, k) for t, k in zip(counts, chosen))
            a = numpy.repeat(values, chosen)
            b = numpy.repeat(values, [t - k for t, k in zip(counts, chosen)])
            total += ways
            if statistic(a, b) >= observed * (1 - 1e-14):
                extreme += ways
            return
        for k in range(0, min(counts[g], left) + 1):
            walk(g + 1, left - k, chosen + [k])

    walk(0, len(x), [])
    return extreme / total


def p_value(x, y):
    """(p, how it was found)."""
    x, y = numpy.array(x), numpy.array(y)
    if splits(x, y) <= EXACT_MAX_SPLITS or min(len(x), len(y)) == 1:
        if math.comb(len(x) + len(y), len(x)) <= 20000:
            p = permutation_test((x, y), statistic, permutation_type="independent",
                                 vectorized=False, n_resamples=numpy.inf,
                                 alternative="greater").pvalue
        else:
            p = by_groups(x, y)
        how = "exact"
    else:
        p, how = brunnermunzel(x, y, alternative="two-sided", distribution="t").pvalue, "t"
        if math.isnan(p):
            # No spread within either machine: every run tied (no evidence)
            # or the machines' runs apart (the strongest there is).
            p = 0.0 if math.isinf(statistic(x, y)) else 1.0
    return max(p, cluster_p(x, y), cluster_p(y, x)), how


def values(v):
    return "{" + ", ".join(repr(float(a)) for a in v) + "}"


def row(text):
    return textwrap.fill(text, 100, initial_indent="    ", subsequent_indent="        ",
                         break_long_words=False, break_on_hyphens=False)


def sample(rng, count, median, sigma, decimals):
    return [round(median * math.exp(rng.gauss(0, sigma)), decimals) for _ in range(count)]


def main():
    rng = random.Random(32)
    rows = []

    def add(name, x, y):
        rows.append((name, x, y))

    add("Separated6v6", [1.1, 1.2, 1.3, 1.4, 1.5, 1.6], [2.0, 2.1, 2.2, 2.3, 2.4, 2.5])
    add("Overlap5v6", sample(rng, 5, 10, 0.2, 3), sample(rng, 6, 11, 0.2, 3))
    add("Shifted8v8", sample(rng, 8, 130, 0.08, 2), sample(rng, 8, 100, 0.08, 2))
    add("Alike8v8", sample(rng, 8, 100, 0.1, 2), sample(rng, 8, 100, 0.1, 2))
    add("NoisyAgainstQuiet8v8", sample(rng, 8, 100, 0.3, 2), sample(rng, 8, 100, 0.05, 2))
    add("ClusterInOneGap8v8", [50.0, 80.0, 120.0, 130.0, 140.0, 150.0, 160.0, 170.0],
        [99.0, 100.0, 100.5, 101.0, 101.5, 102.0, 98.0, 99.5])
    add("FewAgainstMany4v40", sample(rng, 4, 100, 0.1, 3), sample(rng, 40, 90, 0.1, 3))
    add("TwoAgainstMany2v300", [120.5, 131.25], sample(rng, 300, 100, 0.1, 3))
    add("Ten10v10", sample(rng, 10, 100, 0.1, 3), sample(rng, 10, 95, 0.1, 3))
    add("TiesRounded8v8", sample(rng, 8, 0.07, 0.15, 2), sample(rng, 8, 0.06, 0.15, 2))
    add("TiesRounded12v12", sample(rng, 12, 2.0, 0.05, 1), sample(rng, 12, 2.1, 0.05, 1))
    add("TiesHeavy40v40", [0.05] * 25 + [0.06] * 15, [0.05] * 12 + [0.06] * 20 + [0.07] * 8)
    add("AllEqual40v40", [7.0] * 40, [7.0] * 40)
    add("ApproxT20v20", sample(rng, 20, 100, 0.1, 3), sample(rng, 20, 107, 0.1, 3))
    add("ApproxTUnequal30v25", sample(rng, 30, 100, 0.3, 3), sample(rng, 25, 110, 0.05, 3))
    add("ApproxTTies60v50", sample(rng, 60, 3.0, 0.1, 1), sample(rng, 50, 3.1, 0.1, 1))
    add("ApproxTSeparated30v30", [float(i) for i in range(1, 31)],
        [float(i) for i in range(101, 131)])
    print("// Made by tests/core/run_statistics_cases.py; do not edit.")
    print("// Brunner-Munzel p-values: name, x, y, p, exact.")
    print("const PCase kPCases[] = {")
    for name, x, y in rows:
        p, how = p_value(x, y)
        print(row(f'{{"{name}", {values(x)}, {values(y)}, {p!r}, {str(how == "exact").lower()}}},'))
    print("};")


main()
