// mkfat32: formats an image file, on Linux a block device, on Windows the
// drive letter of a USB drive, as FAT32 with the tool's own engine, prints the
// result message (and with -v the engine's diagnostic lines), and exits with
// the result code. What differs between the systems is behind Platform.
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>

#include "format/console_text.h"
#include "format/fat32_layout.h"
#include "format/format_result.h"
#include "format/format_volume.h"
#include "tools/mkfat32/arguments.h"
#include "tools/mkfat32/platform.h"
#include "tools/mkfat32/progress_line.h"

namespace {

using mkfat32::Arguments;

// Capacity in MB of 1,048,576 bytes, as the window's policy sees it; 0 when
// unknown, which leaves the choice to the engine.
std::uint32_t CapacityInMegabytes(std::uint64_t bytes) {
    const std::uint64_t megabytes = bytes / (1024 * 1024);
    return megabytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(megabytes);
}

void PrintLine(const char* utf8) { fat32::WriteText(stdout, (std::string(utf8) + "\n").c_str()); }

// The engine's options for this run: the clock, the probe when asked for, the
// progress line, and quiet diagnostics without -v.
fat32::FormatOptions RunOptions(const Arguments& args, mkfat32::Platform& platform,
                                fat32::ProbeReport& probe, mkfat32::ProgressLine& progress) {
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
    if (std::FILE* quiet = args.verbose ? nullptr : platform.NullStream()) options.out = quiet;
    return options;
}

void PrintProbe(const fat32::ProbeReport& probe) {
    const std::uint64_t window = probe.bytesWritten - std::uint64_t{probe.places} * 4096;
    std::printf("Probe: %u places and the first %" PRIu64 " MiB, %" PRIu64
                " MiB written and read back in %.2f seconds: %s\n",
                probe.places, window >> 20, probe.bytesWritten >> 20, probe.seconds,
                probe.honest ? "every place read back right" : "addresses wrap");
}

// The result's message in the language in force.
void PrintResult(fat32::FormatResult result, const fat32::ProbeReport& probe, bool chinese) {
    if (result == fat32::kFakeCapacity) {
        const fat32::ResultMessage& message = fat32::FakeCapacityMessage();
        char text[256];
        std::snprintf(text, sizeof text, chinese ? message.chinese : message.english,
                      static_cast<unsigned long long>(probe.realCapacity >> 20));
        PrintLine(text);
    } else if (const fat32::ResultMessage* message = fat32::FindResultMessage(result)) {
        PrintLine(chinese ? message->chinese : message->english);
    }
}

bool IsRefusal(int code) { return code == mkfat32::kNotUsbExit || code == mkfat32::kUsageExit; }

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, args)) return mkfat32::kUsageExit;
    if (args.showVersion) {
        std::printf("mkfat32 %s\n", MKFAT32_VERSION);
        return 0;
    }
    const auto platform = mkfat32::MakePlatform();
    std::string label;
    if (!platform->LabelBytes(args, label)) return mkfat32::kUsageExit;

    // The target is opened and checked once; a refusal writes nothing.
    if (const int refusal = platform->Open(args)) {
        if (IsRefusal(refusal)) return refusal;
        PrintResult(refusal, fat32::ProbeReport(), platform->ChineseTexts());
        return refusal;
    }

    fat32::FormatRequest request;
    request.label = label.c_str();
    request.alignSectors = args.alignSectors;
    request.sectorsPerCluster =
        args.sectorsPerCluster
            ? args.sectorsPerCluster
            : fat32::RequestedSectorsPerCluster(CapacityInMegabytes(platform->VolumeBytes()));
    // An explicit -c stands as given; the policy's choice may shrink to fit.
    request.mayUseSmallerClusters = args.sectorsPerCluster == 0;

    fat32::ProbeReport probe;
    fat32::FormatResult result = fat32::kInternalError;
    {
        mkfat32::ProgressLine progress(stderr);
        fat32::FormatOptions options = RunOptions(args, *platform, probe, progress);
        result = platform->Format(request, options);
    }
    if (IsRefusal(result)) return result;
    if (result != fat32::kFormatOk) platform->ReportFailure(result);
    if (args.check && probe.places > 0) PrintProbe(probe);
    std::fflush(stdout);
    PrintResult(result, probe, platform->ChineseTexts());
    return result;
}
