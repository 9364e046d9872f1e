// UsbDriveList against simulated machines: sizes in MB, drives whose queries
// fail, the label and file system left by a rebuild, the no-drive state,
// removal of entries, and the window's hook for emptying its list.
#include "drives/usb_drive_list.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "simulated_windows/simulated_drive_query.h"
#include "machine_builder.h"

namespace drives {
namespace {

using testing::MachineBuilder;

class DriveList : public ::testing::Test {
protected:
    // A fresh query and table over the machine as built so far.
    UsbDriveList& Build() {
        query = std::make_unique<SimulatedDriveQuery>(machine.table);
        list = std::make_unique<UsbDriveList>(*query);
        list->SetTrace(nullptr);
        return *list;
    }

    UsbDriveList& Rebuilt() {
        Build().Rebuild();
        return *list;
    }

    std::wstring Letters() const {
        std::wstring letters;
        for (int i = 0; i < list->Count(); ++i) letters += list->Letter(i);
        return letters;
    }

    MachineBuilder machine;
    std::unique_ptr<SimulatedDriveQuery> query;
    std::unique_ptr<UsbDriveList> list;
};

TEST_F(DriveList, StartsEmptyWithEndMarkers) {
    Build();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_FALSE(list->HasDrives());
    EXPECT_EQ(list->Letter(0), kEndOfLetters);
    EXPECT_TRUE(list->CurrentLabel().IsEmpty());
    EXPECT_TRUE(list->CurrentFileSystemName().IsEmpty());
}

TEST_F(DriveList, SizesAreWholeMegabytes) {
    machine.UsbStick(L'E', 1);  // 8 sectors of 512 bytes per cluster
    machine.DriveOf(L'E').totalClusters = 1962243;
    machine.DriveOf(L'E').freeClusters = 1962000;
    Rebuilt();
    EXPECT_EQ(list->TotalMb(0), 7665u);
    EXPECT_EQ(list->FreeMb(0), 7664u);
    // The cluster size in bytes comes with the sizes.
    EXPECT_EQ(list->CurrentClusterSize(), Facet::CDuiString(L"4096"));
}

TEST_F(DriveList, SizeArithmeticTruncatesInTwoSteps) {
    // 1 sector of 4,096 bytes per cluster, 1,023 clusters: the first step
    // truncates 1,023 / 1,024 to 0, so the size is 0 MB, not 3.99.
    machine.UsbStick(L'E', 1);
    SimulatedDrive& e = machine.DriveOf(L'E');
    e.sectorsPerCluster = 1;
    e.bytesPerSector = 4096;
    e.totalClusters = 1023;
    e.freeClusters = 2048;
    Rebuilt();
    EXPECT_EQ(list->TotalMb(0), 0u);
    EXPECT_EQ(list->FreeMb(0), 8u);
}

TEST_F(DriveList, FailedSizeQueryKeepsZeroAndStaysListed) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2);
    machine.DriveOf(L'E').failures = kFailDiskSpace;
    Rebuilt();
    EXPECT_EQ(Letters(), L"DE");
    EXPECT_EQ(list->TotalMb(1), 0u);
    EXPECT_EQ(list->FreeMb(1), 0u);
    EXPECT_EQ(list->TotalMb(0), 7665u);
}

// A stick another program has locked answers neither its root's free space
// nor its volume information, as its files open for none but the lock's
// owner: it stays listed, with 0 MB and no label.
TEST_F(DriveList, ALockedStickStaysListedWithoutSizesOrLabel) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2);
    machine.DriveOf(L'E').label = L"HELD";
    machine.DriveOf(L'E').failures = kHeldLocked;
    Rebuilt();
    EXPECT_EQ(Letters(), L"DE");
    EXPECT_EQ(list->TotalMb(1), 0u);
    EXPECT_EQ(list->FreeMb(1), 0u);
    EXPECT_FALSE(list->QueryLabel(L'E'));
    EXPECT_EQ(list->TotalMb(0), 7665u);
}

TEST_F(DriveList, SizeQueryRunsWithoutCriticalErrorBoxesAndRestoresTheMode) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2);
    machine.DriveOf(L'E').failures = kFailDiskSpace;
    Build();
    query->ExchangeErrorMode(SEM_NOOPENFILEERRORBOX);
    list->Rebuild();
    ASSERT_EQ(query->ErrorModesDuringDiskSpace().size(), 2u);
    for (UINT mode : query->ErrorModesDuringDiskSpace()) EXPECT_EQ(mode, static_cast<UINT>(SEM_FAILCRITICALERRORS));
    EXPECT_EQ(query->ErrorMode(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

// A card reader without a medium, a DVD drive and a disconnected network
// share beside a stick: the type is asked before anything is opened, only
// disks are opened, and every query of a drive runs quietly on its root path.
TEST_F(DriveList, PerDriveQueriesAskTheTypeFirstAndRunQuietlyOnTheRoot) {
    machine.SataDisk(L'C', 0).Drive(L'D', 5, DRIVE_CDROM, L"SCSI\\CDROM").UsbStick(L'E', 1);
    machine.Drive(L'N', 6, DRIVE_REMOTE, L"");
    machine.UsbStick(L'R', 2);
    machine.DriveOf(L'R').failures = kFailDiskSpace | kFailVolumeInfo;
    Build();
    query->ExchangeErrorMode(SEM_NOOPENFILEERRORBOX);
    list->Rebuild();
    EXPECT_EQ(Letters(), L"ER");
    std::wstring typed;
    for (const SimulatedDriveQuery::DriveCall& call : query->DriveCalls()) {
        const std::string name = call.name;
        if (name == "type") typed += call.path[0];
        if (name == "open") {
            EXPECT_NE(typed.find(call.path[4]), std::wstring::npos) << "opened before its type was asked";
            EXPECT_TRUE(call.path[4] == L'C' || call.path[4] == L'E' || call.path[4] == L'R');
        }
        if (name == "space" || name == "volume") {
            EXPECT_EQ(call.path.substr(1), L":\\") << name;
            EXPECT_EQ(call.errorMode, static_cast<UINT>(SEM_FAILCRITICALERRORS)) << name;
        }
    }
    EXPECT_EQ(typed, L"CDENR");
    EXPECT_EQ(query->ErrorMode(), static_cast<UINT>(SEM_NOOPENFILEERRORBOX));
}

TEST_F(DriveList, FailedSizeQueryLeavesTheOutputsUntouched) {
    machine.UsbStick(L'E', 1);
    machine.DriveOf(L'E').failures = kFailDiskSpace;
    Build();
    std::uint32_t total = 123, free = 456;
    list->QuerySizes(L'E', total, free);
    EXPECT_EQ(total, 123u);
    EXPECT_EQ(free, 456u);
    list->QuerySizes(L'Q', total, free);  // no such drive
    EXPECT_EQ(total, 123u);
}

TEST_F(DriveList, RebuildLeavesTheLabelAndFileSystemOfTheLastDrive) {
    machine.SataDisk(L'C', 0).UsbStick(L'D', 1).UsbStick(L'F', 2);
    machine.DriveOf(L'D').label = L"DATA";
    machine.DriveOf(L'D').fileSystem = L"NTFS";
    machine.DriveOf(L'F').label = L"STICK";
    machine.DriveOf(L'F').fileSystem = L"exFAT";
    Rebuilt();
    EXPECT_EQ(list->Count(), 2);
    EXPECT_TRUE(list->HasDrives());
    EXPECT_EQ(Letters(), L"DF");
    for (int slot = 2; slot < kLetterSlots; ++slot) EXPECT_EQ(list->Letter(slot), kEndOfLetters);
    EXPECT_TRUE(list->CurrentLabel() == L"STICK");
    EXPECT_TRUE(list->CurrentFileSystemName() == L"exFAT");
    EXPECT_TRUE(query->Balanced());
}

TEST_F(DriveList, FailedVolumeQueryOfTheLastDriveKeepsTheTextsBeforeIt) {
    machine.UsbStick(L'D', 1).UsbStick(L'F', 2);
    machine.DriveOf(L'D').label = L"DATA";
    machine.DriveOf(L'F').failures = kFailVolumeInfo;
    Rebuilt();
    EXPECT_EQ(list->Count(), 2);
    EXPECT_TRUE(list->CurrentLabel() == L"DATA");
    EXPECT_TRUE(list->CurrentFileSystemName() == L"FAT32");
}

TEST_F(DriveList, LabelAndFileSystemQueriesReportTheirOutcome) {
    machine.UsbStick(L'E', 1).UsbStick(L'G', 2);
    machine.DriveOf(L'E').label = L"\x6570\x636E";  // a Chinese label
    machine.DriveOf(L'G').failures = kFailVolumeInfo;
    Build();
    EXPECT_TRUE(list->QueryLabel(L'E'));
    EXPECT_TRUE(list->CurrentLabel() == L"\x6570\x636E");
    EXPECT_FALSE(list->QueryLabel(L'G'));
    EXPECT_TRUE(list->CurrentLabel() == L"\x6570\x636E");
    EXPECT_TRUE(list->QueryFileSystemName(L'E'));
    EXPECT_FALSE(list->QueryFileSystemName(L'G'));
    EXPECT_TRUE(list->CurrentFileSystemName() == L"FAT32");
    machine.DriveOf(L'E').label.clear();
    Build();
    EXPECT_TRUE(list->QueryLabel(L'E'));
    EXPECT_TRUE(list->CurrentLabel().IsEmpty());
}

TEST_F(DriveList, RebuildWithoutUsbDrivesClearsEverything) {
    machine.UsbStick(L'E', 1).UsbStick(L'F', 2);
    Build();
    list->Rebuild();
    ASSERT_EQ(list->Count(), 2);
    query->table().drives.clear();  // both sticks pulled out
    list->Rebuild();
    EXPECT_EQ(list->Count(), 0);
    EXPECT_FALSE(list->HasDrives());
    for (int slot = 0; slot < kLetterSlots; ++slot) EXPECT_EQ(list->Letter(slot), kEndOfLetters);
    list->RemoveEntry(0);  // nothing to remove
    EXPECT_EQ(list->Count(), 0);
}

TEST_F(DriveList, RebuildClearsTheShownListBeforeScanning) {
    machine.UsbStick(L'E', 1);
    Build();
    list->Rebuild();
    int calls = 0;
    list->Rebuild([&] {
        ++calls;
        EXPECT_EQ(list->Count(), 0);
        EXPECT_EQ(query->VolumeOpens().size(), 1u);  // only the first rebuild's
    });
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(list->Count(), 1);
}

TEST_F(DriveList, RebuildPrintsTheCount) {
    machine.UsbStick(L'E', 1).UsbStick(L'F', 2);
    Build();
    std::FILE* trace = std::tmpfile();
    ASSERT_NE(trace, nullptr);
    list->SetTrace(trace);
    list->Rebuild();
    std::rewind(trace);
    char printed[16] = {};
    std::fread(printed, 1, sizeof printed - 1, trace);
    std::fclose(trace);
    EXPECT_STREQ(printed, "2");
}

TEST_F(DriveList, FifteenDrivesAtMostAndNoSlotOverrun) {
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) machine.UsbStick(letter, static_cast<DWORD>(letter - L'C'));
    Rebuilt();
    EXPECT_EQ(list->Count(), kMaxUsbDrives);
    EXPECT_EQ(Letters(), L"CDEFGHIJKLMNOPQ");
    EXPECT_EQ(list->TotalMb(14), 7665u);
    EXPECT_EQ(list->Letter(15), kEndOfLetters);
    EXPECT_EQ(list->TotalMb(15), 0u);
    EXPECT_TRUE(list->CurrentLabel() == L"VOL_Q");
    EXPECT_TRUE(query->Balanced());
}

TEST_F(DriveList, QueryEntrySizesWritesIntoThatSlotOnly) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2);
    Rebuilt();
    query->table().drives[1].totalClusters = 2 * 1962243;
    EXPECT_TRUE(list->QueryEntrySizes(1));
    EXPECT_EQ(list->TotalMb(1), 15330u);
    EXPECT_EQ(list->TotalMb(0), 7665u);
    EXPECT_FALSE(list->QueryEntrySizes(2));
    EXPECT_FALSE(list->QueryEntrySizes(-1));
}

class DriveListOfThree : public DriveList {
protected:
    void SetUp() override {
        machine.UsbStick(L'D', 1).UsbStick(L'E', 2).UsbStick(L'F', 3);
        machine.DriveOf(L'E').totalClusters = 2 * 1962243;
        machine.DriveOf(L'F').totalClusters = 3 * 1962243;
        Rebuilt();
        ASSERT_EQ(Letters(), L"DEF");
    }
};

TEST_F(DriveListOfThree, RemoveEntryShiftsLaterSlotsDownAndEmptiesTheLast) {
    list->RemoveEntry(0);
    EXPECT_EQ(Letters(), L"EF");
    EXPECT_EQ(list->TotalMb(0), 15330u);
    EXPECT_EQ(list->TotalMb(1), 22995u);
    EXPECT_EQ(list->Letter(2), kEndOfLetters);
    EXPECT_EQ(list->TotalMb(2), 0u);
    EXPECT_EQ(list->IndexOf(L'F'), 1);
    EXPECT_EQ(list->IndexOf(L'D'), -1);
    list->RemoveEntry(1);
    EXPECT_EQ(Letters(), L"E");
    list->RemoveEntry(0);
    EXPECT_EQ(list->Count(), 0);
    EXPECT_TRUE(list->HasDrives());  // only a rebuild changes it
}

TEST_F(DriveListOfThree, RemoveEntryOutsideTheTableChangesNothing) {
    list->RemoveEntry(3);
    list->RemoveEntry(-1);
    list->RemoveEntry(kLetterSlots);
    EXPECT_EQ(Letters(), L"DEF");
    EXPECT_EQ(list->TotalMb(2), 22995u);
}

}  // namespace
}  // namespace drives
