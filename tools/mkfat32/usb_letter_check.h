// The machine mkfat32 formats on, and whether a drive letter lies on USB
// storage by the same scan the window lists its drives with. mkfat32 formats
// only such letters unless forced: a typo in an elevated console must not
// wipe an internal disk. With --drive-table the machine is a simulated one
// (simulated_windows/), and the shipped volume device writes through it.
#pragma once

#ifdef _WIN32

#include <cstdint>
#include <memory>
#include <string>

#include "devices/volume_calls.h"
#include "drives/drive_query.h"
#include "drives/usb_scan.h"

namespace drives {
class SimulatedMachine;
}

namespace mkfat32 {

class UsbLetterCheck {
public:
    // An empty path asks the system; otherwise the simulated machine of the
    // drive table in that file (simulated_windows/README.md) answers for the
    // life of the command, so tests can stage a machine.
    explicit UsbLetterCheck(const std::string& driveTablePath);
    ~UsbLetterCheck();

    // False when the table could not be read (the reason is on standard error).
    bool Ready() const { return query_ != nullptr; }

    // Whether the letter is a USB drive now, and who it is (as the window
    // reads it when it asks its question).
    drives::IdentifyStatus Identify(wchar_t letter, drives::DriveIdentity& identity) const;

    // The volume's size in bytes, asked of the same machine: its length
    // through a volume handle, or else the file system's total clusters; 0
    // when neither answers.
    std::uint64_t VolumeBytes(wchar_t letter) const;

    // The volume calls of the same machine.
    fat32::VolumeCalls& Calls() const { return query_->Volumes(); }

private:
    std::shared_ptr<drives::SimulatedMachine> machine_;
    std::unique_ptr<drives::DriveQuery> query_;
};

}  // namespace mkfat32

#endif  // _WIN32
