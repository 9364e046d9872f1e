// Block-device facts from sysfs. /sys/dev/block/MAJOR:MINOR links to the
// device's directory under /sys/devices, so the link's target is the path of
// the hardware it hangs on: a USB stick's runs through the host controller's
// root hub ("usb2"), a SATA disk's through "ata1", a loop device's through
// "virtual".
#include "devices/sysfs_block.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace fat32 {
namespace {

namespace fs = std::filesystem;

// The first word of a sysfs attribute file, or "" when it cannot be read.
std::string ReadAttribute(const fs::path& path) {
    std::ifstream file(path);
    std::string word;
    file >> word;
    return word;
}

std::uint64_t ReadNumber(const fs::path& path) {
    return std::strtoull(ReadAttribute(path).c_str(), nullptr, 10);
}

// A "dev" file: "MAJOR:MINOR".
void ReadDevNumber(const fs::path& dir, unsigned& major, unsigned& minor) {
    std::sscanf(ReadAttribute(dir / "dev").c_str(), "%u:%u", &major, &minor);
}

// The partitions of a disk are the subdirectories holding a "partition" file.
std::vector<KernelPartition> ReadPartitions(const fs::path& disk) {
    std::vector<KernelPartition> partitions;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(disk, error)) {
        const std::string number = ReadAttribute(entry.path() / "partition");
        if (number.empty()) continue;
        KernelPartition partition;
        partition.name = entry.path().filename().string();
        partition.number = static_cast<std::uint32_t>(std::strtoul(number.c_str(), nullptr, 10));
        partition.startSector = ReadNumber(entry.path() / "start");
        partition.sectors = ReadNumber(entry.path() / "size");
        ReadDevNumber(entry.path(), partition.major, partition.minor);
        partitions.push_back(partition);
    }
    std::sort(partitions.begin(), partitions.end(),
              [](const KernelPartition& a, const KernelPartition& b) { return a.number < b.number; });
    return partitions;
}

// A root hub, "usb" and its bus number: everything below it is on USB.
bool IsUsbRootHub(const std::string& component) {
    return component.size() > 3 && component.compare(0, 3, "usb") == 0 &&
           std::all_of(component.begin() + 3, component.end(),
                       [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

bool ReadBlockFacts(const std::string& sysRoot, unsigned major, unsigned minor, BlockFacts& facts) {
    std::error_code error;
    const fs::path root = fs::canonical(sysRoot, error);
    const fs::path device = fs::canonical(
        root / "dev/block" / (std::to_string(major) + ":" + std::to_string(minor)), error);
    if (error) return false;

    facts = BlockFacts();
    facts.name = device.filename().string();
    const std::string number = ReadAttribute(device / "partition");
    facts.isPartition = !number.empty();
    // A partition's directory sits inside its disk's.
    const fs::path disk = facts.isPartition ? device.parent_path() : device;
    facts.diskName = disk.filename().string();
    if (facts.isPartition) {
        facts.partitionNumber = static_cast<std::uint32_t>(std::strtoul(number.c_str(), nullptr, 10));
        facts.startSector = ReadNumber(device / "start");
    }
    facts.sectors = ReadNumber(device / "size");
    facts.readOnly = ReadAttribute(device / "ro") == "1";
    ReadDevNumber(disk, facts.diskMajor, facts.diskMinor);
    facts.diskPartitions = ReadPartitions(disk);
    // Only the path inside sysfs counts, not where a fabricated tree lives.
    const fs::path inside = device.lexically_relative(root);
    facts.usb = std::any_of(inside.begin(), inside.end(),
                            [](const fs::path& part) { return IsUsbRootHub(part.string()); });
    facts.removable = ReadAttribute(disk / "removable") == "1";
    return true;
}

std::string DeviceNode(const std::string& sysfsName) {
    std::string node = "/dev/" + sysfsName;
    std::replace(node.begin(), node.end(), '!', '/');
    return node;
}

}  // namespace fat32
