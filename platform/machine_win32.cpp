#include <windows.h>

#include "platform/machine.h"

namespace vt {

namespace {

// A text value under the key of the running Windows version; empty when
// there is none.
std::string VersionValue(const char* name)
{
    char value[256] = {};
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", name,
                     RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return {};
    return value;
}

// The version the kernel reports, which no compatibility setting of the
// program's manifest changes (GetVersionEx's may).
OSVERSIONINFOW KernelVersion()
{
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    if (const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll")) {
        const auto get = reinterpret_cast<RtlGetVersionFunction>(
            reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
        if (get) get(&info);
    }
    return info;
}

}  // namespace

std::string HostName()
{
    char name[256] = {};
    DWORD size = sizeof name;
    if (!GetComputerNameExA(ComputerNameDnsHostname, name, &size)) return {};
    return name;
}

std::string OperatingSystemName()
{
    std::string name = VersionValue("ProductName");
    if (name.empty()) name = "Windows";
    const std::string version = VersionValue("DisplayVersion");
    return version.empty() ? name : name + " " + version;
}

std::string KernelName()
{
    const OSVERSIONINFOW v = KernelVersion();
    return "Windows NT " + std::to_string(v.dwMajorVersion) + "." +
           std::to_string(v.dwMinorVersion) + "." + std::to_string(v.dwBuildNumber);
}

int LogicalProcessors()
{
    const DWORD count = GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
    return count > 0 ? static_cast<int>(count) : 1;
}

std::optional<double> LoadAverage()
{
    return std::nullopt;
}

}  // namespace vt
