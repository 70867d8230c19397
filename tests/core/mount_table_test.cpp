#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/drive_space.h"
#include "platform/memory_info.h"

namespace vt {
namespace {

// A desktop's mount table: the root is not the first line, /home is a
// second partition, /boot/efi a third, a data disk with a blank in its
// mount point, bind mounts and a second subvolume of a device already
// counted, and every kind of file system that is not a drive.
constexpr const char* kMountInfo =
    "22 28 0:21 / /proc rw,nosuid,nodev,noexec,relatime shared:12 - proc proc rw\n"
    "23 28 0:22 / /sys rw,nosuid,nodev,noexec,relatime shared:2 - sysfs sysfs rw\n"
    "24 28 0:5 / /dev rw,nosuid,relatime shared:8 - devtmpfs udev rw,size=8g\n"
    "25 24 0:23 / /dev/shm rw,nosuid,nodev shared:9 - tmpfs tmpfs rw\n"
    "28 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw,errors=remount-ro\n"
    "30 23 0:26 / /sys/fs/cgroup rw,nosuid shared:4 - cgroup2 cgroup2 rw\n"
    "40 28 259:3 / /home rw,relatime shared:20 - btrfs /dev/nvme0n1p3 rw,subvol=/@home\n"
    "41 28 0:45 / /var/lib/x rw,relatime shared:21 - btrfs /dev/nvme0n1p3 rw,subvol=/@x\n"
    "42 28 259:1 / /boot/efi rw,relatime shared:22 - vfat /dev/nvme0n1p1 rw\n"
    "43 28 0:50 / /mnt/nas rw,relatime shared:23 - nfs4 nas:/export rw,addr=10.0.0.2\n"
    "44 28 0:51 / /mnt/share rw,relatime shared:24 - cifs //srv/share rw\n"
    "45 28 0:52 / /home/u/remote rw shared:25 - fuse.sshfs u@host:/ rw\n"
    "46 28 259:2 /srv /srv rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
    "47 28 0:53 / /tmp rw,nosuid shared:26 - tmpfs tmpfs rw\n"
    "48 28 8:17 / /media/My\\040Data rw,relatime shared:27 - ntfs3 /dev/sdb1 rw\n"
    "49 28 8:33 / /media/usb rw,relatime shared:28 - fuseblk /dev/sdc1 rw\n"
    "50 28 0:54 / /run/user/1000 rw shared:29 - tmpfs tmpfs rw\n"
    "51 28 8:49 / /media/fifth rw,relatime shared:30 - ext4 /dev/sdd1 rw\n"
    "malformed line without separator\n"
    "52 28 8:50 / /short - ext4\n";

TEST(MountInfo, ParsesFieldsAndEscapes)
{
    const std::vector<TMountEntry> all = ParseMountInfo(kMountInfo);
    ASSERT_EQ(all.size(), 18u);  // the two malformed lines are left out
    EXPECT_EQ(all[4].Device, "259:2");
    EXPECT_EQ(all[4].Root, "/");
    EXPECT_EQ(all[4].MountPoint, "/");
    EXPECT_EQ(all[4].FsType, "ext4");
    EXPECT_EQ(all[4].Source, "/dev/nvme0n1p2");
    EXPECT_EQ(all[4].SuperOptions, "rw,errors=remount-ro");
    EXPECT_EQ(all[12].Root, "/srv");
    EXPECT_EQ(all[14].MountPoint, "/media/My Data");
    // Lines without optional fields parse as well.
    const auto plain = ParseMountInfo("27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n");
    ASSERT_EQ(plain.size(), 1u);
    EXPECT_EQ(plain[0].Source, "/dev/vda");
}

TEST(MountInfo, DrivesAreFirstFourDistinctLocalBlockDevices)
{
    std::vector<std::string> points;
    for (const auto& m : SelectDriveMounts(ParseMountInfo(kMountInfo)))
        points.push_back(m.MountPoint);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home", "/boot/efi", "/media/My Data"}));

    points.clear();
    for (const auto& m : SelectDriveMounts(ParseMountInfo(kMountInfo), 10))
        points.push_back(m.MountPoint);
    EXPECT_EQ(points, (std::vector<std::string>{"/", "/home", "/boot/efi", "/media/My Data",
                                                "/media/usb", "/media/fifth"}));
}

TEST(MountInfo, NoDrives)
{
    // A container whose root is an overlay: nothing but a bind-mounted file
    // from the host's disk counts.
    const char* container =
        "600 500 0:60 / / rw - overlay overlay rw,lowerdir=/l,upperdir=/u\n"
        "601 600 0:61 / /proc rw - proc proc rw\n"
        "602 600 254:1 /lib/docker/hosts /etc/hosts rw - ext4 /dev/vda1 rw\n"
        "603 600 254:1 /lib/docker/hostname /etc/hostname rw - ext4 /dev/vda1 rw\n";
    const auto drives = SelectDriveMounts(ParseMountInfo(container));
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].MountPoint, "/etc/hosts");
    EXPECT_TRUE(SelectDriveMounts(ParseMountInfo("")).empty());
}

TEST(CgroupMemory, ProcessPathAndLimits)
{
    const char* hybrid =
        "12:pids:/user.slice\n"
        "4:cpu,memory:/process_api/abc\n"
        "0::/user.slice/session-2.scope\n";
    EXPECT_EQ(CgroupPathFromText(hybrid, true), "/user.slice/session-2.scope");
    EXPECT_EQ(CgroupPathFromText(hybrid, false), "/process_api/abc");
    EXPECT_EQ(CgroupPathFromText("0::/\n", true), "/");
    EXPECT_EQ(CgroupPathFromText("0::/\n", false), std::nullopt);
    EXPECT_EQ(CgroupPathFromText("4:memoryx:/a\n", false), std::nullopt);
    EXPECT_EQ(CgroupPathFromText("", true), std::nullopt);

    EXPECT_EQ(ParseMemoryLimit("max\n"), std::nullopt);
    EXPECT_EQ(ParseMemoryLimit("536870912\n"), 536870912);
    EXPECT_EQ(ParseMemoryLimit("9223372036854771712\n"), 9223372036854771712);
    EXPECT_EQ(ParseMemoryLimit(""), std::nullopt);
    EXPECT_EQ(ParseMemoryLimit("12k"), std::nullopt);
}

TEST(CgroupMemory, ThisMachine)
{
    const std::int64_t physical = PhysicalMemoryBytes();
    EXPECT_GT(physical, 0);
    if (const auto limit = CgroupMemoryLimitBytes()) {
        EXPECT_GT(*limit, 0);
    }
}

}  // namespace
}  // namespace vt
