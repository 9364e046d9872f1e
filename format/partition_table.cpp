// libfdisk does the byte work: it knows the MBR's extended-partition chains
// and GPT's checksums, so nothing here parses a table by hand. Every libfdisk
// object lives in a unique_ptr whose deleter is the matching unref call.
#include "format/partition_table.h"

#include <libfdisk/libfdisk.h>

#include <cstdlib>
#include <memory>

namespace fat32 {
namespace {

struct ContextUnref {
    void operator()(fdisk_context* p) const { ::fdisk_unref_context(p); }
};
struct TableUnref {
    void operator()(fdisk_table* p) const { ::fdisk_unref_table(p); }
};
struct PartitionUnref {
    void operator()(fdisk_partition* p) const { ::fdisk_unref_partition(p); }
};
struct IterFree {
    void operator()(fdisk_iter* p) const { ::fdisk_free_iter(p); }
};
struct NameFree {
    void operator()(char* p) const { std::free(p); }
};
using Context = std::unique_ptr<fdisk_context, ContextUnref>;

// A context on the disk, with libfdisk's questions turned off: every value it
// needs is given, so a question would mean a mistake, not a choice.
Context OpenContext(const std::string& path, bool readOnly) {
    Context context(::fdisk_new_context());
    if (!context || ::fdisk_assign_device(context.get(), path.c_str(), readOnly ? 1 : 0) != 0)
        return nullptr;
    ::fdisk_disable_dialogs(context.get(), 1);
    return context;
}

// Writes the table out and closes the device, syncing it; false if either fails.
bool WriteAndClose(fdisk_context* context) {
    return ::fdisk_write_disklabel(context) == 0 && ::fdisk_deassign_device(context, 0) == 0;
}

}  // namespace

bool ReadPartitionTable(const std::string& diskPath, PartitionTable& table) {
    table = PartitionTable();
    Context context = OpenContext(diskPath, true);
    if (!context) return false;
    if (!::fdisk_has_label(context.get())) return true;
    table.kind = ::fdisk_is_label(context.get(), DOS)   ? TableKind::Mbr
                 : ::fdisk_is_label(context.get(), GPT) ? TableKind::Gpt
                                                        : TableKind::Other;
    fdisk_table* raw = nullptr;
    if (::fdisk_get_partitions(context.get(), &raw) != 0) return false;
    std::unique_ptr<fdisk_table, TableUnref> partitions(raw);
    std::unique_ptr<fdisk_iter, IterFree> iter(::fdisk_new_iter(FDISK_ITER_FORWARD));
    fdisk_partition* partition = nullptr;
    while (iter && ::fdisk_table_next_partition(partitions.get(), iter.get(), &partition) == 0) {
        if (!::fdisk_partition_is_used(partition)) continue;
        std::unique_ptr<char, NameFree> name(
            ::fdisk_partname(diskPath.c_str(), ::fdisk_partition_get_partno(partition) + 1));
        if (name) table.partitions.emplace_back(name.get());
    }
    return true;
}

bool SetMbrPartitionType(const std::string& diskPath, std::uint32_t number, std::uint8_t type) {
    Context context = OpenContext(diskPath, false);
    if (!context || number == 0 || !::fdisk_is_label(context.get(), DOS)) return false;
    fdisk_parttype* code =
        ::fdisk_label_get_parttype_from_code(::fdisk_get_label(context.get(), nullptr), type);
    return code && ::fdisk_set_partition_type(context.get(), number - 1, code) == 0 &&
           WriteAndClose(context.get());
}

bool WriteSinglePartitionMbr(const std::string& path, std::uint32_t startSector,
                             std::uint32_t sectors, std::uint8_t type) {
    Context context = OpenContext(path, false);
    // A new DOS label starts from a zeroed first sector with a random signature.
    if (!context || ::fdisk_create_disklabel(context.get(), "dos") != 0) return false;
    fdisk_parttype* code =
        ::fdisk_label_get_parttype_from_code(::fdisk_get_label(context.get(), nullptr), type);
    std::unique_ptr<fdisk_partition, PartitionUnref> partition(::fdisk_new_partition());
    if (!code || !partition || ::fdisk_partition_set_partno(partition.get(), 0) != 0 ||
        ::fdisk_partition_set_start(partition.get(), startSector) != 0 ||
        ::fdisk_partition_set_size(partition.get(), sectors) != 0 ||
        ::fdisk_partition_set_type(partition.get(), code) != 0 ||
        ::fdisk_add_partition(context.get(), partition.get(), nullptr) != 0)
        return false;
    // The volume is laid out for exactly this extent; a table that says
    // otherwise must not be written.
    fdisk_partition* added = nullptr;
    if (::fdisk_get_partition(context.get(), 0, &added) != 0) return false;
    std::unique_ptr<fdisk_partition, PartitionUnref> written(added);
    if (::fdisk_partition_get_start(added) != startSector ||
        ::fdisk_partition_get_size(added) != sectors)
        return false;
    return WriteAndClose(context.get());
}

}  // namespace fat32
