// libblkid does the reading: it knows far more table types than any code of
// ours would, and the kernel's partition parsers may lack some of them.
#include "devices/blkid_probe.h"

#include <blkid/blkid.h>

#include <memory>
#include <type_traits>

namespace fat32 {
namespace {

struct ProbeFree {
    void operator()(blkid_probe probe) const { ::blkid_free_probe(probe); }
};
using Probe = std::unique_ptr<std::remove_pointer_t<blkid_probe>, ProbeFree>;

Probe NewProbe(int fd) {
    Probe probe(::blkid_new_probe());
    if (!probe || ::blkid_probe_set_device(probe.get(), fd, 0, 0) != 0) return nullptr;
    return probe;
}

}  // namespace

bool ProbePartitionTable(int fd, ProbedTable& table) {
    table = ProbedTable();
    Probe probe = NewProbe(fd);
    if (!probe) return false;
    // No list at all: no table was found.
    blkid_partlist list = ::blkid_probe_get_partitions(probe.get());
    if (!list) return true;
    blkid_parttable found = ::blkid_partlist_get_table(list);
    if (!found) return true;
    const char* type = ::blkid_parttable_get_type(found);
    table.type = type ? type : "unknown";
    table.partitions = ::blkid_partlist_numof_partitions(list);
    for (int i = 0; i < table.partitions; ++i) {
        blkid_partition entry = ::blkid_partlist_get_partition(list, i);
        if (!entry) continue;
        table.entries.push_back({::blkid_partition_get_partno(entry),
                                 static_cast<std::uint64_t>(::blkid_partition_get_start(entry)),
                                 static_cast<std::uint64_t>(::blkid_partition_get_size(entry))});
    }
    return table.partitions >= 0;
}

const TableEntry* EntryAt(const ProbedTable& table, std::uint64_t startSector,
                          std::uint64_t sectors) {
    for (const TableEntry& entry : table.entries)
        if (entry.startSector == startSector && entry.sectors == sectors) return &entry;
    return nullptr;
}

std::string ProbeEntryScheme(int fd) {
    Probe probe = NewProbe(fd);
    if (!probe) return std::string();
    ::blkid_probe_enable_superblocks(probe.get(), 0);
    ::blkid_probe_enable_partitions(probe.get(), 1);
    ::blkid_probe_set_partitions_flags(probe.get(), BLKID_PARTS_ENTRY_DETAILS);
    const char* scheme = nullptr;
    if (::blkid_do_safeprobe(probe.get()) != 0 ||
        ::blkid_probe_lookup_value(probe.get(), "PART_ENTRY_SCHEME", &scheme, nullptr) != 0 ||
        !scheme)
        return std::string();
    return scheme;
}

}  // namespace fat32
