// The layout from GetLogicalProcessorInformationEx, whose records
// CpuLayoutFromRecords reads; the allowed CPUs from the process's group
// affinity.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/cpu_layout.h"
#include "platform/cpu_layout_records.h"
#include "platform/errors.h"
#include "platform/system_error_win32.h"

namespace vt {

// The record reader keeps its own offsets: they must be the system's.
static_assert(offsetof(SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX, Processor) == 8);
// The efficiency class is the byte after the flags (older headers call it
// the first reserved byte).
static_assert(offsetof(PROCESSOR_RELATIONSHIP, Reserved) == 1);
static_assert(offsetof(PROCESSOR_RELATIONSHIP, GroupCount) == 22);
static_assert(offsetof(PROCESSOR_RELATIONSHIP, GroupMask) == 24);
static_assert(offsetof(NUMA_NODE_RELATIONSHIP, GroupMask) == 24);
static_assert(sizeof(GROUP_AFFINITY) == 16);
static_assert(static_cast<std::uint32_t>(RelationProcessorCore) == kRelationProcessorCore);
static_assert(static_cast<std::uint32_t>(RelationNumaNode) == kRelationNumaNode);
static_assert(static_cast<std::uint32_t>(RelationProcessorPackage) == kRelationProcessorPackage);

namespace {

std::vector<std::uint8_t> ProcessorRecords()
{
    DWORD size = 0;
    GetLogicalProcessorInformationEx(RelationAll, nullptr, &size);
    // Asked again while the count of processors might change (hot add).
    for (int attempt = 0; attempt < 3; ++attempt) {
        std::vector<std::uint8_t> buffer(size);
        if (GetLogicalProcessorInformationEx(
                RelationAll,
                reinterpret_cast<SYSTEM_LOGICAL_PROCESSOR_INFORMATION_EX*>(buffer.data()), &size)) {
            buffer.resize(size);
            return buffer;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    throw Exception("Cannot describe the processors: " + ErrnoText(LastErrno()));
}

// The CPUs the process may run on: where it spans several processor groups,
// every CPU of its groups (Windows keeps no mask across groups); otherwise
// its affinity mask in the group it runs in. Systems that do not answer for
// the groups (older ones, Wine) are taken to run in one group.
std::vector<int> AllowedCpus(const TCpuLayout& machine)
{
    USHORT groups[64] = {};
    USHORT groupCount = 64;
    if (GetProcessGroupAffinity(GetCurrentProcess(), &groupCount, groups) && groupCount > 1) {
        std::vector<int> allowed;
        for (const int cpu : machine.Cpus)
            for (USHORT g = 0; g < groupCount; ++g)
                if (cpu / 64 == groups[g]) allowed.push_back(cpu);
        return allowed;
    }
    DWORD_PTR process = 0, system = 0;
    if (!GetProcessAffinityMask(GetCurrentProcess(), &process, &system))
        throw Exception("Cannot read which CPUs this program may run on: " +
                        ErrnoText(LastErrno()));
    GROUP_AFFINITY thread = {};
    const int group = GetThreadGroupAffinity(GetCurrentThread(), &thread) ? thread.Group : 0;
    std::vector<int> allowed;
    for (int bit = 0; bit < 64; ++bit)
        if (static_cast<std::uint64_t>(process) >> bit & 1) allowed.push_back(64 * group + bit);
    return allowed;
}

}  // namespace

TCpuLayout ReadCpuLayout()
{
    const std::vector<std::uint8_t> records = ProcessorRecords();
    std::vector<int> every;
    for (int cpu = 0; cpu < 64 * 64; ++cpu) every.push_back(cpu);
    const TCpuLayout machine = CpuLayoutFromRecords(records.data(), records.size(), every);
    return CpuLayoutFromRecords(records.data(), records.size(), AllowedCpus(machine));
}

}  // namespace vt
