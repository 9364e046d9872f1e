// Mount points from a mountinfo file: the device's first mount, octal escapes
// undone, nothing for a device that is not mounted.
#include "devices/mount_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <unistd.h>

namespace fat32 {
namespace {

TEST(MountTable, MountPointOfADevice) {
    const std::string path = "/tmp/mountinfo-test-" + std::to_string(::getpid());
    std::ofstream(path)
        << "22 1 0:21 / /proc rw,nosuid - proc proc rw\n"
           "90 22 8:17 / /media/my\\040stick\\134x rw,relatime - ext4 /dev/sdb1 rw\n"
           "91 22 8:17 / /mnt/again rw,relatime - ext4 /dev/sdb1 rw\n"
           "92 22 8:1 /home /home rw - ext4 /dev/sda1 rw\n";
    EXPECT_EQ(MountPointOf(8, 17, path), "/media/my stick\\x");
    EXPECT_EQ(MountPointOf(8, 1, path), "/home");
    EXPECT_EQ(MountPointOf(8, 18, path), "");
    EXPECT_EQ(MountPointOf(8, 17, path + ".missing"), "");
    std::remove(path.c_str());
}

}  // namespace
}  // namespace fat32
