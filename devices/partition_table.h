// MBR tables written through util-linux's libfdisk on a descriptor the caller
// holds: the type byte of the entry that describes a given extent, and a
// fresh MBR with a single partition. Linux only.
#pragma once

#include <cstdint>

namespace fat32 {

enum class TypeChange { Set, NoMatchingEntry, Failed };

// Sets the type byte of the MBR entry (primary or logical) whose start and
// size are the given ones, in 512-byte sectors. An entry is found by its
// extent, never by its number: the table on the disk may no longer be the one
// the kernel read, and the kernel numbers BSD or Minix sub-partitions after
// the logical ones.
TypeChange SetMbrPartitionType(int diskFd, std::uint64_t startSector, std::uint64_t sectors,
                               std::uint8_t type);

// Replaces whatever table the disk or image open at `fd` holds with an MBR
// holding one primary partition of `type` and a fresh random disk signature.
// 0, or the errno that stopped it (EINVAL: libfdisk would not lay out that
// entry).
int WriteSinglePartitionMbr(int fd, std::uint32_t startSector, std::uint32_t sectors,
                            std::uint8_t type);

}  // namespace fat32
