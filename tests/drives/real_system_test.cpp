// The Win32 drive queries against the machine the tests run on (under Wine:
// Wine's own drives). Whatever the machine has, the scan must not crash,
// must release every handle and interface set, and must list only letters
// that exist. What the system reported is printed for the record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "drives/usb_drive_list.h"
#include "drives/usb_scan.h"
#include "drives/win32_drive_query.h"

namespace drives {
namespace {

// Forwards to the system and counts what it opens and closes.
class CountingQuery : public Win32DriveQuery {
public:
    HANDLE OpenVolume(const wchar_t* path) override { return Count(Win32DriveQuery::OpenVolume(path)); }
    HANDLE OpenDeviceInterface(const wchar_t* path) override {
        return Count(Win32DriveQuery::OpenDeviceInterface(path));
    }
    void CloseDeviceHandle(HANDLE handle) override {
        ++handlesClosed;
        Win32DriveQuery::CloseDeviceHandle(handle);
    }
    HDEVINFO OpenInterfaceSet(const GUID& interfaceClass) override {
        HDEVINFO set = Win32DriveQuery::OpenInterfaceSet(interfaceClass);
        if (set != INVALID_HANDLE_VALUE) ++setsOpened;
        return set;
    }
    void CloseInterfaceSet(HDEVINFO set) override {
        ++setsClosed;
        Win32DriveQuery::CloseInterfaceSet(set);
    }

    int handlesOpened = 0, handlesClosed = 0, setsOpened = 0, setsClosed = 0;

private:
    HANDLE Count(HANDLE handle) {
        if (handle != INVALID_HANDLE_VALUE) ++handlesOpened;
        return handle;
    }
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t ch : text) out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

// What the system says about each of its drives, one line per letter.
std::string DescribeDrives(DriveQuery& query) {
    wchar_t strings[120] = {};
    query.LogicalDriveStrings(120, strings);
    std::string report;
    for (const wchar_t* entry = strings; *entry; entry += 4) {
        wchar_t volume[] = L"\\\\?\\C:";
        volume[4] = entry[0];
        std::string line = Narrow(entry) + " type " + std::to_string(query.DriveType(entry));
        const HANDLE handle = query.OpenVolume(volume);
        if (handle == INVALID_HANDLE_VALUE) {
            line += ", volume open failed (" + std::to_string(::GetLastError()) + ")";
        } else {
            STORAGE_DEVICE_NUMBER number{};
            if (query.StorageDeviceNumber(handle, number))
                line += ", device number " + std::to_string(number.DeviceNumber);
            else
                line += ", device number query failed (" + std::to_string(::GetLastError()) + ")";
            query.CloseDeviceHandle(handle);
        }
        report += "  " + line + "\n";
    }
    return report;
}

TEST(RealSystem, ScanReleasesEverythingAndListsExistingLettersOnly) {
    CountingQuery query;
    DWORD handlesBefore = 0;
    // Wine answers the handle count with 0; only a real count is compared.
    const bool haveHandleCount =
        ::GetProcessHandleCount(::GetCurrentProcess(), &handlesBefore) != FALSE && handlesBefore != 0;

    wchar_t letters[kLetterSlots];
    ScanUsbDrives(query, letters);

    EXPECT_EQ(query.handlesOpened, query.handlesClosed);
    EXPECT_EQ(query.setsOpened, query.setsClosed);
    const DWORD present = ::GetLogicalDrives();
    int listed = 0;
    while (listed < kLetterSlots && letters[listed] != kEndOfLetters) {
        const wchar_t letter = letters[listed];
        ASSERT_TRUE(letter >= L'C' && letter <= L'Z') << "slot " << listed;
        EXPECT_TRUE(present & (1u << (letter - L'A'))) << Narrow(std::wstring(1, letter)) << ": not a drive";
        ++listed;
    }
    ASSERT_LT(listed, kLetterSlots);
    DWORD handlesAfter = 0;
    if (haveHandleCount) {
        ::GetProcessHandleCount(::GetCurrentProcess(), &handlesAfter);
        EXPECT_EQ(handlesAfter, handlesBefore);
    }

    std::printf("USB letters: %s (volume/device handles %d opened, %d closed; interface sets %d opened, %d closed)\n",
                listed ? Narrow(std::wstring(letters, static_cast<std::size_t>(listed))).c_str() : "none",
                query.handlesOpened, query.handlesClosed, query.setsOpened, query.setsClosed);
    std::printf("Process handles before/after the scan: %lu/%lu%s\n", handlesBefore, handlesAfter,
                haveHandleCount ? "" : " (not reported)");
    std::printf("System drives:\n%s", DescribeDrives(query).c_str());
}

TEST(RealSystem, RebuildAgreesWithTheScan) {
    Win32DriveQuery query;
    UsbDriveList list(query);
    list.SetTrace(nullptr);
    list.Rebuild();
    wchar_t letters[kLetterSlots];
    ScanUsbDrives(query, letters);
    int count = 0;
    while (letters[count] != kEndOfLetters) ++count;
    EXPECT_EQ(list.Count(), count);
    EXPECT_EQ(list.HasDrives(), count > 0);
    for (int i = 0; i < count; ++i) EXPECT_EQ(list.Letter(i), letters[i]);
}

TEST(RealSystem, SizeLabelAndFileSystemOfTheSystemDrive) {
    // Not a USB drive, but the queries work for any letter.
    Win32DriveQuery query;
    UsbDriveList list(query);
    const UINT original = ::SetErrorMode(SEM_NOOPENFILEERRORBOX);
    std::uint32_t total = 0, free = 0;
    list.QuerySizes(L'C', total, free);
    EXPECT_EQ(::SetErrorMode(original), static_cast<UINT>(SEM_NOOPENFILEERRORBOX))
        << "the size query must restore the error mode";
    const bool label = list.QueryLabel(L'C');
    const bool fileSystem = list.QueryFileSystemName(L'C');
    std::printf("C: %u MB total, %u MB free, label %s \"%s\", file system %s \"%s\"\n", total, free,
                label ? "read" : "failed", Narrow(list.CurrentLabel().GetData()).c_str(),
                fileSystem ? "read" : "failed", Narrow(list.CurrentFileSystemName().GetData()).c_str());
    EXPECT_GE(total, free);
}

}  // namespace
}  // namespace drives
