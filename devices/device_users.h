// Who holds a block device other than a mount: swap (/proc/swaps) and the
// holders sysfs lists (device-mapper and LVM, md RAID, bcache), which an
// in-use refusal names so the user knows what to switch off.
#pragma once

#include <string>
#include <vector>

namespace fat32 {

// Each user of the device that sysfs calls `name` (MAJOR:MINOR), in words:
// "swap", "/dev/mapper/vg-lv (device-mapper)", "/dev/md0 (md RAID)". Empty
// when there is none. `swaps` and `sysRoot` are for tests.
std::vector<std::string> OtherUsersOf(const std::string& name, unsigned major, unsigned minor,
                                      const std::string& swaps = "/proc/swaps",
                                      const std::string& sysRoot = "/sys");

}  // namespace fat32
