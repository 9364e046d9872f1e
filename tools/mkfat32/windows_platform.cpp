// Windows targets. A drive letter is checked against the USB scan when the
// command starts and again right before its volume is opened; the engine
// opens, locks and formats the volume through WinVolumeDevice, on the system
// or on --drive-table's simulated machine. Labels are read again as typed
// (UTF-16) and stored in the OEM code page.
#include "tools/mkfat32/windows_platform.h"

#include <windows.h>
#include <shellapi.h>
#include <io.h>

#include <optional>

#include "drives/medium_proof.h"
#include "format/console_text.h"
#include "devices/image_file_device.h"
#include "format/show_result.h"
#include "format/volume_label.h"
#include "tools/mkfat32/label_report.h"
#include "devices/win_volume_device.h"
#include "tools/mkfat32/usb_letter_check.h"
#include "tools/mkfat32/writing_console.h"

namespace mkfat32 {

std::unique_ptr<Platform> MakePlatform() { return std::make_unique<WindowsPlatform>(); }

WindowsPlatform::~WindowsPlatform() {
    if (null_) std::fclose(null_);
}

bool WindowsPlatform::IsDriveLetter() const {
    const std::string& target = args_.target;
    const char c = target.empty() ? 0 : static_cast<char>(target[0] & ~0x20);
    return target.size() == 2 && target[1] == ':' && c >= 'A' && c <= 'Z';
}

int WindowsPlatform::RefuseLetter() const {
    std::fprintf(stderr,
                 "mkfat32: %c: is not a USB drive (or the USB scan could not tell); nothing was "
                 "written. Give --force to format it anyway.\n",
                 static_cast<char>(Letter()));
    return kNotUsbExit;
}

bool WindowsPlatform::IsDevicePath() const {
    const std::string& t = args_.target;
    const auto slash = [](char c) { return c == '\\' || c == '/'; };
    // \\.\ and \\?\ are Win32's device and long-path prefixes [Naming Files,
    // Paths, and Namespaces]; \??\ is the object manager's directory of DOS
    // device names, which the path functions pass through as it stands (obs).
    const bool win32 = t.size() >= 4 && slash(t[0]) && slash(t[1]) && (t[2] == '.' || t[2] == '?') && slash(t[3]);
    const bool objects = t.size() >= 4 && slash(t[0]) && t[1] == '?' && t[2] == '?' && slash(t[3]);
    return win32 || objects;
}

namespace {

// Whether the opened image is an ordinary file. Consoles, pipes and the
// DOS device names (CON, COM1) are of another type [GetFileType function];
// a file reports its attributes, never FILE_ATTRIBUTE_DEVICE [File Attribute
// Constants]. A file's handle answers IOCTL_STORAGE_GET_DEVICE_NUMBER with
// its volume's disk (obs), so that answer tells nothing here.
bool IsOrdinaryFile(std::FILE* file) {
    const HANDLE handle = file ? reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(file))) : INVALID_HANDLE_VALUE;
    if (handle == INVALID_HANDLE_VALUE || ::GetFileType(handle) != FILE_TYPE_DISK) return false;
    BY_HANDLE_FILE_INFORMATION information{};
    return ::GetFileInformationByHandle(handle, &information) &&
           !(information.dwFileAttributes & (FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_DIRECTORY));
}

}  // namespace

int WindowsPlatform::Open(const Arguments& args) {
    args_ = args;
    // A pulled card or an empty reader fails the calls instead of stopping
    // the command behind a system box asking for a disk.
    ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, nullptr);
    if (IsDevicePath()) {
        std::fprintf(stderr,
                     "mkfat32: %s is a device path; nothing was opened. Give a drive letter "
                     "(E:) or an image file.\n",
                     args_.target.c_str());
        return kUsageExit;
    }
    machine_ = std::make_unique<UsbLetterCheck>(args.driveTable);
    if (!machine_->Ready()) return kUsageExit;
    if (args.newMbr) {
        // A whole disk is never forced: its checks are the only thing
        // between a typo and an internal disk wiped.
        if (args.force) {
            std::fprintf(stderr, "mkfat32: --mbr takes no --force: only a removable USB disk is rewritten\n");
            return kUsageExit;
        }
        wholeDisk_ = std::make_unique<WindowsWholeDisk>(machine_->Calls());
        return wholeDisk_->Open(args.target);
    }
    if (!IsDriveLetter() || args.force) return 0;
    switch (machine_->Identify(Letter(), identity_)) {
        case drives::IdentifyStatus::NotUsb: return RefuseLetter();
        case drives::IdentifyStatus::InUse: return fat32::kLockFailed;
        case drives::IdentifyStatus::NeedsAdmin: return fat32::kAdminRightsNeeded;
        case drives::IdentifyStatus::Found: identityKnown_ = true; break;
        case drives::IdentifyStatus::NotReady: break;
    }
    return 0;
}

std::uint64_t WindowsPlatform::VolumeBytes() {
    if (wholeDisk_) return wholeDisk_->VolumeBytes();
    // Asked of the machine the command formats on (the system, or
    // --drive-table's), with critical-error boxes already off for this thread.
    if (IsDriveLetter()) return machine_ ? machine_->VolumeBytes(Letter()) : 0;
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(args_.target.c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

bool WindowsPlatform::LabelBytes(const Arguments& args, std::string& bytes) {
    bytes.clear();
    if (!args.hasLabel) return true;
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (wide && args.labelArgument < count) {
        const std::wstring label = wide[args.labelArgument];
        const unsigned codePage = args.codePage ? args.codePage : ::GetOEMCP();
        const fat32::LabelConversion converted =
            fat32::ConvertVolumeLabel(label, codePage, fat32::BadLabelCharacter::Refuse);
        if (!converted.known && !converted.forbidden)
            std::fprintf(stderr, "mkfat32: Windows cannot convert the label to code page %u "
                                 "(error %lu); it is stored as ASCII, every other character "
                                 "as _\n",
                         codePage, converted.systemError);
        if (!ReportLabel(converted, codePage)) {
            ::LocalFree(wide);
            return false;
        }
        bytes = converted.bytes;
    }
    ::LocalFree(wide);
    return true;
}

bool WindowsPlatform::ChineseTexts() { return fat32::ChineseTextsInForce(); }

std::FILE* WindowsPlatform::NullStream() {
    if (!null_) null_ = std::fopen("NUL", "w");
    return null_;
}

// The USB check is made again right before the volume is opened: the letter
// may have moved to another drive since the command started. Then, on the
// locked volume before the first write, the medium must be the one the
// command started with, proven through the handle that writes.
fat32::FormatResult WindowsPlatform::FormatDriveLetter(fat32::FormatRequest& request,
                                                       fat32::FormatOptions& options) {
    fat32::WinVolumeDevice device(machine_->Calls());
    if (!args_.force) {
        drives::DriveIdentity now;
        const drives::IdentifyStatus status = machine_->Identify(Letter(), now);
        if (status == drives::IdentifyStatus::NotUsb) return RefuseLetter();
        if (status == drives::IdentifyStatus::InUse) return fat32::kLockFailed;
        if (status == drives::IdentifyStatus::NeedsAdmin) return fat32::kAdminRightsNeeded;
        if (!identityKnown_ && status == drives::IdentifyStatus::Found) {
            identity_ = now;
            identityKnown_ = true;
        }
        if (identityKnown_) {
            options.verifyLocked = [&](fat32::BlockDevice&) {
                return drives::ProveMedium(identity_, device.ReadMediumFacts());
            };
        }
    }
    // Until the first write, Ctrl+C ends the command as it always does, with
    // nothing written; from then on the run goes on to its end.
    std::optional<WritingConsole> console;
    options.writingStarts = [&console] { console.emplace(); };
    const fat32::FormatResult result = fat32::FormatVolume(device, static_cast<char>(Letter()), request, options);
    console.reset();
    error_ = device.LastError();
    return result;
}

fat32::FormatResult WindowsPlatform::Format(fat32::FormatRequest& request,
                                            fat32::FormatOptions& options) {
    if (wholeDisk_) {
        const fat32::FormatResult result = wholeDisk_->Format(request, options);
        error_ = wholeDisk_->LastError();
        return result;
    }
    if (IsDriveLetter()) return FormatDriveLetter(request, options);
    fat32::ImageFileDevice device(args_.target, args_.image);
    options.verifyLocked = [this, &device](fat32::BlockDevice&) {
        if (IsOrdinaryFile(device.File())) return fat32::kFormatOk;
        std::fprintf(stderr, "mkfat32: %s is a device, not an image file; nothing was written.\n",
                     args_.target.c_str());
        return static_cast<fat32::FormatResult>(kUsageExit);
    };
    const fat32::FormatResult result = fat32::FormatVolume(device, 'Z', request, options);
    error_ = device.LastError();
    return result;
}

// A target that could not be opened: the system's own reason, as any command
// line tool gives it.
void WindowsPlatform::ReportFailure(fat32::FormatResult result) {
    if (result != fat32::kOpenFailed) return;
    // "E:" already ends in a colon.
    const char* separator = IsDriveLetter() ? " " : ": ";
    if (!error_.text.empty())
        fat32::WriteText(stderr,
                         ("mkfat32: " + args_.target + separator + error_.text + "\n").c_str());
    if (IsDriveLetter() && error_.accessDenied)
        std::fprintf(stderr,
                     "mkfat32: access to the volume was denied: run mkfat32 from a command "
                     "prompt opened with \"Run as administrator\".\n");
}

}  // namespace mkfat32
