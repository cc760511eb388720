#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "database/EventListener.h"

namespace zlt::test {

// What an EventListener's handler was told, and when, for a test to wait on.
class EventRecorder {
public:
    using Clock = std::chrono::steady_clock;

    db::EventListener::Handler handler() {
        return [this](bool lost) {
            std::lock_guard lock(mutex_);
            ++(lost ? lost_ : changes_);
            lastChange_ = lost ? lastChange_ : Clock::now();
            told_.notify_all();
        };
    }

    // Whether the handler had been told of that many changes in all before the time ran out.
    bool waitForChanges(int count, std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        return told_.wait_for(lock, within, [&] { return changes_ >= count; });
    }
    bool waitForLoss(std::chrono::milliseconds within) {
        std::unique_lock lock(mutex_);
        return told_.wait_for(lock, within, [&] { return lost_ > 0; });
    }

    int changes() {
        std::lock_guard lock(mutex_);
        return changes_;
    }
    Clock::time_point lastChange() {
        std::lock_guard lock(mutex_);
        return lastChange_;
    }

private:
    std::mutex mutex_;
    std::condition_variable told_;
    int changes_ = 0;
    int lost_ = 0;
    Clock::time_point lastChange_;
};

}  // namespace zlt::test
