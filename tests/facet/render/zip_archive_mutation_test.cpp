// Robustness: 10,400 deterministic mutations of real archives (header fields
// overwritten, bytes flipped, cuts, spans duplicated or removed). Each mutant
// is opened or refused, and each member extracted or refused; none may crash
// or touch memory outside its exact-size blocks, which AddressSanitizer or
// valgrind turn into failures.
#include "facet/render/zip_archive.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <memory>
#include <string>

#include "zip_test_support.h"

namespace Facet {
namespace {

using namespace ZipTest;

constexpr int kMutantsPerArchive = 2600;

// A small generator with a fixed sequence on every platform and library,
// which std::uniform_int_distribution does not promise.
class SplitMix64 {
public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::size_t Below(std::size_t bound) { return bound ? static_cast<std::size_t>(Next() % bound) : 0; }

private:
    std::uint64_t state_;
};

struct Record {
    std::size_t offset;
    std::size_t fixedSize;
};

// The headers of the archive, so that most mutations hit a field that means
// something rather than member data.
std::vector<Record> FindRecords(const Bytes& archive) {
    std::vector<Record> records;
    for (std::size_t i = 0; i + kEndRecordSize <= archive.size(); ++i) {
        if (archive[i] != 'P' || archive[i + 1] != 'K') continue;
        const std::uint32_t signature = Get32(archive, i);
        Record record{i, 0};
        if (signature == 0x04034b50) record.fixedSize = kLocalHeaderSize;
        if (signature == 0x02014b50) record.fixedSize = kCentralHeaderSize;
        if (signature == 0x06054b50) record.fixedSize = kEndRecordSize;
        if (record.fixedSize != 0 && i + record.fixedSize <= archive.size()) records.push_back(record);
    }
    return records;
}

std::uint32_t ExtremeValue(SplitMix64& rng, std::uint32_t current, std::size_t archiveSize) {
    switch (rng.Below(8)) {
        case 0: return 0;
        case 1: return 0xFFFFFFFF;
        case 2: return 0x7FFFFFFF;
        case 3: return static_cast<std::uint32_t>(archiveSize);
        case 4: return current + 1;
        case 5: return current - 1;
        case 6: return current + static_cast<std::uint32_t>(rng.Below(64));
        default: return static_cast<std::uint32_t>(rng.Next());
    }
}

Bytes Mutate(const Bytes& base, const std::vector<Record>& records, SplitMix64& rng) {
    Bytes bytes = base;
    const std::size_t kind = rng.Below(20);
    if (kind < 9 && !records.empty()) {  // a header field
        const Record& record = records[rng.Below(records.size())];
        const std::size_t field = record.offset + rng.Below(record.fixedSize - 1);
        if (rng.Below(2) == 0 || field + 4 > bytes.size()) {
            Put16(bytes, field, static_cast<std::uint16_t>(ExtremeValue(rng, Get16(bytes, field), bytes.size())));
        } else {
            Put32(bytes, field, ExtremeValue(rng, Get32(bytes, field), bytes.size()));
        }
    } else if (kind < 14) {  // bytes flipped anywhere
        for (std::size_t n = 1 + rng.Below(4); n > 0; --n)
            bytes[rng.Below(bytes.size())] ^= static_cast<std::uint8_t>(1 + rng.Below(255));
    } else if (kind < 16) {  // cut
        bytes.resize(rng.Below(bytes.size()));
    } else if (kind < 18) {  // a span duplicated in place
        const std::size_t from = rng.Below(bytes.size());
        const std::size_t length = 1 + rng.Below(std::min<std::size_t>(bytes.size() - from, 200));
        const Bytes span(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                         bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(rng.Below(bytes.size() + 1)), span.begin(), span.end());
    } else {  // a span removed
        const std::size_t from = rng.Below(bytes.size());
        const std::size_t length = 1 + rng.Below(std::min<std::size_t>(bytes.size() - from, 200));
        bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                    bytes.begin() + static_cast<std::ptrdiff_t>(from + length));
    }
    return bytes;
}

struct Tally {
    int mutants = 0;
    int opened = 0;
    int extracted = 0;
    int refusedMembers = 0;
};

// Every member of an opened mutant, through both extraction forms. A member
// that extracts under a name of the original archive must hold the original
// bytes: a CRC that passes over the wrong data would be a real fault.
void ExtractEveryMember(CZipArchive& zip, const std::map<std::string, Bytes>& originals, Tally& tally) {
    for (int i = 0; i < zip.GetMemberCount(); ++i) {
        const std::string name = zip.GetMemberName(i);
        const int found = zip.FindMember(name);
        EXPECT_TRUE(found >= 0 && found <= i) << name;

        std::vector<std::uint8_t> out{0x5A};
        const bool ok = zip.Extract(i, out);
        if (ok) {
            ++tally.extracted;
            EXPECT_EQ(out.size(), zip.GetUncompressedSize(i));
            const auto original = originals.find(name);
            if (original != originals.end()) {
                EXPECT_TRUE(out == original->second) << name;
            }
        } else {
            ++tally.refusedMembers;
            EXPECT_EQ(out, std::vector<std::uint8_t>{0x5A});
            EXPECT_FALSE(zip.GetLastError().empty());
        }

        // The caller's-block form into a block of exactly the declared size,
        // so a write past it is caught; it must agree with the vector form.
        const std::uint32_t size = zip.GetUncompressedSize(i);
        if (size <= (1u << 20)) {
            std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size]);
            EXPECT_EQ(zip.Extract(i, block.get(), size), ok) << name;
        }
    }
}

class ZipMutation : public ::testing::TestWithParam<const char*> {};

TEST_P(ZipMutation, EveryMutantIsReadOrRefusedCleanly) {
    const Bytes base = Fixture(GetParam());
    ASSERT_FALSE(base.empty());
    std::map<std::string, Bytes> originals;
    {
        CZipArchive zip;
        ASSERT_TRUE(zip.OpenMemory(base.data(), base.size()));
        for (int i = 0; i < zip.GetMemberCount(); ++i) {
            ASSERT_TRUE(zip.Extract(i, originals[zip.GetMemberName(i)]));
        }
    }
    const std::vector<Record> records = FindRecords(base);
    SplitMix64 rng(0x5EEDull + base.size());
    Tally tally;
    for (int n = 0; n < kMutantsPerArchive; ++n) {
        const Bytes mutant = Mutate(base, records, rng);
        // An exact-size block: a vector's spare capacity would hide overreads.
        std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[mutant.size()]);
        std::copy(mutant.begin(), mutant.end(), block.get());
        ++tally.mutants;
        CZipArchive zip;
        if (!zip.OpenMemory(block.get(), mutant.size())) {
            EXPECT_FALSE(zip.GetLastError().empty());
            EXPECT_EQ(zip.GetMemberCount(), 0);
            continue;
        }
        ++tally.opened;
        ExtractEveryMember(zip, originals, tally);
        if (HasFailure()) {
            ADD_FAILURE() << "mutant " << n << " of " << GetParam();
            return;
        }
    }
    std::cout << "[ tally    ] " << GetParam() << ": " << tally.mutants << " mutants, " << tally.opened
              << " opened, " << tally.extracted << " members extracted, " << tally.refusedMembers
              << " refused\n";
    // Guards against a mutator that only produces unreadable noise.
    EXPECT_GT(tally.opened, tally.mutants / 4);
    EXPECT_GT(tally.extracted, 0);
    EXPECT_GT(tally.refusedMembers, 0);
}

INSTANTIATE_TEST_SUITE_P(Archives, ZipMutation,
                         ::testing::Values("small.zip", "streamed.zip", "stored.zip", "commented.zip"));

}  // namespace
}  // namespace Facet
