// The USB scan: which drive letters lie on USB storage. A volume is mapped to
// its disk by storage device number, the disk to its device node through the
// interfaces of its class, and the letter is kept when the disk's parent
// identifier contains "USB". Every failure only drops the letter in hand.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "drives/drive_query.h"

namespace drives {

// Who stands behind a drive letter: the storage device number of its disk,
// the instance identifier of the USB device above it, the disk's media change
// count (when the driver keeps one) and the volume's serial number. A stick
// pulled and another plugged in under the same letter, or a card swapped in a
// reader, differs in at least one of them.
struct DriveIdentity {
    DWORD deviceNumber = 0;
    std::wstring instanceId;
    bool deviceGuidKnown = false;
    std::array<std::uint8_t, 16> deviceGuid{};
    bool mediaChangesKnown = false;
    DWORD mediaChanges = 0;
    DWORD volumeSerial = 0;

    bool operator==(const DriveIdentity& other) const {
        return deviceNumber == other.deviceNumber && instanceId == other.instanceId &&
               deviceGuidKnown == other.deviceGuidKnown && deviceGuid == other.deviceGuid &&
               mediaChangesKnown == other.mediaChangesKnown &&
               mediaChanges == other.mediaChanges && volumeSerial == other.volumeSerial;
    }
    bool operator!=(const DriveIdentity& other) const { return !(*this == other); }
};

// What reading a drive's identity found. A volume that cannot be read is not
// another stick: one held by another program is in use, one that does not
// answer is not ready, and a process without an administrator's rights may
// not read any; a boot sector that no file system signs has serial number 0.
enum class IdentifyStatus { Found, NotUsb, InUse, NotReady, NeedsAdmin };

// Whether the letter is a USB drive now (as the scan would judge it), and who
// it is. A serial number that cannot be read for a passing reason is asked
// again a few times first.
IdentifyStatus IdentifyUsbDrive(DriveQuery& query, wchar_t letter, DriveIdentity& identity);

// Slots of the letter column; the first slot holding kEndOfLetters ends the
// list, so at most kMaxUsbDrives letters are kept.
inline constexpr int kLetterSlots = 16;
inline constexpr int kMaxUsbDrives = kLetterSlots - 1;
inline constexpr wchar_t kEndOfLetters = L'A';
// The letter of a listed stick that has no volume with a letter.
inline constexpr wchar_t kNoLetter = L'\0';
inline constexpr DWORD kNoDisk = 0xFFFFFFFF;

// Rewrites all slots: the USB letters in the order the system lists its
// drives, then kEndOfLetters. A 16th and later USB volume is not listed.
void ScanUsbDrives(DriveQuery& query, wchar_t (&letters)[kLetterSlots]);

// The device node of the disk with this storage device number among the
// present interfaces of the class that the drive type and DOS device name
// call for; 0 when there is none.
DEVINST FindDeviceInstance(DriveQuery& query, DWORD deviceNumber, UINT driveType, const wchar_t* dosDeviceName);

// Visits the present interfaces of the class with the storage device number
// each reports and its device node, until `visit` returns false. An
// interface that cannot be opened or asked is passed over.
void ForEachInterface(DriveQuery& query, const GUID& interfaceClass,
                      const std::function<bool(DWORD deviceNumber, DEVINST instance)>& visit);

// The storage device numbers of the present disks whose parent device's
// identifier contains "USB", in the order the system lists them: sticks with
// or without a volume the system mounted.
std::vector<DWORD> UsbDiskNumbers(DriveQuery& query);

// The identifier of the USB device above disk `number` (its parent, whose
// identifier holds "USB"): who the stick is, as the system names it. False
// when the disk is not present on USB.
bool UsbInstanceIdOfDisk(DriveQuery& query, DWORD number, std::wstring& id);

}  // namespace drives
