#include <algorithm>
#include <fstream>
#include <sstream>

#include "platform/memory_available.h"

namespace vt {

namespace {

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// A non-negative decimal number and nothing else.
std::optional<std::int64_t> ParseCount(std::string_view text)
{
    text = Trim(text);
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const int digit = c - '0';
        if (value > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return std::nullopt;
        value = value * 10 + digit;
    }
    return value;
}

std::vector<std::string_view> Split(std::string_view text, char separator)
{
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return parts;
}

bool HasItem(std::string_view commaList, std::string_view item)
{
    const auto items = Split(commaList, ',');
    return std::find(items.begin(), items.end(), item) != items.end();
}

// mountinfo writes blanks, tabs, newlines and backslashes in paths as \ooo.
std::string Unescape(std::string_view text)
{
    std::string out;
    const auto octal = [](char c) { return c >= '0' && c <= '7'; };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 3 < text.size() && octal(text[i + 1]) && octal(text[i + 2]) &&
            octal(text[i + 3])) {
            out += static_cast<char>((text[i + 1] - '0') * 64 + (text[i + 2] - '0') * 8 +
                                     (text[i + 3] - '0'));
            i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

struct TMount {
    std::string Root;
    std::string Point;
};

// The directories from the process's group up to the mount point.
void AddLevels(const TMount& mount, const std::string& groupPath, bool unified,
               std::vector<TCgroupMemoryDir>& dirs)
{
    std::string relative;
    if (mount.Root == "/") {
        relative = groupPath == "/" ? "" : groupPath;
    } else if (groupPath == mount.Root) {
        relative.clear();
    } else if (groupPath.size() > mount.Root.size() &&
               groupPath.compare(0, mount.Root.size(), mount.Root) == 0 &&
               groupPath[mount.Root.size()] == '/') {
        relative = groupPath.substr(mount.Root.size());
    } else {
        // The group lies outside what is mounted here (another namespace):
        // the mount point's own group is the nearest one visible.
        relative.clear();
    }
    while (true) {
        dirs.push_back({mount.Point + relative, unified});
        if (relative.empty()) break;
        relative.erase(relative.rfind('/'));
    }
}

std::optional<std::string> ReadText(const std::string& path)
{
    std::ifstream in(path);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::optional<std::int64_t> RoomOf(const TCgroupMemoryDir& dir)
{
    const auto limit =
        ReadText(dir.Path + (dir.Unified ? "/memory.max" : "/memory.limit_in_bytes"));
    const auto usage =
        ReadText(dir.Path + (dir.Unified ? "/memory.current" : "/memory.usage_in_bytes"));
    if (!limit || !usage) return std::nullopt;
    return CgroupRoom(*limit, *usage);
}

}  // namespace

std::optional<std::int64_t> MemAvailableFromMeminfo(std::string_view meminfo)
{
    constexpr std::string_view key = "MemAvailable:";
    for (std::string_view line : Split(meminfo, '\n')) {
        if (line.substr(0, key.size()) != key) continue;
        line = Trim(line.substr(key.size()));
        constexpr std::string_view unit = "kB";
        if (line.size() < unit.size() || line.substr(line.size() - unit.size()) != unit)
            return std::nullopt;
        const auto kib = ParseCount(line.substr(0, line.size() - unit.size()));
        if (!kib || *kib > std::numeric_limits<std::int64_t>::max() / 1024) return std::nullopt;
        return *kib * 1024;
    }
    return std::nullopt;
}

std::optional<std::int64_t> CgroupRoom(std::string_view limit, std::string_view usage)
{
    if (Trim(limit) == "max") return std::nullopt;
    const auto l = ParseCount(limit);
    const auto u = ParseCount(usage);
    if (!l || !u) return std::nullopt;
    return std::max<std::int64_t>(*l - *u, 0);
}

std::vector<TCgroupMemoryDir> CgroupMemoryDirs(std::string_view procSelfCgroup,
                                               std::string_view mountinfo)
{
    std::optional<TMount> unifiedMount, memoryMount;
    for (std::string_view line : Split(mountinfo, '\n')) {
        const std::size_t dash = line.find(" - ");
        if (dash == std::string_view::npos) continue;
        const auto before = Split(line.substr(0, dash), ' ');
        const auto after = Split(line.substr(dash + 3), ' ');
        if (before.size() < 5 || after.size() < 3) continue;
        TMount mount{Unescape(before[3]), Unescape(before[4])};
        if (after[0] == "cgroup2" && !unifiedMount) unifiedMount = mount;
        if (after[0] == "cgroup" && HasItem(after[2], "memory") && !memoryMount)
            memoryMount = mount;
    }

    std::vector<TCgroupMemoryDir> dirs;
    for (std::string_view line : Split(procSelfCgroup, '\n')) {
        // hierarchy-id:controllers:path (the path may itself hold colons)
        const std::size_t first = line.find(':');
        if (first == std::string_view::npos) continue;
        const std::size_t second = line.find(':', first + 1);
        if (second == std::string_view::npos) continue;
        const std::string_view id = line.substr(0, first);
        const std::string_view controllers = line.substr(first + 1, second - first - 1);
        const std::string path(Trim(line.substr(second + 1)));
        if (path.empty() || path[0] != '/') continue;
        if (id == "0" && controllers.empty()) {
            if (unifiedMount) AddLevels(*unifiedMount, path, true, dirs);
        } else if (HasItem(controllers, "memory")) {
            if (memoryMount) AddLevels(*memoryMount, path, false, dirs);
        }
    }
    return dirs;
}

std::int64_t LowestKnown(const std::vector<std::optional<std::int64_t>>& figures)
{
    std::int64_t lowest = kAvailableMemoryUnknown;
    for (const auto& figure : figures)
        if (figure) lowest = std::min(lowest, *figure);
    return lowest;
}

std::int64_t AvailableMemory()
{
    std::vector<std::optional<std::int64_t>> figures;
    if (const auto meminfo = ReadText("/proc/meminfo"))
        figures.push_back(MemAvailableFromMeminfo(*meminfo));
    const auto cgroup = ReadText("/proc/self/cgroup");
    const auto mountinfo = ReadText("/proc/self/mountinfo");
    if (cgroup && mountinfo)
        for (const auto& dir : CgroupMemoryDirs(*cgroup, *mountinfo))
            figures.push_back(RoomOf(dir));
    return LowestKnown(figures);
}

}  // namespace vt
