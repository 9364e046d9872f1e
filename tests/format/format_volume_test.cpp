// A whole format run against an image file behind the fault-injecting device:
// the order, offsets and sizes of the writes, the result after each failing
// operation, and what is (and is not) left on the volume.
#include "format/format_volume.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "devices/fault_injecting_device.h"
#include "devices/image_file_device.h"
#include "test_image.h"

namespace fat32 {
namespace {

using testing::CapturedStream;
using testing::TestImage;

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t k300MiB = 300 * kMiB;  // 614,400 sectors: FAT 599, clear 1,238

std::vector<std::uint8_t> Bytes(std::size_t n, std::uint8_t value) {
    return std::vector<std::uint8_t>(n, value);
}

// Fails the allocation with the given number (counting from 1).
class FailingAllocator : public PageAllocator {
public:
    explicit FailingAllocator(int failAt) : failAt_(failAt) {}
    void* Allocate(std::size_t bytes) override {
        return ++count_ == failAt_ ? nullptr : PageAllocator::Allocate(bytes);
    }

private:
    int failAt_;
    int count_ = 0;
};

class FormatRun : public ::testing::Test {
protected:
    void Use(std::uint64_t bytes, ImageOptions imageOptions = ImageOptions{}) {
        image_ = std::make_unique<TestImage>(bytes);
        imageDevice_ = std::make_unique<ImageFileDevice>(image_->path(), imageOptions);
        device_ = std::make_unique<FaultInjectingDevice>(*imageDevice_);
    }

    FormatResult Run(std::int32_t sectorsPerCluster = 8, const char* label = "TESTVOL") {
        if (!device_) Use(k300MiB);
        request_.sectorsPerCluster = sectorsPerCluster;
        request_.label = label;
        FormatOptions options;
        options.now = LocalTime{2024, 3, 5, 14, 7, 9, 456};
        options.out = out_.get();
        options.err = err_.get();
        options.allocator = allocator_;
        options.sleep = sleep_ ? sleep_ : [](unsigned) {};
        options.verifyLocked = verify_;
        options.probe = probe_;
        return FormatVolume(*device_, 'E', request_, options);
    }

    FaultInjectingDevice& device() { return *device_; }
    TestImage& image() { return *image_; }

    std::vector<DeviceOp> Ops() const {
        std::vector<DeviceOp> ops;
        for (const DeviceCall& call : device_->Calls()) ops.push_back(call.op);
        return ops;
    }

    // The run closed the device last and wrote nothing at all.
    void ExpectClosedUntouched() {
        EXPECT_EQ(device_->CountOf(DeviceOp::Write), 0u);
        ASSERT_FALSE(device_->Calls().empty());
        EXPECT_EQ(device_->Calls().back().op, DeviceOp::Close);
        EXPECT_EQ(device_->CountOf(DeviceOp::Close), 1u);
    }

    std::unique_ptr<TestImage> image_;
    std::unique_ptr<ImageFileDevice> imageDevice_;
    std::unique_ptr<FaultInjectingDevice> device_;
    FormatRequest request_;
    PageAllocator* allocator_ = nullptr;
    std::function<void(unsigned)> sleep_;
    CapturedStream out_, err_;
    std::function<FormatResult(BlockDevice&)> verify_;
    ProbeReport* probe_ = nullptr;
};

TEST_F(FormatRun, SevenGigabyteVolumeIsClearedInSixtyFourKilobyteWrites) {
    Use(7680 * kMiB);
    ASSERT_EQ(Run(8), kFormatOk);
    const std::vector<DeviceCall> writes = device().Writes();
    ASSERT_EQ(writes.size(), 240u + 7);
    std::uint64_t expected = 0;
    for (std::size_t i = 0; i < 240; ++i) {
        EXPECT_EQ(writes[i].offset, expected) << i;
        EXPECT_EQ(writes[i].size, i < 239 ? 65536u : 110u * 512) << i;
        expected += writes[i].size;
    }
    EXPECT_EQ(expected, 15719424u);  // 30,702 sectors
    // The boot sector comes last, so a cut run never leaves a volume that mounts.
    const std::uint32_t metadata[] = {1, 32, 32 + 15331, 30694, 6, 7, 0};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(writes[240 + i].offset, metadata[i] * 512ull) << i;
        EXPECT_EQ(writes[240 + i].size, 512u) << i;
    }
    const std::string out = out_.Text();
    EXPECT_EQ(out.rfind("FSCTL_ALLOW_EXTENDED_DASD_IO OK\nWrote 15719424 bytes in ", 0), 0u);
    EXPECT_NE(out.find(" seconds, "), std::string::npos);
    EXPECT_NE(out.find(" Megabytes/sec\n"), std::string::npos);
}

TEST_F(FormatRun, OperationsComeInTheirOrder) {
    ASSERT_EQ(Run(), kFormatOk);
    std::vector<DeviceOp> ops = Ops();
    // Fold the clearing pass and the metadata writes, which the test above counts.
    ops.erase(std::unique(ops.begin(), ops.end(),
                          [](DeviceOp a, DeviceOp b) {
                              return a == b && a == DeviceOp::Write;
                          }),
              ops.end());
    const std::vector<DeviceOp> expected = {
        DeviceOp::Open, DeviceOp::AllowExtendedAccess, DeviceOp::Lock, DeviceOp::GetGeometry,
        DeviceOp::GetPartitionInfo,
        DeviceOp::Dismount,               // the old file system goes before any write
        DeviceOp::Seek, DeviceOp::Write,  // clearing pass, old boot sector first ...
        DeviceOp::Flush,                  // ... gone before anything new lands
        DeviceOp::Seek, DeviceOp::Write,  // sector 1
        DeviceOp::Seek, DeviceOp::Write, DeviceOp::Seek, DeviceOp::Write,   // both FATs
        DeviceOp::Seek, DeviceOp::Write,  // root directory
        DeviceOp::Seek, DeviceOp::Write, DeviceOp::Seek, DeviceOp::Write,   // sectors 6, 7
        DeviceOp::Flush,                  // all of the volume is on the stick ...
        DeviceOp::Seek, DeviceOp::Write,  // ... before its boot sector makes it one
        DeviceOp::Flush,                  // nothing left in a cache when the user pulls the stick
        DeviceOp::SetPartitionType,
        DeviceOp::Unlock, DeviceOp::Close};
    EXPECT_EQ(ops, expected);
    EXPECT_EQ(device().OpenedPath(), "\\\\.\\E:");
    EXPECT_EQ(imageDevice_->PartitionType(), kPartitionTypeFat32Lba);
}

TEST_F(FormatRun, VolumeHoldsTheImagesAndKeepsTheDataArea) {
    Use(k300MiB);
    // Old contents: metadata area must be cleared, data clusters left alone.
    image().Write(3 * 512, Bytes(512, 0xAB));
    image().Write(40 * 512, Bytes(512, 0xAB));
    image().Write(1238ull * 512 - 512, Bytes(512, 0xAB));  // last sector of the root cluster
    image().Write(1238ull * 512, Bytes(512, 0xCD));        // first sector of cluster 3
    ASSERT_EQ(Run(8, "MY LABEL"), kFormatOk);

    const auto boot = image().Sector(0);
    EXPECT_EQ(boot, image().Sector(6));
    EXPECT_EQ(image().Sector(1), image().Sector(7));
    EXPECT_EQ(image().Sector(32), image().Sector(32 + 599));
    EXPECT_EQ(boot[0x43], 0x32);  // serial 0x15EF0C32, little-endian
    EXPECT_EQ(boot[0x46], 0x15);
    EXPECT_EQ(image().Sector(3), Bytes(512, 0));
    EXPECT_EQ(image().Sector(40), Bytes(512, 0));
    EXPECT_EQ(image().Sector(1237), Bytes(512, 0));
    EXPECT_EQ(image().Sector(1238), Bytes(512, 0xCD));
    const auto root = image().Sector(32 + 2 * 599);
    EXPECT_EQ(std::string(root.begin(), root.begin() + 11), "MY LABEL   ");
    EXPECT_EQ(root[11], 0x08);
    EXPECT_EQ(std::string(boot.begin() + 0x47, boot.begin() + 0x52), "MY LABEL   ");
}

TEST_F(FormatRun, AutomaticClusterSizeIsWrittenBack) {
    ASSERT_EQ(Run(0), kFormatOk);
    EXPECT_EQ(request_.sectorsPerCluster, 8);
    EXPECT_EQ(image().Sector(0)[0x0D], 8);
}

struct FailingStep {
    DeviceOp op;
    FormatResult result;
};

class FailingOperation : public FormatRun, public ::testing::WithParamInterface<FailingStep> {};

TEST_P(FailingOperation, StopsWithItsCodeAndClosesTheVolume) {
    Use(k300MiB, ImageOptions{512, 63, 255, 2048, PartitionQuery::Plain, false});
    device().FailOperation(GetParam().op);
    EXPECT_EQ(Run(), GetParam().result);
    EXPECT_EQ(device().Calls().back().op, DeviceOp::Close);
    EXPECT_EQ(device().CountOf(DeviceOp::Close), 1u);
    if (GetParam().result >= kTooFewClusters || GetParam().op == DeviceOp::Dismount) {
        EXPECT_EQ(device().CountOf(DeviceOp::Write), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, FailingOperation,
    ::testing::Values(FailingStep{DeviceOp::Lock, kLockFailed},
                      FailingStep{DeviceOp::GetGeometry, kGeometryFailed},
                      FailingStep{DeviceOp::SetPartitionType, kSetPartitionTypeFailed},
                      FailingStep{DeviceOp::Dismount, kDismountFailed},
                      // Closing the handle unlocks: the run is whole.
                      FailingStep{DeviceOp::Unlock, kFormatOk},
                      FailingStep{DeviceOp::AllowExtendedAccess, kFormatOk}));

TEST_F(FormatRun, OpenFailureMakesNoFurtherCall) {
    Use(k300MiB);
    device().FailOperation(DeviceOp::Open);
    EXPECT_EQ(Run(), kOpenFailed);
    ASSERT_EQ(device().Calls().size(), 1u);
    EXPECT_EQ(device().Calls()[0].op, DeviceOp::Open);
}

TEST_F(FormatRun, MissingImageFailsToOpen) {
    ImageFileDevice missing("no-such-image.img", ImageOptions{});
    FormatRequest request{8, ""};
    FormatOptions options;
    options.out = out_.get();
    EXPECT_EQ(FormatVolume(missing, 'E', request, options), kOpenFailed);
    EXPECT_EQ(std::fopen("no-such-image.img", "rb"), nullptr);  // not created
}

TEST_F(FormatRun, ExtendedAccessFailureIsOnlyPrinted) {
    Use(k300MiB);
    device().FailOperation(DeviceOp::AllowExtendedAccess);
    EXPECT_EQ(Run(), kFormatOk);
    EXPECT_EQ(out_.Text().rfind("Failed to allow extended DASD on device\nWrote ", 0), 0u);
}

TEST_F(FormatRun, BothPartitionQueriesFailing) {
    Use(k300MiB, ImageOptions{512, 63, 255, 0, PartitionQuery::None, false});
    EXPECT_EQ(Run(), kPartitionInfoFailed);
    ExpectClosedUntouched();
}

TEST_F(FormatRun, WrongSectorSizeIsRefusedBeforeAnyWrite) {
    Use(k300MiB, ImageOptions{4096, 63, 255, 0, PartitionQuery::Plain, false});
    EXPECT_EQ(Run(), kUnsupportedSectorSize);
    ExpectClosedUntouched();
}

TEST_F(FormatRun, LayoutRefusalsWriteNothing) {
    Use(100 * kMiB);
    EXPECT_EQ(Run(16), kTooFewClusters);
    ExpectClosedUntouched();
    Use(31 * kMiB);
    EXPECT_EQ(Run(8), kVolumeTooSmall);
    ExpectClosedUntouched();
}

struct ExtendedCase {
    PartitionQuery query;
    bool marksPartition;
};

class ExtendedQuery : public FormatRun, public ::testing::WithParamInterface<ExtendedCase> {};

TEST_P(ExtendedQuery, OnlyAnMbrPartitionIsMarked) {
    Use(k300MiB, ImageOptions{512, 63, 255, 2048, GetParam().query, false});
    EXPECT_EQ(Run(), kFormatOk);
    EXPECT_EQ(device().CountOf(DeviceOp::GetPartitionInfoEx), 1u);
    EXPECT_EQ(device().CountOf(DeviceOp::SetPartitionType), GetParam().marksPartition ? 1u : 0u);
    // Hidden sectors come from the starting offset.
    const auto boot = image().Sector(0);
    EXPECT_EQ(boot[0x1C] | boot[0x1D] << 8, 2048);
}

INSTANTIATE_TEST_SUITE_P(Styles, ExtendedQuery,
                         ::testing::Values(ExtendedCase{PartitionQuery::ExtendedMbr, true},
                                           ExtendedCase{PartitionQuery::ExtendedGpt, false},
                                           ExtendedCase{PartitionQuery::ExtendedRaw, false}));

TEST_F(FormatRun, PartitionTypeFailureWithoutHiddenSectorsIsNoFailure) {
    Use(k300MiB, ImageOptions{512, 63, 255, 0, PartitionQuery::Plain, true});
    EXPECT_EQ(Run(), kFormatOk);
    EXPECT_EQ(device().CountOf(DeviceOp::SetPartitionType), 1u);
    EXPECT_EQ(image().Sector(32 + 2 * 599)[11], 0x08);  // the label is still written
}

TEST_F(FormatRun, PartitionTypeFailureWithHiddenSectorsComesAfterAWholeVolume) {
    Use(k300MiB, ImageOptions{512, 63, 255, 63, PartitionQuery::Plain, true});
    EXPECT_EQ(Run(), kSetPartitionTypeFailed);
    EXPECT_EQ(image().Sector(32 + 2 * 599)[11], 0x08);
    EXPECT_EQ(image().Sector(0)[0x1FE], 0x55);
    EXPECT_EQ(device().CountOf(DeviceOp::Dismount), 1u);  // metadata was written: see below
}

TEST_F(FormatRun, ClearingWriteFailureStopsWithSixteen) {
    Use(k300MiB);
    device().FailWrite(3);
    EXPECT_EQ(Run(), kWriteFailed);
    EXPECT_EQ(device().Writes().size(), 3u);
    EXPECT_EQ(device().Calls().back().op, DeviceOp::Close);
    EXPECT_EQ(err_.Text(), "");  // the clearing pass reports only its code
}

TEST_F(FormatRun, MetadataWriteFailureIsReportedAndReturned) {
    // 1,238 sectors to clear: 10 writes; then FSInfo, the backup boot sector
    // and FSInfo, both FATs, the root directory and last the boot sector,
    // each told on the error stream.
    for (std::size_t failing = 11; failing <= 17; ++failing) {
        Use(k300MiB);
        device().FailWrite(failing);
        CapturedStream err;
        request_ = FormatRequest{8, "X"};
        FormatOptions options;
        options.out = out_.get();
        options.err = err.get();
        EXPECT_EQ(FormatVolume(device(), 'E', request_, options), kWriteFailed) << failing;
        EXPECT_EQ(err.Text(), "Failed to write\nGetLastError()=31: injected failure\n");
        EXPECT_EQ(device().Writes().size(), failing);
        EXPECT_EQ(device().Calls().back().op, DeviceOp::Close);
        EXPECT_EQ(device().CountOf(DeviceOp::Dismount), 1u);
    }
}

// The old file system is dismounted before the first write; once writing has
// started, every road out unlocks before it closes; a road out before it
// only closes.
struct RoadOut {
    const char* name;
    DeviceOp failing;
    std::size_t failingWrite;
    FormatResult result;
    bool afterFirstWrite;
};

class RoadsOut : public FormatRun, public ::testing::WithParamInterface<RoadOut> {};

TEST_P(RoadsOut, DismountAndUnlockOnceWritingHasStarted) {
    const RoadOut& road = GetParam();
    Use(k300MiB, ImageOptions{512, 63, 255, 2048, PartitionQuery::Plain, false});
    if (road.failingWrite) device().FailWrite(road.failingWrite);
    else device().FailOperation(road.failing);
    EXPECT_EQ(Run(), road.result);
    std::vector<DeviceOp> tail = Ops();
    tail.erase(tail.begin(), tail.end() - 2);
    if (road.afterFirstWrite) {
        EXPECT_EQ(tail, (std::vector<DeviceOp>{DeviceOp::Unlock, DeviceOp::Close}));
        EXPECT_EQ(device().CountOf(DeviceOp::Dismount), 1u);
    } else {
        EXPECT_EQ(device().CountOf(DeviceOp::Dismount), 0u);
        EXPECT_EQ(device().CountOf(DeviceOp::Unlock), 0u);
    }
    EXPECT_EQ(device().CountOf(DeviceOp::Close), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    EachFailure, RoadsOut,
    ::testing::Values(RoadOut{"geometry", DeviceOp::GetGeometry, 0, kGeometryFailed, false},
                      RoadOut{"first_clearing_write", DeviceOp::Write, 1, kWriteFailed, true},
                      RoadOut{"fsinfo", DeviceOp::Write, 11, kWriteFailed, true},
                      RoadOut{"root_directory", DeviceOp::Write, 14, kWriteFailed, true},
                      RoadOut{"boot_sector", DeviceOp::Write, 17, kWriteFailed, true},
                      RoadOut{"partition_type", DeviceOp::SetPartitionType, 0,
                              kSetPartitionTypeFailed, true},
                      RoadOut{"flush", DeviceOp::Flush, 0, kWriteFailed, true}),
    [](const auto& info) { return std::string(info.param.name); });

// The caller's proof runs on the locked volume before the first write: a
// refusal is the run's result, with nothing written and the lock let go.
TEST_F(FormatRun, TheProofOnTheLockedVolumeComesBeforeAnyWrite) {
    for (const FormatResult proof : {kDriveChanged, kFormatOk}) {
        Use(k300MiB);
        std::vector<DeviceOp> before;
        verify_ = [&](BlockDevice&) {
            before = Ops();
            return proof;
        };
        EXPECT_EQ(Run(), proof);
        ASSERT_FALSE(before.empty());
        EXPECT_EQ(before.back(), DeviceOp::Lock);
        if (proof != kFormatOk) {
            ExpectClosedUntouched();
            EXPECT_EQ(Ops()[Ops().size() - 2], DeviceOp::Unlock);
        }
    }
}

TEST_F(FormatRun, LockIsTriedForAboutThreeSeconds) {
    for (std::size_t failures : {2u, 7u}) {
        Use(k300MiB);
        device().FailFirst(DeviceOp::Lock, failures);
        unsigned waited = 0;
        sleep_ = [&](unsigned ms) { waited += ms; };
        EXPECT_EQ(Run(), failures < kLockAttempts ? kFormatOk : kLockFailed) << failures;
        EXPECT_EQ(device().CountOf(DeviceOp::Lock), std::min<std::size_t>(failures + 1, 7));
        EXPECT_EQ(waited, failures < kLockAttempts ? failures * 500u : 3000u);
        if (failures >= kLockAttempts) ExpectClosedUntouched();
    }
}

TEST_F(FormatRun, EachBufferThatCannotBeObtainedGivesNine) {
    // Four sector images, the zero buffer and, with --check, the probe's
    // buffer: all before the first write.
    ProbeReport report;
    for (ProbeReport* probe : {static_cast<ProbeReport*>(nullptr), &report}) {
        for (int failing = 1; failing <= (probe ? 6 : 5); ++failing) {
            FailingAllocator allocator(failing);
            allocator_ = &allocator;
            probe_ = probe;
            Use(k300MiB);
            EXPECT_EQ(Run(), kOutOfMemory) << failing;
            EXPECT_EQ(device().Calls().back().op, DeviceOp::Close);
            EXPECT_EQ(device().CountOf(DeviceOp::Write), 0u) << failing;
            EXPECT_EQ(device().CountOf(DeviceOp::Dismount), 0u) << failing;
            allocator_ = nullptr;
            probe_ = nullptr;
        }
    }
}

// Run natively with MALLOC_PERTURB_ set, so fresh heap memory is never zero
// by luck: the clearing pass writes whatever the zero buffer holds.
TEST(PageBuffers, ComeZeroFilled) {
    for (std::size_t bytes : {std::size_t{512}, std::size_t{65536}}) {
        PageBuffer buffer(PageAllocator::System(), bytes);
        ASSERT_TRUE(buffer);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer.data(), buffer.data() + bytes),
                  Bytes(bytes, 0)) << bytes;
    }
}

TEST_F(FormatRun, ImageDeviceNeverWritesPastThePartition) {
    Use(k300MiB);
    ASSERT_TRUE(device().Open("\\\\.\\E:"));
    const std::array<std::uint8_t, 512> sector{};
    EXPECT_TRUE(device().WriteAt(k300MiB - 512, sector.data(), 512));
    EXPECT_FALSE(device().WriteAt(k300MiB - 256, sector.data(), 512));
    EXPECT_FALSE(device().WriteAt(k300MiB, sector.data(), 512));
    device().Close();
}

}  // namespace
}  // namespace fat32
