#include "platform/drive_space.h"
#include "platform/file_system_type.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace vt {

namespace {

// Decodes the octal escapes the kernel writes for blank, tab, newline and
// backslash.
std::string Unescape(std::string_view field)
{
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
            field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
            field[i + 3] >= '0' && field[i + 3] <= '7') {
            out.push_back(static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                            (field[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}

}  // namespace

std::vector<TMountEntry> ParseMountInfo(std::string_view text)
{
    std::vector<TMountEntry> entries;
    std::istringstream lines{std::string(text)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream in(line);
        std::vector<std::string> fields{std::istream_iterator<std::string>(in),
                                        std::istream_iterator<std::string>()};
        // ID, parent, major:minor, root, mount point, options, optional
        // fields..., "-", type, source, super options.
        const auto sep = std::find(fields.begin(), fields.end(), "-");
        if (sep == fields.end() || sep - fields.begin() < 6 || fields.end() - sep < 3) continue;
        TMountEntry e;
        e.Device = fields[2];
        e.Root = Unescape(fields[3]);
        e.MountPoint = Unescape(fields[4]);
        e.FsType = Unescape(sep[1]);
        e.Source = Unescape(sep[2]);
        if (fields.end() - sep > 3) e.SuperOptions = Unescape(sep[3]);
        entries.push_back(std::move(e));
    }
    return entries;
}

std::vector<TMountEntry> ReadMountTable()
{
    std::ifstream in("/proc/self/mountinfo");
    if (!in) return {};
    std::ostringstream text;
    text << in.rdbuf();
    return ParseMountInfo(text.str());
}

std::vector<TMountEntry> SelectDriveMounts(const std::vector<TMountEntry>& mounts,
                                           std::size_t limit)
{
    std::vector<const TMountEntry*> candidates;
    for (const auto& m : mounts)
        if (m.Source.rfind("/dev/", 0) == 0 && ClassifyFileSystem(m.FsType) == TStorageKind::Disk)
            candidates.push_back(&m);
    // The root file system first, the others in mount order.
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const TMountEntry* m) { return m->MountPoint == "/"; });

    std::vector<TMountEntry> drives;
    std::set<std::string> seenDevices, seenSources;
    for (const TMountEntry* m : candidates) {
        if (drives.size() >= limit) break;
        if (seenDevices.count(m->Device) != 0 || seenSources.count(m->Source) != 0) continue;
        seenDevices.insert(m->Device);
        seenSources.insert(m->Source);
        drives.push_back(*m);
    }
    return drives;
}

bool FileSystemSpace(const std::string& path, std::int64_t& totalBytes,
                     std::int64_t& freeBytesAvailable)
{
    struct statvfs st {};
    if (statvfs(path.c_str(), &st) != 0) return false;
    totalBytes = static_cast<std::int64_t>(st.f_blocks) * static_cast<std::int64_t>(st.f_frsize);
    freeBytesAvailable =
        static_cast<std::int64_t>(st.f_bavail) * static_cast<std::int64_t>(st.f_frsize);
    return true;
}

}  // namespace vt
