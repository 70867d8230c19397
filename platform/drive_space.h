// The local file systems that stand in for drives C: to F:, and their sizes.
//
// The mount table of the process (/proc/self/mountinfo) is walked in mount
// order. A mount counts as a drive when its source is a block device (a path
// under /dev/) and its file system type is not a pseudo, memory or network
// file system; a further mount of a device already counted (a bind mount, a
// second subvolume) is skipped. The root file system, when it counts, comes
// first; the first four that count are drives C:, D:, E: and F:.
//
// On Windows the drives are the drive letters themselves: ReadMountTable
// lists every letter in use (Device and Source "C:", MountPoint "C:\\", FsType
// the volume's file system, SuperOptions the drive type: "fixed",
// "removable", "remote", "cdrom", "ramdisk" or "unknown"), and the drives are
// the fixed and removable ones from C: on that hold a file system, in letter
// order. Sizes come from GetDiskFreeSpaceExA.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vt {

// One line of the mount table, escapes ("\040" for a blank) decoded.
struct TMountEntry {
    std::string Device;      // "major:minor"
    std::string Root;        // the path inside the file system that is mounted
    std::string MountPoint;  // where it is mounted
    std::string FsType;      // "ext4", "tmpfs", "nfs4", ...
    std::string Source;      // "/dev/sda1", "tmpfs", "server:/export", ...
    std::string SuperOptions;
};

#if !defined(_WIN32)
// The entries of a mountinfo text in their order; malformed lines are left
// out. Linux only.
std::vector<TMountEntry> ParseMountInfo(std::string_view text);
#endif

// The mount table of this process, parsed; empty when it cannot be read.
std::vector<TMountEntry> ReadMountTable();

// The mounts that stand in for the drives, at most `limit` of them, in the
// order C:, D:, ...
std::vector<TMountEntry> SelectDriveMounts(const std::vector<TMountEntry>& mounts,
                                           std::size_t limit = 4);

// Total size and the space available to this process (on Windows: to this
// user, quotas included) of the file system mounted at `path`, in bytes. False when it cannot be
// queried.
bool FileSystemSpace(const std::string& path, std::int64_t& totalBytes,
                     std::int64_t& freeBytesAvailable);

}  // namespace vt
