// ProgressLine: redrawn with a carriage return at most ten times a second,
// and once more, ending the line, when a step reaches its end.
#include "tools/mkfat32/progress_line.h"

#ifdef _WIN32
#include <io.h>
#define MKFAT32_ISATTY(fd) ::_isatty(fd)
#define MKFAT32_FILENO(f) ::_fileno(f)
#else
#include <unistd.h>
#define MKFAT32_ISATTY(fd) ::isatty(fd)
#define MKFAT32_FILENO(f) ::fileno(f)
#endif

namespace mkfat32 {
namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
}

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), enabled_(MKFAT32_ISATTY(MKFAT32_FILENO(stream)) != 0) {}

ProgressLine::~ProgressLine() {
    if (open_) std::fputc('\n', stream_);
}

void ProgressLine::Update(const char* step, std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (step_ != step) {
        if (open_) std::fputc('\n', stream_);
        step_ = step;
        stepStart_ = now;
        lastShown_ = now - kRedrawInterval;
    }
    if (now - lastShown_ < kRedrawInterval && done < total) return;
    lastShown_ = now;
    const double seconds = std::chrono::duration<double>(now - stepStart_).count();
    const double rate = seconds > 0 ? done / seconds / (1024.0 * 1024.0) : 0.0;
    const unsigned percent = total ? static_cast<unsigned>(done * 100 / total) : 100;
    std::fprintf(stream_, "\r%-6s %3u%%  %8.1f MB/s", step, percent, rate);
    // A finished step ends its line, before the engine prints its own.
    open_ = done < total;
    if (!open_) std::fputc('\n', stream_);
    std::fflush(stream_);
}

}  // namespace mkfat32
