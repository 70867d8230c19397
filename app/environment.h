// What the main window takes from the machine: the probes, the clock, the
// locale's separators and the executable's directory. The program uses the
// real ones; tests give their own, so that a window starts without the 0.6 s
// clock measurement and with chosen memory, disk and tick values.
#pragma once

#include <QDate>
#include <cstdint>
#include <functional>
#include <iostream>
#include <memory>
#include <string>

#include "platform/format_settings.h"
#include "platform/tick_count.h"
#include "sysinfo/condition_sampler.h"
#include "runner/test_runner.h"
#include "sysinfo/sysinfo.h"

namespace vt {

struct TEnvironment {
    // The executable's directory with its trailing separator.
    std::string ExeDir;
    FormatSettings Format;
    TickSource Ticks;
    std::function<std::int64_t()> ReadTotalPhysMem;
    std::function<TCpuInfo()> GetCPUInfo;
    std::function<double()> MeasureCpuMHz;
    // The summed drive capacity as text; grouped with the thousands separator
    // or not.
    std::function<std::string(const FormatSettings&, bool grouped)> TotalDiskSizeText;
    std::function<QDate()> Today;
    // Runs the empty loop of the given count (the processor work of test 2).
    std::function<void(std::int32_t count)> EmptyLoop;
    // The process's standard output; the file read-speed test writes the
    // messages of its failed runs here.
    std::ostream* StdOut = &std::cout;
    // Bytes the process can still obtain and touch (the memory test refuses
    // a block larger than this).
    std::function<std::int64_t()> AvailableMemory;
    // Seeds the process-wide random generator from the time of day; tests fix
    // the seed instead. When empty the time of day is used.
    std::function<void()> SeedRandom;
    // Makes the sampler of the conditions each test runs under; when empty
    // the window records none.
    std::function<std::unique_ptr<TConditionSampler>()> ConditionSampler;

    // The machine this process runs on.
    static TEnvironment System();
};

// What the test runner takes from `env`, with the memory the memory test
// sees (TotalPhysMem32).
TTestMachine TestMachine(const TEnvironment& env, std::int64_t totalPhysMem);

}  // namespace vt
