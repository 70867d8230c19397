#include "sysinfo/probes.h"

#include <gtest/gtest.h>

#include <deque>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/priority.h"

namespace vt {
namespace {

constexpr std::int64_t MiB = 1048576;
constexpr std::int64_t GiB = 1073741824;

// A counter that returns the given readings in turn, and a sleep that
// records what it was asked for.
struct FakeClock {
    std::deque<std::uint64_t> readings;
    std::vector<std::uint32_t> sleeps;
    std::vector<std::string> events;
    std::function<std::uint64_t()> Counter()
    {
        return [this] {
            events.push_back("read");
            const auto v = readings.front();
            readings.pop_front();
            return v;
        };
    }
    std::function<void(std::uint32_t)> Sleeper()
    {
        return [this](std::uint32_t ms) {
            events.push_back("sleep " + std::to_string(ms));
            sleeps.push_back(ms);
        };
    }
};

TEST(MeasureCpuMHz, TicksAcrossTheLongSleepOver500000)
{
    struct Row {
        std::uint64_t t0, t1;
        double mhz;
    };
    const Row rows[] = {
        {1000, 1000 + 733000000ull, 1466.0},
        {5, 5 + 2500000000ull, 5000.0},
        {0xFFFFFFFFull, 0xFFFFFFFFull + 500000, 1.0},  // across 32 bits
        {0xFFFFFFFFFFFFFF00ull, 500000 - 0x100, 1.0},  // the counter wraps
        {700, 700, 0.0},
    };
    for (const Row& r : rows) {
        FakeClock clock;
        clock.readings = {r.t0, r.t1};
        EXPECT_EQ(MeasureCpuMHz(clock.Counter(), clock.Sleeper()), r.mhz) << r.t1 - r.t0;
        EXPECT_EQ(clock.events,
                  (std::vector<std::string>{"sleep 100", "read", "sleep 500", "read"}));
    }
}

TEST(MeasureCpuMHz, PriorityComesBackWhenTheSleepThrows)
{
    const TSchedulingState before = CurrentSchedulingState();
    FakeClock clock;
    clock.readings = {1, 2};
    auto throwing = [](std::uint32_t ms) {
        if (ms == 500) throw std::runtime_error("interrupted");
    };
    EXPECT_THROW(MeasureCpuMHz(clock.Counter(), throwing), std::runtime_error);
    EXPECT_EQ(CurrentSchedulingState(), before);
}

TEST(MeasureCpuMHz, RealMeasurementRestoresSchedulingState)
{
    const TSchedulingState before = CurrentSchedulingState();
    const double mhz = MeasureCpuMHz();  // about 0.6 s
    const TSchedulingState after = CurrentSchedulingState();
    EXPECT_EQ(after.ThreadPolicy, before.ThreadPolicy);
    EXPECT_EQ(after.ThreadPriority, before.ThreadPriority);
    EXPECT_EQ(after.Nice, before.Nice);
    EXPECT_GT(mhz, 0.0);
}

TEST(TRaisedPriority, RaisesInsideTheScopeOnly)
{
    const TSchedulingState before = CurrentSchedulingState();
    {
        TRaisedPriority raised;
        const TSchedulingState inside = CurrentSchedulingState();
        if (raised.RealTime()) {
            EXPECT_EQ(inside.ThreadPolicy, SCHED_FIFO);
            EXPECT_EQ(inside.ThreadPriority, sched_get_priority_max(SCHED_FIFO));
        } else {
            EXPECT_LE(inside.Nice, before.Nice);
        }
    }
    EXPECT_EQ(CurrentSchedulingState(), before);
}

TEST(DiskSizeText, SumsMiBAndShowsGiB)
{
    const FormatSettings point{'.', ','};
    struct Row {
        const char* name;
        std::vector<std::int64_t> drives;
        const char* grouped;
        const char* plain;
    };
    const Row rows[] = {
        {"none", {}, "0.0", "0.0"},
        {"one GiB", {GiB}, "1.0", "1.0"},
        {"40 and 20 GiB", {40 * GiB, 20 * GiB}, "60.0", "60.0"},
        {"1 TiB", {1048576 * MiB}, "1,024.0", "1024.0"},
        {"four drives", {GiB, 2 * GiB, 3 * GiB, 4 * GiB}, "10.0", "10.0"},
        // 1.25 GiB: the one decimal rounds halves away from zero.
        {"1280 MiB", {1280 * MiB}, "1.3", "1.3"},
        {"large", {1000 * 1048576 * MiB, 1000 * 1048576 * MiB}, "2,048,000.0", "2048000.0"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(DiskSizeText(r.drives, point), r.grouped) << r.name;
        EXPECT_EQ(DiskSizeText(r.drives, point, false), r.plain) << r.name;
    }
}

TEST(DiskSizeText, RunningSumRoundsHalvesToEven)
{
    // The text shows tenths of a GiB; 1075 MiB shows 1.0 and 1076 MiB 1.1,
    // so a last drive brings the running sum to that boundary.
    const FormatSettings fs{'.', ','};
    const std::int64_t half = 3 * MiB / 2;  // 1.5 MiB
    struct Row {
        const char* name;
        std::vector<std::int64_t> drives;
        const char* text;
    };
    const Row rows[] = {
        {"0 + 1.5 gives 2", {half, 1074 * MiB}, "1.1"},
        {"1 + 1.5 gives 2", {MiB, half, 1073 * MiB}, "1.0"},
        {"2 + 1.5 gives 4", {half, half, 1072 * MiB}, "1.1"},
        {"0 + 2.5 gives 2", {5 * MiB / 2, 1073 * MiB}, "1.0"},
    };
    for (const Row& r : rows) EXPECT_EQ(DiskSizeText(r.drives, fs), r.text) << r.name;
}

TEST(DiskSizeText, CommaLocale)
{
    const FormatSettings comma{',', '.'};
    EXPECT_EQ(DiskSizeText({}, comma), "0,0");
    EXPECT_EQ(DiskSizeText({1280 * MiB}, comma), "1,3");
    EXPECT_EQ(DiskSizeText({1048576 * MiB}, comma), "1.024,0");
    EXPECT_EQ(DiskSizeText({1048576 * MiB}, comma, false), "1024,0");
    const FormatSettings blank{',', ' '};
    EXPECT_EQ(DiskSizeText({1048576 * MiB}, blank), "1 024,0");
}

TEST(Probes, ThisMachine)
{
    // Figures of the machine the tests run on: only their shape is known.
    const std::int64_t mem = ReadTotalPhysMem();
    EXPECT_GT(mem, 0);

    std::int64_t total = -1, avail = -1;
    EXPECT_FALSE(GetDriveSpace(0, total, avail));  // A: and B: are never drives
    EXPECT_FALSE(GetDriveSpace(1, total, avail));
    EXPECT_FALSE(GetDriveSpace(6, total, avail));  // nor anything after F:
    EXPECT_EQ(total, -1);
    if (GetDriveSpace(2, total, avail)) {
        EXPECT_GT(total, 0);
        EXPECT_GE(avail, 0);
        EXPECT_LE(avail, total);
    }
    const std::string text = TotalDiskSizeText({'.', ','});
    ASSERT_GE(text.size(), 3u);
    EXPECT_EQ(text[text.size() - 2], '.');
    EXPECT_EQ(TotalDiskSizeText({'.', ','}, false).find(','), std::string::npos);
}

}  // namespace
}  // namespace vt
