// The serial number read from a boot sector is the one blkid (and Windows)
// report for volumes made by mkfs.fat; a sector of no known file system is 0.
#include "format/medium_facts.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_image.h"

namespace fat32 {
namespace {

TEST(MediumFacts, SerialFromTheBootSectorOfEachKind) {
    struct Kind {
        const char* mkfs;  // null: the image stays zeros
        std::uint64_t megabytes;
        std::uint32_t serial;
    };
    const Kind kinds[] = {{"mkfs.fat -F 32 -i 1234ABCD", 300, 0x1234ABCD},
                          {"mkfs.fat -F 16 -i 0BADF00D", 64, 0x0BADF00D},
                          {"mkfs.fat -F 12 -i 00C0FFEE", 8, 0x00C0FFEE},
                          {nullptr, 8, 0}};
    for (const Kind& kind : kinds) {
        testing::TestImage image(kind.megabytes << 20);
        if (kind.mkfs) {
            ASSERT_EQ(std::system((std::string(kind.mkfs) + " " + image.path() + " >/dev/null").c_str()), 0);
        }
        EXPECT_EQ(VolumeSerialFromBootSector(image.Sector(0).data()), kind.serial)
            << (kind.mkfs ? kind.mkfs : "zeros");
    }
}

}  // namespace
}  // namespace fat32
