#include "platform/memory_available.h"

#include <gtest/gtest.h>

namespace vt {
namespace {

TEST(MemAvailableFromMeminfo, ReadsKibLineAndRejectsOthers)
{
    const struct {
        const char* text;
        std::optional<std::int64_t> bytes;
    } rows[] = {
        {"MemTotal:       24576000 kB\nMemFree:  100 kB\nMemAvailable:   24361188 kB\n",
         std::int64_t{24361188} * 1024},
        {"MemAvailable: 0 kB", 0},
        {"MemTotal:       24576000 kB\nMemFree:  100 kB\n", std::nullopt},
        {"MemAvailable:   12x4 kB\n", std::nullopt},
        {"MemAvailable:   1234\n", std::nullopt},
        {"MemAvailable:   99999999999999999999 kB\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(MemAvailableFromMeminfo(row.text), row.bytes) << row.text;
}

TEST(CgroupRoom, LimitLessUsageNeverNegative)
{
    const struct {
        const char* limit;
        const char* usage;
        std::optional<std::int64_t> room;
    } rows[] = {
        {"1073741824\n", "73741824\n", 1000000000},
        {"max\n", "5000\n", std::nullopt},
        {"1000\n", "3000\n", 0},  // usage above the limit (reclaim pending)
        {"9223372036854771712\n", "146132992\n", 9223372036854771712 - 146132992},
        {"", "5\n", std::nullopt},
        {"100\n", "-5\n", std::nullopt},
    };
    for (const auto& row : rows)
        EXPECT_EQ(CgroupRoom(row.limit, row.usage), row.room) << row.limit << " " << row.usage;
}

std::vector<std::string> Paths(const std::vector<TCgroupMemoryDir>& dirs, bool unified)
{
    std::vector<std::string> out;
    for (const auto& d : dirs)
        if (d.Unified == unified) out.push_back(d.Path);
    return out;
}

using Dirs = std::vector<std::string>;

TEST(CgroupMemoryDirs, UnifiedHierarchyFromOwnGroupUpToMount)
{
    const char* cgroup = "0::/user.slice/app.scope\n";
    const char* mountinfo =
        "25 30 0:22 / /sys/fs/cgroup rw,nosuid - cgroup2 cgroup2 rw,nsdelegate\n"
        "30 1 8:1 / / rw,relatime - ext4 /dev/sda1 rw\n";
    const auto dirs = CgroupMemoryDirs(cgroup, mountinfo);
    EXPECT_EQ(Paths(dirs, true), (Dirs{"/sys/fs/cgroup/user.slice/app.scope",
                                       "/sys/fs/cgroup/user.slice", "/sys/fs/cgroup"}));
    EXPECT_TRUE(Paths(dirs, false).empty());
}

TEST(CgroupMemoryDirs, HybridPicksTheMemoryControllerOfVersionOne)
{
    const char* cgroup = "9:name=systemd:/\n4:memory:/jobs/a1\n3:cpuset:/\n1:cpu:/\n0::/\n";
    const char* mountinfo =
        "31 23 0:28 / /sys/fs/cgroup rw - tmpfs tmpfs rw,mode=755\n"
        "32 31 0:29 / /sys/fs/cgroup/cpu rw - cgroup cgroup rw,cpu\n"
        "35 31 0:32 / /sys/fs/cgroup/memory rw - cgroup cgroup rw,memory\n"
        "41 31 0:38 / /sys/fs/cgroup/unified rw - cgroup2 cgroup2 rw\n";
    const auto dirs = CgroupMemoryDirs(cgroup, mountinfo);
    EXPECT_EQ(Paths(dirs, false), (Dirs{"/sys/fs/cgroup/memory/jobs/a1",
                                        "/sys/fs/cgroup/memory/jobs", "/sys/fs/cgroup/memory"}));
    EXPECT_EQ(Paths(dirs, true), (Dirs{"/sys/fs/cgroup/unified"}));
}

TEST(CgroupMemoryDirs, MountedSubtreeIsResolvedAgainstItsRoot)
{
    const char* mountinfo =
        "40 31 0:32 /docker/abc /sys/fs/cgroup/memory ro - cgroup cgroup rw,cpuacct,memory\n";
    const struct {
        const char* cgroup;
        Dirs dirs;
    } rows[] = {
        {"5:memory:/docker/abc\n", {"/sys/fs/cgroup/memory"}},
        {"5:memory:/docker/abc/job\n", {"/sys/fs/cgroup/memory/job", "/sys/fs/cgroup/memory"}},
        // Not below the mounted root (a prefix only by name): the mount's own group.
        {"5:memory:/docker/abcd\n", {"/sys/fs/cgroup/memory"}},
        {"5:cpu:/docker/abc\n", {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(Paths(CgroupMemoryDirs(row.cgroup, mountinfo), false), row.dirs) << row.cgroup;
}

TEST(CgroupMemoryDirs, EscapedMountPoint)
{
    const auto dirs =
        CgroupMemoryDirs("0::/a\n", "25 30 0:22 / /mnt/cg\\040two rw - cgroup2 cgroup2 rw\n");
    EXPECT_EQ(Paths(dirs, true), (Dirs{"/mnt/cg two/a", "/mnt/cg two"}));
}

TEST(AvailableMemory, ThisMachineReportsSomethingPositive)
{
    EXPECT_GT(AvailableMemory(), 0);
}

}  // namespace
}  // namespace vt
