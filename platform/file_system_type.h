// What kind of storage holds a file: the type of its file system, and
// whether that is a disk at all.
//
// The file test reads without the page cache to measure a disk, but since
// Linux 6.6 memory file systems accept direct reads too, and network and
// user-space file systems measure a link or a program rather than a disk.
// The test still measures such a file; it only says what the figure is.
#pragma once

#include <string>
#include <string_view>

namespace vt {

enum class TStorageKind {
    Disk,       // a local file system on a block device: ext4, xfs, btrfs, ...
    Memory,     // tmpfs, ramfs: the figure is a memory speed
    Network,    // nfs, cifs, 9p, ...: the figure is the link's and the server's
    UserSpace,  // fuse.*: the figure is a program's
    Other,      // overlay and other layered or unknown file systems
};

// Windows reports the file system of a network or memory drive by the name
// of a disk's ("NTFS"); its type is given with one of these in front
// ("network:NTFS", "ramdisk:NTFS").
inline constexpr std::string_view kNetworkDrivePrefix = "network:";
inline constexpr std::string_view kMemoryDrivePrefix = "ramdisk:";

// The kind of a file system type as the mount table names it ("ext4",
// "tmpfs", "nfs4", "fuse.sshfs", ...), or as Windows names a volume's
// ("NTFS", "FAT32", "network:NTFS", ...).
TStorageKind ClassifyFileSystem(std::string_view type);

// A short name for the kind, for messages: "disk", "memory", "network",
// "user-space", "other".
const char* StorageKindName(TStorageKind kind);

// Whether a file on this kind of storage is not on a disk, so that its read
// speed is not a disk speed.
bool IsNotADisk(TStorageKind kind);

// The type of the file system holding `name` (file-system bytes), as the
// mount table names it (on Windows: as its volume names it, with the drive
// prefixes above); empty when it cannot be found.
std::string FileSystemTypeOf(const std::string& name);

// The one-line warning the file test writes before measuring a file that is
// not on a disk, or empty when the file is on a disk (or its type unknown).
std::string NotADiskWarning(const std::string& name, std::string_view type);

}  // namespace vt
