// The users an in-use refusal names besides mounts, against a fabricated
// sysfs tree and swaps file: a device-mapper (LVM) holder by its mapped name,
// an md array, and none at all. Swap itself is held by the loop-device run.
#include "devices/device_users.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace fat32 {
namespace {

namespace fs = std::filesystem;

TEST(DeviceUsers, NamesEachHolder) {
    const fs::path root = fs::temp_directory_path() / ("device_users." + std::to_string(::getpid()));
    const fs::path block = root / "class/block";
    for (const char* dir : {"sdb1/holders/dm-0", "sdb2/holders/md0", "sdb3/holders", "dm-0/dm"})
        fs::create_directories(block / dir);
    std::ofstream(block / "dm-0/dm/name") << "vg-photos\n";
    std::ofstream(root / "swaps") << "Filename Type Size Used Priority\n";

    const struct {
        const char* name;
        std::vector<std::string> users;
    } rows[] = {
        {"sdb1", {"/dev/mapper/vg-photos (device-mapper)"}},
        {"sdb2", {"/dev/md0 (md RAID)"}},
        {"sdb3", {}},
        {"sdb4", {}},  // no such device: nothing to name
    };
    for (const auto& row : rows)
        EXPECT_EQ(OtherUsersOf(row.name, 8, 99, (root / "swaps").string(), root.string()),
                  row.users)
            << row.name;
    fs::remove_all(root);
}

}  // namespace
}  // namespace fat32
