// A block device for tests: it passes every call on to another device, records
// what it was asked (operation, offset, size) and fails the operations it is
// told to fail, without passing those on.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "format/block_device.h"

namespace fat32 {

enum class DeviceOp {
    Open, AllowExtendedAccess, Lock, GetGeometry, GetPartitionInfo, GetPartitionInfoEx,
    Seek, Write, Read, Flush, SetPartitionType, Dismount, Unlock, Close,
};

const char* DeviceOpName(DeviceOp op);

struct DeviceCall {
    DeviceOp op;
    std::uint64_t offset = 0;  // Write: where it landed; Seek: the target
    std::uint32_t size = 0;    // Write: bytes asked for
    bool succeeded = true;
};

class FaultInjectingDevice : public BlockDevice {
public:
    static constexpr std::uint32_t kInjectedErrorCode = 31;  // ERROR_GEN_FAILURE

    explicit FaultInjectingDevice(BlockDevice& inner) : inner_(inner) {}

    // Every call of this operation fails from now on.
    void FailOperation(DeviceOp op) { failing_.insert(op); }
    // The nth Write (counting from 1) fails; the others go through.
    void FailWrite(std::size_t n) { failingWrite_ = n; }
    // The first n calls of this operation fail, later ones go through.
    void FailFirst(DeviceOp op, std::size_t n) { failFirst_[op] = n; }
    // Every Write takes this long first, as a slow stick's would.
    void DelayWrites(unsigned milliseconds) { writeDelayMs_ = milliseconds; }

    const std::vector<DeviceCall>& Calls() const { return calls_; }
    // The volume path of the last Open, as the run built it.
    const std::string& OpenedPath() const { return openedPath_; }
    std::vector<DeviceCall> Writes() const;
    std::size_t CountOf(DeviceOp op) const;

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
    bool BeforeBootSector() override { return inner_.BeforeBootSector(); }
    bool SetPartitionType(std::uint8_t type) override;
    bool Dismount() override;
    bool Unlock() override;
    void Close() override;
    DeviceError LastError() const override;

private:
    template <typename Call>
    bool Run(DeviceOp op, bool fail, Call&& call, std::uint64_t offset = 0,
             std::uint32_t size = 0);

    BlockDevice& inner_;
    std::set<DeviceOp> failing_;
    std::map<DeviceOp, std::size_t> failFirst_;
    std::size_t failingWrite_ = 0;
    std::size_t writes_ = 0;
    unsigned writeDelayMs_ = 0;
    std::uint64_t position_ = 0;
    bool lastFailureInjected_ = false;
    std::vector<DeviceCall> calls_;
    std::string openedPath_;
};

}  // namespace fat32
