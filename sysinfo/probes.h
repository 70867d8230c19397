// Start-up probes of the machine: processor clock, physical memory, and the
// capacity of the local drives.
#pragma once

#include <cstdint>
#include <string>

#include "platform/format_settings.h"

namespace vt {

// The processor clock in MHz from the time-stamp counter across a 500 ms
// sleep, at raised scheduling priority. Takes about 0.6 s.
double MeasureCpuMHz();

// Physical memory in bytes (the lower of the machine's memory and the
// process's memory limit).
std::int64_t ReadTotalPhysMem();

// Summed capacity of the local drives, in GiB with one decimal ("%.1n").
std::string TotalDiskSizeText(const FormatSettings& fs);

}  // namespace vt
