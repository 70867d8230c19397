#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "platform/drive_space.h"
#include "platform/storage_device.h"

namespace vt {

namespace {

namespace fs = std::filesystem;

// The first line of a sysfs attribute without its surrounding blanks; empty
// when there is none.
std::string Attribute(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    if (!in || !std::getline(in, line)) return {};
    const auto first = line.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = line.find_last_not_of(" \t\r");
    return line.substr(first, last - first + 1);
}

std::optional<std::string> DiskModel(fs::path disk, int depth)
{
    std::error_code error;
    // A partition's disk is the folder above it.
    if (fs::exists(disk / "partition", error)) disk = disk.parent_path();
    for (const char* name : {"device/model", "device/name"})
        if (std::string model = Attribute(disk / name); !model.empty()) return model;
    // A device mapped over others: the first one beneath it (each entry of
    // slaves/ links to that device's folder, a partition's included).
    if (depth < 8) {
        for (const auto& slave : fs::directory_iterator(disk / "slaves", error)) {
            const fs::path below = fs::canonical(slave.path(), error);
            if (!error) return DiskModel(below, depth + 1);
            break;
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> BlockDeviceModel(const std::string& sysRoot, unsigned major,
                                            unsigned minor)
{
    std::error_code error;
    const fs::path link =
        fs::path(sysRoot) / "dev" / "block" / (std::to_string(major) + ":" + std::to_string(minor));
    const fs::path device = fs::canonical(link, error);
    if (error) return std::nullopt;
    return DiskModel(device, 0);
}

std::optional<std::string> StorageDeviceModel(const std::string& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) return std::nullopt;
    dev_t device = st.st_dev;
    // The mount names the device when the file system numbers its own.
    const std::string number =
        std::to_string(major(st.st_dev)) + ":" + std::to_string(minor(st.st_dev));
    for (const TMountEntry& m : ReadMountTable()) {
        struct stat source {};
        if (m.Device == number && m.Source.rfind("/dev/", 0) == 0 &&
            ::stat(m.Source.c_str(), &source) == 0 && S_ISBLK(source.st_mode))
            device = source.st_rdev;
    }
    return BlockDeviceModel("/sys", major(device), minor(device));
}

}  // namespace vt
