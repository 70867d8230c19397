// Start-up probes of the machine: processor clock, physical memory, and the
// capacity of the local drives.
//
// Each probe has a pure part over explicit inputs (counter readings, byte
// sizes) that the tests check, and a part that reads the machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/format_settings.h"

namespace vt {

// The processor clock in MHz from the time-stamp counter across a 500 ms
// sleep, at raised scheduling priority. Takes about 0.6 s.
double MeasureCpuMHz();

// The same measurement over a given counter and sleep: raises the priority,
// sleeps 100 ms, reads the counter, sleeps 500 ms, reads it again, restores
// the priority (also when the counter or the sleep throws) and returns the
// ticks counted divided by 500,000. The sleep is taken to last exactly
// 500 ms; no clock is read to check it.
double MeasureCpuMHz(const std::function<std::uint64_t()>& counter,
                     const std::function<void(std::uint32_t)>& sleep);

// MHz from the ticks counted across 500 ms: ticks x 2e-6 in extended
// precision.
double CpuMHzFromTicks(std::int64_t ticks);

// Physical memory in bytes (the lower of the machine's memory and the
// process's memory limit).
std::int64_t ReadTotalPhysMem();

// A memory size in whole MiB as the projection page and the reports of the
// machine show it: the nearest integer (halves to even) to bytes / 1 MiB +
// 0.495, so that any fraction of at least 0.005 MiB counts as a whole MiB.
std::int64_t MemorySizeMiB(std::int64_t bytes);

// Size of drive `Drive` (2 for C: up to 5 for F:; see platform/drive_space.h
// for the file systems that stand in for them). False when there is no such
// drive or it cannot be queried; the outputs are then untouched.
bool GetDriveSpace(std::uint8_t Drive, std::int64_t& TotalBytes, std::int64_t& FreeBytesAvailable);

// Summed capacity of the local drives C: to F:, in GiB with one decimal:
// "%.1n" when grouped, "%.1f" (no thousands separator) otherwise.
std::string TotalDiskSizeText(const FormatSettings& fs, bool grouped = true);

// The text for drives of the given total sizes in bytes, in the order
// C:, D:, ...: the running sum in MiB is rounded to the nearest integer,
// halves to even, after each drive; the sum is shown in GiB with one decimal,
// halves away from zero.
std::string DiskSizeText(const std::vector<std::int64_t>& driveBytes, const FormatSettings& fs,
                         bool grouped = true);

}  // namespace vt
