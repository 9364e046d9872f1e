// The USB scan and the device-instance look-up. Buffers have the sizes the
// system calls are known to need; every handle and interface set is held by
// an owner from query_owners.h, so each early return releases it.
#include "drives/usb_scan.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <iterator>

#include "devices/medium_identity.h"
#include "drives/query_owners.h"

namespace drives {

namespace {

constexpr DWORD kDriveStringUnits = 120;
constexpr DWORD kDriveEntryUnits = 4;  // "X:\" and its NUL
constexpr DWORD kDosNameUnits = 260;
constexpr ULONG kDeviceIdUnits = 260;
constexpr DWORD kDetailBytes = 1024;
// A stick that was just plugged in may not answer at once.
constexpr int kIdentifyAttempts = 3;
constexpr DWORD kIdentifyRetryMilliseconds = 200;

const GUID* InterfaceClassFor(UINT driveType, const wchar_t* dosDeviceName) {
    switch (driveType) {
        case DRIVE_REMOVABLE:
            if (dosDeviceName && std::wcsstr(dosDeviceName, L"\\Floppy")) return &kFloppyInterfaceClass;
            return &kDiskInterfaceClass;
        case DRIVE_FIXED:
            return &kDiskInterfaceClass;
        default:
            return nullptr;
    }
}

// Upper-cases a to z only: device identifiers are ASCII, and the user's
// locale must not change what matches.
bool MentionsUsb(wchar_t* id) {
    for (wchar_t* p = id; *p; ++p) {
        if (*p >= L'a' && *p <= L'z') *p = static_cast<wchar_t>(*p - L'a' + L'A');
    }
    return std::wcsstr(id, L"USB") != nullptr;
}

// CM_Get_Device_IDW stores an identifier that fills the buffer exactly
// without a terminator; holding one unit back keeps the text terminated.
// `parentId` receives the identifier as the system gave it.
bool ParentIdMentionsUsb(DriveQuery& query, DEVINST instance, std::wstring* parentId) {
    DEVINST parent = 0;
    if (query.ParentDevice(parent, instance) != CR_SUCCESS) return false;
    wchar_t id[kDeviceIdUnits] = {};
    if (query.DeviceId(parent, id, kDeviceIdUnits - 1) != CR_SUCCESS) return false;
    if (parentId) *parentId = id;
    return MentionsUsb(id);
}

bool VolumeDeviceNumber(DriveQuery& query, wchar_t letter, DWORD& deviceNumber) {
    wchar_t volumePath[] = L"\\\\?\\C:";
    volumePath[4] = letter;
    const QueryHandle volume(query, query.OpenVolume(volumePath));
    if (!volume.valid()) return false;
    STORAGE_DEVICE_NUMBER number{};
    if (!query.StorageDeviceNumber(volume.get(), number)) return false;
    deviceNumber = number.DeviceNumber;
    return true;
}

// `identity`, when given, receives the device number and the USB device's
// identifier (not the volume serial number).
bool IsUsbLetter(DriveQuery& query, wchar_t letter, DriveIdentity* identity = nullptr) {
    // The type comes first: it costs nothing, while opening a disconnected
    // network drive waits for the network's timeout and opening an optical
    // drive spins it up, and neither kind is ever listed.
    wchar_t rootPath[] = L"C:\\";
    rootPath[0] = letter;
    const UINT driveType = query.DriveType(rootPath);
    if (driveType != DRIVE_REMOVABLE && driveType != DRIVE_FIXED) return false;

    DWORD deviceNumber = 0;
    if (!VolumeDeviceNumber(query, letter, deviceNumber)) return false;

    wchar_t deviceName[] = L"C:";
    deviceName[0] = letter;
    wchar_t dosName[kDosNameUnits] = {};
    if (query.DosDeviceName(deviceName, dosName, kDosNameUnits) == 0) return false;
    dosName[kDosNameUnits - 1] = L'\0';

    const DEVINST instance = FindDeviceInstance(query, deviceNumber, driveType, dosName);
    if (instance == 0) return false;
    if (identity) identity->deviceNumber = deviceNumber;
    return ParentIdMentionsUsb(query, instance, identity ? &identity->instanceId : nullptr);
}

}  // namespace

DEVINST FindDeviceInstance(DriveQuery& query, DWORD deviceNumber, UINT driveType, const wchar_t* dosDeviceName) {
    const GUID* interfaceClass = InterfaceClassFor(driveType, dosDeviceName);
    if (!interfaceClass) return 0;
    DEVINST found = 0;
    ForEachInterface(query, *interfaceClass, [&](DWORD number, DEVINST instance) {
        if (number != deviceNumber) return true;
        found = instance;
        return false;
    });
    return found;
}

void ForEachInterface(DriveQuery& query, const GUID& interfaceClass,
                      const std::function<bool(DWORD deviceNumber, DEVINST instance)>& visit) {
    const InterfaceSet set(query, query.OpenInterfaceSet(interfaceClass));
    if (!set.valid()) return;

    union {
        SP_DEVICE_INTERFACE_DETAIL_DATA_W detail;
        BYTE bytes[kDetailBytes];
    } buffer;
    for (DWORD index = 0;; ++index) {
        SP_DEVICE_INTERFACE_DATA data{};
        data.cbSize = sizeof data;
        if (!query.EnumInterface(set.get(), interfaceClass, index, data)) break;

        const DWORD required = query.InterfaceDetailSize(set.get(), data);
        if (required == 0 || required > kDetailBytes) continue;
        std::memset(buffer.bytes, 0, sizeof buffer.bytes);
        buffer.detail.cbSize = sizeof buffer.detail;
        SP_DEVINFO_DATA info{};
        info.cbSize = sizeof info;
        if (!query.InterfaceDetail(set.get(), data, &buffer.detail, kDetailBytes, info)) continue;

        const QueryHandle device(query, query.OpenDeviceInterface(buffer.detail.DevicePath));
        if (!device.valid()) continue;
        STORAGE_DEVICE_NUMBER number{};
        if (query.StorageDeviceNumber(device.get(), number) && !visit(number.DeviceNumber, info.DevInst)) return;
    }
}

std::vector<DWORD> UsbDiskNumbers(DriveQuery& query) {
    std::vector<DWORD> numbers;
    ForEachInterface(query, kDiskInterfaceClass, [&](DWORD number, DEVINST instance) {
        if (ParentIdMentionsUsb(query, instance, nullptr)) numbers.push_back(number);
        return true;
    });
    return numbers;
}

bool UsbInstanceIdOfDisk(DriveQuery& query, DWORD number, std::wstring& id) {
    bool found = false;
    ForEachInterface(query, kDiskInterfaceClass, [&](DWORD deviceNumber, DEVINST instance) {
        if (deviceNumber != number) return true;
        found = ParentIdMentionsUsb(query, instance, &id);
        return false;
    });
    return found;
}

IdentifyStatus IdentifyUsbDrive(DriveQuery& query, wchar_t letter, DriveIdentity& identity) {
    identity = DriveIdentity{};
    // Also asked from the format worker's thread: quiet on that thread too.
    const ErrorModeScope quiet(query, SEM_FAILCRITICALERRORS);
    if (!IsUsbLetter(query, letter, &identity)) return IdentifyStatus::NotUsb;
    fat32::VolumeCalls& calls = query.Volumes();
    wchar_t volumePath[] = L"\\\\.\\C:";
    volumePath[4] = letter;
    for (int attempt = 1;; ++attempt) {
        // Read as the volume device reads it on its locked handle, so that
        // both sides find the same medium the same way.
        const fat32::VolumeHandle volume(
            calls, calls.CreateFileW(volumePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, 0));
        if (volume.valid()) {
            const fat32::MediumFacts facts = fat32::ReadMediumFacts(calls, volume.get(), true);
            // A count still reporting a change is no count to prove against:
            // asked again, or not ready.
            if (facts.volumeSerialKnown && !facts.mediaChangeReported) {
                identity.deviceGuidKnown = facts.deviceGuidKnown;
                identity.deviceGuid = facts.deviceGuid;
                identity.mediaChangesKnown = facts.mediaChangesKnown;
                identity.mediaChanges = facts.mediaChanges;
                identity.volumeSerial = facts.volumeSerial;
                return IdentifyStatus::Found;
            }
        } else {
            switch (::GetLastError()) {
                // A volume locked by another program refuses every other
                // reader with access denied, as it refuses a process without
                // an administrator's rights.
                case ERROR_ACCESS_DENIED:
                    return calls.ProcessElevated() ? IdentifyStatus::InUse : IdentifyStatus::NeedsAdmin;
                case ERROR_SHARING_VIOLATION:
                case ERROR_LOCK_VIOLATION:
                    return IdentifyStatus::InUse;
                default:
                    break;
            }
        }
        if (attempt == kIdentifyAttempts) return IdentifyStatus::NotReady;
        ::Sleep(kIdentifyRetryMilliseconds);
    }
}

void ScanUsbDrives(DriveQuery& query, wchar_t (&letters)[kLetterSlots]) {
    std::fill(std::begin(letters), std::end(letters), kEndOfLetters);
    int written = 0;

    wchar_t driveStrings[kDriveStringUnits] = {};
    query.LogicalDriveStrings(kDriveStringUnits, driveStrings);
    for (DWORD entry = 0; entry < kDriveStringUnits; entry += kDriveEntryUnits) {
        const wchar_t letter = driveStrings[entry];
        if (letter == L'\0') break;
        // The last slot holds the end marker: further USB volumes are not
        // listed, and not even opened.
        if (written == kMaxUsbDrives) break;
        if (letter == L'A' || letter == L'B') continue;
        if (IsUsbLetter(query, letter)) letters[written++] = letter;
    }
}

}  // namespace drives
