// A file's file-system type on Linux: the mount table entry of the device
// the file lives on.
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>

#include "platform/drive_space.h"
#include "platform/file_system_type.h"

namespace vt {

namespace {

// The type of a few file systems by their statfs magic number, for a process
// whose mount table cannot be read.
std::string TypeFromMagic(const std::string& name)
{
    struct statfs st {};
    if (::statfs(name.c_str(), &st) != 0) return {};
    switch (static_cast<unsigned long>(st.f_type)) {
        case 0x01021994UL:
            return "tmpfs";
        case 0x858458f6UL:
            return "ramfs";
        case 0x6969UL:
            return "nfs";
        case 0xFF534D42UL:
            return "cifs";
        case 0xFE534D42UL:
            return "smb3";
        case 0x65735546UL:
            return "fuse";
        default:
            return {};
    }
}

}  // namespace

std::string FileSystemTypeOf(const std::string& name)
{
    struct stat st {};
    if (::stat(name.c_str(), &st) != 0) return {};
    // The mount table names each mount's device as "major:minor", the same
    // number stat reports for every file on it (a bind mount shows its
    // device again; the last entry is the one in force).
    const std::string device =
        std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    std::string type;
    for (const TMountEntry& m : ReadMountTable())
        if (m.Device == device) type = m.FsType;
    return type.empty() ? TypeFromMagic(name) : type;
}

}  // namespace vt
