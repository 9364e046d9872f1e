// mkfat32: formats an image file, on Linux a block device, on Windows the
// drive letter of a USB drive, as FAT32 with the tool's own engine, prints the
// result message (and with -v the engine's diagnostic lines), and exits with
// the result code.
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <random>
#include <string>

#include "format/console_text.h"
#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "format/image_file_device.h"
#include "tools/mkfat32/arguments.h"
#include "tools/mkfat32/progress_line.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include "format/show_result.h"
#include "format/volume_label.h"
#include "format/win_volume_device.h"
#include "tools/mkfat32/usb_letter_check.h"
#else
#include "tools/mkfat32/block_target.h"
#endif

namespace {

using mkfat32::Arguments;

bool IsDriveLetter(const std::string& target) {
#ifdef _WIN32
    const char c = target.empty() ? 0 : static_cast<char>(target[0] & ~0x20);
    return target.size() == 2 && target[1] == ':' && c >= 'A' && c <= 'Z';
#else
    (void)target;
    return false;
#endif
}

// Capacity in MB of 1,048,576 bytes, as the window's policy sees it; 0 when
// unknown, which leaves the choice to the engine.
std::uint32_t CapacityInMegabytes(const Arguments& args) {
    std::uint64_t bytes = 0;
#ifdef _WIN32
    if (IsDriveLetter(args.target)) {
        // The root, with critical-error boxes off: a reader without a medium
        // must fail quietly, and only for this thread.
        const std::string root = args.target + "\\";
        DWORD previousMode = 0;
        ::SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previousMode);
        ULARGE_INTEGER total{};
        if (::GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, nullptr)) bytes = total.QuadPart;
        ::SetThreadErrorMode(previousMode, nullptr);
    } else {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (::GetFileAttributesExA(args.target.c_str(), GetFileExInfoStandard, &data))
            bytes = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
#else
    bytes = mkfat32::LinuxTargetBytes(args);
#endif
    const std::uint64_t megabytes = bytes / (1024 * 1024);
    return megabytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(megabytes);
}

bool ChineseTexts() {
#ifdef _WIN32
    return fat32::ChineseTextsInForce();
#else
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) return std::strncmp(value, "zh_CN", 5) == 0;
    }
    return false;
#endif
}

void PrintLine(const char* utf8) { fat32::WriteText(stdout, (std::string(utf8) + "\n").c_str()); }

// The label's bytes as FAT stores them. On Windows the label is read again as
// typed (UTF-16) and converted to the OEM code page; elsewhere the bytes are
// taken as given.
std::string LabelBytes(const Arguments& args) {
    if (!args.hasLabel) return std::string();
#ifdef _WIN32
    int count = 0;
    wchar_t** wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::string bytes;
    if (wide && args.labelArgument < count) {
        const std::wstring label = wide[args.labelArgument];
        bytes = fat32::OemVolumeLabel(label);
        const int whole = ::WideCharToMultiByte(::GetOEMCP(), 0, label.c_str(), -1, nullptr, 0,
                                                nullptr, nullptr);
        if (whole - 1 > static_cast<int>(bytes.size()))
            std::fprintf(stderr, "mkfat32: the label is cut to %u bytes\n",
                         static_cast<unsigned>(bytes.size()));
    }
    ::LocalFree(wide);
    return bytes;
#else
    if (args.label.size() > 11)
        std::fprintf(stderr, "mkfat32: the label is cut to its first 11 bytes\n");
    return args.label;
#endif
}

#ifdef _WIN32
int RefuseLetter(wchar_t letter) {
    std::fprintf(stderr,
                 "mkfat32: %c: is not a USB drive (or the USB scan could not tell); nothing was "
                 "written. Give --force to format it anyway.\n",
                 static_cast<char>(letter));
    return mkfat32::kNotUsbExit;
}

// Formats a drive letter, but only one that the USB scan lists (or any, with
// --force); the letter is checked again right before the volume is opened.
int FormatDriveLetter(const Arguments& args, fat32::FormatRequest& request,
                      const fat32::FormatOptions& options, fat32::DeviceError& error) {
    const wchar_t letter = static_cast<wchar_t>(args.target[0] & ~0x20);
    fat32::WinVolumeDevice device;
    if (!args.force && !mkfat32::UsbLetterCheck(args.driveTable).Listed(letter))
        return RefuseLetter(letter);
    const fat32::FormatResult result =
        fat32::FormatVolume(device, static_cast<char>(letter), request, options);
    error = device.LastError();
    return result;
}
#endif

}  // namespace

// The engine's options for this run: the clock, the probe when asked for and
// the progress line.
fat32::FormatOptions RunOptions(const Arguments& args, fat32::ProbeReport& probe,
                                mkfat32::ProgressLine& progress) {
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    if (args.check) {
        options.probe = &probe;
        options.probeNonce = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}() ^
                             static_cast<std::uint64_t>(std::time(nullptr));
    }
    if (progress.Enabled())
        options.progress = [&](const char* step, std::uint64_t done, std::uint64_t total) {
            progress.Update(step, done, total);
        };
    return options;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Where the engine's diagnostic lines go without -v.
std::unique_ptr<std::FILE, FileCloser> OpenNullStream() {
#ifdef _WIN32
    return std::unique_ptr<std::FILE, FileCloser>(std::fopen("NUL", "w"));
#else
    return std::unique_ptr<std::FILE, FileCloser>(std::fopen("/dev/null", "w"));
#endif
}

// A target that could not be opened: the system's own reason, as any command
// line tool gives it.
void ReportOpenFailure(const Arguments& args, const fat32::DeviceError& error) {
    // "E:" already ends in a colon.
    const char* separator = IsDriveLetter(args.target) ? " " : ": ";
    if (!error.text.empty())
        fat32::WriteText(stderr,
                         ("mkfat32: " + args.target + separator + error.text + "\n").c_str());
#ifdef _WIN32
    if (IsDriveLetter(args.target) && error.accessDenied)
        std::fprintf(stderr,
                     "mkfat32: access to the volume was denied: run mkfat32 from a command "
                     "prompt opened with \"Run as administrator\".\n");
#endif
}

// Runs the engine on the target, with a progress line while it lasts.
fat32::FormatResult Format(const Arguments& args, fat32::FormatRequest& request,
                           fat32::ProbeReport& probe) {
    mkfat32::ProgressLine progress(stderr);
    fat32::FormatOptions options = RunOptions(args, probe, progress);
    const auto quiet = OpenNullStream();
    if (!args.verbose && quiet) options.out = quiet.get();
    fat32::DeviceError error;
    fat32::FormatResult result = fat32::kInternalError;
    if (IsDriveLetter(args.target)) {
#ifdef _WIN32
        result = FormatDriveLetter(args, request, options, error);
#endif
    } else {
#ifdef _WIN32
        fat32::ImageFileDevice device(args.target, args.image);
        result = fat32::FormatVolume(device, 'Z', request, options);
        error = device.LastError();
#else
        result = mkfat32::FormatLinuxTarget(args, request, options, error);
#endif
    }
    if (result == fat32::kOpenFailed) ReportOpenFailure(args, error);
    return result;
}

void PrintProbe(const fat32::ProbeReport& probe) {
    const std::uint64_t window = probe.bytesWritten - std::uint64_t{probe.places} * 4096;
    std::printf("Probe: %u places and the first %" PRIu64 " MiB, %" PRIu64
                " MiB written and read back in %.2f seconds: %s\n",
                probe.places, window >> 20, probe.bytesWritten >> 20, probe.seconds,
                probe.honest ? "every place read back right" : "addresses wrap");
}

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return mkfat32::kUsageExit;
    if (args.showVersion) {
        std::printf("mkfat32 %s\n", MKFAT32_VERSION);
        return 0;
    }
#ifdef _WIN32
    if (IsDriveLetter(args.target) && !args.force &&
        !mkfat32::UsbLetterCheck(args.driveTable).Listed(static_cast<wchar_t>(args.target[0] & ~0x20)))
        return RefuseLetter(static_cast<wchar_t>(args.target[0] & ~0x20));
#endif

    const std::string label = LabelBytes(args);
    fat32::FormatRequest request;
    request.label = label.c_str();
    request.alignSectors = args.alignSectors;
    request.sectorsPerCluster = args.sectorsPerCluster
                                    ? args.sectorsPerCluster
                                    : fat32::RequestedSectorsPerCluster(CapacityInMegabytes(args));
    // An explicit -c stands as given; the policy's choice may shrink to fit.
    request.mayUseSmallerClusters = args.sectorsPerCluster == 0;
    fat32::ProbeReport probe;
    const fat32::FormatResult result = Format(args, request, probe);
    if (result == mkfat32::kNotUsbExit || result == mkfat32::kUsageExit) return result;
    if (args.check && probe.places > 0) PrintProbe(probe);
    std::fflush(stdout);

    if (result == fat32::kFakeCapacity) {
        const fat32::ResultMessage& message = fat32::FakeCapacityMessage();
        char text[256];
        std::snprintf(text, sizeof text, ChineseTexts() ? message.chinese : message.english,
                      static_cast<unsigned long long>(probe.realCapacity >> 20));
        PrintLine(text);
    } else if (const fat32::ResultMessage* message = fat32::FindResultMessage(result)) {
        PrintLine(ChineseTexts() ? message->chinese : message->english);
    }
    return result;
}
