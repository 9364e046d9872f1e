// /proc/swaps names each swap area by path; a device counts when that path is
// its node. A holder is a directory entry under the device's "holders",
// named as sysfs names block devices; device-mapper ones carry their own name.
#include "devices/device_users.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "devices/sysfs_block.h"

namespace fat32 {
namespace {

namespace fs = std::filesystem;

std::string FirstWord(const fs::path& path) {
    std::ifstream file(path);
    std::string word;
    file >> word;
    return word;
}

bool IsSwap(unsigned major, unsigned minor, const std::string& swaps) {
    std::ifstream file(swaps);
    std::string line;
    std::getline(file, line);  // the heading
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string path, type;
        struct stat info {};
        if (fields >> path >> type && type == "partition" && ::stat(path.c_str(), &info) == 0 &&
            S_ISBLK(info.st_mode) && info.st_rdev == makedev(major, minor))
            return true;
    }
    return false;
}

std::string Holder(const fs::path& holder) {
    const std::string name = holder.filename().string();
    const std::string mapped = FirstWord(holder / "dm" / "name");
    if (!mapped.empty()) return "/dev/mapper/" + mapped + " (device-mapper)";
    if (name.compare(0, 2, "md") == 0) return DeviceNode(name) + " (md RAID)";
    return DeviceNode(name);
}

}  // namespace

std::vector<std::string> OtherUsersOf(const std::string& name, unsigned major, unsigned minor,
                                      const std::string& swaps, const std::string& sysRoot) {
    std::vector<std::string> users;
    if (IsSwap(major, minor, swaps)) users.push_back("swap");
    std::error_code error;
    for (const fs::directory_entry& entry :
         fs::directory_iterator(fs::path(sysRoot) / "class/block" / name / "holders", error))
        users.push_back(Holder(fs::path(sysRoot) / "class/block" / entry.path().filename()));
    return users;
}

}  // namespace fat32
