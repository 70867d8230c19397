#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/system_counters.h"

namespace vt {

namespace {

namespace fs = std::filesystem;

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A small file of /proc or /sys, trimmed; none when it cannot be read (a
// sensor may answer a read with an error).
std::optional<std::string> ReadValue(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return std::string(Trim(text.str()));
}

// A whole decimal integer, optionally negative, and nothing else.
std::optional<std::int64_t> ParseInteger(std::string_view text)
{
    text = Trim(text);
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<std::int64_t> ReadInteger(const fs::path& path)
{
    const auto text = ReadValue(path);
    return text ? ParseInteger(*text) : std::nullopt;
}

// The entries of `folder` named `prefix` followed by a number, in the
// number's order ("cpu2" before "cpu10").
std::vector<fs::path> Numbered(const fs::path& folder, std::string_view prefix)
{
    std::vector<std::pair<std::int64_t, fs::path>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.compare(0, prefix.size(), prefix) != 0) continue;
        if (const auto number = ParseInteger(std::string_view(name).substr(prefix.size()));
            number && *number >= 0 && name.size() > prefix.size() && name[prefix.size()] != '-' &&
            name[prefix.size()] != '+')
            found.emplace_back(*number, it->path());
    }
    std::sort(found.begin(), found.end());
    std::vector<fs::path> paths;
    for (auto& entry : found) paths.push_back(std::move(entry.second));
    return paths;
}

// The names in `folder` in name order.
std::vector<fs::path> Entries(const fs::path& folder)
{
    std::vector<fs::path> paths;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        paths.push_back(it->path());
    std::sort(paths.begin(), paths.end());
    return paths;
}

fs::path Under(const std::string& root, const char* path)
{
    return fs::path(root) / path;
}

double Seconds(const timespec& t)
{
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ClockSeconds(clockid_t clock)
{
    timespec t{};
    return clock_gettime(clock, &t) == 0 ? Seconds(t) : 0;
}

// Temperatures outside this range are a sensor's fault ("-128", "255").
std::optional<double> Plausible(std::optional<std::int64_t> millidegrees)
{
    if (!millidegrees) return std::nullopt;
    const double celsius = static_cast<double>(*millidegrees) / 1000;
    if (celsius < -40 || celsius > 150) return std::nullopt;
    return celsius;
}

}  // namespace

std::optional<TSystemCpuTimes> ParseProcStat(std::string_view text, double secondsPerTick)
{
    std::optional<TSystemCpuTimes> times;
    int cpus = 0;
    std::istringstream lines{std::string(text)};
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("cpu", 0) != 0) continue;
        if (line.size() > 3 && line[3] >= '0' && line[3] <= '9') {
            ++cpus;
            continue;
        }
        if (line.size() > 3 && line[3] != ' ' && line[3] != '\t') continue;
        std::istringstream fields(line.substr(3));
        std::vector<std::optional<std::int64_t>> counts;
        for (std::string field; fields >> field;) {
            const auto count = ParseInteger(field);
            counts.push_back(count && *count >= 0 ? count : std::nullopt);
        }
        if (counts.size() < 4 || !counts[0] || !counts[1] || !counts[2] || !counts[3])
            return std::nullopt;
        const auto at = [&](std::size_t i) -> std::optional<double> {
            if (i >= counts.size() || !counts[i]) return std::nullopt;
            return static_cast<double>(*counts[i]) * secondsPerTick;
        };
        TSystemCpuTimes t;
        t.User = *at(0);
        t.Nice = *at(1);
        t.System = *at(2);
        t.Idle = *at(3);
        t.IoWait = at(4);
        t.Irq = at(5);
        t.SoftIrq = at(6);
        t.Steal = at(7);
        t.Resolution = secondsPerTick;
        times = t;
    }
    if (times) times->Cpus = std::max(cpus, 1);
    return times;
}

std::optional<TSystemCpuTimes> SystemCpuTimesUnder(const std::string& root)
{
    const auto text = ReadValue(Under(root, "proc/stat"));
    if (!text) return std::nullopt;
    const long hz = sysconf(_SC_CLK_TCK);
    return ParseProcStat(*text, 1.0 / static_cast<double>(hz > 0 ? hz : 100));
}

TProcessorClocks ProcessorClocksUnder(const std::string& root)
{
    TProcessorClocks clocks;
    std::vector<std::string> governors;
    for (const fs::path& cpu : Numbered(Under(root, "sys/devices/system/cpu"), "cpu")) {
        if (const auto khz = ReadInteger(cpu / "cpufreq/scaling_cur_freq"); khz && *khz > 0)
            clocks.MHz.push_back(static_cast<double>(*khz) / 1000);
        const auto governor = ReadValue(cpu / "cpufreq/scaling_governor");
        if (governor && !governor->empty() &&
            std::find(governors.begin(), governors.end(), *governor) == governors.end())
            governors.push_back(*governor);
    }
    for (const std::string& governor : governors)
        clocks.Governor = clocks.Governor ? *clocks.Governor + "," + governor : governor;
    return clocks;
}

std::optional<std::int64_t> ThrottleEventsUnder(const std::string& root)
{
    std::optional<std::int64_t> events;
    std::map<std::string, std::int64_t> packages;  // by package id, its highest count
    for (const fs::path& cpu : Numbered(Under(root, "sys/devices/system/cpu"), "cpu")) {
        if (const auto core = ReadInteger(cpu / "thermal_throttle/core_throttle_count");
            core && *core >= 0)
            events = events.value_or(0) + *core;
        if (const auto package = ReadInteger(cpu / "thermal_throttle/package_throttle_count");
            package && *package >= 0) {
            // Every processor of a package shows the package's count.
            const auto id = ReadValue(cpu / "topology/physical_package_id");
            std::int64_t& count = packages[id.value_or("")];
            count = std::max(count, *package);
        }
    }
    for (const auto& [id, count] : packages) events = events.value_or(0) + count;
    return events;
}

std::optional<double> HighestTemperatureCUnder(const std::string& root)
{
    std::optional<double> highest;
    const auto see = [&highest](std::optional<double> celsius) {
        if (celsius && (!highest || *celsius > *highest)) highest = celsius;
    };
    for (const fs::path& hwmon : Numbered(Under(root, "sys/class/hwmon"), "hwmon"))
        for (const fs::path& file : Entries(hwmon)) {
            const std::string name = file.filename().string();
            if (name.rfind("temp", 0) == 0 && name.size() > 10 &&
                name.compare(name.size() - 6, 6, "_input") == 0)
                see(Plausible(ReadInteger(file)));
        }
    for (const fs::path& zone : Numbered(Under(root, "sys/class/thermal"), "thermal_zone"))
        see(Plausible(ReadInteger(zone / "temp")));
    return highest;
}

std::optional<bool> OnBatteryUnder(const std::string& root)
{
    bool battery = false, mainsOnline = false, mainsOffline = false, discharging = false,
         charging = false;
    for (const fs::path& supply : Entries(Under(root, "sys/class/power_supply"))) {
        const std::string type = ReadValue(supply / "type").value_or("");
        if (type == "Battery") {
            // A mouse's or a headset's battery does not power the machine.
            if (ReadValue(supply / "scope").value_or("") == "Device") continue;
            if (ReadValue(supply / "present").value_or("1") == "0") continue;
            battery = true;
            const std::string status = ReadValue(supply / "status").value_or("");
            discharging = discharging || status == "Discharging";
            charging =
                charging || status == "Charging" || status == "Full" || status == "Not charging";
        } else if (type == "Mains" || type == "USB" || type == "UPS") {
            const auto online = ReadInteger(supply / "online");
            mainsOnline = mainsOnline || (online && *online > 0);
            mainsOffline = mainsOffline || (online && *online == 0);
        }
    }
    if (!battery) return std::nullopt;
    if (mainsOnline) return false;
    if (discharging || mainsOffline) return true;
    if (charging) return false;
    return std::nullopt;
}

std::optional<TSystemCpuTimes> SystemCpuTimes()
{
    return SystemCpuTimesUnder("/");
}

double ThreadCpuSeconds()
{
    return ClockSeconds(CLOCK_THREAD_CPUTIME_ID);
}

double ProcessCpuSeconds()
{
    return ClockSeconds(CLOCK_PROCESS_CPUTIME_ID);
}

double ThreadCpuResolution()
{
    timespec t{};
    return clock_getres(CLOCK_THREAD_CPUTIME_ID, &t) == 0 ? Seconds(t) : 1e-9;
}

TProcessorClocks ProcessorClocks()
{
    return ProcessorClocksUnder("/");
}

std::optional<std::int64_t> ThrottleEvents()
{
    return ThrottleEventsUnder("/");
}

std::optional<double> HighestTemperatureC()
{
    return HighestTemperatureCUnder("/");
}

std::optional<bool> OnBattery()
{
    return OnBatteryUnder("/");
}

}  // namespace vt
