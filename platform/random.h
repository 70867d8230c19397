// The process-wide random generator: a 32-bit linear congruential generator.
//
// Each draw sets seed <- seed * 134775813 + 1 (mod 2^32); a number below n is
// the upper 32 bits of the 64-bit product n * seed. Randomize seeds it with the
// milliseconds since midnight (UTC) of the system clock's time of day.
#pragma once

#include <cstdint>

namespace vt {

extern std::uint32_t RandSeed;

// A random integer in 0 .. n-1 (0 when n is 0).
std::uint32_t Random(std::uint32_t n);

// Seeds the generator from the time of day (UTC milliseconds since midnight).
void Randomize();

// The seed Randomize would use at a given time of day.
constexpr std::uint32_t SeedFromTimeOfDay(unsigned hours, unsigned minutes, unsigned seconds,
                                          unsigned milliseconds)
{
    return ((hours * 60u + minutes) * 60u + seconds) * 1000u + milliseconds;
}

}  // namespace vt
