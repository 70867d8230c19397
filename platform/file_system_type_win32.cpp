// A file's file-system type on Windows: the name its volume reports, marked
// when the drive is a network or memory drive, whose volumes report a disk
// file system's name ("NTFS") all the same.
#include <windows.h>

#include "platform/file_system_type.h"

namespace vt {

std::string FileSystemTypeOf(const std::string& name)
{
    if (GetFileAttributesA(name.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    char root[MAX_PATH + 1] = {};
    if (!GetVolumePathNameA(name.c_str(), root, sizeof root)) return {};
    char fsName[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, fsName, sizeof fsName))
        return {};
    switch (GetDriveTypeA(root)) {
        case DRIVE_REMOTE:
            return std::string(kNetworkDrivePrefix) + fsName;
        case DRIVE_RAMDISK:
            return std::string(kMemoryDrivePrefix) + fsName;
        default:
            return fsName;
    }
}

}  // namespace vt
