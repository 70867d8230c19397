// What every benchmark in bench/ prints, and how it pairs its runs.
//
// A bench measures one of our figures and a reference for it in the same
// process, alternately: run i measures both, back to back, and the side that
// goes first changes from run to run. On a shared machine other processes and
// the host take time from the bench at random; a pair measured back to back
// sees nearly the same load, so the ratio of each pair is far steadier than
// either figure. The ratio a target is judged by is therefore the median of
// the paired ratios, not the ratio of the two medians.
//
// Its standard output carries one RESULT row per figure, which tools/bench
// gathers into a single table; every other line goes to standard error. A
// bench exits 0 when it measured, whether or not the targets hold (the table
// says that), and non-zero only when it could not measure.
//
//   RESULT|<figure>|<ours>|<reference>|<ratio>|<target>|<holds: yes/no/->|<spread>
//
// A figure without a target (printed for information) has target "-" and
// holds "-". The spread is the relative range (max - min) / median of our
// runs and of the reference's runs, "ours / reference".
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

namespace vt::bench {

struct Summary {
    double median = 0;
    double min = 0;
    double max = 0;
    double Spread() const { return median != 0 ? (max - min) / median : 0; }
};

inline Summary Summarise(std::vector<double> runs)
{
    Summary s;
    if (runs.empty()) return s;
    std::sort(runs.begin(), runs.end());
    const std::size_t n = runs.size();
    s.median = n % 2 ? runs[n / 2] : (runs[n / 2 - 1] + runs[n / 2]) / 2;
    s.min = runs.front();
    s.max = runs.back();
    return s;
}

// What a ratio ours / reference must meet.
struct Target {
    enum class Kind { None, AtMost, AtLeast, Within, Between };
    Kind kind = Kind::None;
    double limit = 0;
    double upper = 0;  // Between: limit <= ratio <= upper

    static Target None() { return {}; }
    static Target AtMost(double limit) { return {Kind::AtMost, limit}; }
    static Target AtLeast(double limit) { return {Kind::AtLeast, limit}; }
    // |ratio - 1| <= tolerance.
    static Target Within(double tolerance) { return {Kind::Within, tolerance}; }
    static Target Between(double lower, double upper) { return {Kind::Between, lower, upper}; }

    bool Holds(double ratio) const
    {
        switch (kind) {
            case Kind::AtMost:
                return ratio <= limit;
            case Kind::AtLeast:
                return ratio >= limit;
            case Kind::Within:
                return std::fabs(ratio - 1) <= limit;
            case Kind::Between:
                return ratio >= limit && ratio <= upper;
            case Kind::None:
                break;
        }
        return true;
    }
    std::string Text() const
    {
        char text[32];
        switch (kind) {
            case Kind::AtMost:
                std::snprintf(text, sizeof text, "<= %g", limit);
                break;
            case Kind::AtLeast:
                std::snprintf(text, sizeof text, ">= %g", limit);
                break;
            case Kind::Within:
                std::snprintf(text, sizeof text, "1 +- %g%%", 100 * limit);
                break;
            case Kind::Between:
                std::snprintf(text, sizeof text, "%g to %g", limit, upper);
                break;
            case Kind::None:
                return "-";
        }
        return text;
    }
};

// The runs of one figure and of its reference; entry i of both belongs to
// pair i.
struct Pairs {
    std::vector<double> ours, reference;

    void Add(double o, double r)
    {
        ours.push_back(o);
        reference.push_back(r);
    }
    std::vector<double> Ratios() const
    {
        std::vector<double> ratios;
        for (std::size_t i = 0; i < ours.size() && i < reference.size(); ++i)
            ratios.push_back(reference[i] != 0 ? ours[i] / reference[i] : 0);
        return ratios;
    }
    std::vector<double> Differences() const
    {
        std::vector<double> differences;
        for (std::size_t i = 0; i < ours.size() && i < reference.size(); ++i)
            differences.push_back(ours[i] - reference[i]);
        return differences;
    }
};

// Detail lines for the reader of a bench's own output.
__attribute__((format(printf, 1, 2))) inline void Detail(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
}

// Runs `runs` pairs of `ours()` and `reference()` (each returning the figure
// of one run), ours first in even runs and the reference first in odd ones,
// and prints each pair on standard error. One pair runs first and is not
// counted: it takes the first-time costs (memory mapped in, caches and
// allocator pools filled, code paged in) that no later run pays.
template <class Ours, class Reference>
Pairs RunAlternating(const char* figure, int runs, Ours ours, Reference reference)
{
    Pairs pairs;
    {
        const double o = ours(), r = reference();
        Detail("%s warm-up: ours %10.5g  reference %10.5g (not counted)\n", figure, o, r);
    }
    for (int run = 0; run < runs; ++run) {
        double o, r;
        if (run % 2 == 0) {
            o = ours();
            r = reference();
        } else {
            r = reference();
            o = ours();
        }
        pairs.Add(o, r);
        Detail("%s run %2d: ours %10.5g  reference %10.5g  ratio %.4f\n", figure, run + 1, o, r,
               r != 0 ? o / r : 0);
    }
    return pairs;
}

inline std::string Value(double value, const std::string& unit)
{
    char text[48];
    std::snprintf(text, sizeof text, unit.empty() ? "%.5g" : "%.5g %s", value, unit.c_str());
    return text;
}

inline std::string Percent(double fraction)
{
    char text[24];
    std::snprintf(text, sizeof text, "%.1f%%", 100 * fraction);
    return text;
}

inline void Row(const std::string& figure, const std::string& ours, const std::string& reference,
                const std::string& ratio, const std::string& target, const std::string& holds,
                const std::string& spread)
{
    std::printf("RESULT|%s|%s|%s|%s|%s|%s|%s\n", figure.c_str(), ours.c_str(), reference.c_str(),
                ratio.c_str(), target.c_str(), holds.c_str(), spread.c_str());
    std::fflush(stdout);
}

// A figure against its reference: the medians of both, the median of the
// paired ratios, judged by `target`. Returns whether the target holds.
inline bool ReportRatio(const std::string& figure, const std::string& unit, const Pairs& pairs,
                        const Target& target)
{
    const Summary ours = Summarise(pairs.ours), reference = Summarise(pairs.reference);
    const double ratio = Summarise(pairs.Ratios()).median;
    const bool holds = target.Holds(ratio);
    char ratioText[24];
    std::snprintf(ratioText, sizeof ratioText, "%.3f", ratio);
    Row(figure, Value(ours.median, unit), Value(reference.median, unit), ratioText, target.Text(),
        target.kind == Target::Kind::None ? "-"
        : holds                           ? "yes"
                                          : "no",
        Percent(ours.Spread()) + " / " + Percent(reference.Spread()));
    return holds;
}

// A figure that must stay within `limit` of its reference: ours is the
// median of the paired differences ours - reference. Returns whether it holds.
inline bool ReportExcess(const std::string& figure, const std::string& unit, const Pairs& pairs,
                         double limit)
{
    const Summary excess = Summarise(pairs.Differences());
    const Summary reference = Summarise(pairs.reference);
    const bool holds = excess.median <= limit;
    Row(figure, Value(excess.median, unit), Value(reference.median, unit), "-",
        "<= " + Value(limit, unit), holds ? "yes" : "no",
        Percent(Summarise(pairs.ours).Spread()) + " / " + Percent(reference.Spread()));
    return holds;
}

// A figure that must stay at or below `limit` in every run (a resource such
// as memory, not a time): ours is the largest run. Returns whether it holds.
inline bool ReportLimit(const std::string& figure, const std::string& unit,
                        const std::vector<double>& runs, double limit)
{
    const Summary s = Summarise(runs);
    const bool holds = s.max <= limit;
    Row(figure, Value(s.max, unit), "-", "-", "<= " + Value(limit, unit), holds ? "yes" : "no",
        Percent(s.Spread()));
    return holds;
}

// A figure printed for information only.
inline void Inform(const std::string& figure, const std::string& unit,
                   const std::vector<double>& runs)
{
    const Summary s = Summarise(runs);
    Row(figure, Value(s.median, unit), "-", "-", "-", "-", Percent(s.Spread()));
}

}  // namespace vt::bench
