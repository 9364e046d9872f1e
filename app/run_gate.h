// RunGate: the moment a format run starts writing, shared by the window and
// its worker. Before it, a removal of the drive or the session's end cancels
// the run; after it, the run is let finish and the window can wait for it.
#pragma once

#include <windows.h>

#include <atomic>

namespace app {

// The window may cancel a run only before the moment, and the worker may
// write only if it got there first. An event tells when the writing is over.
class RunGate {
public:
    RunGate() : finished_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~RunGate() {
        if (finished_) ::CloseHandle(finished_);
    }
    RunGate(const RunGate&) = delete;
    RunGate& operator=(const RunGate&) = delete;

    // The worker, on the locked volume: true when it may write.
    bool StartWriting() { return Move(kPending, kWriting); }
    // The worker, when the engine has returned, whether it wrote or not:
    // a run over can no longer be given up, and its result is the one told.
    void WritingDone() {
        if (!Move(kWriting, kDone)) Move(kPending, kDone);
        if (finished_) ::SetEvent(finished_);
    }
    // The window: true when the run will write nothing (now or ever).
    bool Cancel() { return Move(kPending, kCancelled) || state_ == kCancelled; }
    bool Cancelled() const { return state_ == kCancelled; }
    // The worker is writing now: a cut would leave half a volume.
    bool Writing() const { return state_ == kWriting; }
    // The engine has returned: nothing more will be written.
    bool Done() const { return state_ == kDone; }
    // The window: waits up to `ms` for a run that is writing to finish.
    void WaitWhileWriting(DWORD ms) const {
        if (state_ == kWriting && finished_) ::WaitForSingleObject(finished_, ms);
    }

private:
    enum State { kPending, kWriting, kDone, kCancelled };
    bool Move(int from, int to) { return state_.compare_exchange_strong(from, to); }

    std::atomic<int> state_{kPending};
    HANDLE finished_;
};

}  // namespace app
