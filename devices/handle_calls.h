// HandleCalls: the calls both Windows devices make on a handle of theirs
// (control codes, position, reads, writes, flush, geometry), through their
// VolumeCalls. A failure is recorded as the device's last error, with the
// GetLastError() code, its text and what it means to the run.
#pragma once

#ifdef _WIN32

#include <windows.h>

#include <cstdint>
#include <string>

#include "devices/volume_calls.h"
#include "format/block_device.h"

namespace fat32 {

class HandleCalls {
public:
    explicit HandleCalls(VolumeCalls& calls) : calls_(calls) {}

    VolumeCalls& calls() const { return calls_; }

    // Records GetLastError() as the last error; returns false, so a failed
    // call can end with `|| Fail()`.
    bool Fail();
    DeviceError& LastError() { return lastError_; }
    const DeviceError& LastError() const { return lastError_; }

    bool Control(HANDLE handle, DWORD code, void* in, DWORD inSize, void* out, DWORD outSize);
    bool Seek(HANDLE handle, std::uint64_t offset);
    // A short transfer counts as a failure: the run never writes or reads a
    // part of what it asked for.
    bool Write(HANDLE handle, const void* data, std::uint32_t size);
    bool Read(HANDLE handle, void* data, std::uint32_t size);
    bool Flush(HANDLE handle);
    bool GetGeometry(HANDLE handle, DiskGeometry& geometry);

private:
    VolumeCalls& calls_;
    DeviceError lastError_;
};

// The system's message text for an error code, UTF-8, without the line end.
std::string SystemErrorText(DWORD code);

}  // namespace fat32

#endif  // _WIN32
