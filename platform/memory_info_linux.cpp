#include "platform/memory_info.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/drive_space.h"

namespace vt {

namespace {

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool HasOption(std::string_view options, std::string_view name)
{
    while (!options.empty()) {
        const auto comma = options.find(',');
        if (options.substr(0, comma) == name) return true;
        if (comma == std::string_view::npos) break;
        options.remove_prefix(comma + 1);
    }
    return false;
}

// The directory of the cgroup `path` in a hierarchy whose `root` is mounted
// at `mountPoint`.
std::string CgroupDirectory(const TMountEntry& mount, const std::string& path)
{
    std::string rel = path;
    if (mount.Root != "/" && rel.rfind(mount.Root, 0) == 0) rel.erase(0, mount.Root.size());
    while (!rel.empty() && rel.back() == '/') rel.pop_back();
    return mount.MountPoint + rel;
}

// The lowest limit in `fileName` from `dir` up to the mount point.
std::optional<std::int64_t> LowestLimit(std::string dir, const std::string& mountPoint,
                                        const char* fileName)
{
    std::optional<std::int64_t> lowest;
    for (;;) {
        if (auto text = ReadFile(dir + "/" + fileName))
            if (auto limit = ParseMemoryLimit(*text))
                lowest = lowest ? std::min(*lowest, *limit) : *limit;
        if (dir.size() <= mountPoint.size()) break;
        const auto slash = dir.rfind('/');
        if (slash == std::string::npos || slash < mountPoint.size()) break;
        dir.erase(std::max(slash, mountPoint.size()));
    }
    return lowest;
}

}  // namespace

std::int64_t PhysicalMemoryBytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0) return 0;
    return static_cast<std::int64_t>(pages) * pageSize;
}

std::optional<std::int64_t> CgroupMemoryLimitBytes()
{
    const auto cgroups = ReadFile("/proc/self/cgroup");
    if (!cgroups) return std::nullopt;
    const std::vector<TMountEntry> mounts = ReadMountTable();

    std::optional<std::int64_t> lowest;
    auto take = [&](std::optional<std::int64_t> limit) {
        if (limit) lowest = lowest ? std::min(*lowest, *limit) : *limit;
    };
    if (const auto path = CgroupPathFromText(*cgroups, true)) {
        for (const auto& m : mounts)
            if (m.FsType == "cgroup2")
                take(LowestLimit(CgroupDirectory(m, *path), m.MountPoint, "memory.max"));
    }
    if (const auto path = CgroupPathFromText(*cgroups, false)) {
        for (const auto& m : mounts)
            if (m.FsType == "cgroup" && HasOption(m.SuperOptions, "memory"))
                take(LowestLimit(CgroupDirectory(m, *path), m.MountPoint, "memory.limit_in_bytes"));
    }
    return lowest;
}

std::optional<std::string> CgroupPathFromText(std::string_view text, bool v2)
{
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // "hierarchy-ID:controller-list:path"
        const auto c1 = line.find(':');
        if (c1 == std::string_view::npos) continue;
        const auto c2 = line.find(':', c1 + 1);
        if (c2 == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, c1);
        const std::string_view controllers = line.substr(c1 + 1, c2 - c1 - 1);
        const std::string_view path = line.substr(c2 + 1);
        const bool match =
            v2 ? (id == "0" && controllers.empty()) : HasOption(controllers, "memory");
        if (match && !path.empty() && path.front() == '/') return std::string(path);
    }
    return std::nullopt;
}

std::optional<std::int64_t> ParseMemoryLimit(std::string_view text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    std::int64_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || text.empty() || value < 0)
        return std::nullopt;
    return value;
}

}  // namespace vt
