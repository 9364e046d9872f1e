// Shared by the zip reader's tests: where the archives made at build time
// lie, reading them, and finding and patching a member's header fields so
// that damaged variants can be derived from good bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace Facet {
namespace ZipTest {

using Bytes = std::vector<std::uint8_t>;

// Field offsets inside the three records the tests patch.
constexpr std::size_t kLocalFlags = 6;
constexpr std::size_t kLocalMethod = 8;
constexpr std::size_t kLocalCrc = 14;
constexpr std::size_t kLocalCompressedSize = 18;
constexpr std::size_t kLocalUncompressedSize = 22;
constexpr std::size_t kLocalNameLength = 26;
constexpr std::size_t kLocalExtraLength = 28;
constexpr std::size_t kLocalHeaderSize = 30;

constexpr std::size_t kCentralFlags = 8;
constexpr std::size_t kCentralMethod = 10;
constexpr std::size_t kCentralCrc = 16;
constexpr std::size_t kCentralCompressedSize = 20;
constexpr std::size_t kCentralUncompressedSize = 24;
constexpr std::size_t kCentralNameLength = 28;
constexpr std::size_t kCentralLocalOffset = 42;
constexpr std::size_t kCentralHeaderSize = 46;

constexpr std::size_t kEndThisDisk = 4;
constexpr std::size_t kEndEntriesHere = 8;
constexpr std::size_t kEndEntries = 10;
constexpr std::size_t kEndDirectorySize = 12;
constexpr std::size_t kEndDirectoryOffset = 16;
constexpr std::size_t kEndRecordSize = 22;

// A path under the directory the build wrote the archives to, e.g.
// "deflated.zip" or "tree/hello.txt".
std::string FixturePath(const std::string& name);
// The whole file; empty when it cannot be read.
Bytes ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const Bytes& bytes);
Bytes Fixture(const std::string& archiveName);

std::uint16_t Get16(const Bytes& bytes, std::size_t offset);
std::uint32_t Get32(const Bytes& bytes, std::size_t offset);
void Put16(Bytes& bytes, std::size_t offset, std::uint16_t value);
void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value);

// Offsets of records in an archive without a comment; fail the test when the
// record is missing.
std::size_t EndRecordOf(const Bytes& archive);
std::size_t CentralEntryOf(const Bytes& archive, std::string_view name);
std::size_t LocalHeaderOf(const Bytes& archive, std::string_view name);
std::size_t DataOf(const Bytes& archive, std::string_view name);

// A file in the working directory, removed when the test ends.
class TempFile {
public:
    explicit TempFile(const std::string& name) : path_("zip_test_" + name + ".tmp") {}
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

}  // namespace ZipTest
}  // namespace Facet
