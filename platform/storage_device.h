// The model of the drive a folder lives on, as the system names it ("Samsung
// SSD 980 PRO 1TB"); nothing where the system does not say (a virtual disk,
// a network or memory file system).
//
// On Linux the folder's block device is found from its mount (a file system
// such as btrfs reports a device number of its own, the mount names the real
// device), then /sys/dev/block/<major>:<minor>: a partition's disk is the
// folder above it, the model is the disk's device/model (device/name for
// SD and MMC cards), and a mapped or RAID device (LVM, dm-crypt, md) gives
// the model of the first device beneath it. On Windows the volume is asked
// for its storage device's vendor and product.
#pragma once

#include <optional>
#include <string>

namespace vt {

std::optional<std::string> StorageDeviceModel(const std::string& folder);

#if !defined(_WIN32)
// The model of block device `major`:`minor` under a sysfs tree at `sysRoot`
// ("/sys", or a folder standing in for it). Linux only.
std::optional<std::string> BlockDeviceModel(const std::string& sysRoot, unsigned major,
                                            unsigned minor);
#endif

}  // namespace vt
