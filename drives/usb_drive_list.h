// UsbDriveList: the main window's table of USB drives (letter, total and free
// MB per slot, the count and a has-drives flag) and the queries the window
// asks about one drive. The drive letters come first, in the system's
// order; then USB sticks that have no volume with a letter (a stick whose
// partition the system cannot mount, or that has none), each by its disk
// number and size, so that it can be made whole. It knows no window: Rebuild takes a callback for
// emptying whatever list shows the drives.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include "drives/drive_query.h"
#include "drives/usb_scan.h"
#include "facet/core/dui_string.h"

namespace drives {

class UsbDriveList {
public:
    explicit UsbDriveList(DriveQuery& query);
    UsbDriveList(const UsbDriveList&) = delete;
    UsbDriveList& operator=(const UsbDriveList&) = delete;

    // Scans afresh and reads each USB drive's sizes, label and file system,
    // then adds the sticks without a letter (at most kMaxUsbDrives in all).
    // clearShownList, when given, runs after the table is cleared and before
    // the scan (the window empties its drive combo there). Prints the count
    // to the trace stream.
    void Rebuild(const std::function<void()>& clearShownList = nullptr);

    // Total and free MB of the drive, and the current cluster size in bytes
    // (CurrentClusterSize); on failure all stay untouched.
    void QuerySizes(wchar_t letter, std::uint32_t& totalMb, std::uint32_t& freeMb);
    // QuerySizes of the drive in slot `index` into that slot; false (and no
    // change) when index is not below Count().
    bool QueryEntrySizes(int index);
    // On success the current label / file-system name becomes the drive's and
    // the result is true; on failure the previous text stays.
    bool QueryLabel(wchar_t letter);
    bool QueryFileSystemName(wchar_t letter);
    // Whether the letter is a USB drive now, and who it is (IdentifyUsbDrive).
    IdentifyStatus Identify(wchar_t letter, DriveIdentity& identity);

    // Takes slot `index` out: later slots move down one, the last used slot
    // becomes empty and the count drops by one. Ignored outside 0..Count()-1.
    void RemoveEntry(int index);

    int Count() const { return count_; }
    // The queries the table is read with.
    DriveQuery& Query() { return query_; }
    // The disk the slot's volume lies on (or the slot's stick without a
    // letter), kNoDisk when unknown or outside 0..Count()-1.
    DWORD Disk(int index) const;
    // The slot of a volume on disk `number` (a lettered one first), or -1.
    int IndexOfDisk(DWORD number) const;
    bool HasDrives() const { return hasDrives_; }
    // The slot's letter, or kEndOfLetters outside 0..Count()-1.
    wchar_t Letter(int index) const;
    std::uint32_t TotalMb(int index) const;
    std::uint32_t FreeMb(int index) const;
    // The slot holding the letter among the first Count(), or -1; kNoLetter
    // finds none.
    int IndexOf(wchar_t letter) const;
    const Facet::CDuiString& CurrentLabel() const { return label_; }
    const Facet::CDuiString& CurrentFileSystemName() const { return fileSystemName_; }
    // Bytes per sector times sectors per cluster of the last sized drive.
    const Facet::CDuiString& CurrentClusterSize() const { return clusterSize_; }

    // Where Rebuild prints the count (standard output unless changed; null
    // prints nothing).
    void SetTrace(std::FILE* trace) { trace_ = trace; }

private:
    bool ValidIndex(int index) const { return index >= 0 && index < count_; }
    void AddSticksWithoutLetter();

    DriveQuery& query_;
    std::uint32_t totalMb_[kLetterSlots] = {};
    std::uint32_t freeMb_[kLetterSlots] = {};
    wchar_t letters_[kLetterSlots];
    DWORD disks_[kLetterSlots] = {};
    bool hasDrives_ = false;
    Facet::CDuiString label_;
    Facet::CDuiString fileSystemName_;
    Facet::CDuiString clusterSize_;
    int count_ = 0;
    std::FILE* trace_ = stdout;
};

}  // namespace drives
