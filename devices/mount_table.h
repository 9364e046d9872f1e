// Where a block device is mounted, from /proc/self/mountinfo: what an in-use
// refusal names so the user knows what to unmount.
#pragma once

#include <string>

namespace fat32 {

// The first mount point of the device MAJOR:MINOR, empty when it is not
// mounted. `mountinfo` is the file to read (tests pass their own).
std::string MountPointOf(unsigned major, unsigned minor,
                         const std::string& mountinfo = "/proc/self/mountinfo");

}  // namespace fat32
