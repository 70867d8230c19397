// The Linux counters read from a prepared folder standing for "/", and the
// verdict of a real run beside processes that take every processor.
#include "platform/system_counters.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>

#include "platform/machine.h"
#include "sysinfo/condition_sampler.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

using Files = std::map<std::string, std::string>;  // path under the root -> content

// A folder standing for "/", holding the given files.
class PreparedRoot {
public:
    explicit PreparedRoot(const Files& files)
    {
        static int count = 0;
        root_ = fs::temp_directory_path() /
                ("vt_counters_" + std::to_string(getpid()) + "_" + std::to_string(++count));
        fs::remove_all(root_);
        fs::create_directories(root_);
        for (const auto& [path, content] : files) {
            fs::create_directories((root_ / path).parent_path());
            std::ofstream(root_ / path, std::ios::binary) << content;
        }
    }
    ~PreparedRoot() { fs::remove_all(root_); }
    std::string Path() const { return root_.string(); }

private:
    fs::path root_;
};

constexpr double kTick = 0.01;

TEST(ProcStat, MachineLineInSeconds)
{
    const struct {
        const char* name;
        const char* text;
        bool read;
        double user, nice, system, idle;
        std::optional<double> iowait, irq, softirq, steal;
        int cpus;
    } rows[] = {
        {"every count", "cpu  100 200 300 400 50 6 7 80 0 0\ncpu0 1 1 1 1\ncpu1 1 1 1 1\n", true, 1,
         2, 3, 4, 0.5, 0.06, 0.07, 0.8, 2},
        {"a kernel before steal", "cpu 100 0 300 400 50 6 7\ncpu0 1 1 1 1\n", true, 1, 0, 3, 4, 0.5,
         0.06, 0.07, std::nullopt, 1},
        {"the oldest kernels", "cpu 1 2 3 4\n", true, 0.01, 0.02, 0.03, 0.04, std::nullopt,
         std::nullopt, std::nullopt, std::nullopt, 1},
        {"processor lines first", "cpu3 1 1 1 1\ncpu10 1 1 1 1\ncpu 0 0 0 100 0 0 0 0\n", true, 0,
         0, 0, 1, 0, 0, 0, 0, 2},
        {"a malformed steal", "cpu 1 2 3 4 5 6 7 x\n", true, 0.01, 0.02, 0.03, 0.04, 0.05, 0.06,
         0.07, std::nullopt, 1},
        {"a malformed idle", "cpu 1 2 3 x 5\n", false, 0, 0, 0, 0, {}, {}, {}, {}, 0},
        {"a negative count", "cpu 1 -2 3 4\n", false, 0, 0, 0, 0, {}, {}, {}, {}, 0},
        {"too few counts", "cpu 1 2 3\n", false, 0, 0, 0, 0, {}, {}, {}, {}, 0},
        {"no machine line", "cpu0 1 2 3 4\nintr 5\n", false, 0, 0, 0, 0, {}, {}, {}, {}, 0},
        {"a line that only begins with cpu",
         "cpux 1 2 3 4\n",
         false,
         0,
         0,
         0,
         0,
         {},
         {},
         {},
         {},
         0},
        {"empty", "", false, 0, 0, 0, 0, {}, {}, {}, {}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto times = ParseProcStat(row.text, kTick);
        ASSERT_EQ(times.has_value(), row.read);
        if (!times) continue;
        EXPECT_DOUBLE_EQ(times->User, row.user);
        EXPECT_DOUBLE_EQ(times->Nice, row.nice);
        EXPECT_DOUBLE_EQ(times->System, row.system);
        EXPECT_DOUBLE_EQ(times->Idle, row.idle);
        for (const auto& [got, want] : {std::pair{times->IoWait, row.iowait},
                                        {times->Irq, row.irq},
                                        {times->SoftIrq, row.softirq},
                                        {times->Steal, row.steal}}) {
            ASSERT_EQ(got.has_value(), want.has_value());
            if (got) {
                EXPECT_DOUBLE_EQ(*got, *want);
            }
        }
        EXPECT_EQ(times->Cpus, row.cpus);
        EXPECT_DOUBLE_EQ(times->Resolution, kTick);
    }
}

TEST(ProcStat, BusyLeavesOutIdleWaitAndSteal)
{
    const auto times = ParseProcStat("cpu 100 200 300 400 500 600 700 800 900 1000\n", kTick);
    ASSERT_TRUE(times);
    // guest time is already inside user time and must not count twice
    EXPECT_DOUBLE_EQ(times->Busy(), 1 + 2 + 3 + 6 + 7);
    EXPECT_DOUBLE_EQ(times->Total(), 1 + 2 + 3 + 4 + 5 + 6 + 7 + 8);
}

TEST(SystemCpuTimesUnder, FileOrNothing)
{
    const PreparedRoot present(Files{{"proc/stat", "cpu 1 2 3 4 5 6 7 8\ncpu0 1 2 3 4 5 6 7 8\n"}});
    const auto times = SystemCpuTimesUnder(present.Path());
    ASSERT_TRUE(times);
    EXPECT_GT(times->Resolution, 0);
    EXPECT_DOUBLE_EQ(times->User, times->Resolution);
    EXPECT_FALSE(SystemCpuTimesUnder(PreparedRoot(Files{}).Path()));
}

const char* const kCpu = "sys/devices/system/cpu/";

TEST(ProcessorClocksUnder, EveryReportedClockAndTheGovernors)
{
    const std::string cpu = kCpu;
    const struct {
        const char* name;
        Files files;
        std::vector<double> mhz;
        std::optional<std::string> governor;
    } rows[] = {
        {"two processors",
         {{cpu + "cpu0/cpufreq/scaling_cur_freq", "2400000\n"},
          {cpu + "cpu1/cpufreq/scaling_cur_freq", "800000\n"},
          {cpu + "cpu0/cpufreq/scaling_governor", "powersave\n"},
          {cpu + "cpu1/cpufreq/scaling_governor", "powersave\n"}},
         {2400, 800},
         "powersave"},
        {"processor order, not name order",
         {{cpu + "cpu10/cpufreq/scaling_cur_freq", "1000\n"},
          {cpu + "cpu2/cpufreq/scaling_cur_freq", "2000\n"},
          {cpu + "cpu10/cpufreq/scaling_governor", "schedutil\n"},
          {cpu + "cpu2/cpufreq/scaling_governor", "performance\n"}},
         {2, 1},
         "performance,schedutil"},
        {"no cpufreq (a virtual machine)",
         {{cpu + "cpu0/topology/core_id", "0\n"}, {cpu + "cpu1/topology/core_id", "1\n"}},
         {},
         std::nullopt},
        {"malformed and zero clocks left out",
         {{cpu + "cpu0/cpufreq/scaling_cur_freq", "<unknown>\n"},
          {cpu + "cpu1/cpufreq/scaling_cur_freq", "0\n"},
          {cpu + "cpu2/cpufreq/scaling_cur_freq", "3100000\n"},
          {cpu + "cpufreq/scaling_cur_freq", "9000000\n"},
          {cpu + "cpu3/cpufreq/scaling_governor", "\n"}},
         {3100},
         std::nullopt},
        {"no processor folder", {}, {}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const PreparedRoot root(row.files);
        const TProcessorClocks clocks = ProcessorClocksUnder(root.Path());
        EXPECT_EQ(clocks.MHz, row.mhz);
        EXPECT_EQ(clocks.Governor, row.governor);
    }
}

TEST(ThrottleEventsUnder, CoresAddedAndEachPackageOnce)
{
    const std::string cpu = kCpu;
    const auto core = [&](int n) { return cpu + "cpu" + std::to_string(n) + "/thermal_throttle/"; };
    const auto package = [&](int n) { return cpu + "cpu" + std::to_string(n) + "/topology/"; };
    const struct {
        const char* name;
        Files files;
        std::optional<std::int64_t> events;
    } rows[] = {
        {"one package of two processors",
         {{core(0) + "core_throttle_count", "3\n"},
          {core(1) + "core_throttle_count", "2\n"},
          {core(0) + "package_throttle_count", "5\n"},
          {core(1) + "package_throttle_count", "5\n"},
          {package(0) + "physical_package_id", "0\n"},
          {package(1) + "physical_package_id", "0\n"}},
         10},
        {"two packages",
         {{core(0) + "package_throttle_count", "4\n"},
          {core(1) + "package_throttle_count", "7\n"},
          {package(0) + "physical_package_id", "0\n"},
          {package(1) + "physical_package_id", "1\n"}},
         11},
        {"none throttled yet", {{core(0) + "core_throttle_count", "0\n"}}, 0},
        {"malformed counts left out",
         {{core(0) + "core_throttle_count", "many\n"}, {core(1) + "core_throttle_count", "1\n"}},
         1},
        {"not counted", {{package(0) + "physical_package_id", "0\n"}}, std::nullopt},
        {"only malformed", {{core(0) + "core_throttle_count", "-1\n"}}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(ThrottleEventsUnder(PreparedRoot(row.files).Path()), row.events);
    }
}

TEST(HighestTemperatureCUnder, HighestOfEverySensor)
{
    const struct {
        const char* name;
        Files files;
        std::optional<double> celsius;
    } rows[] = {
        {"hwmon and thermal zones",
         {{"sys/class/hwmon/hwmon0/temp1_input", "45000\n"},
          {"sys/class/hwmon/hwmon0/temp2_input", "61500\n"},
          {"sys/class/hwmon/hwmon0/temp2_label", "99000\n"},
          {"sys/class/hwmon/hwmon0/temp3_max", "100000\n"},
          {"sys/class/thermal/thermal_zone0/temp", "50000\n"}},
         61.5},
        {"a thermal zone alone", {{"sys/class/thermal/thermal_zone3/temp", "38000\n"}}, 38},
        {"sensor faults left out",
         {{"sys/class/hwmon/hwmon1/temp1_input", "-128000\n"},
          {"sys/class/hwmon/hwmon1/temp2_input", "255000\n"},
          {"sys/class/hwmon/hwmon1/temp3_input", "n/a\n"},
          {"sys/class/thermal/thermal_zone0/temp", "27800\n"}},
         27.8},
        {"below zero", {{"sys/class/hwmon/hwmon0/temp1_input", "-5000\n"}}, -5},
        {"only faults",
         {{"sys/class/hwmon/hwmon0/temp1_input", "\n"},
          {"sys/class/thermal/thermal_zone0/temp", "200000\n"}},
         std::nullopt},
        {"no sensors", {}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const auto celsius = HighestTemperatureCUnder(PreparedRoot(row.files).Path());
        ASSERT_EQ(celsius.has_value(), row.celsius.has_value());
        if (celsius) {
            EXPECT_DOUBLE_EQ(*celsius, *row.celsius);
        }
    }
}

TEST(OnBatteryUnder, BatteryOrMainsOrNothing)
{
    const std::string ps = "sys/class/power_supply/";
    const struct {
        const char* name;
        Files files;
        std::optional<bool> onBattery;
    } rows[] = {
        {"laptop unplugged",
         {{ps + "BAT0/type", "Battery\n"},
          {ps + "BAT0/status", "Discharging\n"},
          {ps + "AC/type", "Mains\n"},
          {ps + "AC/online", "0\n"}},
         true},
        {"laptop plugged in and full",
         {{ps + "BAT0/type", "Battery\n"},
          {ps + "BAT0/status", "Full\n"},
          {ps + "AC/type", "Mains\n"},
          {ps + "AC/online", "1\n"}},
         false},
        {"charging over USB",
         {{ps + "BAT0/type", "Battery\n"},
          {ps + "BAT0/status", "Unknown\n"},
          {ps + "ucsi-source-psy/type", "USB\n"},
          {ps + "ucsi-source-psy/online", "1\n"}},
         false},
        {"charging, no mains entry",
         {{ps + "BAT1/type", "Battery\n"}, {ps + "BAT1/status", "Charging\n"}},
         false},
        {"discharging, no mains entry",
         {{ps + "BAT1/type", "Battery\n"}, {ps + "BAT1/status", "Discharging\n"}},
         true},
        {"a desktop with a wireless mouse",
         {{ps + "hidpp_battery_0/type", "Battery\n"},
          {ps + "hidpp_battery_0/scope", "Device\n"},
          {ps + "hidpp_battery_0/status", "Discharging\n"}},
         std::nullopt},
        {"an empty battery bay",
         {{ps + "BAT0/type", "Battery\n"},
          {ps + "BAT0/present", "0\n"},
          {ps + "BAT0/status", "Discharging\n"}},
         std::nullopt},
        {"a battery that cannot tell",
         {{ps + "BAT0/type", "Battery\n"}, {ps + "BAT0/status", "Unknown\n"}},
         std::nullopt},
        {"mains alone", {{ps + "AC/type", "Mains\n"}, {ps + "AC/online", "1\n"}}, std::nullopt},
        {"no power supplies", {}, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(OnBatteryUnder(PreparedRoot(row.files).Path()), row.onBattery);
    }
}

// One step of busy work the optimiser keeps.
void Step(std::uint64_t& n)
{
    asm volatile("" : "+r"(n));
    ++n;
}

TEST(SystemCounters, ThisMachineKeepsItsProcessorTimes)
{
    const auto first = SystemCpuTimes();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Cpus, LogicalProcessors());
    const double process0 = ProcessCpuSeconds(), thread0 = ThreadCpuSeconds();
    std::uint64_t n = 0;
    while (ThreadCpuSeconds() - thread0 < 0.05) Step(n);
    const double thread = ThreadCpuSeconds() - thread0;
    EXPECT_GE(ProcessCpuSeconds() - process0, thread);
    EXPECT_GE(SystemCpuTimes()->Total(), first->Total());
}

// Processes that keep every processor busy until the object goes.
class Hogs {
public:
    explicit Hogs(int count)
    {
        for (int i = 0; i < count; ++i) {
            const pid_t pid = fork();
            if (pid == 0) {
                for (std::uint64_t n = 0;;) Step(n);
            }
            if (pid > 0) pids_.push_back(pid);
        }
    }
    ~Hogs()
    {
        for (const pid_t pid : pids_) kill(pid, SIGKILL);
        for (const pid_t pid : pids_) waitpid(pid, nullptr, 0);
    }
    std::size_t Count() const { return pids_.size(); }

private:
    std::vector<pid_t> pids_;
};

TEST(ConditionSampler, NotQuietBesideProcessesTakingEveryProcessor)
{
    // One more busy process than there are processors: whatever else the
    // machine does, others take far more than a tenth of a CPU and this
    // thread shares its processor.
    const int processors = LogicalProcessors();
    const Hogs hogs(std::min(processors + 1, 17));
    ASSERT_EQ(hogs.Count(), static_cast<std::size_t>(std::min(processors + 1, 17)));
    TConditionSampler sampler;
    sampler.Begin();
    {
        const TConditionSampler::TPart part(sampler, ThreadUseOfTest(2));
        const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
        std::uint64_t n = 0;
        while (std::chrono::steady_clock::now() < until) Step(n);
    }
    const TRunConditions c = sampler.End();
    EXPECT_FALSE(c.Quiet);
    ASSERT_TRUE(c.OtherCpuDuringPct);
    EXPECT_GE(*c.OtherCpuDuringPct, kQuietOtherCpuPct);
    ASSERT_TRUE(c.ThreadCpuShare);
    EXPECT_LT(*c.ThreadCpuShare, kQuietThreadShare);
    const auto has = [&c](const std::string& start) {
        for (const std::string& clause : c.Disturbances)
            if (clause.rfind(start, 0) == 0) return true;
        return false;
    };
    EXPECT_TRUE(has("other processes used ")) << ::testing::PrintToString(c.Disturbances);
    EXPECT_TRUE(has("the measuring thread got ")) << ::testing::PrintToString(c.Disturbances);
}

}  // namespace
}  // namespace vt
