// The USB/removable judgement against small fabricated sysfs trees: a USB
// stick and its partition, an SD card in a USB reader, a SATA disk's
// partition and a loop device.
#include "devices/sysfs_block.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdio>
#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include <unistd.h>

namespace fat32 {
namespace {

namespace fs = std::filesystem;

// Where each disk hangs, below devices/, and its "removable" flag.
#define USB_STICK "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb"
#define USB_READER "pci0000:00/0000:00:14.0/usb1/1-3/1-3:1.0/host7/target7:0:0/7:0:0:2/block/sdc"
#define SATA_DISK "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0/block/sda"
#define LOOP_DISK "virtual/block/loop0"
const std::pair<const char*, const char*> kDisks[] = {
    {USB_STICK, "1"}, {USB_READER, "1"}, {SATA_DISK, "0"}, {LOOP_DISK, "0"}};

// The facts the judgement rests on, in BlockFacts' order.
struct Expected {
    std::string name, diskName;
    bool isPartition;
    std::uint32_t partitionNumber;
    std::uint64_t startSector;
    bool usb, removable;
};

struct Node {
    const char* number;  // MAJOR:MINOR
    const char* dir;     // below devices/
    const char* partition;  // its "partition" and "start" files; "" for a disk
    const char* start;
    Expected expected;
};

const Node kNodes[] = {
    {"8:16", USB_STICK, "", "", {"sdb", "sdb", false, 0, 0, true, true}},
    {"8:17", USB_STICK "/sdb1", "1", "2048", {"sdb1", "sdb", true, 1, 2048, true, true}},
    {"8:26", USB_STICK "/sdb10", "10", "9000", {"sdb10", "sdb", true, 10, 9000, true, true}},
    {"8:18", USB_STICK "/sdb2", "2", "4096", {"sdb2", "sdb", true, 2, 4096, true, true}},
    {"8:32", USB_READER, "", "", {"sdc", "sdc", false, 0, 0, true, true}},
    {"8:0", SATA_DISK, "", "", {"sda", "sda", false, 0, 0, false, false}},
    {"8:2", SATA_DISK "/sda2", "2", "1050624", {"sda2", "sda", true, 2, 1050624, false, false}},
    {"7:1", LOOP_DISK "/loop0p1", "1", "2048", {"loop0p1", "loop0", true, 1, 2048, false, false}},
};

void WriteFile(const fs::path& path, const char* text) {
    if (*text) std::ofstream(path) << text << "\n";
}

TEST(SysfsBlock, FactsFromFabricatedTrees) {
    const fs::path root = fs::temp_directory_path() / ("sysfs-test-" + std::to_string(::getpid()));
    fs::create_directories(root / "dev/block");
    for (const auto& [dir, removable] : kDisks) {
        fs::create_directories(root / "devices" / dir);
        WriteFile(root / "devices" / dir / "removable", removable);
    }
    for (const Node& node : kNodes) {
        fs::create_directories(root / "devices" / node.dir);
        WriteFile(root / "devices" / node.dir / "partition", node.partition);
        WriteFile(root / "devices" / node.dir / "start", node.start);
        WriteFile(root / "devices" / node.dir / "dev", node.number);
        fs::create_symlink(fs::path("../../devices") / node.dir, root / "dev/block" / node.number);
    }
    for (const Node& node : kNodes) {
        unsigned major = 0, minor = 0;
        std::sscanf(node.number, "%u:%u", &major, &minor);
        BlockFacts facts;
        ASSERT_TRUE(ReadBlockFacts(root.string(), major, minor, facts)) << node.number;
        const auto tie = [](const auto& f) {
            return std::tie(f.name, f.diskName, f.isPartition, f.partitionNumber, f.startSector,
                            f.usb, f.removable);
        };
        EXPECT_EQ(tie(facts), tie(node.expected)) << node.number;
    }
    // The kernel's partitions of a disk, in the order of their numbers (sdb10
    // after sdb2), with their extents; a partition's own size and "ro".
    WriteFile(root / "devices" / USB_STICK "/sdb2/size", "2048");
    WriteFile(root / "devices" / USB_STICK "/sdb2/ro", "1");
    BlockFacts stick;
    ASSERT_TRUE(ReadBlockFacts(root.string(), 8, 18, stick));
    EXPECT_TRUE(stick.readOnly);
    EXPECT_EQ(stick.sectors, 2048u);
    EXPECT_EQ(std::tie(stick.diskMajor, stick.diskMinor), std::make_tuple(8u, 16u));
    std::vector<std::tuple<std::string, std::uint32_t, std::uint64_t, std::uint64_t, unsigned>> seen;
    for (const KernelPartition& p : stick.diskPartitions)
        seen.emplace_back(p.name, p.number, p.startSector, p.sectors, p.minor);
    EXPECT_EQ(seen, (decltype(seen){{"sdb1", 1, 2048, 0, 17}, {"sdb2", 2, 4096, 2048, 18},
                                     {"sdb10", 10, 9000, 0, 26}}));

    BlockFacts unknown;
    EXPECT_FALSE(ReadBlockFacts(root.string(), 8, 99, unknown));
    fs::remove_all(root);
}

}  // namespace
}  // namespace fat32
