// Recording, fault-injecting wrapper around another block device.
#include "devices/fault_injecting_device.h"

#include <chrono>
#include <thread>

namespace fat32 {

const char* DeviceOpName(DeviceOp op) {
    switch (op) {
        case DeviceOp::Open: return "open";
        case DeviceOp::AllowExtendedAccess: return "allow-extended-access";
        case DeviceOp::Lock: return "lock";
        case DeviceOp::GetGeometry: return "get-geometry";
        case DeviceOp::GetPartitionInfo: return "get-partition-info";
        case DeviceOp::GetPartitionInfoEx: return "get-partition-info-ex";
        case DeviceOp::Seek: return "seek";
        case DeviceOp::Write: return "write";
        case DeviceOp::Read: return "read";
        case DeviceOp::Flush: return "flush";
        case DeviceOp::SetPartitionType: return "set-partition-type";
        case DeviceOp::Dismount: return "dismount";
        case DeviceOp::Unlock: return "unlock";
        case DeviceOp::Close: return "close";
    }
    return "?";
}

template <typename Call>
bool FaultInjectingDevice::Run(DeviceOp op, bool fail, Call&& call, std::uint64_t offset,
                               std::uint32_t size) {
    fail = fail || failing_.count(op) != 0;
    if (auto first = failFirst_.find(op); first != failFirst_.end() && first->second > 0) {
        --first->second;
        fail = true;
    }
    const bool ok = !fail && call();
    lastFailureInjected_ = fail;
    calls_.push_back(DeviceCall{op, offset, size, ok});
    return ok;
}

std::vector<DeviceCall> FaultInjectingDevice::Writes() const {
    std::vector<DeviceCall> writes;
    for (const DeviceCall& call : calls_)
        if (call.op == DeviceOp::Write) writes.push_back(call);
    return writes;
}

std::size_t FaultInjectingDevice::CountOf(DeviceOp op) const {
    std::size_t n = 0;
    for (const DeviceCall& call : calls_) n += call.op == op;
    return n;
}

bool FaultInjectingDevice::Open(const char* volumePath) {
    openedPath_ = volumePath ? volumePath : "";
    return Run(DeviceOp::Open, false, [&] { return inner_.Open(volumePath); });
}

bool FaultInjectingDevice::AllowExtendedAccess() {
    return Run(DeviceOp::AllowExtendedAccess, false, [&] { return inner_.AllowExtendedAccess(); });
}

bool FaultInjectingDevice::Lock() {
    return Run(DeviceOp::Lock, false, [&] { return inner_.Lock(); });
}

bool FaultInjectingDevice::GetGeometry(DiskGeometry& geometry) {
    return Run(DeviceOp::GetGeometry, false, [&] { return inner_.GetGeometry(geometry); });
}

bool FaultInjectingDevice::GetPartitionInfo(PartitionInfo& info) {
    return Run(DeviceOp::GetPartitionInfo, false, [&] { return inner_.GetPartitionInfo(info); });
}

bool FaultInjectingDevice::GetPartitionInfoEx(PartitionInfoEx& info) {
    return Run(DeviceOp::GetPartitionInfoEx, false,
               [&] { return inner_.GetPartitionInfoEx(info); });
}

bool FaultInjectingDevice::Seek(std::uint64_t offset) {
    const bool ok = Run(DeviceOp::Seek, false, [&] { return inner_.Seek(offset); }, offset);
    if (ok) position_ = offset;
    return ok;
}

bool FaultInjectingDevice::Write(const void* data, std::uint32_t size) {
    ++writes_;
    if (writeDelayMs_) std::this_thread::sleep_for(std::chrono::milliseconds(writeDelayMs_));
    const bool ok = Run(DeviceOp::Write, writes_ == failingWrite_,
                        [&] { return inner_.Write(data, size); }, position_, size);
    if (ok) position_ += size;
    return ok;
}

bool FaultInjectingDevice::Read(void* data, std::uint32_t size) {
    const bool ok = Run(DeviceOp::Read, false, [&] { return inner_.Read(data, size); }, position_, size);
    if (ok) position_ += size;
    return ok;
}

bool FaultInjectingDevice::Flush() {
    return Run(DeviceOp::Flush, false, [&] { return inner_.Flush(); });
}

bool FaultInjectingDevice::SetPartitionType(std::uint8_t type) {
    return Run(DeviceOp::SetPartitionType, false, [&] { return inner_.SetPartitionType(type); });
}

bool FaultInjectingDevice::Dismount() {
    return Run(DeviceOp::Dismount, false, [&] { return inner_.Dismount(); });
}

bool FaultInjectingDevice::Unlock() {
    return Run(DeviceOp::Unlock, false, [&] { return inner_.Unlock(); });
}

void FaultInjectingDevice::Close() {
    Run(DeviceOp::Close, false, [&] {
        inner_.Close();
        return true;
    });
}

DeviceError FaultInjectingDevice::LastError() const {
    if (lastFailureInjected_) return DeviceError{kInjectedErrorCode, "injected failure"};
    return inner_.LastError();
}

}  // namespace fat32
