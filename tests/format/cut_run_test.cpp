// A run cut at each of its writes in turn (a pulled stick, a failing sector)
// must leave either no FAT volume at all or a whole one that fsck.fat passes:
// never a volume that mounts over an empty FAT with its root directory free.
// Judged by the real tools, blkid and fsck.fat, on the image the cut run left.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "format/fault_injecting_device.h"
#include "format/format_volume.h"
#include "format/image_file_device.h"
#include "test_image.h"

namespace fat32 {
namespace {

using testing::CapturedStream;
using testing::TestImage;

constexpr std::uint64_t k300MiB = 300ull * 1024 * 1024;
// 300 MiB at 8 sectors per cluster: 10 clearing writes, then 7 sectors.
constexpr std::size_t kWritesInARun = 17;

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

FormatResult Format(BlockDevice& device, std::int32_t sectorsPerCluster, const char* label) {
    FormatRequest request{sectorsPerCluster, label};
    CapturedStream out, err;
    FormatOptions options;
    options.out = out.get();
    options.err = err.get();
    return FormatVolume(device, 'E', request, options);
}

TEST(CutRun, LeavesNoVolumeOrAWholeOne) {
    for (std::size_t cut = 1; cut <= kWritesInARun + 1; ++cut) {
        TestImage image(k300MiB);
        ImageFileDevice file(image.path(), ImageOptions{});
        // The stick held a volume of another layout before.
        ASSERT_EQ(Format(file, 4, nullptr), kFormatOk);
        FaultInjectingDevice device(file);
        device.FailWrite(cut);
        // No labels: fsck.fat -n then answers 0 only for a clean volume.
        const FormatResult result = Format(device, 8, nullptr);
        EXPECT_EQ(result, cut <= kWritesInARun ? kWriteFailed : kFormatOk) << cut;

        const bool fsckPasses = Shell("fsck.fat -n " + image.path()) == 0;
        const bool blkidSeesFat = Shell("blkid -p -u filesystem -n vfat " + image.path()) == 0;
        // Cut at the first write: nothing was written, the old volume stands.
        if (cut == 1 || cut > kWritesInARun) {
            EXPECT_TRUE(fsckPasses) << cut;
        } else {
            EXPECT_FALSE(blkidSeesFat) << "a cut run left something that mounts, write " << cut;
            EXPECT_FALSE(fsckPasses) << cut;
        }
    }
}

}  // namespace
}  // namespace fat32
