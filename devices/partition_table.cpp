// libfdisk does the byte work: it knows the MBR's extended-partition chains,
// so nothing here parses a table by hand. Every libfdisk object lives in a
// unique_ptr whose deleter is the matching unref call; the descriptor stays
// the caller's.
#include "devices/partition_table.h"

#include <libfdisk/libfdisk.h>
#include <unistd.h>

#include <cerrno>
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
using Context = std::unique_ptr<fdisk_context, ContextUnref>;

// A context on the descriptor, with libfdisk's questions turned off: every
// value it needs is given, so a question would mean a mistake, not a choice.
Context OpenContext(int fd) {
    Context context(::fdisk_new_context());
    if (!context || ::fdisk_assign_device_by_fd(context.get(), fd, "disk", 0) != 0) return nullptr;
    ::fdisk_disable_dialogs(context.get(), 1);
    return context;
}

// Writes the table out and syncs the descriptor: 0, or the errno of what
// failed. libfdisk's own release would also sync every file system of the
// machine; the descriptor's fsync is all this write needs.
int WriteAndRelease(fdisk_context* context) {
    const int written = ::fdisk_write_disklabel(context);
    if (written != 0) return written < 0 ? -written : EIO;
    if (::fsync(::fdisk_get_devfd(context)) != 0) return errno;
    return ::fdisk_deassign_device(context, 1) == 0 ? 0 : EIO;
}

fdisk_parttype* TypeCode(fdisk_context* context, std::uint8_t type) {
    return ::fdisk_label_get_parttype_from_code(::fdisk_get_label(context, nullptr), type);
}

}  // namespace

TypeChange SetMbrPartitionType(int diskFd, std::uint64_t startSector, std::uint64_t sectors,
                               std::uint8_t type) {
    Context context = OpenContext(diskFd);
    if (!context || !::fdisk_is_label(context.get(), DOS)) return TypeChange::Failed;
    fdisk_table* raw = nullptr;
    if (::fdisk_get_partitions(context.get(), &raw) != 0) return TypeChange::Failed;
    std::unique_ptr<fdisk_table, TableUnref> partitions(raw);
    std::unique_ptr<fdisk_iter, IterFree> iter(::fdisk_new_iter(FDISK_ITER_FORWARD));
    // libfdisk counts the table's own sectors, the caller 512-byte ones.
    const std::uint64_t per = ::fdisk_get_sector_size(context.get()) / 512;
    fdisk_partition* partition = nullptr;
    while (iter && ::fdisk_table_next_partition(partitions.get(), iter.get(), &partition) == 0) {
        if (!::fdisk_partition_is_used(partition) || ::fdisk_partition_is_container(partition) ||
            ::fdisk_partition_get_start(partition) * per != startSector ||
            ::fdisk_partition_get_size(partition) * per != sectors)
            continue;
        fdisk_parttype* code = TypeCode(context.get(), type);
        return code &&
                       ::fdisk_set_partition_type(
                           context.get(), ::fdisk_partition_get_partno(partition), code) == 0 &&
                       WriteAndRelease(context.get()) == 0
                   ? TypeChange::Set
                   : TypeChange::Failed;
    }
    return TypeChange::NoMatchingEntry;
}

int WriteSinglePartitionMbr(int fd, std::uint32_t startSector, std::uint32_t sectors,
                            std::uint8_t type) {
    Context context = OpenContext(fd);
    // A new DOS label starts from a zeroed first sector with a random signature.
    if (!context || ::fdisk_create_disklabel(context.get(), "dos") != 0) return EINVAL;
    fdisk_parttype* code = TypeCode(context.get(), type);
    std::unique_ptr<fdisk_partition, PartitionUnref> partition(::fdisk_new_partition());
    if (!code || !partition || ::fdisk_partition_set_partno(partition.get(), 0) != 0 ||
        ::fdisk_partition_set_start(partition.get(), startSector) != 0 ||
        ::fdisk_partition_set_size(partition.get(), sectors) != 0 ||
        ::fdisk_partition_set_type(partition.get(), code) != 0 ||
        ::fdisk_add_partition(context.get(), partition.get(), nullptr) != 0)
        return EINVAL;
    // The volume is laid out for exactly this extent; a table that says
    // otherwise must not be written.
    fdisk_partition* added = nullptr;
    if (::fdisk_get_partition(context.get(), 0, &added) != 0) return EINVAL;
    std::unique_ptr<fdisk_partition, PartitionUnref> written(added);
    if (::fdisk_partition_get_start(added) != startSector ||
        ::fdisk_partition_get_size(added) != sectors)
        return EINVAL;
    return WriteAndRelease(context.get());
}

}  // namespace fat32
