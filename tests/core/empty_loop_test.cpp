#include "benchmarks/empty_loop.h"

#include <gtest/gtest.h>

#include "platform/tick_count.h"

namespace vt {
namespace {

TEST(EmptyLoopFigures, SecondsAndMillionsPerSecond)
{
    struct Row {
        std::int32_t ms;
        double seconds;
        double rate;
    };
    const Row rows[] = {
        {1000, 1.0, 2147.483647},
        {2500, 2.5, 858.9934588},
        {1562, 1.562, 1374.8294795134443},
        {1, 0.001, 2147483.647},
        {0, 0.0, 0.0},  // the tick counter did not move: no rate, no division
    };
    for (const Row& r : rows) {
        const TEmptyLoopFigures f = EmptyLoopFigures(r.ms);
        EXPECT_DOUBLE_EQ(f.Seconds, r.seconds) << r.ms;
        EXPECT_NEAR(f.CyclesPerSec, r.rate, r.rate * 1e-9) << r.ms;
    }
    EXPECT_EQ(EmptyLoopFigures(1000).CyclesPerSec, 2147.483647);
    EXPECT_EQ(EmptyLoopFigures(1000, 1000000).CyclesPerSec, 1.0);
}

TEST(EmptyLoopFigures, ElapsedTimeAcrossTheTickWrap)
{
    EXPECT_EQ(TickDiff(499, 0xFFFFFFFFu - 500), 1000);
    EXPECT_EQ(EmptyLoopFigures(TickDiff(499, 0xFFFFFFFFu - 500)).CyclesPerSec, 2147.483647);
}

// That EmptyLoop runs exactly its count, and nothing for a count of 0 or
// below, is checked instruction by instruction in
// empty_loop_count_linux_test.cpp.

}  // namespace
}  // namespace vt
