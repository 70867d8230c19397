// What a batch run writes on standard output, one record per run of the
// tests: the result line as the window writes it (Windows-1251, the locale's
// separators), or a CSV row (under one header row, before the first run's
// row), or one JSON object on a line of its own (JSON Lines). CSV and JSON
// are UTF-8 with "." as decimal separator whatever the locale, every score to
// its last digit; the score of a test that did not run is empty in CSV and
// null in JSON.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "platform/format_settings.h"
#include "results/run_record.h"
#include "results/scores.h"

namespace vt {

struct TBatchReport {
    TScores Scores;
    std::string Description;  // Windows-1251, as the result line takes it
    std::string Label;        // Windows-1251
    std::vector<int> Tests;   // the tests run, in order
    std::string Vendor;
    std::string Model;
    double CpuMHz = 0;           // as measured at start-up
    std::int64_t MemoryMiB = 0;  // the physical memory as the projection page shows it
    std::string DiskGb;          // the drive capacity in GiB, "." and no grouping
    std::string Date;            // yyyy-MM-dd
    std::string PaintPlatform;   // the toolkit platform the panel and lists painted on
    std::string FileSystem;      // the type holding the file of test 4, or empty
    std::string StorageKind;     // disk, memory, network, user-space, other, or empty
    // Which run of how many this record is (--repeat).
    int Run = 1;
    int Runs = 1;
    // The machine (sysinfo/machine_identity.h).
    std::string CpuBrand;
    int LogicalCpus = 1;
    bool Hypervisor = false;
    std::string Os;
    std::string Kernel;
    std::string Host;
    // At the run's start: ISO 8601 with the UTC offset, and the one-minute
    // load average where the system keeps one.
    std::string Started;
    std::optional<double> LoadAverage;
    // What the tests that ran were given: the block of test 5 in MiB, the
    // ellipse count of test 3.
    std::optional<std::int64_t> MemoryBlockMiB;
    std::optional<std::int32_t> Shapes;
    // Test 7's facts beside its scores.
    std::optional<TDiskDetails> Disk;
};

// The eight scores in the result line's order, each with the test that
// measures it, its name in the header and its unit.
struct TBatchScore {
    int Test;
    const char* Name;
    const char* Unit;
    double TScores::*Value;
};
const std::array<TBatchScore, 8>& BatchScores();

// The header row and the names of the JSON object's members, in order.
const std::vector<std::string>& BatchFieldNames();

// Whether `test` is among the tests the report ran.
bool Ran(const TBatchReport& report, int test);

// Standard output's text for the run in `report`, ending in a line feed. A
// CSV record of the first run has the header row before it.
std::string FormatBatchOutput(TBatchFormat format, const TBatchReport& report,
                              const FormatSettings& fs);

}  // namespace vt
