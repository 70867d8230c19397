// The tick counter, the random generator and the error objects.
#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <set>

#include "platform/errors.h"
#include "platform/random.h"
#include "platform/tick_count.h"

namespace vt {
namespace {

TEST(TickDiff, TakesTheDifferenceModulo32BitsAsSigned)
{
    struct Row {
        std::uint32_t later, earlier;
        std::int32_t elapsed;
    };
    const Row rows[] = {
        {1000, 500, 500},
        {500, 1000, -500},
        {5, 0xFFFFFFFBu, 10},  // across the wrap
                               // of the counter
        {0, 0xFFFFFFFFu, 1},
        {0x7FFFFFFFu, 0, INT32_MAX},
        {0x80000000u, 0, INT32_MIN},
        {42, 42, 0},
    };
    for (const Row& r : rows) EXPECT_EQ(TickDiff(r.later, r.earlier), r.elapsed) << r.later;
}

TEST(TickCount, NeverRunsBackwards)
{
    const std::uint32_t a = GetTickCount();
    const std::uint32_t b = SystemTicks()();
    const std::uint32_t c = GetTickCount();
    EXPECT_GE(TickDiff(b, a), 0);
    EXPECT_GE(TickDiff(c, b), 0);
}

TEST(Random, UpdatesSeedAndTakesUpperBitsOfProduct)
{
    struct Row {
        std::uint32_t seedBefore;
        std::uint32_t n;
        std::uint32_t seedAfter;
        std::uint32_t value;
    };
    const Row rows[] = {
        {0, 100, 1, 0},
        {1, 1000, 134775814u, 31},
        {0xFFFFFFFFu, 10, 4160191484u, 9},
        {12345, 6, 1655067934u, 2},
        {0x7FFFFFFFu, 0xFFFFFFFFu, 2012707836u, 2012707835u},
        {2024, 1, 2203305865u, 0},
        {5, 0, 5u * 134775813u + 1u, 0},
    };
    for (const Row& r : rows) {
        RandSeed = r.seedBefore;
        EXPECT_EQ(Random(r.n), r.value) << r.seedBefore;
        EXPECT_EQ(RandSeed, r.seedAfter) << r.seedBefore;
    }
}

TEST(Random, StaysBelowTheBoundAndCoversIt)
{
    RandSeed = 1;
    std::set<std::uint32_t> seen;
    for (int k = 0; k < 1000; ++k) {
        const std::uint32_t v = Random(6);
        ASSERT_LT(v, 6u);
        seen.insert(v);
    }
    EXPECT_EQ(seen.size(), 6u);
}

TEST(Random, SeedFromTimeOfDay)
{
    EXPECT_EQ(SeedFromTimeOfDay(0, 0, 0, 0), 0u);
    EXPECT_EQ(SeedFromTimeOfDay(0, 0, 1, 5), 1005u);
    EXPECT_EQ(SeedFromTimeOfDay(12, 34, 56, 789), 45296789u);
    EXPECT_EQ(SeedFromTimeOfDay(23, 59, 59, 999), 86399999u);
}

TEST(Random, RandomizeUsesUtcMillisecondsSinceMidnight)
{
    auto msOfDay = [] {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        // Seconds since the epoch count every UTC day as 86,400 seconds.
        const auto s = static_cast<unsigned>(ts.tv_sec % 86400);
        return SeedFromTimeOfDay(s / 3600, s / 60 % 60, s % 60,
                                 static_cast<unsigned>(ts.tv_nsec / 1000000));
    };
    const std::uint32_t before = msOfDay();
    Randomize();
    const std::uint32_t seed = RandSeed;
    const std::uint32_t after = msOfDay();
    EXPECT_LT(seed, 86400000u);
    if (before <= after) {  // not across midnight
        EXPECT_GE(seed, before);
        EXPECT_LE(seed, after);
    }
}

TEST(Errors, StandardMessages)
{
    EXPECT_STREQ(EZeroDivide().what(), "Floating point division by zero");
    EXPECT_STREQ(EInvalidOp().what(), "Invalid floating point operation");
    EXPECT_STREQ(EOverflow().what(), "Floating point overflow");
    EXPECT_STREQ(EOutOfMemory().what(), "Out of memory");
    EXPECT_EQ(EInOutError(5).Message(), "I/O error 5");
    EXPECT_EQ(EInOutError(5).ErrorCode(), 5);
    EXPECT_EQ(EListError(7).Message(), "List index out of bounds (7)");
    EXPECT_EQ(EListError(-1).Message(), "List index out of bounds (-1)");
}

TEST(Errors, DivideFailsAsTheFloatingPointUnit)
{
    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_THROW(Divide(1, 0), EZeroDivide);
    EXPECT_THROW(Divide(-1, 0), EZeroDivide);
    EXPECT_THROW(Divide(0, 0), EInvalidOp);
    EXPECT_THROW(Divide(nan, 1), EInvalidOp);
    EXPECT_THROW(Divide(1, nan), EInvalidOp);
    EXPECT_THROW(Divide(1e4000L, 1e-4000L), EOverflow);
    EXPECT_THROW(Multiply(1e4000L, 1e4000L), EOverflow);
    EXPECT_EQ(Divide(6, 3), 2.0L);
    EXPECT_EQ(Multiply(1.5L, 4), 6.0L);
    // Underflow passes silently.
    EXPECT_EQ(Divide(1e-4000L, 1e4000L), 0.0L);
}

}  // namespace
}  // namespace vt
