// What mkfat32's command line accepts, as one table: each option with an
// empty value, junk after a number, zero, the bounds, each size suffix's scale
// and sizes past 64 bits. Each row is one command line (a target is added).
#include "tools/mkfat32/arguments.h"

#include <gtest/gtest.h>

#include <vector>

namespace mkfat32 {
namespace {

using Field = std::uint64_t (*)(const Arguments&);
std::uint64_t Cluster(const Arguments& a) { return static_cast<std::uint64_t>(a.sectorsPerCluster); }
std::uint64_t Hidden(const Arguments& a) { return a.image.hiddenSectors; }
std::uint64_t Query(const Arguments& a) { return static_cast<std::uint64_t>(a.image.partitionQuery); }
std::uint64_t Align(const Arguments& a) { return a.alignSectors; }
std::uint64_t Fake(const Arguments& a) { return a.image.fakeCapacity; }
std::uint64_t SectorSize(const Arguments& a) { return a.image.bytesPerSector; }
std::uint64_t Tracks(const Arguments& a) { return a.image.sectorsPerTrack * 0x10000ull + a.image.heads; }
std::uint64_t HasLabel(const Arguments& a) { return a.hasLabel; }
std::uint64_t Flags(const Arguments& a) {
    return a.verbose + 2 * a.newMbr + 4 * a.check + 8 * a.force + 16 * a.image.setPartitionTypeFails +
           32 * a.keepType;
}
#ifndef _WIN32  // --lock is Linux's alone
std::uint64_t Lock(const Arguments& a) { return a.lock == "yes" ? 1 : a.lock == "nonblock" ? 2 : 0; }
#endif

struct Case {
    std::vector<const char*> args;
    bool accepted;
    Field field = nullptr;
    std::uint64_t expected = 0;
};

constexpr std::uint64_t kTi = 1ull << 40;

const Case kCases[] = {
    {{"-l", ""}, true, HasLabel, 1},  // an empty label: a volume without one
    {{"-c", ""}, false},
    {{"-c", "0"}, false},
    {{"-c", "128"}, true, Cluster, 128},
    {{"-c", "256"}, false},
    {{"-c", "8x"}, false},
    {{"-c", "+8"}, false},
    {{"--hidden", ""}, false},
    {{"--hidden", "0"}, true, Hidden, 0},
    {{"--hidden", "4294967295"}, true, Hidden, 0xFFFFFFFF},
    {{"--hidden", "4294967296"}, false},
    {{"--partition", ""}, false},
    {{"--partition", "plain"}, true, Query, 0},
    {{"--partition", "mbr"}, true, Query, 1},
    {{"--partition", "gpt"}, true, Query, 2},
    {{"--partition", "raw"}, true, Query, 3},
    {{"--partition", "none"}, true, Query, 4},
    {{"--align="}, false},
    {{"--align=0"}, false},
    {{"--align=1000"}, false},  // not a multiple of 512
    {{"--align=512"}, true, Align, 1},
    {{"--align"}, true, Align, 8192},
    {{"--align=16M"}, true, Align, 32768},
    {{"--align=16777728"}, false},
    {{"--fake-capacity", ""}, false},
    {{"--fake-capacity", "0"}, false},
    {{"--fake-capacity", "1000"}, false},
    {{"--fake-capacity", "3K"}, true, Fake, 3 << 10},
    {{"--fake-capacity", "3k"}, true, Fake, 3 << 10},
    {{"--fake-capacity", "5M"}, true, Fake, 5 << 20},
    {{"--fake-capacity", "7G"}, true, Fake, 7ull << 30},
    {{"--fake-capacity", "9T"}, true, Fake, 9 * kTi},
    {{"--fake-capacity", "16777215T"}, true, Fake, 16777215 * kTi},
    {{"--fake-capacity", "16777217T"}, false},  // 2^64 + 1T: must not wrap to 1T
    {{"--fake-capacity", "18446744073709551616"}, false},
    {{"--fake-capacity", "1MB"}, false},
    {{"--sector-size", ""}, false},
    {{"--sector-size", "4096"}, true, SectorSize, 4096},
    {{"--sector-size", "65537"}, false},
    {{"--geometry", ""}, false},
    {{"--geometry", "63,255"}, true, Tracks, 63 * 0x10000ull + 255},
    {{"--geometry", "63,255x"}, false},
    {{"--geometry", "63"}, false},
    {{"--geometry", "63, 255"}, false},
    {{"--geometry", "65536,1"}, false},
    {{"--geometry", "1,65536"}, false},
    {{"--drive-table", ""}, false},
    {{"-v", "--check"}, true, Flags, 5},
    {{"--force", "--set-type-fails"}, true, Flags, 24},
    {{"--mbr"}, true, Flags, 2},
#ifdef _WIN32
    {{"--lock"}, false},
    {{"--keep-type"}, false},
#else
    {{"--lock"}, true, Lock, 1},
    {{"--lock=nonblock"}, true, Lock, 2},
    {{"--lock=no"}, true, Lock, 0},
    {{"--lock=NONBLOCK"}, true, Lock, 2},  // any case, as util-linux takes it
    {{"--lock=Yes"}, true, Lock, 1},
    {{"--lock="}, false},
    {{"--lock=maybe"}, false},
    {{"--keep-type"}, true, Flags, 32},
#endif
    {{"--mbr", "--hidden", "5"}, false},
    {{"--frobnicate"}, false},
    {{"second.img"}, false},
};

TEST(Arguments, TableOfCommandLines) {
    for (const Case& c : kCases) {
        std::vector<char*> argv{const_cast<char*>("mkfat32")};
        for (const char* a : c.args) argv.push_back(const_cast<char*>(a));
        argv.push_back(const_cast<char*>("target.img"));
        Arguments args;
        const bool accepted = ParseArguments(static_cast<int>(argv.size()), argv.data(), args);
        std::string line;
        for (const char* a : c.args) line += std::string(a) + " ";
        EXPECT_EQ(accepted, c.accepted) << line;
        if (accepted && c.field) {
            EXPECT_EQ(c.field(args), c.expected) << line;
        }
    }
}

}  // namespace
}  // namespace mkfat32
