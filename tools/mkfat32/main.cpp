// mkfat32: formats an image file (or, on Windows, the drive letter of a USB
// drive) as FAT32 with the tool's own engine, prints the engine's diagnostic
// lines and the result message, and exits with the result code.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/console_text.h"
#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "format/image_file_device.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include "format/show_result.h"
#include "format/volume_label.h"
#include "format/win_volume_device.h"
#include "tools/mkfat32/usb_letter_check.h"
#else
#include <sys/stat.h>
#endif

namespace {

constexpr int kUsageExit = 64;
constexpr int kNotUsbExit = 65;  // a drive letter the USB scan does not list

const char kUsage[] =
    "usage: mkfat32 [options] TARGET\n"
    "\n"
    "Writes an empty FAT32 volume over TARGET, an existing image file"
#ifdef _WIN32
    "\nor the drive letter of a USB drive such as E:"
#endif
    ".\n"
    "\n"
    "options:\n"
    "  -l, --label TEXT        volume label (at most 11 bytes are kept)\n"
    "  -c, --cluster N         sectors per cluster: 1, 2, 4, 8, 16, 32, 64 or 128\n"
    "                          (default: chosen from the capacity in MB; by the\n"
    "                          engine from the partition when that is unknown)\n"
#ifdef _WIN32
    "drive letters:\n"
    "  --force                 format a letter that is not a USB drive too\n"
    "  --drive-table FILE      answer the USB check from a simulated drive table\n"
    "                          (drives/README.md), for tests\n"
#endif
    "image files only, to act as a particular drive:\n"
    "  --hidden N              sectors in front of the partition (default 0)\n"
    "  --partition KIND        how the partition query answers: plain, mbr, gpt,\n"
    "                          raw (extended query only) or none (default plain)\n"
    "  --set-type-fails        the partition-type change fails\n"
    "  --sector-size N         bytes per sector the drive reports (default 512)\n"
    "  --geometry SPT,HEADS    sectors per track and heads (default 63,255)\n";

struct Arguments {
    std::string target;
    std::string label;
    bool hasLabel = false;
    int labelArgument = 0;  // where the label stands on the command line
    bool force = false;
    std::string driveTable;
    int sectorsPerCluster = 0;
    fat32::ImageOptions image;
};

bool ParseNumber(const char* text, unsigned long max, unsigned long& value) {
    if (!text || !*text) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && text[0] != '-' && value <= max;
}

bool IsPowerOfTwoUpTo128(unsigned long n) { return n >= 1 && n <= 128 && (n & (n - 1)) == 0; }

bool Fail(const char* problem, const char* detail) {
    std::fprintf(stderr, "mkfat32: %s%s%s\n\n%s", problem, detail ? ": " : "", detail ? detail : "",
                 kUsage);
    return false;
}

bool ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto needsValue = [&] { return value ? (++i, true) : Fail("missing value for", argv[i]); };
        if (option == "-h" || option == "--help") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else if (option == "-l" || option == "--label") {
            if (!needsValue()) return false;
            args.label = value;
            args.hasLabel = true;
            args.labelArgument = i;
        } else if (option == "-c" || option == "--cluster") {
            if (!needsValue()) return false;
            if (!ParseNumber(value, 128, n) || !IsPowerOfTwoUpTo128(n))
                return Fail("sectors per cluster must be a power of two from 1 to 128", value);
            args.sectorsPerCluster = static_cast<int>(n);
        } else if (option == "--hidden") {
            if (!needsValue()) return false;
            if (!ParseNumber(value, 0xFFFFFFFFul, n)) return Fail("bad hidden sector count", value);
            args.image.hiddenSectors = static_cast<std::uint32_t>(n);
        } else if (option == "--partition") {
            if (!needsValue()) return false;
            const std::string kind = value;
            using fat32::PartitionQuery;
            if (kind == "plain") args.image.partitionQuery = PartitionQuery::Plain;
            else if (kind == "mbr") args.image.partitionQuery = PartitionQuery::ExtendedMbr;
            else if (kind == "gpt") args.image.partitionQuery = PartitionQuery::ExtendedGpt;
            else if (kind == "raw") args.image.partitionQuery = PartitionQuery::ExtendedRaw;
            else if (kind == "none") args.image.partitionQuery = PartitionQuery::None;
            else return Fail("unknown partition kind", value);
        } else if (option == "--force") {
            args.force = true;
        } else if (option == "--drive-table") {
            if (!needsValue()) return false;
            args.driveTable = value;
        } else if (option == "--set-type-fails") {
            args.image.setPartitionTypeFails = true;
        } else if (option == "--sector-size") {
            if (!needsValue()) return false;
            if (!ParseNumber(value, 65536, n)) return Fail("bad sector size", value);
            args.image.bytesPerSector = static_cast<std::uint32_t>(n);
        } else if (option == "--geometry") {
            if (!needsValue()) return false;
            unsigned spt = 0, heads = 0;
            char extra = 0;
            if (std::sscanf(value, "%u,%u%c", &spt, &heads, &extra) != 2 || spt > 0xFFFF ||
                heads > 0xFFFF)
                return Fail("geometry must be SECTORS_PER_TRACK,HEADS", value);
            args.image.sectorsPerTrack = spt;
            args.image.heads = heads;
        } else if (!option.empty() && option[0] == '-' && option != "-") {
            return Fail("unknown option", argv[i]);
        } else if (args.target.empty()) {
            args.target = option;
        } else {
            return Fail("more than one target", argv[i]);
        }
    }
    if (args.target.empty()) return Fail("no target given", nullptr);
    return true;
}

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
    struct stat info {};
    if (::stat(args.target.c_str(), &info) == 0) bytes = static_cast<std::uint64_t>(info.st_size);
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
    return kNotUsbExit;
}

// Formats a drive letter, but only one that the USB scan lists (or any, with
// --force); the letter is checked again right before the volume is opened.
int FormatDriveLetter(const Arguments& args, fat32::FormatRequest& request) {
    const wchar_t letter = static_cast<wchar_t>(args.target[0] & ~0x20);
    fat32::WinVolumeDevice device;
    fat32::FormatOptions options;
    options.now = fat32::CurrentLocalTime();
    if (!args.force && !mkfat32::UsbLetterCheck(args.driveTable).Listed(letter))
        return RefuseLetter(letter);
    const fat32::FormatResult result =
        fat32::FormatVolume(device, static_cast<char>(letter), request, options);
    if (result == fat32::kOpenFailed && device.LastError().accessDenied)
        std::fprintf(stderr,
                     "mkfat32: access to the volume was denied: run mkfat32 from a command "
                     "prompt opened with \"Run as administrator\".\n");
    return result;
}
#endif

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return kUsageExit;
#ifdef _WIN32
    if (IsDriveLetter(args.target) && !args.force &&
        !mkfat32::UsbLetterCheck(args.driveTable).Listed(static_cast<wchar_t>(args.target[0] & ~0x20)))
        return RefuseLetter(static_cast<wchar_t>(args.target[0] & ~0x20));
#endif

    const std::string label = LabelBytes(args);
    fat32::FormatRequest request;
    request.label = label.c_str();
    request.sectorsPerCluster = args.sectorsPerCluster
                                    ? args.sectorsPerCluster
                                    : fat32::RequestedSectorsPerCluster(CapacityInMegabytes(args));

    fat32::FormatResult result;
    if (IsDriveLetter(args.target)) {
#ifdef _WIN32
        result = FormatDriveLetter(args, request);
        if (result == kNotUsbExit) return result;
#else
        result = fat32::kInternalError;
#endif
    } else {
        fat32::ImageFileDevice device(args.target, args.image);
        fat32::FormatOptions options;
        options.now = fat32::CurrentLocalTime();
        result = fat32::FormatVolume(device, 'Z', request, options);
        if (result == fat32::kOpenFailed && device.LastError().accessDenied)
            std::fprintf(stderr, "mkfat32: %s: permission denied\n", args.target.c_str());
    }
    std::fflush(stdout);

    if (const fat32::ResultMessage* message = fat32::FindResultMessage(result))
        PrintLine(ChineseTexts() ? message->chinese : message->english);
    return result;
}
