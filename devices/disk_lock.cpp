// flock on a descriptor of its own: the lock belongs to that open file, so it
// lasts until this object closes it, whatever other descriptors the run opens
// and closes on the same disk meanwhile.
#include "devices/disk_lock.h"

#include <fcntl.h>
#include <strings.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace fat32 {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(100);

}  // namespace

// Any case, as util-linux compares them.
bool ParseLockMode(const std::string& text, LockMode& mode) {
    const auto is = [&](const char* word) { return ::strcasecmp(text.c_str(), word) == 0; };
    if (is("yes") || is("1")) mode = LockMode::Wait;
    else if (is("no") || is("0")) mode = LockMode::None;
    else if (is("nonblock")) mode = LockMode::NonBlocking;
    else return false;
    return true;
}

void DiskLock::Release() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

DiskLock::~DiskLock() { Release(); }

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
