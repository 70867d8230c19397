// How much memory this process can still take and touch without the kernel
// stepping in.
//
// Linux hands out address space more freely than it has memory behind it: a
// large block is granted at once and the pages are found only when first
// written. When they run out the kernel kills a process (often this one) in
// the middle of its work. So a test that is about to fill a large block asks
// here first and refuses a block that does not fit.
//
// The figure is the lowest of what is known: the kernel's estimate of memory
// available without swapping (MemAvailable in /proc/meminfo) and, for every
// memory control group from the process's own up to the root, the room left
// below its limit (cgroup v2: memory.max - memory.current; v1:
// memory.limit_in_bytes - memory.usage_in_bytes). Swap is not counted: a
// block that only fits with swap would measure the disk, not the memory.
//
// On Windows the figure is the physical memory available now
// (GlobalMemoryStatusEx's ullAvailPhys), or the process's address space
// left when that is less; the page file is not counted either.
#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

// No limit could be read at all: nothing known stops an allocation, so only
// the allocator decides.
constexpr std::int64_t kAvailableMemoryUnknown = std::numeric_limits<std::int64_t>::max();

// Bytes this process can obtain and touch now, or kAvailableMemoryUnknown.
std::int64_t AvailableMemory();

#if !defined(_WIN32)
// ---- the pieces, over given texts (Linux only) ----

// MemAvailable of a /proc/meminfo text in bytes; none when the line is
// missing or malformed.
std::optional<std::int64_t> MemAvailableFromMeminfo(std::string_view meminfo);

// The room below one control group's limit: limit - usage, never below 0.
// None when the limit is "max" (no limit) or either text is not a number.
std::optional<std::int64_t> CgroupRoom(std::string_view limit, std::string_view usage);

struct TCgroupMemoryDir {
    std::string Path;  // directory holding the group's limit and usage files
    bool Unified;      // cgroup v2 file names, else v1
};

// The memory control group directories of the process, its own first and
// then each parent up to the hierarchy's mount point, from the texts of
// /proc/self/cgroup and /proc/self/mountinfo. Both hierarchies are listed
// when both are mounted.
std::vector<TCgroupMemoryDir> CgroupMemoryDirs(std::string_view procSelfCgroup,
                                               std::string_view mountinfo);

// The lowest known figure, or kAvailableMemoryUnknown when none is known.
std::int64_t LowestKnown(const std::vector<std::optional<std::int64_t>>& figures);
#endif

}  // namespace vt
