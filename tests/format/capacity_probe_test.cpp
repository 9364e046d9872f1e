// The fake-capacity probe's roads, each through a whole format run: what a
// failing device, an honest stick and counterfeits of several kinds give, and
// that a refused or failed probe is never followed by the format's writes.
#include "format/capacity_probe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "devices/fault_injecting_device.h"
#include "format/format_volume.h"
#include "devices/image_file_device.h"
#include "test_image.h"

namespace fat32 {
namespace {

using testing::CapturedStream;
using testing::TestImage;

constexpr std::uint64_t kMiB = 1024 * 1024;

enum class Past { Wraps, Zeros, Junk };

// A counterfeit stick that holds `real` bytes: writes beyond are dropped and
// reads there give zeros or junk; or it wraps there (the image's own mode).
// With `zeroFirstSector` the first sector always reads back as zeros.
class Counterfeit : public ImageFileDevice {
public:
    Counterfeit(const std::string& path, std::uint64_t real, Past past, bool zeroFirstSector)
        : ImageFileDevice(path, Options(real, past)), real_(real), past_(past),
          zeroFirst_(zeroFirstSector) {}

    bool Seek(std::uint64_t offset) override {
        at_ = offset;
        return ImageFileDevice::Seek(offset);
    }
    bool Write(const void* data, std::uint32_t size) override {
        if (past_ == Past::Wraps || at_ < real_)
            return Advance(ImageFileDevice::Write(data, size), size);
        return Advance(ImageFileDevice::Seek(at_ + size), size);  // dropped
    }
    bool Read(void* data, std::uint32_t size) override {
        auto* bytes = static_cast<std::uint8_t*>(data);
        const std::uint64_t from = at_;
        bool ok;
        if (past_ == Past::Wraps || at_ < real_) {
            ok = ImageFileDevice::Read(data, size);
        } else {
            for (std::uint32_t i = 0; i < size; ++i)
                bytes[i] = past_ == Past::Junk ? static_cast<std::uint8_t>(i * 7 + 1) : 0;
            ok = ImageFileDevice::Seek(at_ + size);
        }
        if (zeroFirst_ && from == 0) std::memset(bytes, 0, 512);
        return Advance(ok, size);
    }

private:
    static ImageOptions Options(std::uint64_t real, Past past) {
        ImageOptions options;
        if (past == Past::Wraps) options.fakeCapacity = real;
        return options;
    }
    bool Advance(bool ok, std::uint32_t size) {
        at_ += size;
        return ok;
    }

    std::uint64_t real_, at_ = 0;
    Past past_;
    bool zeroFirst_;
};

struct ProbeRoad {
    const char* name;
    std::uint64_t real;  // 0: an honest stick
    Past past;
    bool zeroFirstSector;
    DeviceOp failing;    // Open: nothing fails
    FormatResult result;
};

class ProbeRoads : public ::testing::TestWithParam<ProbeRoad> {};

TEST_P(ProbeRoads, EndAsTheDeviceDeserves) {
    const ProbeRoad& road = GetParam();
    const std::uint64_t claimed = 1024 * kMiB;
    TestImage image(claimed);
    Counterfeit stick(image.path(), road.real ? road.real : claimed, road.past, road.zeroFirstSector);
    FaultInjectingDevice device(stick);
    if (road.failing != DeviceOp::Open) device.FailFirst(road.failing, 1);

    ProbeReport report;
    std::uint64_t lastDone = 0, total = 0;
    bool overshot = false;
    FormatRequest request{8, "P"};
    CapturedStream out, err;
    FormatOptions options;
    options.out = out.get();
    options.err = err.get();
    options.probe = &report;
    options.probeNonce = 0x5EED;
    options.progress = [&](const char* step, std::uint64_t done, std::uint64_t all) {
        if (std::strcmp(step, "probe") != 0) return;
        overshot |= done > all;
        lastDone = done;
        total = all;
    };
    EXPECT_EQ(FormatVolume(device, 'E', request, options), road.result);
    EXPECT_FALSE(overshot);

    // The format's own writes (64 KiB clearing chunks, 512-byte sectors) come
    // only after an honest probe.
    const auto writes = device.Writes();
    const bool formatted = std::any_of(writes.begin(), writes.end(), [](const DeviceCall& w) {
        return w.succeeded && (w.size == 65536 || w.size == 512);
    });
    EXPECT_EQ(formatted, road.result == kFormatOk);
    if (road.result == kFormatOk) {
        EXPECT_EQ(lastDone, total);
    }
    if (road.result == kFakeCapacity && !road.zeroFirstSector) {
        // Never more than the stick holds, and off by less than the 8 MiB
        // between two probe places.
        EXPECT_LE(report.realCapacity, road.real);
        EXPECT_GT(report.realCapacity + 8 * kMiB, road.real);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Each, ProbeRoads,
    ::testing::Values(
        ProbeRoad{"honest", 0, Past::Wraps, false, DeviceOp::Open, kFormatOk},
        ProbeRoad{"probe_write_fails", 0, Past::Wraps, false, DeviceOp::Write, kWriteFailed},
        ProbeRoad{"probe_read_fails", 0, Past::Wraps, false, DeviceOp::Read, kWriteFailed},
        ProbeRoad{"probe_flush_fails", 0, Past::Wraps, false, DeviceOp::Flush, kWriteFailed},
        ProbeRoad{"seek_fails", 0, Past::Wraps, false, DeviceOp::Seek, kWriteFailed},
        ProbeRoad{"drops_reads_zeros", 100 * kMiB, Past::Zeros, false, DeviceOp::Open, kFakeCapacity},
        ProbeRoad{"drops_reads_junk", 100 * kMiB, Past::Junk, false, DeviceOp::Open, kFakeCapacity},
        // Neither a power of two nor on a probe place: between 96 and 104 MiB.
        ProbeRoad{"wraps_between_places", 100 * kMiB + 12288, Past::Wraps, false, DeviceOp::Open,
                  kFakeCapacity},
        ProbeRoad{"first_sector_zeros", 0, Past::Wraps, true, DeviceOp::Open, kFakeCapacity}),
    [](const auto& info) { return std::string(info.param.name); });

// A seek that fails before the clearing pass, with no probe asked for.
TEST(ProbeRoadsOut, FailedSeekBeforeClearingWritesNothing) {
    TestImage image(300 * kMiB);
    ImageFileDevice file(image.path(), ImageOptions{});
    FaultInjectingDevice device(file);
    device.FailOperation(DeviceOp::Seek);
    FormatRequest request{8, "P"};
    CapturedStream out, err;
    FormatOptions options;
    options.out = out.get();
    options.err = err.get();
    EXPECT_EQ(FormatVolume(device, 'E', request, options), kWriteFailed);
    EXPECT_EQ(device.CountOf(DeviceOp::Write), 0u);
}

// Claimed sizes too small for a probe window still end.
TEST(ProbeRoadsOut, TinyClaimedSizesReturn) {
    for (std::uint64_t claimed : {kMiB, std::uint64_t{8192}, std::uint64_t{4096}}) {
        TestImage image(claimed);
        ImageFileDevice file(image.path(), ImageOptions{});
        ASSERT_TRUE(file.Open("\\\\.\\E:"));
        CapacityProbe probe(file, claimed, 1, PageAllocator::System());
        ProbeReport report;
        EXPECT_TRUE(probe.Run(report)) << claimed;
        EXPECT_TRUE(report.honest) << claimed;
        file.Close();
    }
}

}  // namespace
}  // namespace fat32
