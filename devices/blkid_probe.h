// What util-linux's libblkid finds on a Linux block device: the partition
// table of a whole disk, of any type it knows (dos, gpt, mac, bsd, sun,
// atari, ...), and for a partition the kind of table that holds it.
#pragma once

#include <string>

namespace fat32 {

struct ProbedTable {
    std::string type;    // "dos", "gpt", "mac", ...; empty when there is no table
    int partitions = 0;  // entries in use
};

// Probes the partition table on the device open at `fd`. False when libblkid
// could not take the device at all.
bool ProbePartitionTable(int fd, ProbedTable& table);

// For a partition open at `fd`: the type of the table on its disk that holds
// it ("dos", "gpt", ...), empty when no table describes it (addpart).
std::string ProbeEntryScheme(int fd);

}  // namespace fat32
