// The drive's model from a folder standing in for /sys: partitions, whole
// disks, cards, devices mapped over others, and disks that name no model.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/storage_device.h"

namespace vt {
namespace {

namespace fs = std::filesystem;

// A sysfs tree: devices under devices/, each device number linked from
// dev/block/ as the kernel does.
class TSysTree {
public:
    TSysTree() : root_(fs::temp_directory_path() / ("sys." + std::to_string(::getpid())))
    {
        fs::remove_all(root_);
        fs::create_directories(root_ / "dev" / "block");
    }
    ~TSysTree()
    {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    std::string Root() const { return root_.string(); }

    // A device folder at devices/<path>, linked as <number>.
    fs::path Device(const std::string& path, const std::string& number) const
    {
        const fs::path folder = root_ / "devices" / path;
        fs::create_directories(folder);
        fs::create_symlink(folder, root_ / "dev" / "block" / number);
        return folder;
    }
    static void Write(const fs::path& file, const std::string& text)
    {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << text;
    }

private:
    fs::path root_;
};

struct Tree {
    const char* name;
    void (*build)(const TSysTree& sys);
    unsigned major, minor;
    std::optional<std::string> model;
};

void PrintTo(const Tree& row, std::ostream* os)
{
    *os << row.name;
}

class DeviceModel : public ::testing::TestWithParam<Tree> {};

TEST_P(DeviceModel, FromTheTree)
{
    TSysTree sys;
    GetParam().build(sys);
    EXPECT_EQ(BlockDeviceModel(sys.Root(), GetParam().major, GetParam().minor), GetParam().model);
}

void SataPartition(const TSysTree& sys)
{
    const fs::path disk = sys.Device("pci0/ata1/host0/block/sda", "8:0");
    TSysTree::Write(disk / "device" / "model", "Samsung SSD 860 EVO 500GB \n");
    const fs::path part = sys.Device("pci0/ata1/host0/block/sda/sda2", "8:2");
    TSysTree::Write(part / "partition", "2\n");
}

void NvmeDisk(const TSysTree& sys)
{
    const fs::path disk = sys.Device("pci0/nvme/nvme0/nvme0n1", "259:0");
    TSysTree::Write(disk / "device" / "model", "WD_BLACK SN850X 2000GB\n");
}

void Card(const TSysTree& sys)
{
    const fs::path disk = sys.Device("mmc0/block/mmcblk0", "179:0");
    TSysTree::Write(disk / "device" / "name", "SD64G\n");
    TSysTree::Write(sys.Device("mmc0/block/mmcblk0/mmcblk0p1", "179:1") / "partition", "1\n");
}

// LVM over a partition: dm-0's slaves/ links to the partition's folder.
void MappedOverPartition(const TSysTree& sys)
{
    SataPartition(sys);
    const fs::path mapped = sys.Device("virtual/block/dm-0", "254:0");
    fs::create_directories(mapped / "slaves");
    fs::create_symlink(fs::path(sys.Root()) / "devices/pci0/ata1/host0/block/sda/sda2",
                       mapped / "slaves" / "sda2");
}

void VirtualDisk(const TSysTree& sys)
{
    const fs::path disk = sys.Device("pci0/virtio1/block/vda", "253:0");
    TSysTree::Write(disk / "device" / "vendor", "0x1af4\n");
}

void BlankModel(const TSysTree& sys)
{
    const fs::path disk = sys.Device("pci0/ata1/host0/block/sdb", "8:16");
    TSysTree::Write(disk / "device" / "model", "   \n");
}

void Nothing(const TSysTree&) {}

INSTANTIATE_TEST_SUITE_P(
    Table, DeviceModel,
    ::testing::Values(Tree{"sata_partition", SataPartition, 8, 2, "Samsung SSD 860 EVO 500GB"},
                      Tree{"sata_whole_disk", SataPartition, 8, 0, "Samsung SSD 860 EVO 500GB"},
                      Tree{"nvme", NvmeDisk, 259, 0, "WD_BLACK SN850X 2000GB"},
                      Tree{"sd_card_partition", Card, 179, 1, "SD64G"},
                      Tree{"lvm_over_partition", MappedOverPartition, 254, 0,
                           "Samsung SSD 860 EVO 500GB"},
                      Tree{"virtual_disk_names_none", VirtualDisk, 253, 0, std::nullopt},
                      Tree{"blank_model", BlankModel, 8, 16, std::nullopt},
                      Tree{"unknown_number", Nothing, 8, 0, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vt
