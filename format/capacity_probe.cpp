// CapacityProbe. Every 512-byte sector written carries a magic word, the
// run's nonce and its own byte offset, then filler derived from both, so a
// sector read back names exactly where its data was meant to be.
#include "format/capacity_probe.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

namespace fat32 {
namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kPlaceBytes = 4096;
constexpr std::uint32_t kChunkBytes = 1024 * 1024;
constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kMinWindow = 8 * kMiB;
constexpr std::uint64_t kMaxWindow = 256 * kMiB;
constexpr std::uint64_t kTargetPlaces = 1024;
constexpr std::uint32_t kLastMiBPlaces = 16;
constexpr std::uint32_t kRandomPlaces = 32;
constexpr char kMagic[8] = {'F', 'A', 'T', '3', '2', 'C', 'A', 'P'};

std::uint64_t NextRandom(std::uint64_t& state) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
}

void Put64(std::uint8_t* p, std::uint64_t v) {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint64_t Get64(const std::uint8_t* p) {
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

void FillSector(std::uint8_t* s, std::uint64_t offset, std::uint64_t nonce) {
    std::memcpy(s, kMagic, sizeof kMagic);
    Put64(s + 8, nonce);
    Put64(s + 16, offset);
    std::uint64_t state = (nonce ^ (offset * 0x9E3779B97F4A7C15ull)) | 1;
    for (std::uint32_t i = 24; i < kSector; i += 8) Put64(s + i, NextRandom(state));
}

std::uint64_t PowerOfTwoAtLeast(std::uint64_t n) {
    std::uint64_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

}  // namespace

CapacityProbe::CapacityProbe(BlockDevice& device, std::uint64_t claimedBytes, std::uint64_t nonce,
                             PageAllocator& allocator)
    : device_(device),
      claimed_(claimedBytes / kPlaceBytes * kPlaceBytes),
      nonce_(nonce),
      buffer_(allocator, kChunkBytes) {
    window_ = std::clamp(PowerOfTwoAtLeast(claimed_ / kTargetPlaces), kMinWindow, kMaxWindow);
    window_ = std::min(window_, claimed_ / 2 / kChunkBytes * kChunkBytes);
    // Below 2 MiB the rule above leaves no window at all: the places would
    // then stand zero bytes apart for ever.
    window_ = std::max<std::uint64_t>(window_, std::min<std::uint64_t>(claimed_, kPlaceBytes));
}

void CapacityProbe::Advance(std::uint64_t bytes) {
    done_ += bytes;
    if (progress_) progress_(done_, total_);
}

bool CapacityProbe::WriteRange(std::uint64_t offset, std::uint64_t bytes, std::uint8_t* buffer) {
    for (std::uint64_t at = offset; at < offset + bytes; at += kChunkBytes) {
        const auto size = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkBytes, offset + bytes - at));
        for (std::uint32_t i = 0; i < size; i += kSector) FillSector(buffer + i, at + i, nonce_);
        if (!device_.WriteAt(at, buffer, size)) return false;
        Advance(size);
    }
    return true;
}

bool CapacityProbe::CheckRange(std::uint64_t offset, std::uint64_t bytes, std::uint8_t* buffer) {
    std::uint8_t expected[kSector];
    for (std::uint64_t at = offset; at < offset + bytes; at += kChunkBytes) {
        const auto size = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkBytes, offset + bytes - at));
        if (!device_.ReadAt(at, buffer, size)) return false;
        for (std::uint32_t i = 0; i < size; i += kSector) {
            const std::uint64_t here = at + i;
            FillSector(expected, here, nonce_);
            const std::uint8_t* got = buffer + i;
            if (std::memcmp(got, expected, kSector) == 0) {
                // The ranges are checked in ascending order: this is the end
                // of what held its data, up to the first sector that did not.
                if (!foreignSeen_) goodEnd_ = here + kSector;
                continue;
            }
            const std::uint64_t origin = Get64(got + 16);
            std::uint8_t theirs[kSector];
            FillSector(theirs, origin, nonce_);
            if (origin != here && std::memcmp(got, theirs, kSector) == 0) {
                // Another offset's data: the addresses wrap at this distance
                // (or a multiple of it; the smallest seen is the size).
                const std::uint64_t distance = origin > here ? origin - here : here - origin;
                if (smallestWrap_ == 0 || distance < smallestWrap_) smallestWrap_ = distance;
            } else {
                foreignSeen_ = true;
            }
        }
        Advance(size);
    }
    return true;
}

bool CapacityProbe::Run(ProbeReport& report, const ProbeProgress& progress) {
    const auto start = std::chrono::steady_clock::now();
    progress_ = progress;

    std::vector<std::uint64_t> places;
    for (std::uint64_t at = window_; window_ > 0 && at + kPlaceBytes <= claimed_; at += window_)
        places.push_back(at);
    const std::uint64_t lastMiB = claimed_ > kMiB ? claimed_ - kMiB : 0;
    for (std::uint32_t i = 0; i < kLastMiBPlaces; ++i)
        places.push_back(lastMiB + i * (kMiB / kLastMiBPlaces));
    std::uint64_t state = nonce_ | 1;
    const std::uint64_t span = claimed_ > window_ ? (claimed_ - window_) / kPlaceBytes : 0;
    for (std::uint32_t i = 0; i < kRandomPlaces && span > 0; ++i)
        places.push_back(window_ + NextRandom(state) % span * kPlaceBytes);
    std::sort(places.begin(), places.end());
    places.erase(std::unique(places.begin(), places.end()), places.end());
    places.erase(std::remove_if(places.begin(), places.end(),
                                [&](std::uint64_t p) { return p < window_ || p + kPlaceBytes > claimed_; }),
                 places.end());

    PageBuffer& buffer = buffer_;
    if (!buffer) return false;
    total_ = 2 * (window_ + places.size() * kPlaceBytes);

    if (!WriteRange(0, window_, buffer.data())) return false;
    for (std::uint64_t place : places)
        if (!WriteRange(place, kPlaceBytes, buffer.data())) return false;
    if (!device_.Flush()) return false;
    if (!CheckRange(0, window_, buffer.data())) return false;
    for (std::uint64_t place : places)
        if (!CheckRange(place, kPlaceBytes, buffer.data())) return false;

    std::uint64_t capacity = claimed_;
    if (smallestWrap_) capacity = std::min(capacity, smallestWrap_);
    // A stick that drops what lies past its real size holds at least what
    // read back right below the first foreign sector: name no more than that.
    if (foreignSeen_) capacity = std::min(capacity, goodEnd_);
    report.honest = capacity == claimed_;
    report.realCapacity = report.honest ? 0 : capacity / kMiB * kMiB;
    report.places = static_cast<std::uint32_t>(places.size());
    report.bytesWritten = window_ + places.size() * kPlaceBytes;
    report.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return true;
}

}  // namespace fat32
