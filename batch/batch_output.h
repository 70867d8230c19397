// What a batch run writes on standard output: the result line as the window
// writes it (Windows-1251, the locale's separators), or one CSV row under a
// header row, or one JSON object (both UTF-8, "." as decimal separator
// whatever the locale, every score to its last digit).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "batch/batch_options.h"
#include "platform/format_settings.h"
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
};

// The header row and the names of the JSON object's members, in order.
const std::vector<std::string>& BatchFieldNames();

// Standard output's text for `format`, ending in a line feed.
std::string FormatBatchOutput(TBatchFormat format, const TBatchReport& report,
                              const FormatSettings& fs);

}  // namespace vt
