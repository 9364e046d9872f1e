// Partition tables read and written through util-linux's libfdisk: what a
// disk holds, the type byte of one MBR entry, and a fresh MBR with a single
// partition. Linux only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace fat32 {

enum class TableKind { None, Mbr, Gpt, Other };

struct PartitionTable {
    TableKind kind = TableKind::None;
    std::vector<std::string> partitions;  // device nodes of the used entries: "/dev/sdb1"
};

// Reads the table of a disk or image without writing. False when the path
// cannot be opened or read.
bool ReadPartitionTable(const std::string& diskPath, PartitionTable& table);

// Sets the type byte of MBR partition `number` (1-based; logical ones from 5).
// False when the disk holds no MBR or the entry cannot be written.
bool SetMbrPartitionType(const std::string& diskPath, std::uint32_t number, std::uint8_t type);

// Replaces whatever table the disk or image holds with an MBR holding one
// primary partition of `type` and a fresh random disk signature.
bool WriteSinglePartitionMbr(const std::string& path, std::uint32_t startSector,
                             std::uint32_t sectors, std::uint8_t type);

}  // namespace fat32
