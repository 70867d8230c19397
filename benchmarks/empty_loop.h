// The empty-loop test: a counting loop with an empty body, timed with the
// millisecond tick counter and reported as millions of iterations per second.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/tick_count.h"

namespace vt {

// The loop count of the test: 2^31 - 1.
inline constexpr std::int32_t kEmptyLoopCount = 2147483647;

// Counts `count` down to 0. Each iteration is one decrement of a counter held
// in a register and one conditional branch on its result, with no memory
// access and no call; the loop is written in assembly so that no optimiser
// setting can remove, shorten, unroll or vectorise it. A count of 0 or below
// returns at once.
void EmptyLoop(std::int32_t count);

struct TEmptyLoopFigures {
    double Seconds = 0;       // the elapsed time
    double CyclesPerSec = 0;  // millions of iterations per second
};

// The figures of `count` iterations in `elapsedMs` milliseconds: the seconds
// E x 0.001 and, from those stored as a 64-bit float, count / (S x 1000) x
// 0.001, both in extended precision. An elapsed time of 0 ms (the tick
// counter did not advance) gives a rate of 0 instead of a division by zero.
TEmptyLoopFigures EmptyLoopFigures(std::int32_t elapsedMs, std::int32_t count = kEmptyLoopCount);

// The test's measured part: `loop` run with `count` between two tick
// readings, nothing else between them, and its figures.
TEmptyLoopFigures TimeEmptyLoop(const std::function<void(std::int32_t)>& loop,
                                const TickSource& ticks, std::int32_t count = kEmptyLoopCount);

}  // namespace vt
