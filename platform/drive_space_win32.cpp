#include <windows.h>

#include "platform/drive_space.h"

namespace vt {

namespace {

const char* DriveTypeName(UINT type)
{
    switch (type) {
        case DRIVE_FIXED:
            return "fixed";
        case DRIVE_REMOVABLE:
            return "removable";
        case DRIVE_REMOTE:
            return "remote";
        case DRIVE_CDROM:
            return "cdrom";
        case DRIVE_RAMDISK:
            return "ramdisk";
        default:
            return "unknown";
    }
}

}  // namespace

std::vector<TMountEntry> ReadMountTable()
{
    std::vector<TMountEntry> drives;
    const DWORD letters = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if ((letters & (1u << i)) == 0) continue;
        const std::string letter{static_cast<char>('A' + i), ':'};
        const std::string root = letter + "\\";
        TMountEntry e;
        e.Device = letter;
        e.Root = "\\";
        e.MountPoint = root;
        e.Source = letter;
        e.SuperOptions = DriveTypeName(GetDriveTypeA(root.c_str()));
        char fsName[MAX_PATH + 1] = {};
        // A drive without a medium has no file system to name.
        if (GetVolumeInformationA(root.c_str(), nullptr, 0, nullptr, nullptr, nullptr, fsName,
                                  sizeof fsName))
            e.FsType = fsName;
        drives.push_back(std::move(e));
    }
    return drives;
}

std::vector<TMountEntry> SelectDriveMounts(const std::vector<TMountEntry>& mounts,
                                           std::size_t limit)
{
    std::vector<TMountEntry> drives;
    for (const TMountEntry& m : mounts) {
        if (drives.size() >= limit) break;
        const bool local = m.SuperOptions == "fixed" || m.SuperOptions == "removable";
        if (m.Device.size() == 2 && m.Device[0] >= 'C' && local && !m.FsType.empty())
            drives.push_back(m);
    }
    return drives;
}

bool FileSystemSpace(const std::string& path, std::int64_t& totalBytes,
                     std::int64_t& freeBytesAvailable)
{
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(path.c_str(), &available, &total, &free)) return false;
    totalBytes = static_cast<std::int64_t>(total.QuadPart);
    freeBytesAvailable = static_cast<std::int64_t>(available.QuadPart);
    return true;
}

}  // namespace vt
