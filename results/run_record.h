// The whole record of one run: the scores of the tests that ran, the machine,
// what the tests were given, and the conditions the run met. Batch prints it
// (JSON Lines, CSV), the records log keeps it, Compare reads it back. Texts
// are UTF-8 here; the result line takes the Windows-1251 form of the
// description and label.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "results/scores.h"

namespace vt {

// What the system said about the run while it ran. A value the system does
// not keep is absent (null in a record), never 0.
struct TRunConditions {
    // The measuring thread's processor time over the run's wall time.
    std::optional<double> ThreadCpuShare;  // 0..1
    // Processor time other processes took, in % of one CPU.
    std::optional<double> OtherCpuBeforePct;  // the second before the run
    std::optional<double> OtherCpuDuringPct;  // during the run
    std::optional<double> StealPct;           // % of the run, virtual machines
    std::optional<double> ClockMinMHz;        // cpufreq's lowest reading
    std::optional<double> ClockMaxMHz;        // and highest
    std::optional<std::string> Governor;      // cpufreq's governor
    std::optional<std::int64_t> ThrottleEvents;
    std::optional<double> MaxTemperatureC;
    std::optional<bool> OnBattery;  // only where the machine has a battery
    bool Quiet = true;
    // Why the run was not quiet, one clause each ("other processes used 97% of a CPU").
    std::vector<std::string> Disturbances;
};

// Test 6's layout facts beside its scores.
struct TCoreKindFigure {
    std::string Kind;  // "performance", "efficiency", or the system's rank
    std::vector<int> Cpus;
    double CyclesPerSec = 0;  // M iterations/s, one thread per core of the kind
};
struct TEveryCoreDetails {
    int PhysicalCores = 0;
    int CpusUsed = 0;
    int Smt = 1;  // logical CPUs per core
    int NumaNodes = 1;
    std::optional<double> Scaling;  // CyclesPerSecAll / CyclesPerSec, where both ran
    std::vector<TCoreKindFigure> CoreKinds;  // hybrid processors only
};

// Test 7's facts beside its scores.
struct TDiskDetails {
    std::string Folder;
    std::int64_t FileMiB = 0;
    double Seconds = 0;  // per figure
    std::optional<double> Rnd4KQ32ReadIops, Rnd4KQ1ReadIops, Rnd4KQ32WriteIops, Rnd4KQ1WriteIops;
    std::optional<std::string> FileSystem;
    std::optional<std::string> StorageKind;
    std::optional<std::string> DeviceModel;
};

struct TRunRecord {
    TScores Scores;
    std::vector<int> Tests;  // the tests run, in order; a score of a test not run is null
    std::string Description;  // UTF-8, whole
    std::string Label;        // UTF-8, whole
    std::string Line;         // the result line as it was written (Windows-1251 bytes), when saved

    // The machine.
    std::string Vendor;
    std::string Model;
    double CpuMHz = 0;
    std::int64_t MemoryMiB = 0;
    std::string DiskGb;
    std::string CpuBrand;
    int LogicalCpus = 1;
    int CpusAllowed = 1;
    bool Hypervisor = false;
    std::optional<std::string> HypervisorVendor;
    std::string Os;
    std::string Kernel;
    std::string Host;
    std::string Arch;
    std::string Version;  // the program's

    // The run.
    std::string Date;     // yyyy-MM-dd
    std::string Started;  // ISO 8601 with the UTC offset
    std::optional<double> LoadAverage;
    int Run = 1;
    int Runs = 1;
    std::string PaintPlatform;

    // What the tests that ran were given and found.
    std::optional<std::int64_t> MemoryBlockMiB;  // test 5
    std::optional<std::int32_t> Shapes;          // test 3
    std::optional<std::string> File;             // test 4's file, UTF-8
    std::optional<std::int64_t> FileBytes;
    std::optional<std::string> FileSystem;   // test 4's
    std::optional<std::string> StorageKind;  // test 4's
    std::optional<TEveryCoreDetails> EveryCore;  // test 6
    std::optional<TDiskDetails> Disk;            // test 7

    std::optional<TRunConditions> Conditions;
};

}  // namespace vt
