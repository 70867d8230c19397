#!/usr/bin/python3
"""Expected values of run_statistics_test.cpp, computed apart from the code
under test: p-values by scipy's Mann-Whitney test, critical values from
scipy's distributions, intervals from every pairwise ratio formed and sorted.

Made once with Debian 12's python3-scipy (1.10); CI does not need it:
    /usr/bin/python3 tests/core/run_statistics_cases.py > tests/core/run_statistics_cases.inc
"""
import math
import random
import textwrap
from collections import Counter

import numpy
from scipy.stats import mannwhitneyu, norm

ALPHA = 0.05
EXACT_MAX_PAIRS = 2500


def has_ties(x, y):
    return len(set(x) | set(y)) < len(x) + len(y)


def exact_p_of_u(u, m, n):
    """scipy's exact two-sided p for U = u, from samples built to give it."""
    y = [float(j) for j in range(n)]
    x, left = [], u
    for i in range(m):
        below = min(left, n)
        left -= below
        x.append(below - 0.5 + i * 1e-3)
    return mannwhitneyu(x, y, alternative="two-sided", method="exact").pvalue


def u_of(x, y):
    return sum((a > b) + 0.5 * (a == b) for a in x for b in y)


def normal_sd(x, y):
    m, n = len(x), len(y)
    size = m + n
    ties = sum(t**3 - t for t in Counter(list(x) + list(y)).values())
    return math.sqrt(m * n / 12 * ((size + 1) - ties / (size * (size - 1))))


def test(x, y):
    """(p, the largest whole U with p below ALPHA or None)."""
    m, n = len(x), len(y)
    if not has_ties(x, y) and m * n <= EXACT_MAX_PAIRS:
        p = mannwhitneyu(x, y, alternative="two-sided", method="exact").pvalue
        critical = None
        for u in range(m * n // 2 + 1):
            if exact_p_of_u(u, m, n) >= ALPHA:
                break
            critical = u
        return p, critical
    p = mannwhitneyu(x, y, alternative="two-sided", method="asymptotic").pvalue
    sd = normal_sd(x, y)

    def p_of(u):
        return 1.0 if sd == 0 else min(1.0, 2 * norm.sf((m * n / 2 - u - 0.5) / sd))

    # The variance written out here must be scipy's.
    assert math.isclose(p_of(min(u_of(x, y), m * n - u_of(x, y))), p, rel_tol=1e-9)
    critical = None
    for u in range(m * n // 2 + 1):
        if p_of(u) >= ALPHA:
            break
        critical = u
    return p, critical


def number(v):
    return "kNone" if v is None else repr(float(v))


def row(text):
    return textwrap.fill(text, 100, initial_indent="    ", subsequent_indent="        ",
                         break_long_words=False, break_on_hyphens=False)


def values(v):
    return "{" + ", ".join(repr(float(a)) for a in v) + "}"


def sample(rng, count, centre, spread, decimals):
    return [round(rng.uniform(centre - spread, centre + spread), decimals) for _ in range(count)]


def distinct(rng, count, centre, spread, decimals, taken=()):
    seen, out = set(taken), []
    while len(out) < count:
        v = round(rng.uniform(centre - spread, centre + spread), decimals)
        if v not in seen:
            seen.add(v)
            out.append(v)
    return out


def p_rows(rng):
    rows = []

    def add(name, x, y):
        rows.append((name, x, y))

    def add_distinct(name, m, n, x_centre, y_centre, spread, decimals):
        x = distinct(rng, m, x_centre, spread, decimals)
        add(name, x, distinct(rng, n, y_centre, spread, decimals, x))

    add("ExactSeparated3v5", [1.1, 1.2, 1.3], [2.0, 2.1, 2.2, 2.3, 2.4])
    add("ExactOneRunAgainstNine", [5.5], [1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0, 9.0])
    add("ExactOneAgainstOne", [2.0], [1.0])
    add_distinct("ExactOverlap5v6", 5, 6, 10, 11, 3, 2)
    add_distinct("Exact8v8ThirtyPercent", 8, 8, 130, 100, 9, 2)
    add_distinct("Exact20v30", 20, 30, 50, 53, 10, 3)
    add_distinct("ExactLargest50v50", 50, 50, 100, 106, 20, 3)
    add_distinct("ExactUnlike10v250", 10, 250, 100, 92, 20, 3)
    add_distinct("NormalPast2500Pairs51v50", 51, 50, 100, 106, 20, 3)
    add("NormalTies5v5", [3.0, 3.0, 4.0, 5.0, 6.0], [4.0, 5.0, 5.0, 7.0, 8.0])
    add("NormalTiesWithinOnly3v3", [1.0, 1.0, 1.0], [2.0, 2.0, 2.0])
    add("NormalTiesRounded8v8", sample(rng, 8, 2400, 800, -2), sample(rng, 8, 2000, 800, -2))
    add("NormalTiesRounded40v60", sample(rng, 40, 3.0, 0.3, 1), sample(rng, 60, 3.1, 0.3, 1))
    add("NormalAllEqual4v4", [7.0] * 4, [7.0] * 4)
    out = ["// Mann-Whitney p-values: name, x, y, p.", "const PCase kPCases[] = {"]
    for name, x, y in rows:
        p, _ = test(x, y)
        out.append(row(f'{{"{name}", {values(x)}, {values(y)}, {p!r}}},'))
    return out + ["};"]


def comparison_rows(rng):
    rows = []

    def add(name, machine, reference, higher_is_better):
        rows.append((name, machine, reference, higher_is_better))

    # Sixteen runs of one machine's CyclesPerSec, as noisy as a busy virtual
    # machine gives them, split into its first and last eight.
    cycles = sample(rng, 16, 2517, 823, 1)
    add("OneMachineSplitInTwo", cycles[:8], cycles[8:], True)
    reference = distinct(rng, 8, 1000, 60, 1)
    faster = [round(v * 1.3 + rng.uniform(-30, 30), 1) for v in reference]
    add("ThirtyPercentFasterSpeed", faster, reference, True)
    add("ThirtyPercentLongerTime", faster, reference, False)
    add("OneRunAgainstEight", [1300.0], reference, True)
    add("SeparatedThreeAgainstFive", [1.1, 1.2, 1.3], [2.0, 2.1, 2.2, 2.3, 2.4], False)
    add("OverlappingFourAgainstFour", [10.1, 10.5, 11.2, 12.0], [9.9, 10.7, 11.0, 11.8], True)
    add("TiedIntegerSpeeds10v12", sample(rng, 10, 1530, 40, 0), sample(rng, 12, 1500, 40, 0), True)
    # Rounded times that tie where the runs meet: an end of the interval is 1.
    add("TiedTimesMeetingAtOne", [0.05] * 4 + [0.06] * 4, [0.06] * 4 + [0.07] * 4, False)
    x = distinct(rng, 60, 100, 25, 3)
    add("Normal60v70", x, distinct(rng, 70, 108, 25, 3, x), True)
    out = ["// Comparisons: name, machine, reference, higher is better, ratio, low, high, p,",
           "// verdict.", "const ComparisonCase kComparisonCases[] = {"]
    for name, machine, reference, higher in rows:
        top, bottom = (machine, reference) if higher else (reference, machine)
        m, n = len(top), len(bottom)
        p, critical = test(top, bottom)
        can_show = 2 / math.comb(m + n, m) < ALPHA
        low = high = None
        if can_show and critical is not None:
            ratios = sorted(a / b for a in top for b in bottom)
            low, high = ratios[critical], ratios[m * n - 1 - critical]
        if not can_show or critical is None:
            verdict = "TooFewRuns"
        elif p >= ALPHA:
            verdict = "NoDifference"
        else:
            verdict = "Faster" if u_of(top, bottom) > m * n / 2 else "Slower"
        ratio = numpy.median(top) / numpy.median(bottom)
        out.append(row(f'{{"{name}", {values(machine)}, {values(reference)}, '
                       f'{str(higher).lower()}, {number(ratio)}, {number(low)}, {number(high)}, '
                       f'{p!r}, TVerdict::{verdict}}},'))
    return out + ["};"]


def main():
    rng = random.Random(20)
    print("// Made by tests/core/run_statistics_cases.py; do not edit.")
    print("\n".join(p_rows(rng)))
    print("\n".join(comparison_rows(rng)))


main()
