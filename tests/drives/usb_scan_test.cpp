// The USB scan against simulated machines: which letters are kept, in which
// order, how each failing query drops only its letter, and that every volume
// handle, interface handle and interface set is released on every path.
#include "drives/usb_scan.h"

#include <gtest/gtest.h>

#include <string>

#include "simulated_windows/simulated_drive_query.h"
#include "machine_builder.h"

namespace drives {
namespace {

using testing::DiskNode;
using testing::MachineBuilder;
using testing::ParentNode;

class UsbScan : public ::testing::Test {
protected:
    // Runs a scan and answers the listed letters; checks the end marker fills
    // every slot after them and that the scan released what it opened.
    std::wstring Scan() {
        query = std::make_unique<SimulatedDriveQuery>(machine.table);
        wchar_t letters[kLetterSlots];
        std::fill(std::begin(letters), std::end(letters), L'?');
        ScanUsbDrives(*query, letters);
        std::wstring listed;
        int i = 0;
        while (i < kLetterSlots && letters[i] != kEndOfLetters) listed += letters[i++];
        EXPECT_LT(i, kLetterSlots) << "no end marker";
        for (; i < kLetterSlots; ++i) EXPECT_EQ(letters[i], kEndOfLetters) << "slot " << i;
        EXPECT_TRUE(query->Balanced()) << "handles " << query->HandlesOpened() << "/" << query->HandlesClosed()
                                       << ", sets " << query->SetsOpened() << "/" << query->SetsClosed()
                                       << ", misuses " << query->Misuses();
        return listed;
    }

    MachineBuilder machine;
    std::unique_ptr<SimulatedDriveQuery> query;
};

TEST_F(UsbScan, NoDriveStringsListsNothing) {
    EXPECT_EQ(Scan(), L"");
    machine.UsbStick(L'E', 1);
    machine.table.failures |= kFailDriveStrings;
    EXPECT_EQ(Scan(), L"");
    EXPECT_TRUE(query->VolumeOpens().empty());
}

TEST_F(UsbScan, LettersFollowTheOrderOfTheDriveStrings) {
    machine.SataDisk(L'C', 0).UsbStick(L'D', 1).SataDisk(L'E', 2).UsbStick(L'F', 3);
    EXPECT_EQ(Scan(), L"DF");
    machine = MachineBuilder();
    machine.UsbStick(L'F', 3).UsbStick(L'D', 1);
    EXPECT_EQ(Scan(), L"FD");
}

TEST_F(UsbScan, FixedUsbDiskIsListedAndCdRomNever) {
    machine.Drive(L'G', 4, DRIVE_FIXED, L"USB\\VID_174C&PID_55AA\\1");
    machine.Drive(L'H', 5, DRIVE_CDROM, L"USB\\VID_13FD&PID_0840\\2");
    machine.Drive(L'I', 6, DRIVE_REMOTE, L"USB\\VID_0001&PID_0001\\3");
    EXPECT_EQ(Scan(), L"G");
}

TEST_F(UsbScan, LowerCaseUsbInTheParentIdentifierIsFound) {
    machine.Drive(L'E', 1, DRIVE_REMOVABLE, L"usb\\vid_0781&pid_5567\\x");
    machine.Drive(L'F', 2, DRIVE_REMOVABLE, L"ROOT\\SUBSYSTEM_usbstor\\0");
    machine.Drive(L'G', 3, DRIVE_REMOVABLE, L"PCI\\VEN_8086&DEV_A102\\U_S_B");
    EXPECT_EQ(Scan(), L"EF");
}

TEST_F(UsbScan, UsbFloppyIsMatchedAmongFloppyInterfaces) {
    machine.Drive(L'A', 9, DRIVE_REMOVABLE, L"USB\\VID_0644&PID_0000\\9", true);  // A: is never a candidate
    machine.Drive(L'E', 1, DRIVE_REMOVABLE, L"USB\\VID_0644&PID_0000\\1", true);
    EXPECT_EQ(Scan(), L"E");
}

TEST_F(UsbScan, FloppyIsRecognisedByItsCaseSensitiveDeviceName) {
    // "\floppy" is not "\Floppy": the disk interfaces are searched, and the
    // floppy's interface is not among them.
    machine.Drive(L'E', 1, DRIVE_REMOVABLE, L"USB\\VID_0644&PID_0000\\1", true);
    machine.DriveOf(L'E').dosName = L"\\Device\\floppy0";
    EXPECT_EQ(Scan(), L"");
}

TEST_F(UsbScan, FixedDriveNamedFloppyStillUsesDiskInterfaces) {
    machine.Drive(L'E', 1, DRIVE_FIXED, L"USB\\VID_1&PID_2\\1");
    machine.DriveOf(L'E').dosName = L"\\Device\\Floppy0";
    EXPECT_EQ(Scan(), L"E");
}

TEST_F(UsbScan, DrivesAAndBAreNeverOpened) {
    machine.UsbStick(L'A', 1).UsbStick(L'B', 2).UsbStick(L'C', 3);
    EXPECT_EQ(Scan(), L"C");
    ASSERT_EQ(query->VolumeOpens().size(), 1u);
    EXPECT_EQ(query->VolumeOpens()[0], L"\\\\?\\C:");
}

TEST_F(UsbScan, FailingDeviceNumberQueryClosesItsVolumeHandle) {
    machine.UsbStick(L'E', 1).UsbStick(L'F', 2);
    machine.DriveOf(L'E').failures = kFailDeviceNumber;
    EXPECT_EQ(Scan(), L"F");
    EXPECT_EQ(query->HandlesOpened(), 4);  // E's volume; F's volume and both disk interfaces
    EXPECT_EQ(query->HandlesClosed(), 4);
}

TEST_F(UsbScan, AtMostOneHandleIsOpenAtATime) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2).SataDisk(L'C', 0);
    machine.Interface(7).Interface(8);  // disks without volumes, searched first
    EXPECT_EQ(Scan(), L"DE");
    EXPECT_EQ(query->PeakOpenHandles(), 1);
}

TEST_F(UsbScan, FirstMatchingInterfaceWins) {
    machine.UsbStick(L'E', 5);
    // An earlier interface claiming number 5 whose device is not on USB.
    SimulatedInterface decoy = machine.InterfaceOf(5);
    decoy.devicePath += L"#decoy";
    decoy.instance = 999;
    machine.table.interfaces.insert(machine.table.interfaces.begin(), decoy);
    SimulatedDevice node;
    node.instance = 999;
    node.parent = 998;
    machine.table.devices.push_back(node);
    SimulatedDevice parent;
    parent.instance = 998;
    parent.id = L"PCI\\VEN_1&DEV_2";
    machine.table.devices.push_back(parent);
    EXPECT_EQ(Scan(), L"");
}

TEST_F(UsbScan, OversizedInterfaceDetailIsSkippedForTheNext) {
    machine.UsbStick(L'E', 1);
    SimulatedInterface huge = machine.InterfaceOf(1);
    huge.devicePath = L"\\\\?\\" + std::wstring(600, L'x');  // > 1,024 bytes of detail
    machine.table.interfaces.insert(machine.table.interfaces.begin(), huge);
    EXPECT_EQ(Scan(), L"E");
}

TEST_F(UsbScan, IdentifierTooLongForItsBufferIsNotReadPastTheEnd) {
    machine.Drive(L'E', 1, DRIVE_REMOVABLE, L"USB" + std::wstring(257, L'x'));  // 260 units
    machine.Drive(L'F', 2, DRIVE_REMOVABLE, std::wstring(256, L'x') + L"USB");  // 259 units
    EXPECT_EQ(Scan(), L"F");
}

TEST_F(UsbScan, SixteenthAndLaterUsbVolumesAreIgnored) {
    for (wchar_t letter = L'C'; letter <= L'Z'; ++letter) machine.UsbStick(letter, static_cast<DWORD>(letter - L'C'));
    EXPECT_EQ(Scan(), L"CDEFGHIJKLMNOPQ");
    EXPECT_EQ(query->VolumeOpens().size(), 15u);
}

TEST_F(UsbScan, NonUsbDrivesDoNotUseUpSlots) {
    for (wchar_t letter = L'C'; letter <= L'R'; ++letter) machine.SataDisk(letter, static_cast<DWORD>(letter - L'C'));
    machine.UsbStick(L'Y', 40).UsbStick(L'Z', 41);
    EXPECT_EQ(Scan(), L"YZ");
}

// Each way a letter can fail: the letter is dropped, its neighbours are kept,
// and nothing stays open.
struct FailureCase {
    const char* name;
    void (*apply)(MachineBuilder&);  // breaks drive E (device number 2)
};

class UsbScanFailure : public UsbScan, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(UsbScanFailure, DropsOnlyTheLetterAndReleasesEverything) {
    machine.UsbStick(L'D', 1).UsbStick(L'E', 2).UsbStick(L'F', 3);
    GetParam().apply(machine);
    EXPECT_EQ(Scan(), L"DF");
}

const FailureCase kFailureCases[] = {
    {"VolumeOpen", [](MachineBuilder& m) { m.DriveOf(L'E').failures = kFailOpen; }},
    {"VolumeDeviceNumber", [](MachineBuilder& m) { m.DriveOf(L'E').failures = kFailDeviceNumber; }},
    {"DosDeviceName", [](MachineBuilder& m) { m.DriveOf(L'E').failures = kFailDosName; }},
    {"DosDeviceNameTooLong", [](MachineBuilder& m) { m.DriveOf(L'E').dosName = std::wstring(300, L'd'); }},
    {"DriveTypeUnknown", [](MachineBuilder& m) { m.DriveOf(L'E').type = DRIVE_UNKNOWN; }},
    {"DriveTypeRamDisk", [](MachineBuilder& m) { m.DriveOf(L'E').type = DRIVE_RAMDISK; }},
    {"InterfaceDetailSize", [](MachineBuilder& m) { m.InterfaceOf(2).failures = kFailDetailSize; }},
    {"InterfaceDetail", [](MachineBuilder& m) { m.InterfaceOf(2).failures = kFailDetail; }},
    {"InterfaceOpen", [](MachineBuilder& m) { m.InterfaceOf(2).failures = kFailOpen; }},
    {"InterfaceDeviceNumber", [](MachineBuilder& m) { m.InterfaceOf(2).failures = kFailDeviceNumber; }},
    {"NoInterface", [](MachineBuilder& m) { m.InterfaceOf(2).deviceNumber = 77; }},
    {"NoParent", [](MachineBuilder& m) { m.Node(DiskNode(2)).failures = kFailParent; }},
    {"NoParentId", [](MachineBuilder& m) { m.Node(ParentNode(2)).failures = kFailDeviceId; }},
    {"ParentNotUsb", [](MachineBuilder& m) { m.Node(ParentNode(2)).id = L"PCI\\VEN_8086&DEV_2822\\3"; }},
};

INSTANTIATE_TEST_SUITE_P(EachQuery, UsbScanFailure, ::testing::ValuesIn(kFailureCases),
                         [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(UsbScan, FailingInterfaceSetDropsEveryDriveOfItsClass) {
    machine.UsbStick(L'D', 1).Drive(L'E', 2, DRIVE_REMOVABLE, L"USB\\VID_0644\\2", true);
    machine.table.failures |= kFailDiskInterfaces;
    EXPECT_EQ(Scan(), L"E");
    machine.table.failures = kFailFloppyInterfaces;
    EXPECT_EQ(Scan(), L"D");
}

TEST(FindDeviceInstance, DriveTypeWithoutAnInterfaceClassOpensNothing) {
    MachineBuilder machine;
    machine.UsbStick(L'E', 1);
    SimulatedDriveQuery query(machine.table);
    EXPECT_EQ(FindDeviceInstance(query, 1, DRIVE_CDROM, L"\\Device\\CdRom0"), 0u);
    EXPECT_EQ(FindDeviceInstance(query, 1, DRIVE_REMOTE, nullptr), 0u);
    EXPECT_EQ(query.SetsOpened(), 0);
    EXPECT_EQ(FindDeviceInstance(query, 1, DRIVE_REMOVABLE, nullptr), DiskNode(1));
    EXPECT_EQ(FindDeviceInstance(query, 2, DRIVE_FIXED, L"\\Device\\HarddiskVolume2"), 0u);
    EXPECT_TRUE(query.Balanced());
}

}  // namespace
}  // namespace drives
