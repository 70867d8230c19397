#include <windows.h>
// after windows.h, whose types it uses
#include <powrprof.h>

#include <vector>

#include "platform/system_counters.h"

namespace vt {

namespace {

double Seconds(const FILETIME& t)
{
    const ULONGLONG units = (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    return static_cast<double>(units) * 1e-7;
}

// The step of the system's timer, by which its time counters advance.
double TimerStep()
{
    DWORD adjustment = 0, increment = 0;
    BOOL disabled = FALSE;
    if (GetSystemTimeAdjustment(&adjustment, &increment, &disabled) && increment > 0)
        return static_cast<double>(increment) * 1e-7;
    return 0.015625;
}

// The layout CallNtPowerInformation fills for ProcessorInformation; MinGW's
// headers do not all declare it.
struct TProcessorPowerInformation {
    ULONG Number;
    ULONG MaxMhz;
    ULONG CurrentMhz;
    ULONG MhzLimit;
    ULONG MaxIdleState;
    ULONG CurrentIdleState;
};

}  // namespace

std::optional<TSystemCpuTimes> SystemCpuTimes()
{
    FILETIME idle{}, kernel{}, user{};
    if (!GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
    TSystemCpuTimes times;
    // Kernel time includes the idle time.
    times.Idle = Seconds(idle);
    times.System = Seconds(kernel) - times.Idle;
    times.User = Seconds(user);
    times.Cpus = static_cast<int>(GetActiveProcessorCount(ALL_PROCESSOR_GROUPS));
    if (times.Cpus < 1) times.Cpus = 1;
    times.Resolution = TimerStep();
    return times;
}

double ThreadCpuSeconds()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    return Seconds(kernel) + Seconds(user);
}

double ProcessCpuSeconds()
{
    FILETIME created{}, exited{}, kernel{}, user{};
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
    return Seconds(kernel) + Seconds(user);
}

double ThreadCpuResolution()
{
    return TimerStep();
}

TProcessorClocks ProcessorClocks()
{
    TProcessorClocks clocks;
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    if (info.dwNumberOfProcessors == 0) return clocks;
    std::vector<TProcessorPowerInformation> power(info.dwNumberOfProcessors);
    const auto bytes = static_cast<ULONG>(power.size() * sizeof(TProcessorPowerInformation));
    if (CallNtPowerInformation(ProcessorInformation, nullptr, 0, power.data(), bytes) != 0)
        return clocks;
    for (const TProcessorPowerInformation& p : power)
        if (p.CurrentMhz > 0) clocks.MHz.push_back(static_cast<double>(p.CurrentMhz));
    // Windows has power plans, not a governor.
    return clocks;
}

std::optional<std::int64_t> ThrottleEvents()
{
    return std::nullopt;  // Windows does not count them for programs
}

std::optional<double> HighestTemperatureC()
{
    return std::nullopt;  // the thermal zones need an administrator's rights
}

std::optional<bool> OnBattery()
{
    SYSTEM_POWER_STATUS status{};
    if (!GetSystemPowerStatus(&status)) return std::nullopt;
    if (status.BatteryFlag == 128 || status.BatteryFlag == 255)
        return std::nullopt;  // none, unknown
    if (status.ACLineStatus == 0) return true;
    if (status.ACLineStatus == 1) return false;
    return std::nullopt;
}

}  // namespace vt
