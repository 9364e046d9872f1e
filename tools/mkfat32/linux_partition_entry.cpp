// A partition on Linux and its entry in the disk's table. The kernel's extent
// (sysfs) is what the volume is laid out for, so before any write it must be
// an entry's extent too: a table rewritten without telling the kernel, or a
// partition given by addpart, would otherwise get a volume reaching over its
// neighbours. After writing, still under the disk's lock, the kernel's size
// and the entry's must still be the volume's: a tool that ignores the lock
// may have changed them meanwhile.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "devices/blkid_probe.h"
#include "devices/linux_block_device.h"
#include "tools/mkfat32/linux_platform.h"

namespace mkfat32 {
namespace {

constexpr std::uint64_t kSector = 512;
constexpr off_t kTotalSectorsOffset = 32;  // the boot sector's 32-bit sector count

std::string Extent(std::uint64_t start, std::uint64_t sectors) {
    return "sector " + std::to_string(start) + ", " + std::to_string(sectors) + " sectors";
}

// The table on the disk of `facts`, read through a descriptor of its own.
// 0, or the errno of what failed (EIO: libblkid could not read it).
int ReadDiskTable(const fat32::BlockFacts& facts, int flags, fat32::ProbedTable& table) {
    const int fd = fat32::OpenDiskOf(facts, flags);
    if (fd < 0) return errno;
    const int error = fat32::ProbePartitionTable(fd, table) ? 0 : EIO;
    ::close(fd);
    return error;
}

}  // namespace

// Windows mounts no MBR partition of a Linux type, so a type that cannot be
// set is a reason to stop before writing, not a surprise afterwards; and the
// entry is looked for whatever --keep-type says.
int LinuxPlatform::RefuseUnsettableType() {
    setType_ = !args_.keepType;
    fat32::ProbedTable table;
    const int error = ReadDiskTable(facts_, setType_ ? O_RDWR : O_RDONLY, table);
    const std::string disk = Node(facts_.diskName);
    if (error != 0 && !setType_) {
        Say("its disk " + disk + " cannot be opened (" + std::strerror(error) + "), so the "
            "partition's extent is not checked against the table; --keep-type goes on without");
        return 0;
    }
    if (error != 0) {
        Say("its disk " + disk + " cannot be " + (error == EIO ? "read" : "opened for writing") +
            " (" + std::strerror(error) + "), so the partition's type could not be set to FAT32 "
            "(0x0C), which Windows needs to mount it; nothing was written. Run as root, or give "
            "--keep-type to keep the type it has.");
        return fat32::kOpenFailed;
    }
    return RefuseStrayPartition(table);
}

int LinuxPlatform::RefuseStrayPartition(const fat32::ProbedTable& table) {
    if (fat32::EntryAt(table, facts_.startSector, facts_.sectors)) return 0;
    const std::string disk = Node(facts_.diskName);
    std::string entry = table.type.empty() ? "the disk holds no partition table"
                                           : "its entry " + std::to_string(facts_.partitionNumber) +
                                                 " is missing";
    for (const fat32::TableEntry& one : table.entries)
        if (one.number == static_cast<int>(facts_.partitionNumber))
            entry = "its entry " + std::to_string(one.number) + " is at " +
                    Extent(one.startSector, one.sectors);
    Say("the kernel has this partition at " + Extent(facts_.startSector, facts_.sectors) +
        ", but no entry of " + disk + "'s partition table has that extent (" + entry +
        "); nothing was written. Let the kernel read the table again (partx -u " + disk +
        ", or unplug the stick and plug it in again) and check the partition first.");
    return fat32::kOpenFailed;
}

// The sectors the volume's boot sector counts, the kernel's partition now,
// and its entry now must all be one size.
fat32::FormatResult LinuxPlatform::CheckVolumeFits(fat32::FormatResult result) {
    if (result != fat32::kFormatOk || !facts_.isPartition) return result;
    unsigned char count[4];
    std::uint64_t bytes = 0;
    if (::pread(fd_, count, sizeof count, kTotalSectorsOffset) != sizeof count ||
        ::ioctl(fd_, BLKGETSIZE64, &bytes) != 0) {
        Say(std::string("the written volume cannot be checked against the partition: ") +
            std::strerror(errno));
        return fat32::kPartitionInfoFailed;
    }
    const std::uint64_t volume = count[0] | count[1] << 8 | count[2] << 16 |
                                 std::uint64_t{count[3]} << 24;
    const std::uint64_t kernel = bytes / kSector;
    fat32::ProbedTable table;
    std::string entry = "its entry cannot be read";
    bool entryFits = true;
    if (ReadDiskTable(facts_, O_RDONLY, table) == 0) {
        entry = "no entry starts there any more";
        entryFits = false;
        for (const fat32::TableEntry& one : table.entries)
            if (one.startSector == facts_.startSector) {
                entry = "its entry holds " + std::to_string(one.sectors);
                entryFits = one.sectors == volume;
            }
    }
    if (kernel == volume && entryFits) return result;
    Say("the partition changed during the run (a tool that ignores the disk's lock?): the volume "
        "holds " + std::to_string(volume) + " sectors, the kernel's partition now " +
        std::to_string(kernel) + ", " + entry + ". The volume does not fit its partition: do not "
        "use it; format it again.");
    return fat32::kPartitionInfoFailed;
}

}  // namespace mkfat32
