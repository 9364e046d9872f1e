// Fixture paths, file reading and record finding for the zip reader's tests.
#include "zip_test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace Facet {
namespace ZipTest {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

constexpr std::uint32_t kCentralSignature = 0x02014b50;

}  // namespace

std::string FixturePath(const std::string& name) {
    // Under Wine the build tree is reached through drive Z:, the host's root.
#ifdef _WIN32
    return std::string("Z:") + ZIP_FIXTURE_DIR + "/" + name;
#else
    return std::string(ZIP_FIXTURE_DIR) + "/" + name;
#endif
}

Bytes ReadFile(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    Bytes bytes;
    if (!file) return bytes;
    std::uint8_t chunk[65536];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file) return false;
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

Bytes Fixture(const std::string& archiveName) {
    Bytes bytes = ReadFile(FixturePath(archiveName));
    EXPECT_FALSE(bytes.empty()) << "missing fixture " << FixturePath(archiveName);
    return bytes;
}

std::uint16_t Get16(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

std::uint32_t Get32(const Bytes& bytes, std::size_t offset) {
    return Get16(bytes, offset) | static_cast<std::uint32_t>(Get16(bytes, offset + 2)) << 16;
}

void Put16(Bytes& bytes, std::size_t offset, std::uint16_t value) {
    bytes.at(offset) = static_cast<std::uint8_t>(value);
    bytes.at(offset + 1) = static_cast<std::uint8_t>(value >> 8);
}

void Put32(Bytes& bytes, std::size_t offset, std::uint32_t value) {
    Put16(bytes, offset, static_cast<std::uint16_t>(value));
    Put16(bytes, offset + 2, static_cast<std::uint16_t>(value >> 16));
}

std::size_t EndRecordOf(const Bytes& archive) {
    EXPECT_GE(archive.size(), kEndRecordSize);
    return archive.size() - kEndRecordSize;
}

std::size_t CentralEntryOf(const Bytes& archive, std::string_view name) {
    const std::size_t end = EndRecordOf(archive);
    std::size_t offset = Get32(archive, end + kEndDirectoryOffset);
    while (offset + kCentralHeaderSize <= end && Get32(archive, offset) == kCentralSignature) {
        const std::size_t nameLength = Get16(archive, offset + kCentralNameLength);
        const std::string_view stored(
            reinterpret_cast<const char*>(archive.data() + offset + kCentralHeaderSize), nameLength);
        if (stored == name) return offset;
        offset += kCentralHeaderSize + nameLength + Get16(archive, offset + 30) + Get16(archive, offset + 32);
    }
    ADD_FAILURE() << "no central entry named " << name;
    return 0;
}

std::size_t LocalHeaderOf(const Bytes& archive, std::string_view name) {
    return Get32(archive, CentralEntryOf(archive, name) + kCentralLocalOffset);
}

std::size_t DataOf(const Bytes& archive, std::string_view name) {
    const std::size_t local = LocalHeaderOf(archive, name);
    return local + kLocalHeaderSize + Get16(archive, local + kLocalNameLength) +
           Get16(archive, local + kLocalExtraLength);
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

}  // namespace ZipTest
}  // namespace Facet
