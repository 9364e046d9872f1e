// Block-device facts from sysfs. /sys/dev/block/MAJOR:MINOR links to the
// device's directory under /sys/devices, so the link's target is the path of
// the hardware it hangs on: a USB stick's runs through the host controller's
// root hub ("usb2"), a SATA disk's through "ata1", a loop device's through
// "virtual".
#include "format/sysfs_block.h"

#include <cctype>
#include <climits>
#include <cstdlib>
#include <fstream>

namespace fat32 {
namespace {

// The first word of a sysfs attribute file, or "" when it cannot be read.
std::string ReadAttribute(const std::string& path) {
    std::ifstream file(path);
    std::string word;
    file >> word;
    return word;
}

std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }
std::string DirName(const std::string& path) { return path.substr(0, path.rfind('/')); }

// A root hub, "usb" and its bus number: everything below it is on USB.
bool IsUsbRootHub(const std::string& component) {
    if (component.size() <= 3 || component.compare(0, 3, "usb") != 0) return false;
    for (std::size_t i = 3; i < component.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(component[i]))) return false;
    return true;
}

bool HangsOnUsb(const std::string& devicePath) {
    for (std::size_t start = 0; start < devicePath.size();) {
        std::size_t end = devicePath.find('/', start);
        if (end == std::string::npos) end = devicePath.size();
        if (IsUsbRootHub(devicePath.substr(start, end - start))) return true;
        start = end + 1;
    }
    return false;
}

}  // namespace

bool ReadBlockFacts(const std::string& sysRoot, unsigned major, unsigned minor, BlockFacts& facts) {
    const std::string link =
        sysRoot + "/dev/block/" + std::to_string(major) + ":" + std::to_string(minor);
    char resolved[PATH_MAX];
    char root[PATH_MAX];
    if (!::realpath(link.c_str(), resolved) || !::realpath(sysRoot.c_str(), root)) return false;
    const std::string device = resolved;

    facts = BlockFacts();
    facts.name = BaseName(device);
    const std::string number = ReadAttribute(device + "/partition");
    facts.isPartition = !number.empty();
    // A partition's directory sits inside its disk's.
    const std::string disk = facts.isPartition ? DirName(device) : device;
    facts.diskName = BaseName(disk);
    if (facts.isPartition) {
        facts.partitionNumber = static_cast<std::uint32_t>(std::strtoul(number.c_str(), nullptr, 10));
        facts.startSector = std::strtoull(ReadAttribute(device + "/start").c_str(), nullptr, 10);
    }
    // Only the path inside sysfs counts, not where a fabricated tree lives.
    const std::size_t rootLength = std::string(root).size();
    facts.usb = HangsOnUsb(device.compare(0, rootLength, root) == 0 ? device.substr(rootLength)
                                                                      : device);
    facts.removable = ReadAttribute(disk + "/removable") == "1";
    return true;
}

std::string DeviceNode(const std::string& sysfsName) {
    std::string node = "/dev/" + sysfsName;
    for (char& c : node)
        if (c == '!') c = '/';
    return node;
}

}  // namespace fat32
