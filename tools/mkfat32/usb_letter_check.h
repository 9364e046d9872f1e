// Whether a drive letter lies on USB storage, by the same scan the window
// lists its drives with. mkfat32 formats only such letters unless forced: a
// typo in an elevated console must not wipe an internal disk.
#pragma once

#ifdef _WIN32

#include <string>

namespace mkfat32 {

class UsbLetterCheck {
public:
    // An empty path asks the system; otherwise the simulated drive table in
    // that file answers (drives/README.md), so tests can stage a machine.
    explicit UsbLetterCheck(std::string driveTablePath);

    // True when a fresh scan lists the letter. A table that cannot be read
    // lists nothing and says why on standard error.
    bool Listed(wchar_t letter) const;

private:
    std::string driveTablePath_;
};

}  // namespace mkfat32

#endif  // _WIN32
