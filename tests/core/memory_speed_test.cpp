#include <gtest/gtest.h>

#include <deque>
#include <limits>
#include <vector>

#include "benchmarks/memory_test.h"
#include "platform/errors.h"
#include "sysinfo/probes.h"

#if defined(__SANITIZE_ADDRESS__)
// The refusal of a huge block must reach the program as a null pointer, as
// it does without the sanitizer, instead of ending the process.
extern "C" const char* __asan_default_options()
{
    return "allocator_may_return_null=1";
}
#endif

namespace vt {
namespace {

constexpr std::int64_t kGiB = 1024 * kMiB;

struct BlockSizeRow {
    const char* name;
    std::int32_t n;
    std::int64_t total;
    std::int64_t bytes;
    bool clamped;
};

class ChooseBlockSizeTest : public ::testing::TestWithParam<BlockSizeRow> {};

TEST_P(ChooseBlockSizeTest, Clamp)
{
    const auto& row = GetParam();
    const TMemoryBlockSize size = ChooseBlockSize(row.n, row.total);
    EXPECT_EQ(size.Bytes, row.bytes);
    EXPECT_EQ(size.Clamped, row.clamped);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChooseBlockSizeTest,
    ::testing::Values(
        BlockSizeRow{"one", 1, 8 * kMiB, kMiB, false},
        BlockSizeRow{"zero", 0, 8 * kMiB, 4 * kMiB, true},
        BlockSizeRow{"negative", -3, 8 * kMiB, 4 * kMiB, true},
        BlockSizeRow{"most_negative", std::numeric_limits<std::int32_t>::min(), 8 * kMiB, 4 * kMiB,
                     true},
        BlockSizeRow{"below_four_fifths", 6, 8 * kMiB, 6 * kMiB, false},
        BlockSizeRow{"above_four_fifths", 7, 8 * kMiB, 4 * kMiB, true},
        BlockSizeRow{"exactly_four_fifths", 8, 10 * kMiB, 8 * kMiB, false},
        BlockSizeRow{"just_above_four_fifths", 8, 10 * kMiB - 1, 5 * kMiB - 1, true},
        BlockSizeRow{"odd_memory_halved_down", 0, 5 * kMiB + 1001, 5 * kMiB / 2 + 500, true},
        BlockSizeRow{"largest_entry", std::numeric_limits<std::int32_t>::max(), 24 * kGiB,
                     12 * kGiB, true},
        BlockSizeRow{"largest_entry_fits", std::numeric_limits<std::int32_t>::max(),
                     std::int64_t{1} << 60,
                     std::int64_t{std::numeric_limits<std::int32_t>::max()} * kMiB, false},
        BlockSizeRow{"memory_below_two_mib", 1, kMiB, kMiB / 2, true}),
    [](const auto& info) { return std::string(info.param.name); });

// What a machine's installed memory becomes: the projection page's MiB keep
// the whole size; the memory test, its default entry and its clamp see at
// most 2 GiB - 1 byte, so that no machine defaults to a block above 1 GiB.
struct InstalledMemoryRow {
    const char* name;
    std::int64_t installed;
    std::int64_t projectionMiB;  // Edit16
    std::int32_t defaultMiB;     // Edit5 at start-up
    std::int32_t largestMiB;     // the largest entry taken without the clamp
    std::int64_t clampedBytes;   // the block of an entry the clamp replaces
};

class InstalledMemoryTest : public ::testing::TestWithParam<InstalledMemoryRow> {};

TEST_P(InstalledMemoryTest, ProjectionKeepsTheSizeTheMemoryTestSeesAtMostTwoGib)
{
    const auto& row = GetParam();
    const std::int32_t seen = TotalPhysMem32(row.installed);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(MemorySizeMiB(row.installed), row.projectionMiB);
    EXPECT_EQ(DefaultBlockMiB(seen), row.defaultMiB);
    EXPECT_EQ(LargestBlockMiB(seen), row.largestMiB);

    // The default entry and the largest one are taken as they are; one MiB
    // more than the largest is clamped, as is an entry of 4096.
    EXPECT_FALSE(ChooseBlockSize(row.defaultMiB, seen).Clamped);
    EXPECT_FALSE(ChooseBlockSize(row.largestMiB, seen).Clamped);
    for (const std::int32_t n : {row.largestMiB + 1, 4096}) {
        const TMemoryBlockSize size = ChooseBlockSize(n, seen);
        EXPECT_TRUE(size.Clamped) << n;
        EXPECT_EQ(size.Bytes, row.clampedBytes) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, InstalledMemoryTest,
    ::testing::Values(
        InstalledMemoryRow{"mib_256", 256 * kMiB, 256, 128, 204, 128 * kMiB},
        InstalledMemoryRow{"gib_1_and_a_half", 1536 * kMiB, 1536, 768, 1228, 768 * kMiB},
        InstalledMemoryRow{"byte_below_2_gib", 2 * kGiB - 1, 2048, 1024, 1638, kGiB - 1},
        InstalledMemoryRow{"exactly_2_gib", 2 * kGiB, 2048, 1024, 1638, kGiB - 1},
        InstalledMemoryRow{"gib_24_less_reserved", 24108 * kMiB + 123456, 24109, 1024, 1638,
                           kGiB - 1},
        InstalledMemoryRow{"gib_128", 128 * kGiB, 131072, 1024, 1638, kGiB - 1},
        InstalledMemoryRow{"pib_4", std::int64_t{1} << 52, std::int64_t{1} << 32, 1024, 1638,
                           kGiB - 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TotalPhysMem32, NeverNegative)
{
    EXPECT_EQ(TotalPhysMem32(0), 0);
    EXPECT_EQ(TotalPhysMem32(-1), 0);
    EXPECT_EQ(TotalPhysMem32(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(LargestBlockMiB(0), 0);
    EXPECT_EQ(LargestBlockMiB(kMiB), 0);  // 0.8 MiB takes no entry
    EXPECT_EQ(LargestBlockMiB(std::numeric_limits<std::int64_t>::max()),
              std::numeric_limits<std::int32_t>::max());
}

TEST(MemorySpeed, WholeMibPerSecond)
{
    EXPECT_EQ(MemorySpeed(32, 100, 2000), 1600.0L);
    EXPECT_EQ(MemorySpeed(32, 100, 500), 6400.0L);
    EXPECT_EQ(MemorySpeed(1, 100, 3), 100000.0L / 3.0L);
    EXPECT_EQ(MemorySpeed(12288, 100, 1), 1228800000.0L);
    EXPECT_EQ(MemorySpeed(64, 1, 16), 4000.0L);
    EXPECT_THROW(MemorySpeed(32, 100, 0), EZeroDivide);
}

// Ticks read in turn from a script, counting the readings.
struct Script {
    std::deque<std::uint32_t> values;
    int reads = 0;
    TickSource Source()
    {
        return [this] {
            ++reads;
            const auto v = values.front();
            values.pop_front();
            return v;
        };
    }
};

TEST(TimeFills, FillsExactlyTheUsedBytesBetweenTwoReadings)
{
    std::vector<std::uint8_t> block(3 * kMiB / 2 + 1, 0x00);
    Script ticks{{0xFFFFFF00u, 0x00000100u}};  // across the counter's wrap
    EXPECT_EQ(TimeFills(block.data(), 3 * kMiB / 2, 3, ticks.Source()), 512);
    EXPECT_EQ(ticks.reads, 2);
    EXPECT_EQ(CountWrongBytes(block.data(), 3 * kMiB / 2), 0);
    EXPECT_EQ(block.back(), 0x00) << "the byte past the used size is never written";
}

TEST(TimeCountingPasses, TwoReadingsAndNoStepsIsHarmless)
{
    Script ticks{{100, 350, 7, 7}};
    EXPECT_EQ(TimeCountingPasses(kMiB, 2, ticks.Source()), 250);
    EXPECT_EQ(TimeCountingPasses(0, 5, ticks.Source()), 0);
    EXPECT_EQ(ticks.reads, 4);
}

TEST(CountWrongBytes, CountsOnlyWithinTheCheckedPrefix)
{
    std::vector<std::uint8_t> block(4096, kMemoryPattern);
    block[0] = 0;
    block[100] = 0xA4;
    block[4095] = 0x5A;
    block[3000] = 0xFF;
    EXPECT_EQ(CountWrongBytes(block.data(), 4096), 4);
    EXPECT_EQ(CountWrongBytes(block.data(), 3000), 2);
    EXPECT_EQ(CountWrongBytes(block.data(), 0), 0);
}

TEST(TMemoryBlock, HeldUntilReleasedOrGone)
{
    const int before = TMemoryBlock::Live();
    {
        TMemoryBlock block(kMiB);
        ASSERT_NE(block.Data(), nullptr);
        EXPECT_EQ(block.Size(), kMiB);
        EXPECT_EQ(TMemoryBlock::Live(), before + 1);
        block.Release();
        EXPECT_EQ(block.Data(), nullptr);
        EXPECT_EQ(TMemoryBlock::Live(), before);
        block.Release();
        EXPECT_EQ(TMemoryBlock::Live(), before);
    }
    EXPECT_EQ(TMemoryBlock::Live(), before);
}

TEST(TMemoryBlock, AllocatorRefusalIsOutOfMemory)
{
    const int before = TMemoryBlock::Live();
    // Beyond the 47-bit user address space: no allocator can grant it.
    try {
        TMemoryBlock block(std::int64_t{1} << 52);
        FAIL() << "a 4 PiB block was granted";
    } catch (const EOutOfMemory& e) {
        EXPECT_EQ(e.Message(), "Out of memory");
    }
    EXPECT_EQ(TMemoryBlock::Live(), before);
}

}  // namespace
}  // namespace vt

namespace vt {
namespace {

// A stop request ends the passes where it is seen, between two passes: the
// part under way gives no figure, later parts do not run, and the block is
// released on the way out.
TEST(RunMemoryPasses, StopRequestEndsThePassesBetweenTwo)
{
    const struct {
        const char* name;
        int setBeforeFills;  // 0: none
        int setAfterFills;   // in the Filled step; 0: none
        bool filled, counted;
    } rows[] = {
        {"none", 0, 0, true, true},
        {"before the fills", 2, 0, false, false},
        {"after the fills", 0, 15, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        std::atomic<int> flag{row.setBeforeFills};
        int ticks = 0;
        bool filled = false, counted = false;
        TMemoryTestSteps steps;
        steps.Stop = &flag;
        steps.Filled = [&](long double) {
            filled = true;
            flag = row.setAfterFills;
        };
        steps.Counted = [&](long double) { counted = true; };
        int signal = 0;
        try {
            TMemoryBlock block(2 * kMiB);
            EXPECT_EQ(RunMemoryPasses(
                          block, 3, [&] { return std::uint32_t(ticks += 10); }, steps),
                      0);
        } catch (const TStopRequest& stop) {
            signal = stop.Signal;
        }
        EXPECT_EQ(signal, row.setBeforeFills + row.setAfterFills);
        EXPECT_EQ(filled, row.filled);
        EXPECT_EQ(counted, row.counted);
        EXPECT_EQ(TMemoryBlock::Live(), 0);
    }
}

}  // namespace
}  // namespace vt

namespace vt {
namespace {

// Each pass of both parts is told before it runs, inside the timed stretch
// (between the part's two tick readings), so that progress can move; the
// hook sees every pass once, in order, and no tick is read for it.
TEST(RunMemoryPasses, EveryPassIsToldInsideItsPart)
{
    std::vector<std::string> told;
    int ticks = 0;
    TMemoryTestSteps steps;
    steps.Pass = [&](int pass, int passes) {
        told.push_back(std::to_string(ticks) + ":" + std::to_string(pass) + "/" +
                       std::to_string(passes));
    };
    steps.Filled = [&](long double) { told.push_back("filled"); };
    TMemoryBlock block(kMiB);
    RunMemoryPasses(block, 3, [&] { return std::uint32_t(ticks += 10); }, steps);
    EXPECT_EQ(told, (std::vector<std::string>{"10:0/3", "10:1/3", "10:2/3", "filled", "30:0/3",
                                              "30:1/3", "30:2/3"}));
}

}  // namespace
}  // namespace vt
