// The Windows volume device: the whole partition of a drive letter, opened as
// "\\.\X:" without system buffering and driven with DeviceIoControl, every
// call made through a VolumeCalls (the system's, or the simulated machine's).
#pragma once

#ifdef _WIN32

#include <windows.h>

#include "devices/handle_calls.h"
#include "devices/volume_calls.h"
#include "format/block_device.h"
#include "format/format_volume.h"
#include "format/medium_facts.h"

namespace fat32 {

class WinVolumeDevice : public BlockDevice {
public:
    explicit WinVolumeDevice(VolumeCalls& calls = SystemVolumeCalls()) : calls_(calls), io_(calls) {}
    ~WinVolumeDevice() override { Close(); }
    WinVolumeDevice(const WinVolumeDevice&) = delete;
    WinVolumeDevice& operator=(const WinVolumeDevice&) = delete;

    bool Open(const char* volumePath) override;
    bool AllowExtendedAccess() override;
    bool Lock() override;
    bool GetGeometry(DiskGeometry& geometry) override;
    bool GetPartitionInfo(PartitionInfo& info) override;
    bool GetPartitionInfoEx(PartitionInfoEx& info) override;
    bool Seek(std::uint64_t offset) override;
    bool Write(const void* data, std::uint32_t size) override;
    bool Read(void* data, std::uint32_t size) override;
    bool Flush() override;
    bool SetPartitionType(std::uint8_t type) override;
    bool Dismount() override;
    bool Unlock() override;
    void Close() override;
    DeviceError LastError() const override { return io_.LastError(); }

    // The facts that tell this medium from another, read through the open
    // handle as the question read them (medium_identity.h).
    MediumFacts ReadMediumFacts();

private:
    bool Control(DWORD code, void* in, DWORD inSize, void* out, DWORD outSize) {
        return io_.Control(volume_, code, in, inSize, out, outSize);
    }

    VolumeCalls& calls_;
    HandleCalls io_;
    HANDLE volume_ = INVALID_HANDLE_VALUE;
};

}  // namespace fat32

#endif  // _WIN32
