// The hardware projection: a processor clock, a disk capacity and a memory
// size carried from the year the part was bought to a chosen year by a fixed
// growth factor per year, V × F^(T − P).
#pragma once

#include <string>

#include "platform/format_settings.h"

namespace vt {

// Growth factors per year, as 64-bit floats.
inline constexpr double kCpuGrowth = 1.47;
inline constexpr double kDiskGrowth = 1.995;
inline constexpr double kMemoryGrowth = 1.6555;

// Base raised to Exponent as e^(Exponent × ln Base), in extended precision.
// Base > 0; an exponent of 0 gives exactly 1.
long double Power(long double Base, long double Exponent);

// The result text of one row: the value carried from `purchaseYear` to
// `targetYear`. A target before the purchase divides by the growth and shows
// three decimals ("%8.3f"); otherwise it multiplies and shows one ("%8.1f").
// Right-aligned in at least 8 characters; a wider figure is not cut.
std::string ProjectedText(double value, double factor, int purchaseYear, int targetYear,
                          const FormatSettings& fs);

}  // namespace vt
