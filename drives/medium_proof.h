// The last word on "is this the stick the user confirmed": the identity read
// when the question was put against the facts read through the locked volume
// handle that will write. Shared by the window's worker and mkfat32.
#pragma once

#include "drives/usb_scan.h"
#include "format/format_result.h"
#include "format/medium_facts.h"

namespace drives {

// The result for an identity read that did not find the drive as it was.
inline fat32::FormatResult ResultOfIdentify(IdentifyStatus status) {
    switch (status) {
        case IdentifyStatus::Found: return fat32::kFormatOk;
        case IdentifyStatus::InUse: return fat32::kLockFailed;
        case IdentifyStatus::NotReady: return fat32::kGeometryFailed;
        case IdentifyStatus::NeedsAdmin: return fat32::kAdminRightsNeeded;
        case IdentifyStatus::NotUsb: break;
    }
    return fat32::kDriveChanged;
}

// kFormatOk when the handle's facts are of the confirmed medium,
// kDriveChanged when they are of another, kGeometryFailed when the handle
// could not tell. A media change count or device GUID known on one side only
// is no pass: the count's query fails exactly after a change of medium, and
// the question asked it again until it answered, so an unknown count there
// means the driver keeps none, and then it keeps none on the handle either.
inline fat32::FormatResult ProveMedium(const DriveIdentity& confirmed, const fat32::MediumFacts& facts) {
    if (!facts.deviceNumberKnown || !facts.volumeSerialKnown) return fat32::kGeometryFailed;
    const bool mediaChanged = confirmed.mediaChangesKnown != facts.mediaChangesKnown ||
                              facts.mediaChangeReported ||
                              (confirmed.mediaChangesKnown && confirmed.mediaChanges != facts.mediaChanges);
    const bool otherDisk = confirmed.deviceGuidKnown &&
                           (!facts.deviceGuidKnown || confirmed.deviceGuid != facts.deviceGuid);
    if (facts.deviceNumber != confirmed.deviceNumber || mediaChanged || otherDisk ||
        facts.volumeSerial != confirmed.volumeSerial)
        return fat32::kDriveChanged;
    return fat32::kFormatOk;
}

// The same rules for an identity read again as at the question (the window's
// worker asks once more before it opens the volume), plus the USB device
// above the disk, which only the scan sees.
inline fat32::FormatResult ProveIdentity(const DriveIdentity& confirmed, const DriveIdentity& now) {
    if (now.instanceId != confirmed.instanceId) return fat32::kDriveChanged;
    fat32::MediumFacts facts;
    facts.deviceNumberKnown = true;
    facts.deviceNumber = now.deviceNumber;
    facts.deviceGuidKnown = now.deviceGuidKnown;
    facts.deviceGuid = now.deviceGuid;
    facts.mediaChangesKnown = now.mediaChangesKnown;
    facts.mediaChanges = now.mediaChanges;
    facts.volumeSerialKnown = true;
    facts.volumeSerial = now.volumeSerial;
    return ProveMedium(confirmed, facts);
}

}  // namespace drives
