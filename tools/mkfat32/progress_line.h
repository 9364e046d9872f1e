// A single updating progress line ("probe  42%  118.3 MB/s") on a terminal.
// When the stream is not a terminal it prints nothing at all, so scripts and
// tests see the same output with or without it.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>

namespace mkfat32 {

class ProgressLine {
public:
    explicit ProgressLine(std::FILE* stream);
    ~ProgressLine();  // ends an unfinished line
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    bool Enabled() const { return enabled_; }
    void Update(const char* step, std::uint64_t done, std::uint64_t total);

private:
    std::FILE* stream_;
    bool enabled_;
    bool open_ = false;
    std::string step_;
    std::chrono::steady_clock::time_point stepStart_;
    std::chrono::steady_clock::time_point lastShown_;
};

}  // namespace mkfat32
