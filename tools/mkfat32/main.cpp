// mkfat32: formats an image file (or, on Windows, a drive letter) as FAT32
// with the tool's own engine, prints the engine's diagnostic lines and the
// result message, and exits with the result code.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "format/image_file_device.h"

#ifdef _WIN32
#include <windows.h>
#include "format/show_result.h"
#else
#include <sys/stat.h>
#endif

namespace {

constexpr int kUsageExit = 64;

const char kUsage[] =
    "usage: mkfat32 [options] TARGET\n"
    "\n"
    "Writes an empty FAT32 volume over TARGET, an existing image file"
#ifdef _WIN32
    "\nor a drive letter such as E:"
#endif
    ".\n"
    "\n"
    "options:\n"
    "  -l, --label TEXT        volume label (at most 11 bytes are kept)\n"
    "  -c, --cluster N         sectors per cluster: 1, 2, 4, 8, 16, 32, 64 or 128\n"
    "                          (default: chosen from the capacity in MB)\n"
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
        const std::string root = args.target + "\\";
        ULARGE_INTEGER total{};
        if (::GetDiskFreeSpaceExA(root.c_str(), nullptr, &total, nullptr)) bytes = total.QuadPart;
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

void PrintLine(const char* utf8) {
#ifdef _WIN32
    // A console wants UTF-16; a pipe or file gets the UTF-8 bytes.
    HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (::GetConsoleMode(out, &mode)) {
        std::fflush(stdout);
        wchar_t wide[512];
        const int units = ::MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 512);
        DWORD written = 0;
        if (units > 1) ::WriteConsoleW(out, wide, static_cast<DWORD>(units - 1), &written, nullptr);
        ::WriteConsoleW(out, L"\n", 1, &written, nullptr);
        return;
    }
#endif
    std::printf("%s\n", utf8);
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return kUsageExit;

    if (args.label.size() > 11)
        std::fprintf(stderr, "mkfat32: the label is cut to its first 11 bytes\n");

    fat32::FormatRequest request;
    request.label = args.hasLabel ? args.label.c_str() : "";
    request.sectorsPerCluster = args.sectorsPerCluster
                                    ? args.sectorsPerCluster
                                    : static_cast<int>(fat32::SectorsPerClusterForCapacity(
                                          CapacityInMegabytes(args)));

    fat32::FormatResult result;
    if (IsDriveLetter(args.target)) {
#ifdef _WIN32
        result = fat32::FormatVolume(args.target[0], request);
#else
        result = fat32::kInternalError;
#endif
    } else {
        fat32::ImageFileDevice device(args.target, args.image);
        fat32::FormatOptions options;
        options.now = fat32::CurrentLocalTime();
        result = fat32::FormatVolume(device, 'Z', request, options);
    }
    std::fflush(stdout);

    if (const fat32::ResultMessage* message = fat32::FindResultMessage(result))
        PrintLine(ChineseTexts() ? message->chinese : message->english);
    return result;
}
