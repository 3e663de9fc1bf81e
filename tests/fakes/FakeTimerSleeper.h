#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <limits>
#include <mutex>
#include <vector>

#include "core/IntervalTimer.h"

namespace korvalin::testing {

// A timer sleeper on virtual time: each sleep completes at once while the budget of
// completed sleeps lasts, and otherwise blocks until the test allows more or the worker
// is interrupted (an interrupted blocked sleep slept nothing). A sleep that is never
// released gives up after a safety limit and is recorded, so a broken wake-up fails the
// test instead of hanging it.
class FakeTimerSleeper final : public TimerSleeper {
public:
    static constexpr std::size_t Unlimited = std::numeric_limits<std::size_t>::max();

    std::uint32_t Sleep(std::uint32_t milliseconds,
                        const SleepInterruption& interruption) override {
        std::unique_lock lock(mutex_);
        requested_.push_back(milliseconds);
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (true) {
            if (budget_ > 0) {
                if (budget_ != Unlimited) {
                    --budget_;
                }
                completed_.push_back(milliseconds);
                now_ += milliseconds;
                changed_.notify_all();
                return milliseconds;
            }
            if (interruption.Interrupted()) {
                ++interrupted_;
                blocked_ = false;
                changed_.notify_all();
                return 0;
            }
            if (std::chrono::steady_clock::now() > giveUp) {
                ++gaveUp_;
                blocked_ = false;
                return milliseconds;
            }
            blocked_ = true;
            changed_.notify_all();
            changed_.wait_for(lock, std::chrono::milliseconds(1));
        }
    }

    // Lets count more sleeps complete (Unlimited: all from now on).
    void Allow(std::size_t count) {
        std::lock_guard lock(mutex_);
        budget_ = (count == Unlimited || budget_ == Unlimited) ? Unlimited : budget_ + count;
        blocked_ = false;
        changed_.notify_all();
    }

    // From now on sleeps block once count more have completed.
    void Limit(std::size_t count) {
        std::lock_guard lock(mutex_);
        budget_ = count;
    }

    // Waits until the worker is blocked in a sleep; false on timeout.
    bool WaitUntilBlocked(std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [this] { return blocked_; });
    }

    // Waits until count sleeps have been interrupted in total; false on timeout.
    bool WaitForInterruptions(int count,
                              std::chrono::milliseconds timeout = std::chrono::seconds(5)) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, timeout, [&] { return interrupted_ >= count; });
    }

    std::vector<std::uint32_t> Completed() const {
        std::lock_guard lock(mutex_);
        return completed_;
    }
    std::vector<std::uint32_t> Requested() const {
        std::lock_guard lock(mutex_);
        return requested_;
    }
    void ClearRecords() {
        std::lock_guard lock(mutex_);
        completed_.clear();
        requested_.clear();
    }
    std::uint64_t VirtualNow() const {
        std::lock_guard lock(mutex_);
        return now_;
    }
    int Interrupted() const {
        std::lock_guard lock(mutex_);
        return interrupted_;
    }
    int GaveUp() const {
        std::lock_guard lock(mutex_);
        return gaveUp_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t budget_ = Unlimited;
    bool blocked_ = false;
    std::vector<std::uint32_t> requested_;
    std::vector<std::uint32_t> completed_;
    std::uint64_t now_ = 0;
    int interrupted_ = 0;
    int gaveUp_ = 0;
};

}  // namespace korvalin::testing
