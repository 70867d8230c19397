// The conditions a run met, worked out from the counters read around and
// during it (sysinfo/condition_sampler.h reads them), and the verdict on
// whether the run was quiet: whether its figures are this machine's own.
//
// A run is not quiet when
//  - the measuring thread got less than 95% of a CPU while it measured. This
//    is judged only for parts that keep their thread busy (tests 1, 2, 3, 5;
//    for test 6 its threads together, the process's processor time over
//    threads x wall time). A test that waits for the disk (tests 4 and 7)
//    gets less by its nature: its share is recorded but not judged;
//  - other processes took 10% or more of one CPU in the second before the
//    run or during it;
//  - the host of a virtual machine took 5% or more of the processor time
//    (steal);
//  - the processor throttled for heat.
// The kernel counts processor time in ticks (10 ms on Linux, about 15.6 ms on
// Windows) and a count read twice may be one tick off on each processor: a
// figure is judged only by what exceeds that, so a short run is not called
// disturbed by the counters' own coarseness. The figures recorded are the
// measured ones.
//
// Everything here is arithmetic over readings: no counter is read.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/system_counters.h"
#include "results/run_record.h"

namespace vt {

// How a measured part uses the processor, for the share of a CPU it got.
struct TThreadUse {
    enum class TKind {
        Busy,     // one thread computing: its own processor time is judged
        Waits,    // waits for a disk: its share is recorded, not judged
        Threads,  // several threads computing: the process's time is judged
    };
    TKind Kind = TKind::Busy;
    int Threads = 1;
};

// The use of test 1 to 7; `threads` is the thread count of test 6.
TThreadUse ThreadUseOfTest(int test, int threads = 1);

// One look at the counters that are compared between two moments.
struct TCounterReading {
    double Wall = 0;  // seconds on a steady clock
    std::optional<TSystemCpuTimes> System;
    double ProcessCpu = 0;  // this process's processor time, seconds
};

// Everything a sampled run gathered.
struct TConditionReadings {
    std::optional<TCounterReading> SecondBefore;  // about a second before Start
    TCounterReading Start;
    TCounterReading End;
    // The measured parts: the processor time they got and could have got
    // (wall time x threads), judged parts and waiting parts apart.
    double JudgedCpu = 0;
    double JudgedCapacity = 0;
    int JudgedParts = 0;
    double WaitingCpu = 0;
    double WaitingCapacity = 0;
    double CpuResolution = 0;  // the step of the thread and process clocks
    // Seen during the run.
    std::optional<double> ClockMinMHz;
    std::optional<double> ClockMaxMHz;
    std::optional<std::string> Governor;
    std::optional<std::int64_t> ThrottleStart;
    std::optional<std::int64_t> ThrottleEnd;
    std::optional<double> MaxTemperatureC;
    std::optional<bool> OnBattery;  // true when any reading found the battery in use
};

// The limits of a quiet run.
constexpr double kQuietThreadShare = 0.95;
constexpr double kQuietOtherCpuPct = 10;
constexpr double kQuietStealPct = 5;

// Processor time other processes took between two readings, in % of one
// CPU: the machine's busy time less this process's. None without the
// machine's counts or with no time between the readings.
std::optional<double> OtherCpuPct(const TCounterReading& from, const TCounterReading& to);
// How far OtherCpuPct may be off by the counters' ticks, in the same unit.
double OtherCpuMarginPct(const TCounterReading& from, const TCounterReading& to);

// Steal between two readings in % of the machine's processor time. None
// where the system does not count steal.
std::optional<double> StealPct(const TCounterReading& from, const TCounterReading& to);

// The conditions and the verdict.
TRunConditions Conclude(const TConditionReadings& readings);

// Batch's line for a run that was not quiet: "run 3 of 8: other processes
// used 97% of a CPU; its figures are not this machine's own". Empty for a
// quiet run.
std::string NotQuietWarning(int run, int runs, const TRunConditions& conditions);

// The conditions of several tests run apart (the window's last run of each
// test) as one: the worst of each figure, the clocks' whole range, the
// throttle events added up, quiet only when every test was, and each
// disturbance prefixed by its test ("test 2: ...").
TRunConditions CombineConditions(const std::vector<std::pair<int, TRunConditions>>& tests);

}  // namespace vt
