// The lock that programs writing to a disk share: flock(LOCK_EX) on the
// whole disk's node, never on a partition's, held for the whole operation.
// udevd skips a disk so locked instead of probing it or re-reading its table,
// and util-linux's tools (sfdisk --lock, LOCK_BLOCK_DEVICE) wait for it.
#pragma once

#include <chrono>
#include <string>

namespace fat32 {

enum class LockMode {
    Wait,         // wait a bounded time for another holder to let go
    NonBlocking,  // one try
    None,         // no lock at all
};

// util-linux's words, in any case: "yes" or "1", "no" or "0", "nonblock".
// False for others.
bool ParseLockMode(const std::string& text, LockMode& mode);

class DiskLock {
public:
    DiskLock() = default;
    ~DiskLock();
    DiskLock(const DiskLock&) = delete;
    DiskLock& operator=(const DiskLock&) = delete;

    // Locks the whole disk open at `diskFd`, which this lock then owns and
    // closes. 0 when held or none was asked for; EWOULDBLOCK when another
    // holds it past the wait; otherwise flock's errno.
    int Take(int diskFd, LockMode mode, std::chrono::milliseconds wait);
    bool Held() const { return fd_ >= 0; }
    // Lets go of the disk (closing the descriptor ends the lock).
    void Release();

private:
    int fd_ = -1;
};

}  // namespace fat32
