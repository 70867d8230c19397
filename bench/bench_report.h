// What every benchmark in bench/ prints: one RESULT row per figure, which
// tools/bench gathers into a single table.
//
//   RESULT|<figure>|<ours>|<reference>|<ratio>|<target>|<holds: yes/no/->|<spread>
//
// A figure without a target (printed for information) has target "-" and
// holds "-". Spread is the relative range (max - min) / median of our runs.
#pragma once

#include <algorithm>
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

// A row with a target: `holds` says whether the ratio ours / reference meets it.
inline void Report(const std::string& figure, const Summary& ours, const Summary& reference,
                   const std::string& target, bool holds)
{
    const double ratio = reference.median != 0 ? ours.median / reference.median : 0;
    std::printf("RESULT|%s|%.6g|%.6g|%.4f|%s|%s|%.1f%%\n", figure.c_str(), ours.median,
                reference.median, ratio, target.c_str(), holds ? "yes" : "no",
                100.0 * ours.Spread());
    std::fflush(stdout);
}

// A row printed for information only.
inline void Inform(const std::string& figure, const Summary& ours, const std::string& unit)
{
    std::printf("RESULT|%s|%.6g %s|-|-|-|-|%.1f%%\n", figure.c_str(), ours.median, unit.c_str(),
                100.0 * ours.Spread());
    std::fflush(stdout);
}

}  // namespace vt::bench
