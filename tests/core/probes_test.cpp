#include "sysinfo/probes.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <iostream>
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

// The clock measurement from various scheduling states, in a child process so
// that this one keeps its own: inside it runs real-time where that is
// permitted (else at the lowest permitted nice value), and afterwards the
// state is exactly the one before, whether the measurement ended normally or
// by an exception from the counter or the sleep.
TEST(MeasureCpuMHz, SchedulingStateComesBackFromEveryStartAndEveryExit)
{
    struct Row {
        const char* name;
        int policy, priority, nice;
        bool unprivileged;  // runs as an ordinary user
        rlim_t rtprio, nicelimit;
    };
    const Row rows[] = {
        {"normal", SCHED_OTHER, 0, 0, false, 0, 0},
        {"niced", SCHED_OTHER, 0, 7, false, 0, 0},
        {"batch", SCHED_BATCH, 0, 3, false, 0, 0},
        {"idle", SCHED_IDLE, 0, 0, false, 0, 0},
        {"already_fifo", SCHED_FIFO, 10, 0, false, 0, 0},
        {"round_robin", SCHED_RR, 3, 0, false, 0, 0},
        {"user_without_rights", SCHED_OTHER, 0, 4, true, 0, 0},
        {"user_with_nice_limit", SCHED_OTHER, 0, 0, true, 0, 25},
        {"user_with_rtprio_limit", SCHED_OTHER, 0, 0, true, 99, 0},
    };
    const bool root = geteuid() == 0;
    bool realTimeHere = false;  // whether this machine grants the real-time policy at all
    {
        TRaisedPriority probe;
        realTimeHere = probe.RealTime();
    }
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        if (!root && (r.unprivileged || r.policy == SCHED_FIFO || r.policy == SCHED_RR))
            continue;  // setting up the state needs the superuser
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Exit codes: 0 right, 10 + step where the state was wrong.
            sched_param param{};
            param.sched_priority = r.priority;
            if (pthread_setschedparam(pthread_self(), r.policy, &param) != 0) _exit(1);
            if (setpriority(PRIO_PROCESS, 0, r.nice) != 0) _exit(2);
            if (r.unprivileged) {
                rlimit rt{r.rtprio, r.rtprio}, nl{r.nicelimit, r.nicelimit};
                if (setrlimit(RLIMIT_RTPRIO, &rt) != 0 || setrlimit(RLIMIT_NICE, &nl) != 0)
                    _exit(3);
                if (setgid(65534) != 0 || setuid(65534) != 0) _exit(4);
            }
            const TSchedulingState before = CurrentSchedulingState();
            if (before.ThreadPolicy != r.policy || before.Nice != r.nice) _exit(5);
            const bool mayRealTime = realTimeHere && (!r.unprivileged || r.rtprio > 0);
            const int bestNice =
                r.unprivileged ? std::min(r.nice, 20 - static_cast<int>(r.nicelimit)) : -20;
            int step = 0;
            for (int exit = 0; exit < 3; ++exit) {  // normal, counter throws, sleep throws
                TSchedulingState inside;
                auto counter = [&]() -> std::uint64_t {
                    inside = CurrentSchedulingState();
                    if (exit == 1) throw std::runtime_error("counter");
                    return 1;
                };
                auto sleep = [&](std::uint32_t ms) {
                    if (exit == 2 && ms == 500) throw std::runtime_error("sleep");
                };
                try {
                    MeasureCpuMHz(counter, sleep);
                } catch (const std::runtime_error&) {
                }
                ++step;
                if (mayRealTime) {
                    if (inside.ThreadPolicy != SCHED_FIFO ||
                        inside.ThreadPriority != sched_get_priority_max(SCHED_FIFO))
                        _exit(10 + step);
                } else if (r.unprivileged && inside.Nice != bestNice) {
                    _exit(20 + step);
                }
                if (!(CurrentSchedulingState() == before)) _exit(30 + step);
            }
            _exit(0);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        const int code = WEXITSTATUS(status);
        if (code >= 1 && code <= 4) {
            std::cout << r.name << ": this machine refuses the starting state\n";
            continue;
        }
        EXPECT_EQ(code, 0) << "10+: not real-time inside, 20+: wrong nice inside, "
                              "30+: not put back; the last digit is the exit (1 normal, 2 counter "
                              "throws, 3 sleep throws)";
    }
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
