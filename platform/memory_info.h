// The machine's physical memory and the memory limit of the process's
// control group.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vt {

// Installed physical memory in bytes (pages times page size; on Windows the
// total physical memory GlobalMemoryStatusEx reports).
std::int64_t PhysicalMemoryBytes();

// The lowest memory limit of the process's control group and its ancestors,
// in bytes, from the cgroup v2 "memory.max" files, or, where only the v1
// memory controller is mounted, from its "memory.limit_in_bytes" files.
// Nothing when no limit is set or no controller is found, and always nothing
// on Windows.
std::optional<std::int64_t> CgroupMemoryLimitBytes();

#if !defined(_WIN32)
// ---- the parsing behind it, over given file contents (Linux only) ----

// The process's path in its memory hierarchy from the text of
// /proc/self/cgroup: the v2 line "0::<path>" when v2 is true, else the v1
// line whose controller list holds "memory". Nothing when there is no such
// line.
std::optional<std::string> CgroupPathFromText(std::string_view procSelfCgroup, bool v2);

// A limit file's content: a byte count, or nothing for "max" (no limit) and
// for anything unreadable.
std::optional<std::int64_t> ParseMemoryLimit(std::string_view text);
#endif

}  // namespace vt
