// Scratch image files and captured output streams for the format tests; both
// work natively and under Wine, and both clean up after themselves.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace fat32::testing {

// A sparse image file of the given size in the current directory, removed
// when the object goes.
class TestImage {
public:
    explicit TestImage(std::uint64_t bytes);
    ~TestImage();
    TestImage(const TestImage&) = delete;
    TestImage& operator=(const TestImage&) = delete;

    const std::string& path() const { return path_; }
    std::vector<std::uint8_t> Read(std::uint64_t offset, std::size_t size) const;
    void Write(std::uint64_t offset, const std::vector<std::uint8_t>& bytes) const;
    std::vector<std::uint8_t> Sector(std::uint64_t sector) const { return Read(sector * 512, 512); }

private:
    std::string path_;
};

// A FILE* whose contents can be read back as text.
class CapturedStream {
public:
    CapturedStream();
    ~CapturedStream();
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* get() const { return file_; }
    std::string Text() const;

private:
    std::FILE* file_;
};

}  // namespace fat32::testing
