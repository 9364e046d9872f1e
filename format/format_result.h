// The vocabulary between the format engine and the user: the result codes of
// one format run, the message shown for each, and the cluster-size policy the
// window applies to a drive's capacity before it asks for a format.
#pragma once

#include <cstdint>

namespace fat32 {

using FormatResult = std::int32_t;

inline constexpr FormatResult kFormatOk = 0;
inline constexpr FormatResult kInternalError = 1;
inline constexpr FormatResult kUnsupportedSectorSize = 2;
inline constexpr FormatResult kUnlockFailed = 3;
inline constexpr FormatResult kDismountFailed = 4;
inline constexpr FormatResult kSetPartitionTypeFailed = 5;
inline constexpr FormatResult kFatTooSmall = 6;
inline constexpr FormatResult kTooFewClusters = 7;
inline constexpr FormatResult kTooManyClusters = 8;
inline constexpr FormatResult kOutOfMemory = 9;
inline constexpr FormatResult kVolumeTooLarge = 10;
inline constexpr FormatResult kVolumeTooSmall = 11;
inline constexpr FormatResult kPartitionInfoFailed = 12;
inline constexpr FormatResult kGeometryFailed = 13;
inline constexpr FormatResult kLockFailed = 14;
inline constexpr FormatResult kOpenFailed = 15;
inline constexpr FormatResult kWriteFailed = 16;
// mkfat32 --check only: the drive holds less than it claims. The window never
// runs the probe, so its boxes (0 to 16) do not know this code.
inline constexpr FormatResult kFakeCapacity = 17;
// The window only: between the user's confirmation and the opening of the
// volume the drive went away, or another stick took its letter. Nothing was
// written.
inline constexpr FormatResult kDriveChanged = 18;
// Past the 32 MiB floor but still too small for FAT32's 65,536 clusters,
// even at one sector per cluster (volumes of 32.0 to 32.5 MiB): the message
// of 7 ("may be less than 32 MB") would not be true.
inline constexpr FormatResult kBelowFat32Minimum = 19;
// The system refused to let the process read or write the volume for want of
// an administrator's rights. Nothing was written.
inline constexpr FormatResult kAdminRightsNeeded = 20;

// Message box icons, with the values of the Win32 MB_ICON* flags.
inline constexpr std::uint32_t kIconError = 0x10;
inline constexpr std::uint32_t kIconWarning = 0x30;
inline constexpr std::uint32_t kIconInformation = 0x40;

struct ResultMessage {
    const char* chinese;  // UTF-8
    const char* english;
    std::uint32_t icon;
};

// The message for a result code, or null for a code outside 0 to 16 and 18 to 20.
const ResultMessage* FindResultMessage(FormatResult result);

// The message for kFakeCapacity: printf formats taking the real capacity in
// MB as an unsigned long long.
const ResultMessage& FakeCapacityMessage();

// The caption of every result box: "提示" or "Info" (UTF-8).
const char* ResultCaption(bool chinese);

// Sectors per cluster (8, 16, 32 or 64) for a drive of the given capacity in
// MB of 1,048,576 bytes.
std::uint32_t SectorsPerClusterForCapacity(std::uint32_t megabytes);

// A drive whose size query failed (RAW, never formatted, damaged) shows a
// capacity of 0 MB, which no real drive has.
inline constexpr std::uint32_t kCapacityUnknown = 0;

// The sectors per cluster to hand the engine for a drive of this capacity:
// the policy's choice, or 0 for an unknown capacity, so that the engine
// chooses from the partition length it reads itself instead of the policy
// guessing from a size of 0.
std::int32_t RequestedSectorsPerCluster(std::uint32_t megabytes);

}  // namespace fat32
