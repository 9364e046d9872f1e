// The format run, step by step. Nothing is written before the layout is
// accepted; only the metadata area (reserved sectors, both FATs and the root
// directory cluster) is written, whatever the size of the volume, plus the
// fake-capacity probe's blocks when the caller asks for the probe.
#include "format/format_volume.h"

#include <chrono>
#include <cinttypes>
#include <ctime>
#include <optional>
#include <string>
#include <thread>

#include "format/console_text.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fat32 {
namespace {

constexpr std::uint32_t kClearChunkSectors = 128;
constexpr std::uint32_t kZeroBufferSize = kClearChunkSectors * kSectorSize;  // 64 KiB

// Closes the device on every road out of the run once it was opened. The old
// file system was dismounted before the first write and the lock keeps it
// off; a run that stops after its first write unlocks before it closes, so
// the system mounts whatever the stick now holds, never the old layout.
class ReleaseOnExit {
public:
    explicit ReleaseOnExit(BlockDevice& device) : device_(device) {}
    ~ReleaseOnExit() {
        if (writing_ && !settled_) device_.Unlock();
        device_.Close();
    }
    ReleaseOnExit(const ReleaseOnExit&) = delete;
    ReleaseOnExit& operator=(const ReleaseOnExit&) = delete;

    void WritingStarts() { writing_ = true; }
    // Every write is done; the run's own unlock decides the rest.
    void Settled() { settled_ = true; }

private:
    BlockDevice& device_;
    bool writing_ = false;
    bool settled_ = false;
};

bool LockWithRetries(BlockDevice& device, const FormatOptions& options) {
    for (int attempt = 1;; ++attempt) {
        if (device.Lock()) return true;
        if (attempt == kLockAttempts) return false;
        if (options.sleep)
            options.sleep(kLockRetryMilliseconds);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(kLockRetryMilliseconds));
    }
}

// Reads what the drive says about its size and place on the disk. Returns 0 or
// the refusal; `mayMarkPartition` tells whether an MBR entry may be rewritten.
FormatResult ReadVolumeGeometry(BlockDevice& device, VolumeGeometry& geometry,
                                bool& mayMarkPartition) {
    DiskGeometry disk;
    if (!device.GetGeometry(disk)) return kGeometryFailed;
    geometry.bytesPerSector = disk.bytesPerSector;
    geometry.sectorsPerTrack = disk.sectorsPerTrack;
    geometry.tracksPerCylinder = disk.tracksPerCylinder;

    PartitionInfo plain;
    if (device.GetPartitionInfo(plain)) {
        geometry.partitionLength = plain.partitionLength;
        geometry.hiddenSectors = plain.hiddenSectors;
        mayMarkPartition = true;
        return kFormatOk;
    }
    PartitionInfoEx extended;
    if (!device.GetPartitionInfoEx(extended)) return kPartitionInfoFailed;
    geometry.partitionLength = extended.partitionLength;
    // A drive reporting a zero sector size has no hidden-sector count to give;
    // a start beyond the field's 32 bits must not be cut to its low bits, which
    // would name some other place on the disk.
    const std::int64_t start =
        disk.bytesPerSector
            ? extended.startingOffset / static_cast<std::int64_t>(disk.bytesPerSector)
            : 0;
    geometry.hiddenSectors =
        start > 0 && start <= 0xFFFFFFFF ? static_cast<std::uint32_t>(start) : 0;
    mayMarkPartition = extended.style == PartitionStyle::Mbr;
    return kFormatOk;
}

// Zeroes the reserved area, both FATs and the root directory cluster.
FormatResult ClearMetadataArea(BlockDevice& device, const Fat32Layout& layout,
                               const std::uint8_t* zeros, const FormatOptions& options) {
    std::FILE* out = options.out;
    const std::uint64_t total = std::uint64_t{layout.sectorsToClear} * kSectorSize;
    if (!device.Seek(0)) return kWriteFailed;
    const auto start = std::chrono::steady_clock::now();
    for (std::uint32_t left = layout.sectorsToClear; left > 0;) {
        const std::uint32_t sectors = left < kClearChunkSectors ? left : kClearChunkSectors;
        if (!device.Write(zeros, sectors * kSectorSize)) return kWriteFailed;
        left -= sectors;
        if (options.progress)
            options.progress("clear", total - std::uint64_t{left} * kSectorSize, total);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const std::int64_t bytes = static_cast<std::int64_t>(layout.sectorsToClear) * kSectorSize;
    const double rate = seconds > 0 ? bytes / (seconds * 1024 * 1024) : 0.0;
    std::fprintf(out, "Wrote %" PRId64 " bytes in %.2f seconds, %.2f Megabytes/sec\n", bytes,
                 seconds, rate);
    return kFormatOk;
}

// The fake-capacity probe, when the caller asked for it: a drive that holds
// less than its partition claims is refused before the format writes a byte.
FormatResult RunProbe(CapacityProbe& probe, const FormatOptions& options) {
    const auto report = [&](std::uint64_t done, std::uint64_t total) {
        if (options.progress) options.progress("probe", done, total);
    };
    if (!probe.Run(*options.probe, report)) return kWriteFailed;
    return options.probe->honest ? kFormatOk : kFakeCapacity;
}

// A single-sector write that fails is told on the error stream with the
// system's own words; the run then stops with the write-failure code.
bool WriteSector(BlockDevice& device, std::uint32_t sector, const std::uint8_t* data,
                 std::FILE* err) {
    if (device.WriteAt(static_cast<std::uint64_t>(sector) * kSectorSize, data, kSectorSize))
        return true;
    const DeviceError error = device.LastError();
    std::string report = "Failed to write\n";
    if (error.code != 0)
        report += "GetLastError()=" + std::to_string(static_cast<int>(error.code)) + ": " +
                  error.text + "\n";
    WriteText(err, report.c_str());
    return false;
}

}  // namespace

FormatResult FormatVolume(BlockDevice& device, char letter, FormatRequest& request,
                          const FormatOptions& options) {
    PageAllocator& allocator = options.allocator ? *options.allocator : PageAllocator::System();
    std::FILE* out = options.out;

    char volumePath[] = "\\\\.\\Z:";
    volumePath[4] = letter;
    const std::uint32_t serialNumber = VolumeSerialNumber(options.now);

    if (!device.Open(volumePath)) return device.LastError().inUse ? kLockFailed : kOpenFailed;
    ReleaseOnExit release(device);

    if (device.AllowExtendedAccess())
        std::fprintf(out, "FSCTL_ALLOW_EXTENDED_DASD_IO OK\n");
    else
        std::fprintf(out, "Failed to allow extended DASD on device\n");

    if (!LockWithRetries(device, options)) return kLockFailed;
    if (options.verifyLocked) {
        if (const FormatResult refusal = options.verifyLocked(device); refusal != kFormatOk) {
            device.Unlock();
            return refusal;
        }
    }

    VolumeGeometry geometry;
    bool mayMarkPartition = false;
    if (FormatResult r = ReadVolumeGeometry(device, geometry, mayMarkPartition); r != kFormatOk)
        return r;

    // Every buffer is obtained before the first write: a run refused for
    // memory must leave the stick as it was.
    PageBuffer bootSector(allocator, kSectorSize);
    PageBuffer fsInfoSector(allocator, kSectorSize);
    PageBuffer fatSector(allocator, kSectorSize);
    PageBuffer rootSector(allocator, kSectorSize);
    PageBuffer zeros(allocator, kZeroBufferSize);
    std::optional<CapacityProbe> probe;
    if (options.probe)
        probe.emplace(device, static_cast<std::uint64_t>(geometry.partitionLength), options.probeNonce,
                      allocator);
    Fat32Layout layout;
    const FormatResult refusal = ComputeLayout(geometry, request, layout, [&] {
        return bootSector && fsInfoSector && fatSector && rootSector && zeros &&
               (!probe || probe->HasBuffer());
    });
    if (refusal != kFormatOk) return refusal;
    layout.serialNumber = serialNumber;
    BuildBootSector(layout, geometry, bootSector.data(), request.label);
    BuildFsInfoSector(layout, fsInfoSector.data());
    BuildFirstFatSector(fatSector.data());
    BuildRootDirectorySector(request.label, rootSector.data());

    // The old file system goes before the first write, while the lock keeps
    // everyone else off: a run cut anywhere after this (a console closed, a
    // kill, a pulled stick) leaves no mounted file system writing by the old
    // layout over the new metadata, and nothing remounts it until the lock
    // is let go.
    if (!device.Dismount()) return kDismountFailed;
    release.WritingStarts();
    if (options.writingStarts) options.writingStarts();
    if (probe) {
        if (FormatResult r = RunProbe(*probe, options); r != kFormatOk) return r;
    }
    if (FormatResult r = ClearMetadataArea(device, layout, zeros.data(), options); r != kFormatOk)
        return r;

    // The order decides what a run cut at any write (a pulled stick, a failing
    // sector) leaves behind: the clearing pass wipes the old boot sector first
    // and is flushed before anything new reaches the stick; then come FSInfo,
    // both FATs and the root directory; then the backup boot sector and backup
    // FSInfo, which repair tools would restore from, only once the FATs they
    // describe are there; the primary boot sector last. Cut anywhere, the
    // stick holds no FAT volume (the system offers to format it) or a whole
    // one, never a boot sector over empty FATs.
    if (!device.Flush()) return kWriteFailed;
    const std::uint32_t firstFat = layout.reservedSectors;
    const std::uint32_t secondFat = firstFat + layout.fatSectors;
    if (!WriteSector(device, kFsInfoSector, fsInfoSector.data(), options.err) ||
        !WriteSector(device, firstFat, fatSector.data(), options.err) ||
        !WriteSector(device, secondFat, fatSector.data(), options.err) ||
        !WriteSector(device, layout.firstDataSector, rootSector.data(), options.err) ||
        !WriteSector(device, kBackupBootSector, bootSector.data(), options.err) ||
        !WriteSector(device, kBackupFsInfoSector, fsInfoSector.data(), options.err) ||
        !device.Flush() || !device.BeforeBootSector() ||
        !WriteSector(device, 0, bootSector.data(), options.err))
        return kWriteFailed;
    // A stick with its write cache on may still hold the last sectors when
    // the user is told to pull it out.
    if (!device.Flush()) return kWriteFailed;

    // The volume is whole now, whatever the table says. Without a partition
    // table in front of it (hidden sectors 0) there is no entry to mark, so a
    // failure to mark it is no failure of the format.
    if (mayMarkPartition && !device.SetPartitionType(kPartitionTypeFat32Lba) &&
        geometry.hiddenSectors != 0)
        return kSetPartitionTypeFailed;

    release.Settled();
    // Every write and flush succeeded: a refused unlock changes nothing on the
    // stick, and closing the handle lets the lock go all the same.
    device.Unlock();
    return kFormatOk;
}

LocalTime CurrentLocalTime() {
    LocalTime now;
#ifdef _WIN32
    SYSTEMTIME t;
    ::GetLocalTime(&t);
    now = {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
#else
    const auto clock = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(clock);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(
                            clock.time_since_epoch()).count() % 1000;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    now = {static_cast<std::uint16_t>(local.tm_year + 1900),
           static_cast<std::uint16_t>(local.tm_mon + 1), static_cast<std::uint16_t>(local.tm_mday),
           static_cast<std::uint16_t>(local.tm_hour), static_cast<std::uint16_t>(local.tm_min),
           static_cast<std::uint16_t>(local.tm_sec), static_cast<std::uint16_t>(millis)};
#endif
    return now;
}

}  // namespace fat32
