// A run cut at each of its writes in turn (a pulled stick, a failing sector),
// over an old volume made by mkfs.fat, must leave the old volume, nothing a
// reader accepts, or the new volume whole; and no backup boot sector that a
// repair tool would restore over FATs not yet written. Judged by the real
// tools, blkid and fsck.fat, on the image the cut run left.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "devices/fault_injecting_device.h"
#include "format/format_volume.h"
#include "devices/image_file_device.h"
#include "test_image.h"

namespace fat32 {
namespace {

using testing::CapturedStream;
using testing::TestImage;

constexpr std::uint64_t k300MiB = 300ull * 1024 * 1024;
// 300 MiB at 8 sectors per cluster: 10 clearing writes, then 7 sectors.
constexpr std::size_t kWritesInARun = 17;

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

FormatResult Format(BlockDevice& device, const char* label) {
    FormatRequest request{8, label};
    CapturedStream out, err;
    FormatOptions options;
    options.out = out.get();
    options.err = err.get();
    return FormatVolume(device, 'E', request, options);
}

// What fsck.fat would make of the volume if the backup boot sector were
// restored over sector 0, as repair tools offer when sector 0 is unreadable.
bool BackupRestoresToAWholeVolume(const std::string& image) {
    const std::string copy = image + ".restored";
    const bool whole =
        Shell("cp --sparse=always " + image + " " + copy) == 0 &&
        Shell("dd if=" + image + " of=" + copy + " bs=512 skip=6 seek=0 count=1 conv=notrunc") ==
            0 &&
        Shell("fsck.fat -n " + copy) == 0;
    std::remove(copy.c_str());
    return whole;
}

// Sector 6 holds something a repair tool takes for a FAT32 boot sector.
bool SectorSixIsABootSector(const std::string& image) {
    std::ifstream file(image, std::ios::binary);
    char sector[512] = {};
    file.seekg(6 * 512);
    file.read(sector, sizeof sector);
    return std::string(sector + 0x52, 8) == "FAT32   " &&
           static_cast<unsigned char>(sector[510]) == 0x55 &&
           static_cast<unsigned char>(sector[511]) == 0xAA;
}

TEST(CutRun, LeavesTheOldVolumeNothingOrTheNewOneWhole) {
    for (const char* label : {static_cast<const char*>(nullptr), "CUT RUN"}) {
        for (std::size_t cut = 1; cut <= kWritesInARun + 1; ++cut) {
            SCOPED_TRACE(std::string("label ") + (label ? label : "none") + ", cut at write " +
                         std::to_string(cut));
            TestImage image(k300MiB);
            ASSERT_EQ(Shell("mkfs.fat -F 32 -s 4 -n OLDVOL " + image.path()), 0);
            ImageFileDevice file(image.path(), ImageOptions{});
            FaultInjectingDevice device(file);
            device.FailWrite(cut);
            const FormatResult result = Format(device, label);
            EXPECT_EQ(result, cut <= kWritesInARun ? kWriteFailed : kFormatOk);

            // fsck.fat -n answers 0 only for a clean volume, labelled or not.
            const bool fsckPasses = Shell("fsck.fat -n " + image.path()) == 0;
            const bool blkidSeesFat =
                Shell("blkid -p -u filesystem -n vfat " + image.path()) == 0;
            if (cut == 1 || cut > kWritesInARun) {
                // Cut at the first write, nothing was written: the old volume
                // stands. Uncut: the new one is whole.
                EXPECT_TRUE(fsckPasses);
            } else {
                EXPECT_FALSE(blkidSeesFat) << "a cut run left something that mounts";
                EXPECT_FALSE(fsckPasses);
            }
            if (cut > 1 && SectorSixIsABootSector(image.path())) {
                EXPECT_TRUE(BackupRestoresToAWholeVolume(image.path()))
                    << "the backup boot sector would revive a volume that is not whole";
            }
        }
    }
}

}  // namespace
}  // namespace fat32
