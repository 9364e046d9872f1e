// Byte offsets: MBR entries at 446 (16 bytes each: type at 4, first LBA at
// 8, sector count at 12), disk signature at 440, 0x55 0xAA at 510; a GPT
// header at LBA 1 ("EFI PART", the disk GUID at 56, entries' LBA at 72, their count at 80 and
// size at 84); each entry a type GUID, then first and last LBA at 32 and 40.
#include "simulated_windows/simulated_disk_layout.h"

#include <winioctl.h>

#include <cstring>

namespace drives {
namespace {

constexpr std::uint32_t kSector = 512;
constexpr BYTE kProtectiveMbr = 0xEE;

std::uint32_t Get32(const BYTE* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t{p[3]} << 24; }
std::uint64_t Get64(const BYTE* p) { return Get32(p) | std::uint64_t{Get32(p + 4)} << 32; }
void Put32(BYTE* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<BYTE>(v >> (8 * i));
}

void ReadGpt(SimulatedMedium& disk, SimulatedLayout& layout) {
    BYTE header[kSector];
    if (!disk.Read(kSector, header, kSector) || std::memcmp(header, "EFI PART", 8) != 0) return;
    layout.style = PARTITION_STYLE_GPT;
    std::memcpy(&layout.diskId, header + 56, sizeof layout.diskId);
    const std::uint64_t entriesAt = Get64(header + 72);
    const std::uint32_t count = Get32(header + 80), size = Get32(header + 84);
    if (size < 128 || size > kSector || count > 1024) return;
    std::vector<BYTE> entries((static_cast<std::size_t>(count) * size + kSector - 1) / kSector * kSector);
    if (entries.empty() || !disk.Read(entriesAt * kSector, entries.data(), static_cast<std::uint32_t>(entries.size())))
        return;
    for (std::uint32_t i = 0; i < count; ++i) {
        const BYTE* entry = entries.data() + static_cast<std::size_t>(i) * size;
        GUID type;
        std::memcpy(&type, entry, sizeof type);
        if (type == GUID{}) continue;
        SimulatedPartition partition;
        partition.number = static_cast<DWORD>(layout.partitions.size() + 1);
        partition.gptType = type;
        partition.offset = Get64(entry + 32) * kSector;
        partition.length = (Get64(entry + 40) - Get64(entry + 32) + 1) * kSector;
        layout.partitions.push_back(partition);
    }
}

}  // namespace

SimulatedLayout ReadLayout(SimulatedMedium& disk) {
    SimulatedLayout layout;
    BYTE mbr[kSector];
    if (!disk.Read(0, mbr, kSector) || mbr[510] != 0x55 || mbr[511] != 0xAA) return layout;
    if (mbr[446 + 4] == kProtectiveMbr) {
        ReadGpt(disk, layout);
        return layout;
    }
    layout.style = PARTITION_STYLE_MBR;
    layout.signature = Get32(mbr + 440);
    for (DWORD slot = 0; slot < 4; ++slot) {
        const BYTE* entry = mbr + 446 + slot * 16;
        if (entry[4] == 0 || Get32(entry + 12) == 0) continue;
        SimulatedPartition partition;
        partition.number = static_cast<DWORD>(layout.partitions.size() + 1);
        partition.slot = slot;
        partition.mbrType = entry[4];
        partition.offset = std::uint64_t{Get32(entry + 8)} * kSector;
        partition.length = std::uint64_t{Get32(entry + 12)} * kSector;
        layout.partitions.push_back(partition);
    }
    return layout;
}

const SimulatedPartition* FindPartition(const SimulatedLayout& layout, DWORD number) {
    for (const SimulatedPartition& partition : layout.partitions)
        if (partition.number == number) return &partition;
    return nullptr;
}

STORAGE_DEVICE_NUMBER_EX DiskNumberEx(DWORD number, DWORD guid) {
    STORAGE_DEVICE_NUMBER_EX answer{};
    answer.Version = sizeof answer;
    answer.Size = sizeof answer;
    answer.Flags = STORAGE_DEVICE_FLAGS_PAGE_83_DEVICEGUID;
    answer.DeviceType = FILE_DEVICE_DISK;
    answer.DeviceNumber = number;
    answer.DeviceGuid.Data1 = guid ? guid : number + 1;
    answer.DeviceGuid.Data2 = 0x5157;
    answer.PartitionNumber = 0;  // the disk itself
    return answer;
}

bool WriteBlankMbr(SimulatedMedium& disk, DWORD signature) {
    BYTE mbr[kSector] = {};
    Put32(mbr + 440, signature);
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    return disk.Write(0, mbr, kSector) && disk.Flush();
}

bool WriteMbrEntries(SimulatedMedium& disk, DWORD signature, const std::vector<SimulatedPartition>& slots) {
    BYTE mbr[kSector];
    if (!disk.Read(0, mbr, kSector)) return false;
    std::memset(mbr + 446, 0, 64);
    Put32(mbr + 440, signature);
    for (const SimulatedPartition& partition : slots) {
        if (partition.slot > 3 || partition.mbrType == 0) continue;
        BYTE* entry = mbr + 446 + partition.slot * 16;
        // CHS fields as the driver writes them past cylinder 1023: all ones.
        entry[1] = entry[5] = 0xFE;
        entry[2] = entry[3] = entry[6] = entry[7] = 0xFF;
        entry[4] = partition.mbrType;
        Put32(entry + 8, static_cast<std::uint32_t>(partition.offset / kSector));
        Put32(entry + 12, static_cast<std::uint32_t>(partition.length / kSector));
    }
    mbr[510] = 0x55;
    mbr[511] = 0xAA;
    return disk.Write(0, mbr, kSector) && disk.Flush();
}

}  // namespace drives
