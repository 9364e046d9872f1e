// What mkfat32 asks of the system it runs on: one small interface, with one
// implementation per platform (linux_platform.cpp, windows_platform.cpp), so
// that main.cpp tells the command's story without naming a platform.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "format/format_volume.h"
#include "tools/mkfat32/arguments.h"

namespace mkfat32 {

class Platform {
public:
    virtual ~Platform() = default;

    // Opens the target once and makes every check that may refuse it before
    // anything is written. 0, or the exit code after the reason was printed:
    // kUsageExit, kNotUsbExit, or a format result (open failed, in use).
    virtual int Open(const Arguments& args) = 0;
    // Bytes the new volume will fill, 0 when unknown.
    virtual std::uint64_t VolumeBytes() = 0;
    // The label's bytes as FAT stores them, with a warning line for what was
    // cut or replaced. False (reason printed) when it cannot be converted.
    virtual bool LabelBytes(const Arguments& args, std::string& bytes) = 0;
    // Whether the Chinese texts are in force.
    virtual bool ChineseTexts() = 0;
    // Formats the opened target.
    virtual fat32::FormatResult Format(fat32::FormatRequest& request,
                                       fat32::FormatOptions& options) = 0;
    // Says why a run failed, in the system's words, naming the target.
    virtual void ReportFailure(fat32::FormatResult result) = 0;
    // A stream that swallows what is written to it.
    virtual std::FILE* NullStream() = 0;
};

// The platform this build runs on.
std::unique_ptr<Platform> MakePlatform();

}  // namespace mkfat32
