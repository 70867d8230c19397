#include "platform/file_system_type.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vt {
namespace {

TEST(FileSystemTypeTest, KindsOfTypes)
{
    struct Row {
        const char* type;
        TStorageKind kind;
        bool warned;
    };
    const Row rows[] = {
        {"ext4", TStorageKind::Disk, false},     {"xfs", TStorageKind::Disk, false},
        {"btrfs", TStorageKind::Disk, false},    {"vfat", TStorageKind::Disk, false},
        {"fuseblk", TStorageKind::Disk, false},  {"tmpfs", TStorageKind::Memory, true},
        {"ramfs", TStorageKind::Memory, true},   {"nfs4", TStorageKind::Network, true},
        {"cifs", TStorageKind::Network, true},   {"fuse.sshfs", TStorageKind::UserSpace, true},
        {"fuse", TStorageKind::UserSpace, true}, {"overlay", TStorageKind::Other, false},
        {"proc", TStorageKind::Other, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.type);
        EXPECT_EQ(ClassifyFileSystem(r.type), r.kind);
        const std::string warning = NotADiskWarning("/f", r.type);
        EXPECT_EQ(!warning.empty(), r.warned) << warning;
    }
    // Unknown types raise no warning: only what is known not to be a disk does.
    EXPECT_EQ(NotADiskWarning("/f", ""), "");
}

TEST(FileSystemTypeTest, WarningIsOneLineNamingTheFileSystem)
{
    EXPECT_EQ(NotADiskWarning("/dev/shm/big", "tmpfs"),
              "Warning: /dev/shm/big is on tmpfs (memory), not on a disk: the figure is not a "
              "disk speed");
    EXPECT_EQ(NotADiskWarning("/mnt/s/f", "fuse.sshfs"),
              "Warning: /mnt/s/f is on fuse.sshfs (user-space), not on a disk: the figure is not "
              "a disk speed");
}

TEST(FileSystemTypeTest, TypeOfRealFiles)
{
    namespace fs = std::filesystem;
    EXPECT_EQ(FileSystemTypeOf("/no/such/file"), "");
    EXPECT_EQ(FileSystemTypeOf("/proc/self/status"), "proc");
    if (fs::is_directory("/dev/shm")) {
        EXPECT_EQ(FileSystemTypeOf("/dev/shm"), "tmpfs");
    }
    // The build tree is on a disk here; whatever it is, it has a type.
    EXPECT_NE(FileSystemTypeOf(fs::current_path().string()), "");
}

}  // namespace
}  // namespace vt
