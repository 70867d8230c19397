#include "sysinfo/run_conditions.h"

#include <algorithm>
#include <cmath>

namespace vt {

namespace {

std::string Percent(double value)
{
    return std::to_string(static_cast<long long>(value)) + "%";
}

// Rounded to the nearest whole percent, never shown as the limit it is
// below ("got 95%" for 94.7% would contradict the verdict).
std::string PercentBelow(double value, double limit)
{
    const double rounded = std::round(value);
    return Percent(rounded >= limit ? std::floor(value) : rounded);
}

std::string PercentAtLeast(double value)
{
    return Percent(std::round(value));
}

template <class T>
void Lowest(std::optional<T>& into, const std::optional<T>& value)
{
    if (value && (!into || *value < *into)) into = value;
}

template <class T>
void Highest(std::optional<T>& into, const std::optional<T>& value)
{
    if (value && (!into || *value > *into)) into = value;
}

// "a", "a and b", "a, b and c".
std::string Clauses(const std::vector<std::string>& clauses)
{
    std::string text;
    for (std::size_t i = 0; i < clauses.size(); ++i) {
        if (i > 0) text += i + 1 == clauses.size() ? " and " : ", ";
        text += clauses[i];
    }
    return text;
}

}  // namespace

TThreadUse ThreadUseOfTest(int test, int threads)
{
    switch (test) {
        case 4:
        case 7:
            return {TThreadUse::TKind::Waits, 1};
        case 6:
            return {TThreadUse::TKind::Threads, std::max(threads, 1)};
        default:
            return {TThreadUse::TKind::Busy, 1};
    }
}

std::optional<double> OtherCpuPct(const TCounterReading& from, const TCounterReading& to)
{
    const double wall = to.Wall - from.Wall;
    if (!from.System || !to.System || !(wall > 0)) return std::nullopt;
    const double busy = to.System->Busy() - from.System->Busy();
    const double own = to.ProcessCpu - from.ProcessCpu;
    return std::max(0.0, busy - own) / wall * 100;
}

double OtherCpuMarginPct(const TCounterReading& from, const TCounterReading& to)
{
    const double wall = to.Wall - from.Wall;
    if (!to.System || !(wall > 0)) return 0;
    // One step of each processor's counters at either reading.
    return 2 * to.System->Cpus * to.System->Resolution / wall * 100;
}

std::optional<double> StealPct(const TCounterReading& from, const TCounterReading& to)
{
    if (!from.System || !to.System || !from.System->Steal || !to.System->Steal) return std::nullopt;
    const double total = to.System->Total() - from.System->Total();
    if (!(total > 0)) return std::nullopt;
    return std::max(0.0, *to.System->Steal - *from.System->Steal) / total * 100;
}

TRunConditions Conclude(const TConditionReadings& r)
{
    TRunConditions c;
    if (r.JudgedCapacity > 0)
        c.ThreadCpuShare = std::min(1.0, r.JudgedCpu / r.JudgedCapacity);
    else if (r.WaitingCapacity > 0)
        c.ThreadCpuShare = std::min(1.0, r.WaitingCpu / r.WaitingCapacity);
    if (r.SecondBefore) c.OtherCpuBeforePct = OtherCpuPct(*r.SecondBefore, r.Start);
    c.OtherCpuDuringPct = OtherCpuPct(r.Start, r.End);
    c.StealPct = StealPct(r.Start, r.End);
    c.ClockMinMHz = r.ClockMinMHz;
    c.ClockMaxMHz = r.ClockMaxMHz;
    c.Governor = r.Governor;
    if (r.ThrottleStart && r.ThrottleEnd)
        c.ThrottleEvents = std::max<std::int64_t>(0, *r.ThrottleEnd - *r.ThrottleStart);
    c.MaxTemperatureC = r.MaxTemperatureC;
    c.OnBattery = r.OnBattery;

    // The verdict, each figure less what the counters' steps may add.
    if (r.JudgedCapacity > 0) {
        const double margin = 2 * r.JudgedParts * r.CpuResolution / r.JudgedCapacity;
        const double share = r.JudgedCpu / r.JudgedCapacity;
        if (share + margin < kQuietThreadShare)
            c.Disturbances.push_back("the measuring thread got " +
                                     PercentBelow(share * 100, kQuietThreadShare * 100) +
                                     " of a CPU");
    }
    if (c.OtherCpuBeforePct &&
        *c.OtherCpuBeforePct - OtherCpuMarginPct(*r.SecondBefore, r.Start) >= kQuietOtherCpuPct)
        c.Disturbances.push_back("other processes used " + PercentAtLeast(*c.OtherCpuBeforePct) +
                                 " of a CPU in the second before");
    if (c.OtherCpuDuringPct &&
        *c.OtherCpuDuringPct - OtherCpuMarginPct(r.Start, r.End) >= kQuietOtherCpuPct)
        c.Disturbances.push_back("other processes used " + PercentAtLeast(*c.OtherCpuDuringPct) +
                                 " of a CPU");
    if (c.StealPct && r.End.System) {
        const double total = r.End.System->Total() - r.Start.System->Total();
        const double margin = 2 * r.End.System->Cpus * r.End.System->Resolution / total * 100;
        if (*c.StealPct - margin >= kQuietStealPct)
            c.Disturbances.push_back("the virtual machine's host took " +
                                     PercentAtLeast(*c.StealPct) + " of the processor time");
    }
    if (c.ThrottleEvents && *c.ThrottleEvents > 0)
        c.Disturbances.push_back(*c.ThrottleEvents == 1
                                     ? std::string("the processor throttled once for heat")
                                     : "the processor throttled " +
                                           std::to_string(*c.ThrottleEvents) + " times for heat");
    c.Quiet = c.Disturbances.empty();
    return c;
}

std::string NotQuietWarning(int run, int runs, const TRunConditions& conditions)
{
    if (conditions.Quiet) return {};
    std::vector<std::string> clauses = conditions.Disturbances;
    if (clauses.empty()) clauses.push_back("it was disturbed");
    return "run " + std::to_string(run) + " of " + std::to_string(runs) + ": " + Clauses(clauses) +
           "; its figures are not this machine's own";
}

TRunConditions CombineConditions(const std::vector<std::pair<int, TRunConditions>>& tests)
{
    TRunConditions all;
    std::vector<std::string> governors;
    for (const auto& [test, c] : tests) {
        Lowest(all.ThreadCpuShare, c.ThreadCpuShare);
        Highest(all.OtherCpuBeforePct, c.OtherCpuBeforePct);
        Highest(all.OtherCpuDuringPct, c.OtherCpuDuringPct);
        Highest(all.StealPct, c.StealPct);
        Lowest(all.ClockMinMHz, c.ClockMinMHz);
        Highest(all.ClockMaxMHz, c.ClockMaxMHz);
        if (c.Governor &&
            std::find(governors.begin(), governors.end(), *c.Governor) == governors.end()) {
            governors.push_back(*c.Governor);
            all.Governor = all.Governor ? *all.Governor + "," + *c.Governor : *c.Governor;
        }
        if (c.ThrottleEvents)
            all.ThrottleEvents = all.ThrottleEvents.value_or(0) + *c.ThrottleEvents;
        Highest(all.MaxTemperatureC, c.MaxTemperatureC);
        Highest(all.OnBattery, c.OnBattery);  // on battery in any test
        all.Quiet = all.Quiet && c.Quiet;
        for (const std::string& clause : c.Disturbances)
            all.Disturbances.push_back("test " + std::to_string(test) + ": " + clause);
    }
    return all;
}

}  // namespace vt
