#include "sysinfo/probes.h"

#include <algorithm>
#include <cmath>

#include "platform/cpu_x86.h"
#include "platform/drive_space.h"
#include "platform/memory_info.h"
#include "platform/number_format.h"
#include "platform/priority.h"
#include "platform/tick_count.h"

namespace vt {

namespace {

constexpr std::uint8_t kFirstDrive = 2;  // C:
constexpr std::size_t kDriveCount = 4;   // C: to F:

}  // namespace

double CpuMHzFromTicks(std::int64_t ticks)
{
    return static_cast<double>(static_cast<long double>(ticks) * 2e-6L);
}

double MeasureCpuMHz(const std::function<std::uint64_t()>& counter,
                     const std::function<void(std::uint32_t)>& sleep)
{
    std::int64_t ticks = 0;
    {
        TRaisedPriority raised;
        sleep(100);
        const std::uint64_t t0 = counter();
        sleep(500);
        const std::uint64_t t1 = counter();
        ticks = static_cast<std::int64_t>(t1 - t0);
    }  // the thread's and then the process's priority come back here
    return CpuMHzFromTicks(ticks);
}

double MeasureCpuMHz()
{
    return MeasureCpuMHz(ReadTimeStampCounter, [](std::uint32_t ms) { Sleep(ms); });
}

std::int64_t ReadTotalPhysMem()
{
    const std::int64_t physical = PhysicalMemoryBytes();
    const std::optional<std::int64_t> limit = CgroupMemoryLimitBytes();
    return limit ? std::min(physical, *limit) : physical;
}

std::int64_t MemorySizeMiB(std::int64_t bytes)
{
    return RoundHalfEven(static_cast<long double>(bytes) / 1048576.0L + 0.495L);
}

bool GetDriveSpace(std::uint8_t Drive, std::int64_t& TotalBytes, std::int64_t& FreeBytesAvailable)
{
    if (Drive < kFirstDrive) return false;
    const std::vector<TMountEntry> drives = SelectDriveMounts(ReadMountTable(), kDriveCount);
    const std::size_t index = Drive - kFirstDrive;
    if (index >= drives.size()) return false;
    std::int64_t total = 0, avail = 0;
    if (!FileSystemSpace(drives[index].MountPoint, total, avail)) return false;
    TotalBytes = total;
    FreeBytesAvailable = avail;
    return true;
}

std::string TotalDiskSizeText(const FormatSettings& fs, bool grouped)
{
    std::vector<std::int64_t> sizes;
    for (std::uint8_t drive = kFirstDrive; drive < kFirstDrive + kDriveCount; ++drive) {
        std::int64_t total = 0, avail = 0;
        if (GetDriveSpace(drive, total, avail)) sizes.push_back(total);
    }
    return DiskSizeText(sizes, fs, grouped);
}

std::string DiskSizeText(const std::vector<std::int64_t>& driveBytes, const FormatSettings& fs,
                         bool grouped)
{
    std::int64_t sumMiB = 0;
    for (const std::int64_t bytes : driveBytes)
        sumMiB = RoundHalfEven(static_cast<long double>(sumMiB) +
                               std::ldexp(static_cast<long double>(bytes), -20));
    const long double gib = std::ldexp(static_cast<long double>(sumMiB), -10);
    return grouped ? FormatNumber(gib, 0, 1, fs) : FormatFixed(gib, 0, 1, fs);
}

}  // namespace vt
