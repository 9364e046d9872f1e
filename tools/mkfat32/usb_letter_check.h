// Whether a drive letter lies on USB storage, by the same scan the window
// lists its drives with. mkfat32 formats only such letters unless forced: a
// typo in an elevated console must not wipe an internal disk.
#pragma once

#ifdef _WIN32

#include <string>
#include <utility>

#include "drives/usb_scan.h"

namespace mkfat32 {

class UsbLetterCheck {
public:
    // An empty path asks the system; otherwise the simulated drive table in
    // that file answers (drives/README.md), so tests can stage a machine.
    explicit UsbLetterCheck(std::string driveTablePath);

    // True when a fresh scan lists the letter. A table that cannot be read
    // lists nothing and says why on standard error.
    bool Listed(wchar_t letter) const;

    // Whether the letter is a USB drive now, and who it is (as the window
    // reads it when it asks its question). A table that cannot be read
    // finds nothing.
    drives::IdentifyStatus Identify(wchar_t letter, drives::DriveIdentity& identity) const;

private:
    // Runs `ask` on the system's drive queries or the table's; `none` when
    // the table cannot be read.
    template <typename Ask>
    auto WithQuery(Ask ask, decltype(ask(std::declval<drives::DriveQuery&>())) none) const;

    std::string driveTablePath_;
};

}  // namespace mkfat32

#endif  // _WIN32
