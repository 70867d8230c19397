// The kinds of file systems, as the mount table names their types. Shared by
// every operating system: only finding a file's type is the system's own.
#include "platform/file_system_type.h"

#include <set>

namespace vt {

namespace {

using TypeSet = std::set<std::string, std::less<>>;

// Memory-backed: their pages live in memory (and swap), never on a disk of
// their own.
const TypeSet kMemoryTypes = {"tmpfs", "ramfs", "devtmpfs", "hugetlbfs"};

// Served over a link by another machine (or by the host of a virtual one).
const TypeSet kNetworkTypes = {"9p",       "afs",   "ceph",   "cifs",    "glusterfs",
                               "ncpfs",    "nfs",   "nfs4",   "smb3",    "smbfs",
                               "virtiofs", "davfs", "lustre", "orangefs"};

// Kernel views and layered file systems: no disk of their own, or one the
// type does not tell.
const TypeSet kOtherTypes = {"autofs",     "binfmt_misc", "bpf",       "cgroup",   "cgroup2",
                             "configfs",   "debugfs",     "devpts",    "efivarfs", "fusectl",
                             "mqueue",     "nsfs",        "overlay",   "proc",     "pstore",
                             "rpc_pipefs", "securityfs",  "selinuxfs", "sysfs",    "tracefs"};

}  // namespace

TStorageKind ClassifyFileSystem(std::string_view type)
{
    if (kMemoryTypes.count(type) != 0 || type.starts_with(kMemoryDrivePrefix))
        return TStorageKind::Memory;
    if (kNetworkTypes.count(type) != 0 || type.starts_with(kNetworkDrivePrefix))
        return TStorageKind::Network;
    // "fuse.sshfs" and friends, and a bare "fuse", are served by a program;
    // "fuseblk" is such a program over a local block device, still a disk.
    if (type == "fuse" || type.substr(0, 5) == "fuse.") return TStorageKind::UserSpace;
    if (kOtherTypes.count(type) != 0) return TStorageKind::Other;
    // Everything else (ext4, xfs, btrfs, vfat, ntfs, NTFS, FAT32, ...) sits on a
    // disk.
    return TStorageKind::Disk;
}

const char* StorageKindName(TStorageKind kind)
{
    switch (kind) {
        case TStorageKind::Disk:
            return "disk";
        case TStorageKind::Memory:
            return "memory";
        case TStorageKind::Network:
            return "network";
        case TStorageKind::UserSpace:
            return "user-space";
        case TStorageKind::Other:
            break;
    }
    return "other";
}

bool IsNotADisk(TStorageKind kind)
{
    return kind == TStorageKind::Memory || kind == TStorageKind::Network ||
           kind == TStorageKind::UserSpace;
}

std::string NotADiskWarning(const std::string& name, std::string_view type)
{
    if (type.empty()) return {};
    const TStorageKind kind = ClassifyFileSystem(type);
    if (!IsNotADisk(kind)) return {};
    return "Warning: " + name + " is on " + std::string(type) + " (" + StorageKindName(kind) +
           "), not on a disk: the figure is not a disk speed";
}

}  // namespace vt
