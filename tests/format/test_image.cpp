// Scratch files for the format tests.
#include "test_image.h"

#include <atomic>
#include <stdexcept>

namespace fat32::testing {
namespace {

int Seek(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return ::_fseeki64(f, static_cast<long long>(offset), SEEK_SET);
#else
    return ::fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

std::string UniqueName() {
    static std::atomic<int> counter{0};
    return "format-test-" + std::to_string(counter++) + "-" +
           std::to_string(reinterpret_cast<std::uintptr_t>(&counter) & 0xFFFF) + ".img";
}

}  // namespace

TestImage::TestImage(std::uint64_t bytes) : path_(UniqueName()) {
    std::FILE* f = std::fopen(path_.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot create " + path_);
    // Writing only the last byte leaves the rest a hole: large images cost nothing.
    const bool ok = Seek(f, bytes - 1) == 0 && std::fputc(0, f) == 0;
    std::fclose(f);
    if (!ok) throw std::runtime_error("cannot size " + path_);
}

TestImage::~TestImage() { std::remove(path_.c_str()); }

std::vector<std::uint8_t> TestImage::Read(std::uint64_t offset, std::size_t size) const {
    std::vector<std::uint8_t> bytes(size);
    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (!f || Seek(f, offset) != 0 || std::fread(bytes.data(), 1, size, f) != size) {
        if (f) std::fclose(f);
        throw std::runtime_error("cannot read " + path_);
    }
    std::fclose(f);
    return bytes;
}

void TestImage::Write(std::uint64_t offset, const std::vector<std::uint8_t>& bytes) const {
    std::FILE* f = std::fopen(path_.c_str(), "rb+");
    const bool ok = f && Seek(f, offset) == 0 &&
                    std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f) std::fclose(f);
    if (!ok) throw std::runtime_error("cannot write " + path_);
}

CapturedStream::CapturedStream() : file_(std::tmpfile()) {
    if (!file_) throw std::runtime_error("no temporary file");
}

CapturedStream::~CapturedStream() { std::fclose(file_); }

std::string CapturedStream::Text() const {
    std::fflush(file_);
    std::rewind(file_);
    std::string text;
    for (int c; (c = std::fgetc(file_)) != EOF;) text.push_back(static_cast<char>(c));
    return text;
}

}  // namespace fat32::testing
