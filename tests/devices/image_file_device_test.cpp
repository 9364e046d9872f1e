// The image-file device at its edges: the last sector, the position that
// successive writes and reads advance, and an image the user may not write.
#include "devices/image_file_device.h"

#include <gtest/gtest.h>

#include "test_image.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fat32 {
namespace {

constexpr std::uint64_t kImageBytes = 1024 * 1024;
constexpr std::uint64_t kLastSector = kImageBytes - 512;

TEST(ImageFileDevice, LastSectorAndSuccessivePositions) {
    testing::TestImage image(kImageBytes);
    ImageFileDevice device(image.path(), ImageOptions());
    ASSERT_TRUE(device.Open("\\\\.\\Z:"));
    const std::vector<std::uint8_t> a(512, 0xA1), b(1024, 0xB2);
    std::vector<std::uint8_t> back(512);
    EXPECT_TRUE(device.WriteAt(kLastSector, a.data(), 512));
    EXPECT_TRUE(device.ReadAt(kLastSector, back.data(), 512));
    EXPECT_EQ(back, a);
    // Nothing past the end, not even one byte: the file must not grow.
    EXPECT_FALSE(device.WriteAt(kLastSector + 1, a.data(), 512));
    EXPECT_FALSE(device.ReadAt(kLastSector + 1, back.data(), 512));
    EXPECT_FALSE(device.WriteAt(kImageBytes, a.data(), 1));
    // Each write and read goes on where the last one ended, up to the end.
    ASSERT_TRUE(device.Seek(4096) && device.Write(a.data(), 512) && device.Write(b.data(), 1024));
    ASSERT_TRUE(device.Read(back.data(), 512) && device.Write(a.data(), 512));
    ASSERT_TRUE(device.Seek(kLastSector - 512) && device.Write(b.data(), 1024));
    EXPECT_FALSE(device.Write(a.data(), 512));
    device.Close();
    EXPECT_EQ(image.Read(kLastSector - 512, 1024), b);
    EXPECT_EQ(image.Read(4096, 512), a);
    EXPECT_EQ(image.Read(4608, 1024), b);
    EXPECT_EQ(back, std::vector<std::uint8_t>(512, 0));
    EXPECT_EQ(image.Read(6144, 512), a);
}

TEST(ImageFileDevice, SuccessiveReadsOfACounterfeitGoOnFromWhereTheyLand) {
    testing::TestImage image(kImageBytes);
    image.Write(0, std::vector<std::uint8_t>(512, 0xA1));
    image.Write(512, std::vector<std::uint8_t>(512, 0xB2));
    ImageOptions options;
    options.fakeCapacity = kImageBytes / 2;  // addresses wrap at half the image
    ImageFileDevice device(image.path(), options);
    std::vector<std::uint8_t> first(512), second(512);
    ASSERT_TRUE(device.Open("\\\\.\\Z:") && device.Seek(kImageBytes / 2));
    ASSERT_TRUE(device.Read(first.data(), 512) && device.Read(second.data(), 512));
    EXPECT_EQ(first, std::vector<std::uint8_t>(512, 0xA1));
    EXPECT_EQ(second, std::vector<std::uint8_t>(512, 0xB2));
}

#ifndef _WIN32
// Root may write any file, so the refusal is seen with root's rights dropped
// (the effective user becomes nobody for the open).
TEST(ImageFileDevice, ReadOnlyImageIsAccessDeniedForAPlainUser) {
    testing::TestImage image(kImageBytes);
    ASSERT_EQ(::chmod(image.path().c_str(), 0444), 0);
    ImageFileDevice device(image.path(), ImageOptions());
    const uid_t user = ::geteuid();
    if (user == 0) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    const bool opened = device.Open("\\\\.\\Z:");
    if (user == 0) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_FALSE(opened);
    EXPECT_TRUE(device.LastError().accessDenied);
    EXPECT_EQ(device.LastError().text, "Permission denied");
}
#endif

}  // namespace
}  // namespace fat32
