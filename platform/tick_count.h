// The millisecond tick counter every test times itself with.
//
// GetTickCount reads a monotonic clock (CLOCK_MONOTONIC) in whole
// milliseconds, truncated to 32 bits, so it wraps about every 49.7 days. Its
// resolution is one millisecond; no finer timer is used for any figure. On
// Windows it is the system's own GetTickCount, which wraps the same way. An
// elapsed time is always TickDiff(later, earlier): the difference modulo 2^32
// taken as a signed 32-bit count, which absorbs one wrap of the counter.
#pragma once

#include <cstdint>
#include <functional>

namespace vt {

std::uint32_t GetTickCount();

// Where a measurement reads its ticks from. Tests pass a scripted source to
// check the figure arithmetic with chosen elapsed times.
using TickSource = std::function<std::uint32_t()>;

// The system tick counter as a TickSource.
TickSource SystemTicks();

constexpr std::int32_t TickDiff(std::uint32_t later, std::uint32_t earlier)
{
    return static_cast<std::int32_t>(later - earlier);
}

// Sleeps for the given number of milliseconds.
void Sleep(std::uint32_t milliseconds);

}  // namespace vt
