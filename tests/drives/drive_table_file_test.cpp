// The simulated-drive file: every record and field read as written, the
// shipped sample scanned end to end, and each malformed line refused with its
// number while the caller's table stays as it was.
#include "simulated_windows/drive_table_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "simulated_windows/simulated_drive_query.h"
#include "drives/usb_drive_list.h"

namespace drives {
namespace {

SimulatedDriveTable Parsed(const std::string& text) {
    SimulatedDriveTable table;
    std::string error;
    EXPECT_TRUE(ParseDriveTable(text, table, error)) << error;
    return table;
}

TEST(DriveTableFile, DriveRecordWithEveryField) {
    const SimulatedDriveTable table = Parsed(
        "drive e: type=removable number=7 dos=\\Device\\HarddiskVolume9 sectors=8 bytes=512 "
        "clusters=1962243 free=12 label=\"MY STICK\" fs=FAT32 fail=space,volume\n");
    ASSERT_EQ(table.drives.size(), 1u);
    const SimulatedDrive& d = table.drives[0];
    EXPECT_EQ(d.letter, L'E');
    EXPECT_EQ(d.type, static_cast<UINT>(DRIVE_REMOVABLE));
    EXPECT_EQ(d.deviceNumber, 7u);
    EXPECT_EQ(d.dosName, L"\\Device\\HarddiskVolume9");
    EXPECT_EQ(d.sectorsPerCluster, 8u);
    EXPECT_EQ(d.bytesPerSector, 512u);
    EXPECT_EQ(d.totalClusters, 1962243u);
    EXPECT_EQ(d.freeClusters, 12u);
    EXPECT_EQ(d.label, L"MY STICK");
    EXPECT_EQ(d.fileSystem, L"FAT32");
    EXPECT_EQ(d.failures, static_cast<unsigned>(kFailDiskSpace | kFailVolumeInfo));
}

// The conditions of a stick's world, and the older failure names that stand
// for them.
TEST(DriveTableFile, ConditionsOfTheWorld) {
    const SimulatedDriveTable table = Parsed(
        "user standard\n"
        "drive E: type=removable held=lock state=raw,write-protected pulled-at-write=3 swap=Z:\\b.img delay=5\n"
        "drive F: type=removable fail=lock,in-use,raw state=pulled-at-unlock held=open,exclusive\n");
    EXPECT_FALSE(table.elevated);
    ASSERT_EQ(table.drives.size(), 2u);
    EXPECT_EQ(table.drives[0].failures, static_cast<unsigned>(kHeldLocked | kFailRaw | kWriteProtected));
    EXPECT_EQ(table.drives[0].pulledAtWrite, 3u);
    EXPECT_EQ(table.drives[0].swapImage, L"Z:\\b.img");
    EXPECT_EQ(table.drives[0].writeDelayMs, 5u);
    EXPECT_EQ(table.drives[1].failures, static_cast<unsigned>(kFailLock | kFailInUse | kFailRaw | kPulledAtUnlock));
    EXPECT_TRUE(Parsed("").elevated);
}

TEST(DriveTableFile, InterfaceDeviceAndMachineRecords) {
    const SimulatedDriveTable table = Parsed(
        "interface floppy \"\\\\?\\fdc#generic floppy#1\" instance=11 number=3 fail=detail-size\n"
        "device 11 parent=21 fail=parent,id\n"
        "device 21 id=USB\\VID_0644&PID_0000\\1\n"
        "fail drive-strings\n"
        "fail disk-interfaces\n");
    ASSERT_EQ(table.interfaces.size(), 1u);
    EXPECT_TRUE(table.interfaces[0].floppy);
    EXPECT_EQ(table.interfaces[0].devicePath, L"\\\\?\\fdc#generic floppy#1");
    EXPECT_EQ(table.interfaces[0].instance, 11u);
    EXPECT_EQ(table.interfaces[0].deviceNumber, 3u);
    EXPECT_EQ(table.interfaces[0].failures, static_cast<unsigned>(kFailDetailSize));
    ASSERT_EQ(table.devices.size(), 2u);
    EXPECT_EQ(table.devices[0].parent, 21u);
    EXPECT_EQ(table.devices[0].failures, static_cast<unsigned>(kFailParent | kFailDeviceId));
    EXPECT_EQ(table.devices[1].id, L"USB\\VID_0644&PID_0000\\1");
    EXPECT_EQ(table.failures, static_cast<unsigned>(kFailDriveStrings | kFailDiskInterfaces));
}

TEST(DriveTableFile, CommentsBlankLinesCrLfByteOrderMarkAndUtf8) {
    const SimulatedDriveTable table = Parsed(
        "\xEF\xBB\xBF# a comment\r\n"
        "\r\n"
        "   # an indented comment\r\n"
        "drive F type=2 label=\xE5\xA4\x87\xE4\xBB\xBD\r\n"
        "drive G: type=fixed");
    ASSERT_EQ(table.drives.size(), 2u);
    EXPECT_EQ(table.drives[0].label, L"\x5907\x4EFD");
    EXPECT_EQ(table.drives[0].type, 2u);
    EXPECT_EQ(table.drives[1].letter, L'G');
}

TEST(DriveTableFile, DrivesKeepTheFileOrder) {
    const SimulatedDriveTable table = Parsed("drive F: type=fixed\ndrive D: type=fixed\n");
    ASSERT_EQ(table.drives.size(), 2u);
    EXPECT_EQ(table.drives[0].letter, L'F');
    EXPECT_EQ(table.drives[1].letter, L'D');
}

// The build copies the sample beside the test program.
std::wstring SamplePath() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    directory.resize(directory.find_last_of(L"\\/") + 1);
    return directory + L"sample-drives.txt";
}

TEST(DriveTableFile, ShippedSampleListsItsUsbDrives) {
    SimulatedDriveTable table;
    std::string error;
    ASSERT_TRUE(LoadDriveTable(SamplePath().c_str(), table, error)) << error;
    EXPECT_EQ(table.systemDrive, L'C');
    EXPECT_TRUE(table.pageFiles == std::vector<std::wstring>{L"\\??\\C:\\pagefile.sys"});
    SimulatedDriveQuery query(table);
    UsbDriveList list(query);
    list.SetTrace(nullptr);
    list.Rebuild();
    ASSERT_EQ(list.Count(), 4);
    EXPECT_EQ(std::wstring({list.Letter(0), list.Letter(1), list.Letter(2), list.Letter(3)}), L"EFGH");
    EXPECT_EQ(list.TotalMb(0), 7665u);
    EXPECT_EQ(list.TotalMb(1), 29476u);
    EXPECT_EQ(list.TotalMb(2), 7630956u);
    EXPECT_EQ(list.TotalMb(3), 0u);  // the card reader has no medium
    EXPECT_TRUE(list.QueryLabel(L'G'));
    EXPECT_TRUE(list.CurrentLabel() == L"\x5907\x4EFD");
    EXPECT_TRUE(query.Balanced());
}

TEST(DriveTableFile, MissingFileIsRefusedByName) {
    SimulatedDriveTable table;
    table.failures = kFailDriveStrings;
    std::string error;
    EXPECT_FALSE(LoadDriveTable(L"Z:\\no\\such\\drives.txt", table, error));
    EXPECT_EQ(error, "cannot open Z:\\no\\such\\drives.txt");
    EXPECT_EQ(table.failures, static_cast<unsigned>(kFailDriveStrings));
    EXPECT_FALSE(LoadDriveTable(nullptr, table, error));
}

struct Malformed {
    const char* name;
    const char* text;
    const char* error;
};

class DriveTableFileRefuses : public ::testing::TestWithParam<Malformed> {};

TEST_P(DriveTableFileRefuses, NamesTheLineAndKeepsTheTable) {
    SimulatedDriveTable table;
    table.drives.resize(1);
    table.drives[0].letter = L'Q';
    std::string error;
    EXPECT_FALSE(ParseDriveTable(GetParam().text, table, error));
    EXPECT_EQ(error, GetParam().error);
    ASSERT_EQ(table.drives.size(), 1u);
    EXPECT_EQ(table.drives[0].letter, L'Q');
    EXPECT_TRUE(table.interfaces.empty());
}

const Malformed kMalformed[] = {
    {"UnknownRecord", "drive C: type=fixed\nfolder E:\n", "line 2: unknown record 'folder'"},
    {"VolumeWithoutPartition", "drive C: type=fixed\nvolume number=1\n", "line 2: volume needs number= and partition= of a disk"},
    {"DiskWithoutImage", "disk 1 bus=usb\n", "line 1: disk 1 needs image="},
    {"UnknownBus", "disk 1 image=x bus=firewire\n", "line 1: unknown bus 'firewire'"},
    {"DuplicateDisk", "disk 1 image=x\ndisk 1 image=y\n", "line 2: disk 1 is listed twice"},
    {"UnknownField", "drive E: type=fixed colour=red\n", "line 1: unknown field 'colour' for drive"},
    {"MissingType", "# machine\ndrive E: number=1\n", "line 2: drive E: needs type="},
    {"UnknownType", "drive E: type=floppy\n", "line 1: unknown drive type 'floppy'"},
    {"NotALetter", "drive 5: type=fixed\n", "line 1: '5:' is not a drive letter"},
    {"NoLetter", "drive\n", "line 1: drive needs a value after the keyword"},
    {"DuplicateDrive", "drive E: type=fixed\ndrive e type=fixed\n", "line 2: drive e is listed twice"},
    {"NegativeNumber", "drive E: type=fixed number=-1\n", "line 1: number must be a number from 0 to 4294967295"},
    {"NumberTooBig", "drive E: type=fixed clusters=4294967296\n",
     "line 1: clusters must be a number from 0 to 4294967295"},
    {"OpenQuote", "drive E: type=fixed label=\"MY STICK\n", "line 1: a double quote is not closed"},
    {"FieldTwice", "drive E: type=fixed type=removable\n", "line 1: field 'type' is given twice"},
    {"NotAField", "drive E: type=fixed removable\n", "line 1: expected name=value, found 'removable'"},
    {"UnknownFailure", "drive E: type=fixed fail=space,size\n", "line 1: unknown failure 'size'"},
    {"EmptyFailure", "drive E: type=fixed fail=open,\n", "line 1: unknown failure ''"},
    {"InterfaceWithoutInstance", "interface disk \\\\?\\x number=1\n",
     "line 1: interface needs instance= other than 0"},
    {"InterfaceClass", "interface cdrom \\\\?\\x instance=1\n", "line 1: interface class must be disk or floppy"},
    {"InterfaceWithoutPath", "interface disk\n",
     "line 1: interface needs a class (disk or floppy) and a device path"},
    {"DuplicatePath", "interface disk \\\\?\\X instance=1\ninterface floppy \\\\?\\x instance=2\n",
     "line 2: device path is listed twice"},
    {"DeviceZero", "device 0 id=USB\n", "line 1: device instance 0 stands for no device"},
    {"DuplicateDevice", "device 3 id=A\ndevice 3 id=B\n", "line 2: device 3 is listed twice"},
    {"GlobalFailureWithField", "fail drive-strings now=1\n", "line 1: fail takes one name and no fields"},
    {"UnknownHolder", "drive E: type=fixed held=virus\n", "line 1: unknown failure 'virus'"},
    {"UnknownState", "drive E: type=fixed state=wet\n", "line 1: unknown failure 'wet'"},
    {"UnknownUser", "user guest\n", "line 1: user is administrator or standard"},
    {"SystemNotALetter", "system Windows\n", "line 1: system takes the Windows folder's drive letter, as C:"},
    {"PageFileWithField", "pagefile C:\\pagefile.sys size=4\n",
     "line 1: pagefile takes one path, as C:\\pagefile.sys, and no fields"},
    {"InvalidUtf8", "drive E: type=fixed\ndrive F: type=fixed label=\xC3\x28\n", "line 2: label is not valid UTF-8"},
    {"FaultAfterGoodLines", "drive C: type=fixed\ndrive D: type=fixed\n\n# ok so far\ndrive E: type=?\n",
     "line 5: unknown drive type '?'"},
};

INSTANTIATE_TEST_SUITE_P(EachFault, DriveTableFileRefuses, ::testing::ValuesIn(kMalformed),
                         [](const ::testing::TestParamInfo<Malformed>& info) { return info.param.name; });

}  // namespace
}  // namespace drives
