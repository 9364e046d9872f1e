// ProgressPoster: the format worker's side of the run's progress. It turns
// the engine's byte counts into percentages and posts them to the window,
// the only way the worker speaks to it.
#pragma once

#include <windows.h>

#include <cstdint>

#include "app/main_wnd.h"

namespace app {

// The worker tells the window how far the engine has come, by messages
// only: a new percentage at most every quarter second, which is as often as
// a screen reader can say it, and 100 at once when the writing is done.
class ProgressPoster {
public:
    void Report(std::uint64_t done, std::uint64_t total) {
        // The long step ends short of 100: the last writes follow it.
        const int percent = total ? static_cast<int>(done * kLastStepPercent / total) : 0;
        const DWORD now = ::GetTickCount();
        if (percent == shown_ || (shown_ >= 0 && now - postedAt_ < kProgressIntervalMs)) return;
        Post(percent, now);
    }
    void Done() { Post(100, ::GetTickCount()); }

private:
    static constexpr int kLastStepPercent = 99;
    static constexpr DWORD kProgressIntervalMs = 250;

    void Post(int percent, DWORD now) {
        if (percent == shown_) return;
        shown_ = percent;
        postedAt_ = now;
        ::PostMessageW(MainWindowHandle(), kFormatProgressMessage, static_cast<WPARAM>(percent), 0);
    }

    int shown_ = -1;
    DWORD postedAt_ = 0;
};

}  // namespace app
