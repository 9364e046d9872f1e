// mkfat32 on Windows: the drive letter of a USB drive (formatted only when the
// USB scan lists it, or with --force) or an image file as the target.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "drives/usb_scan.h"
#include "tools/mkfat32/platform.h"
#include "tools/mkfat32/usb_letter_check.h"
#include "tools/mkfat32/windows_whole_disk.h"

namespace mkfat32 {

class WindowsPlatform : public Platform {
public:
    WindowsPlatform() = default;
    ~WindowsPlatform() override;
    WindowsPlatform(const WindowsPlatform&) = delete;
    WindowsPlatform& operator=(const WindowsPlatform&) = delete;

    int Open(const Arguments& args) override;
    std::uint64_t VolumeBytes() override;
    bool LabelBytes(const Arguments& args, std::string& bytes) override;
    bool ChineseTexts() override;
    fat32::FormatResult Format(fat32::FormatRequest& request,
                               fat32::FormatOptions& options) override;
    void ReportFailure(fat32::FormatResult result) override;
    std::FILE* NullStream() override;

private:
    bool IsDriveLetter() const;
    wchar_t Letter() const { return static_cast<wchar_t>(args_.target[0] & ~0x20); }
    int RefuseLetter() const;
    // "\\.\E:", "\\?\PhysicalDrive1", "\??\E:" and the like name devices, which
    // the image road would open without a USB check or a lock.
    bool IsDevicePath() const;
    fat32::FormatResult FormatDriveLetter(fat32::FormatRequest& request,
                                          fat32::FormatOptions& options);

    Arguments args_;
    // The machine the command works on: the system, or --drive-table's.
    std::unique_ptr<UsbLetterCheck> machine_;
    // --mbr: the whole disk, on the same machine.
    std::unique_ptr<WindowsWholeDisk> wholeDisk_;
    // Who the letter was when the command started; the locked volume must
    // still be that medium before anything is written.
    bool identityKnown_ = false;
    drives::DriveIdentity identity_;
    fat32::DeviceError error_;
    std::FILE* null_ = nullptr;
};

}  // namespace mkfat32
