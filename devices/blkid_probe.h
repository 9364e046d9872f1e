// What util-linux's libblkid finds on a Linux block device: the partition
// table of a whole disk, of any type it knows (dos, gpt, mac, bsd, sun,
// atari, ...), and for a partition the kind of table that holds it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fat32 {

// An entry of a table in 512-byte sectors, the unit sysfs counts the kernel's
// partitions in: libblkid converts from the table's own sector size.
struct TableEntry {
    int number = 0;  // as the kernel numbers it: logical ones from 5
    std::uint64_t startSector = 0;
    std::uint64_t sectors = 0;
};

struct ProbedTable {
    std::string type;    // "dos", "gpt", "mac", ...; empty when there is no table
    int partitions = 0;  // entries in use
    std::vector<TableEntry> entries;
};

// The entry of `table` with exactly this extent (512-byte sectors), or null.
const TableEntry* EntryAt(const ProbedTable& table, std::uint64_t startSector,
                          std::uint64_t sectors);

// Probes the partition table on the device open at `fd`. False when libblkid
// could not take the device at all.
bool ProbePartitionTable(int fd, ProbedTable& table);

// For a partition open at `fd`: the type of the table on its disk that holds
// it ("dos", "gpt", ...), empty when no table describes it (addpart).
std::string ProbeEntryScheme(int fd);

}  // namespace fat32
