// Which sticks are whole, and the sticks without a letter in the drive list:
// the judgement as one table of disks, then a machine with more USB volumes
// and sticks than the list holds.
#include "drives/whole_stick.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "drives/usb_drive_list.h"
#include "machine_builder.h"
#include "simulated_windows/simulated_drive_query.h"

namespace drives {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kGiB = 1024 * kMiB;

fat32::DiskFacts Disk(std::uint64_t bytes, fat32::PartitionStyle style,
                      std::initializer_list<std::pair<std::uint64_t, std::uint64_t>> extents) {
    fat32::DiskFacts facts;
    facts.usb = facts.removable = true;
    facts.bytes = bytes;
    facts.style = style;
    DWORD number = 0;
    for (const auto& [offset, length] : extents) facts.extents.push_back({++number, offset, length});
    facts.partitions = number;
    return facts;
}

TEST(WholeStick, JudgedByItsLayout) {
    using S = StickShape;
    using P = fat32::PartitionStyle;
    const struct {
        const char* what;
        fat32::DiskFacts facts;
        bool hasVolume;
        StickShape shape;
    } rows[] = {
        {"formatted by Windows: 1 MiB to the end", Disk(8 * kGiB, P::Mbr, {{kMiB, 8 * kGiB - kMiB}}), true, S::Whole},
        {"an SD card aligned at 4 MiB", Disk(8 * kGiB, P::Mbr, {{4 * kMiB, 8 * kGiB - 4 * kMiB}}), true, S::Whole},
        {"100 MiB short of the end: alignment, not a shrunk stick",
         Disk(8 * kGiB, P::Mbr, {{kMiB, 8 * kGiB - 101 * kMiB}}), true, S::Whole},
        {"a 64 MiB volume on 8 GiB", Disk(8 * kGiB, P::Mbr, {{kMiB, 64 * kMiB}}), true, S::VolumeSmaller},
        {"2.5 GiB of 32 GiB", Disk(32 * kGiB, P::Mbr, {{kMiB, 2560 * kMiB}}), true, S::VolumeSmaller},
        {"30 GiB of 32 GiB", Disk(32 * kGiB, P::Mbr, {{kMiB, 30 * kGiB}}), true, S::VolumeSmaller},
        {"40 MiB of a 64 MiB stick", Disk(64 * kMiB, P::Mbr, {{kMiB, 40 * kMiB}}), true, S::VolumeSmaller},
        {"no table, the volume over the disk", Disk(8 * kGiB, P::Raw, {}), true, S::Whole},
        {"two partitions", Disk(8 * kGiB, P::Mbr, {{kMiB, 64 * kMiB}, {65 * kMiB, kGiB}}), true,
         S::SeveralPartitions},
        {"a GPT with one partition over it", Disk(8 * kGiB, P::Gpt, {{kMiB, 8 * kGiB - 2 * kMiB}}), true, S::Gpt},
        {"one partition the system does not mount", Disk(8 * kGiB, P::Mbr, {{kMiB, 8 * kGiB - kMiB}}), false,
         S::NoVolume},
        {"nothing at all", Disk(8 * kGiB, P::Raw, {}), false, S::NoVolume},
        {"3 TiB with the most an MBR reaches", Disk(3072 * kGiB, P::Mbr, {{kMiB, 2048 * kGiB - kMiB}}), true,
         S::Whole},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(JudgeStick(row.facts, 0, row.hasVolume), row.shape) << row.what;
    }
    // The chosen volume is the one measured.
    const fat32::DiskFacts two = Disk(8 * kGiB, P::Mbr, {{kMiB, 64 * kMiB}});
    EXPECT_EQ(JudgeStick(two, 1, true), S::VolumeSmaller);
}

TEST(WholeStick, OnlyRemovableUsbSticksLargeEnough) {
    fat32::DiskFacts stick = Disk(8 * kGiB, fat32::PartitionStyle::Raw, {});
    EXPECT_TRUE(MayBeMadeWhole(stick));
    fat32::DiskFacts fixed = stick;
    fixed.removable = false;
    fat32::DiskFacts sata = stick;
    sata.usb = false;
    fat32::DiskFacts tiny = stick;
    tiny.bytes = 16 * kMiB;
    EXPECT_FALSE(MayBeMadeWhole(fixed));
    EXPECT_FALSE(MayBeMadeWhole(sata));
    EXPECT_FALSE(MayBeMadeWhole(tiny));
}

// A USB stick with no volume: its disk interface and nodes, and an image of
// `bytes` holding nothing.
void StickWithoutLetter(testing::MachineBuilder& machine, DWORD number, const std::wstring& image,
                        std::uint64_t bytes, bool removable = true) {
    machine.Interface(number);
    SimulatedDevice disk;
    disk.instance = testing::DiskNode(number);
    disk.parent = testing::ParentNode(number);
    disk.id = L"USBSTOR\\DISK&VEN_SIM\\" + std::to_wstring(number);
    SimulatedDevice parent;
    parent.instance = disk.parent;
    parent.id = L"USB\\VID_0781&PID_5567\\" + std::to_wstring(number);
    machine.table.devices.push_back(disk);
    machine.table.devices.push_back(parent);
    std::FILE* f = ::_wfopen(image.c_str(), L"wb");
    ASSERT_NE(f, nullptr);
    ::_fseeki64(f, static_cast<long long>(bytes) - 1, SEEK_SET);
    std::fputc(0, f);
    std::fclose(f);
    SimulatedDisk record;
    record.number = number;
    record.image = image;
    record.removable = removable;
    machine.table.disks.push_back(record);
}

TEST(WholeStick, SticksWithoutLetterFollowTheLettersWithinTheLimit) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = temp;
    testing::MachineBuilder machine;
    // Windows on a disk of its own: a stick is never offered while the
    // system cannot say where Windows lies.
    machine.SataDisk(L'C', 0);
    machine.UsbStick(L'D', 1);
    StickWithoutLetter(machine, 20, folder + L"stick20.img", 64 * kMiB);
    StickWithoutLetter(machine, 21, folder + L"stick21.img", 64 * kMiB, false);  // a USB hard disk: not listed
    for (wchar_t letter = L'E'; letter < L'E' + 13; ++letter) machine.UsbStick(letter, letter - L'E' + 2);
    StickWithoutLetter(machine, 22, folder + L"stick22.img", 64 * kMiB);  // the 16th: beyond the list
    SimulatedDriveQuery query(machine.table);
    UsbDriveList list(query);
    list.SetTrace(nullptr);
    list.Rebuild();
    ASSERT_EQ(list.Count(), kMaxUsbDrives);
    EXPECT_EQ(list.Letter(0), L'D');
    EXPECT_EQ(list.Disk(0), 1u);
    EXPECT_EQ(list.Letter(13), L'Q');
    EXPECT_EQ(list.Letter(14), kNoLetter);
    EXPECT_EQ(list.Disk(14), 20u);
    EXPECT_EQ(list.TotalMb(14), 64u);
    EXPECT_EQ(list.IndexOf(kNoLetter), -1);
    EXPECT_EQ(list.IndexOfDisk(20), 14);
    list.RemoveEntry(0);
    EXPECT_EQ(list.IndexOfDisk(20), 13);
    for (const wchar_t* name : {L"stick20.img", L"stick21.img", L"stick22.img"}) ::DeleteFileW((folder + name).c_str());
}

}  // namespace
}  // namespace drives
