// The partition layout a simulated disk's image holds, read as the disk
// driver reads it: an MBR's four primary entries, a GPT behind a protective
// MBR, or nothing (RAW). And the two ways a program changes it, written as
// the driver writes them: a blank MBR (IOCTL_DISK_CREATE_DISK) and an MBR's
// entries (IOCTL_DISK_SET_DRIVE_LAYOUT_EX).
#pragma once

#include <windows.h>
#include <winioctl.h>

#include <cstdint>
#include <vector>

#include "simulated_windows/simulated_medium.h"

namespace drives {

struct SimulatedPartition {
    DWORD number = 0;          // 1-based, in the order the table lists them
    DWORD slot = 0;            // MBR: the entry's place in the table (0..3)
    std::uint64_t offset = 0;  // bytes from the disk's start
    std::uint64_t length = 0;
    BYTE mbrType = 0;          // 0 on a GPT
    GUID gptType{};
};

struct SimulatedLayout {
    DWORD style = 2;        // PARTITION_STYLE: 0 MBR, 1 GPT, 2 RAW
    DWORD signature = 0;    // MBR disk signature
    GUID diskId{};          // GPT disk GUID
    std::vector<SimulatedPartition> partitions;
};

SimulatedLayout ReadLayout(SimulatedMedium& disk);
const SimulatedPartition* FindPartition(const SimulatedLayout& layout, DWORD number);

// What a Windows 10 disk answers to IOCTL_STORAGE_GET_DEVICE_NUMBER_EX: its
// number, partition 0, and a GUID formed from its hardware identifiers
// (`guid`, or the number plus one) [STORAGE_DEVICE_NUMBER_EX structure].
STORAGE_DEVICE_NUMBER_EX DiskNumberEx(DWORD number, DWORD guid);

// Sector 0 as a blank MBR with this signature: no entries, 0x55 0xAA.
bool WriteBlankMbr(SimulatedMedium& disk, DWORD signature);
// The MBR's entries, slot by slot (type 0: an unused slot), with the
// signature; the boot code stays.
bool WriteMbrEntries(SimulatedMedium& disk, DWORD signature, const std::vector<SimulatedPartition>& slots);

}  // namespace drives
