// What the system counts about its processors, read when asked: processor
// time of the whole machine, of this process and of the calling thread; the
// processors' clocks and frequency governor; thermal throttling; the highest
// temperature; battery or mains. The run conditions sampler reads these
// around and during a run.
//
// A value the system does not keep is absent, never 0: a virtual machine
// without cpufreq has no clocks, a desktop has no battery, Windows keeps no
// steal time, no governor, no throttle counts and (for a normal user) no
// temperatures.
//
// On Linux everything comes from /proc and /sys. Each reader has a form
// that takes the folder standing for "/" (tests give a prepared folder); the
// plain forms read the running system.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

// Processor time of the whole machine since it started, in seconds, summed
// over every CPU. Linux counts in ticks of the kernel's USER_HZ (10 ms on
// every common kernel); Windows in 100 ns units that advance by its timer
// tick (about 15.6 ms).
struct TSystemCpuTimes {
    double User = 0;
    double Nice = 0;  // Linux only: low-priority user time
    double System = 0;
    double Idle = 0;
    std::optional<double> IoWait;   // Linux: idle with a disk request outstanding
    std::optional<double> Irq;      // Linux: hardware interrupts
    std::optional<double> SoftIrq;  // Linux: deferred interrupt work
    std::optional<double> Steal;    // Linux: taken by the host of a virtual machine
    int Cpus = 1;                   // processors counted
    double Resolution = 0;          // seconds per step of one CPU's counters

    // Time some program or the kernel ran: user, nice, system, irq, softirq.
    double Busy() const;
    // Every kind, idle and steal included.
    double Total() const;
};

std::optional<TSystemCpuTimes> SystemCpuTimes();

// Processor time of the calling thread, and of every thread of this
// process, in seconds. Linux's clocks count to the nanosecond; Windows's
// advance by its timer tick.
double ThreadCpuSeconds();
double ProcessCpuSeconds();
// The step by which ThreadCpuSeconds advances, in seconds.
double ThreadCpuResolution();

// The current clock of each processor whose clock the system reports, in
// MHz, and the frequency governor (the distinct governors in processor
// order, joined by ","). Both empty where the system reports none.
struct TProcessorClocks {
    std::vector<double> MHz;
    std::optional<std::string> Governor;
};
TProcessorClocks ProcessorClocks();

// Thermal throttling events since the machine started: every processor's
// core events plus each package's events once. None where the system does
// not count them.
std::optional<std::int64_t> ThrottleEvents();

// The highest temperature any sensor reports now, in degrees Celsius. None
// where no sensor can be read. Readings outside -40 to 150 degrees are taken
// for a sensor's fault and left out.
std::optional<double> HighestTemperatureC();

// True when the machine runs from its battery, false on mains; none where it
// has no battery (or cannot tell).
std::optional<bool> OnBattery();

#if !defined(_WIN32)
// ---- the Linux readers under a folder standing for "/" ----
std::optional<TSystemCpuTimes> SystemCpuTimesUnder(const std::string& root);
TProcessorClocks ProcessorClocksUnder(const std::string& root);
std::optional<std::int64_t> ThrottleEventsUnder(const std::string& root);
std::optional<double> HighestTemperatureCUnder(const std::string& root);
std::optional<bool> OnBatteryUnder(const std::string& root);

// The machine's "cpu" line of a /proc/stat text, `secondsPerTick` the
// kernel's USER_HZ step; the processors are the "cpuN" lines. None when the
// line is missing or its first four counts are not numbers; counts a kernel
// leaves out are none.
std::optional<TSystemCpuTimes> ParseProcStat(std::string_view text, double secondsPerTick);
#endif

}  // namespace vt
