// mkfat32's options. Numbers are decimal; sizes take K, M, G or T suffixes
// (powers of 1024).
#include "tools/mkfat32/arguments.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "format/fat32_layout.h"
#include "tools/mkfat32/platform_usage.h"

namespace mkfat32 {
namespace {

std::string Usage() {
    const PlatformUsage& platform = ThisPlatformUsage();
    return std::string(
               "usage: mkfat32 [options] TARGET\n"
               "\n"
               "Writes an empty FAT32 volume over TARGET, an existing image file") +
           platform.targets +
           ".\n"
           "\n"
           "options:\n"
           "  -l, --label TEXT        volume label (at most 11 bytes are kept)\n"
           "  --codepage N            OEM code page the label is stored in (default: the\n"
           "                          system's on Windows, 850 elsewhere)\n"
           "  -c, --cluster N         sectors per cluster: 1, 2, 4, 8, 16, 32, 64 or 128\n"
           "                          (default: chosen from the capacity in MB; by the\n"
           "                          engine from the partition when that is unknown)\n"
           "  --check                 first probe whether the drive really holds what it\n"
           "                          claims (a counterfeit stick wraps its addresses);\n"
           "                          refuse with 17 and format nothing if not\n"
           "  --align[=SIZE]          start the first data cluster on a multiple of SIZE\n"
           "                          (default 4M, at most 16M) from the start of the disk,\n"
           "                          hidden sectors counted, by growing the reserved area\n" +
           platform.mbrOption +
           "  -v, --verbose           also print the engine's diagnostic lines\n"
           "  --version               print the version and exit\n" +
           platform.targetOptions +
           "image files only, to act as a particular drive:\n"
           "  --hidden N              sectors in front of the partition (default 0)\n"
           "  --partition KIND        how the partition query answers: plain, mbr, gpt,\n"
           "                          raw (extended query only) or none (default plain)\n"
           "  --set-type-fails        the partition-type change fails\n"
           "  --sector-size N         bytes per sector the drive reports (default 512)\n"
           "  --geometry SPT,HEADS    sectors per track and heads (default 63,255)\n"
           "  --fake-capacity SIZE    act as a counterfeit stick holding only SIZE bytes\n"
           "                          (a multiple of 512): addresses wrap there\n"
           "\n"
           "SIZE is bytes with an optional K, M, G or T suffix (powers of 1024).\n"
           "Progress is shown on standard error when it is a terminal.\n";
}

// Bytes with an optional K, M, G or T suffix, powers of 1024.
// strtoul and strtoull skip blanks and take signs; a number here is digits.
bool StartsWithDigit(const char* text) {
    return text && std::isdigit(static_cast<unsigned char>(text[0]));
}

bool ParseSize(const char* text, std::uint64_t& bytes) {
    if (!StartsWithDigit(text)) return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || end == text) return false;
    int shift = 0;
    switch (*end) {
        case '\0': break;
        case 'K': case 'k': shift = 10; break;
        case 'M': case 'm': shift = 20; break;
        case 'G': case 'g': shift = 30; break;
        case 'T': case 't': shift = 40; break;
        default: return false;
    }
    if (*end && end[1] != '\0') return false;
    if (value > (~0ull >> shift)) return false;
    bytes = static_cast<std::uint64_t>(value) << shift;
    return true;
}

bool ParseNumber(const char* text, unsigned long max, unsigned long& value) {
    if (!StartsWithDigit(text)) return false;
    char* end = nullptr;
    errno = 0;
    value = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && value <= max;
}

bool IsPowerOfTwoUpTo128(unsigned long n) { return n >= 1 && n <= 128 && (n & (n - 1)) == 0; }

bool Fail(const char* problem, const char* detail) {
    std::fprintf(stderr, "mkfat32: %s%s%s\n\n%s", problem, detail ? ": " : "", detail ? detail : "",
                 Usage().c_str());
    return false;
}

}  // namespace

bool ParseArguments(int argc, char** argv, Arguments& args) {
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        unsigned long n = 0;
        auto needsValue = [&] { return value ? (++i, true) : Fail("missing value for", argv[i]); };
        for (const char* imageOnly : {"--hidden", "--partition", "--set-type-fails",
                                      "--sector-size", "--geometry", "--fake-capacity"})
            if (option == imageOnly) args.imageOptions = true;
        if (option == "-h" || option == "--help") {
            std::fputs(Usage().c_str(), stdout);
            std::exit(0);
        } else if (option == "-l" || option == "--label") {
            if (!needsValue()) return false;
            args.label = value;
            args.hasLabel = true;
            args.labelArgument = i;
        } else if (option == "--codepage") {
            if (!needsValue()) return false;
            if (!ParseNumber(value, 65535, n) || n == 0) return Fail("bad code page", value);
            args.codePage = static_cast<unsigned>(n);
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
        } else if (option == "-v" || option == "--verbose") {
            args.verbose = true;
        } else if (option == "--version") {
            args.showVersion = true;
        } else if (option == "--mbr") {
            if (const char* refusal = ThisPlatformUsage().noMbr) return Fail(refusal, nullptr);
            args.newMbr = true;
        } else if (option == "--lock" || option.rfind("--lock=", 0) == 0) {
            if (const char* refusal = ThisPlatformUsage().noDeviceOptions)
                return Fail(refusal, nullptr);
            args.lock = option.size() > 6 ? option.substr(7) : "yes";
            // util-linux takes the mode in any case ("NONBLOCK", "Yes").
            for (char& c : args.lock) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (args.lock != "yes" && args.lock != "1" && args.lock != "no" && args.lock != "0" &&
                args.lock != "nonblock")
                return Fail("the lock mode is yes, no or nonblock", option.c_str());
        } else if (option == "--keep-type") {
            if (const char* refusal = ThisPlatformUsage().noDeviceOptions)
                return Fail(refusal, nullptr);
            args.keepType = true;
        } else if (option == "--check") {
            args.check = true;
        } else if (option == "--align" || option.rfind("--align=", 0) == 0) {
            std::uint64_t bytes = 4ull << 20;
            const bool given = option.size() > 7;
            if ((given && !ParseSize(option.c_str() + 8, bytes)) || bytes % fat32::kSectorSize != 0 ||
                bytes == 0 || bytes / fat32::kSectorSize > fat32::kMaxAlignSectors)
                return Fail("alignment must be a multiple of 512 bytes up to 16M", option.c_str());
            args.alignSectors = static_cast<std::uint32_t>(bytes / fat32::kSectorSize);
        } else if (option == "--fake-capacity") {
            if (!needsValue()) return false;
            std::uint64_t bytes = 0;
            if (!ParseSize(value, bytes) || bytes == 0 || bytes % fat32::kSectorSize != 0)
                return Fail("fake capacity must be a multiple of 512 bytes", value);
            args.image.fakeCapacity = bytes;
        } else if (option == "--force") {
            args.force = true;
        } else if (option == "--drive-table") {
            if (!needsValue()) return false;
            if (!*value) return Fail("the drive table needs a file name", nullptr);
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
            const char* comma = std::strchr(value, ',');
            if (!StartsWithDigit(value) || !comma || !StartsWithDigit(comma + 1) ||
                std::sscanf(value, "%u,%u%c", &spt, &heads, &extra) != 2 || spt > 0xFFFF ||
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
    if (args.showVersion) return true;
    if (args.target.empty()) return Fail("no target given", nullptr);
    if (args.newMbr && args.imageOptions)
        return Fail("--mbr lays out the partition itself; --hidden, --partition, --geometry, "
                    "--sector-size and the like cannot go with it", nullptr);
    return true;
}

}  // namespace mkfat32
