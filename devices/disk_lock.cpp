// flock on a descriptor of its own: the lock belongs to that open file, so it
// lasts until this object closes it, whatever other descriptors the run opens
// and closes on the same disk meanwhile.
#include "devices/disk_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace fat32 {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(100);

}  // namespace

bool ParseLockMode(const std::string& text, LockMode& mode) {
    if (text == "yes" || text == "1") mode = LockMode::Wait;
    else if (text == "no" || text == "0") mode = LockMode::None;
    else if (text == "nonblock") mode = LockMode::NonBlocking;
    else return false;
    return true;
}

DiskLock::~DiskLock() {
    if (fd_ >= 0) ::close(fd_);
}

int DiskLock::Take(int diskFd, LockMode mode, std::chrono::milliseconds wait) {
    if (mode == LockMode::None) {
        ::close(diskFd);
        return 0;
    }
    // Polled rather than blocking, so the wait has an end.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (::flock(diskFd, LOCK_EX | LOCK_NB) == 0) {
            fd_ = diskFd;
            return 0;
        }
        const int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK || mode == LockMode::NonBlocking ||
            std::chrono::steady_clock::now() >= deadline) {
            ::close(diskFd);
            return error;
        }
        std::this_thread::sleep_for(kPollStep);
    }
}

}  // namespace fat32
