// Test 4: the uncached file read.
//
// ReadWholeFile is the measured part: it reads an opened file from its start
// in requests of exactly kFileReadRequest bytes into one buffer, and times
// only the read calls with the tick counter. The figures are computed from
// the byte count and the elapsed milliseconds in extended precision.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/direct_file.h"
#include "platform/tick_count.h"

namespace vt {

// Bytes asked for by every read request, also by the last one.
inline constexpr std::size_t kFileReadRequest = 65536;

// A file must be larger than this (1 MiB) to be measured.
inline constexpr std::int64_t kFileReadMinSize = 1048576;

struct TFileReadRun {
    std::int64_t Bytes = 0;      // bytes delivered
    std::int32_t ElapsedMs = 0;  // between the two tick readings
    std::int64_t Requests = 0;   // read calls made
};

// Reads `size` bytes of `file` (opened, at its start) into `buffer` (at least
// kFileReadRequest bytes, aligned for direct reads), timing the loop with
// `ticks`. A read that fails, or delivers nothing before `size` bytes have
// come, ends the measurement with an error naming `name`: "Failed to read
// <name>", a line feed and "Error:<errno>" (ENODATA for an early end of the
// file).
TFileReadRun ReadWholeFile(TDirectFile& file, std::int64_t size, void* buffer,
                           const TickSource& ticks, const std::string& name);

struct TFileReadFigures {
    std::int64_t Bytes = 0;        // S: the size of the opened file
    std::int32_t ElapsedMs = 0;    // T
    long double HddSpeed = 0;      // the score, MiB/s
    std::int64_t Thousandths = 0;  // SpeedThousandths
    std::int64_t CdTenths = 0;     // CdSpeedTenths
};

// The whole measured part of the test on `name` (file-system bytes): opens
// it for uncached reading ("Failed to open <name>", a line feed and
// "Error:<code>" when it cannot be), obtains the aligned buffer ("Cant
// allocate memory"), reads it all (ReadWholeFile) and computes the figures
// (EZeroDivide for a zero elapsed time). The file and the buffer are released
// before it returns or raises.
TFileReadFigures MeasureFileRead(const std::string& name, const TickSource& ticks);

// The score: MiB per second, bytes / 1024 / 1024 / ms × 1,000,000 × 0.001.
// Raises EZeroDivide for a zero elapsed time.
long double HddSpeedFigure(std::int64_t bytes, std::int32_t elapsedMs);

// A thousand times the MiB per second, the nearest integer (halves to even).
std::int64_t SpeedThousandths(std::int64_t bytes, std::int32_t elapsedMs);

// Ten times the multiple of the single-speed CD rate (150 KiB/s), the nearest
// integer (halves to even).
std::int64_t CdSpeedTenths(std::int64_t bytes, std::int32_t elapsedMs);

}  // namespace vt
