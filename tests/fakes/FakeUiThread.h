#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/UiThread.h"

namespace korvalin::testing {

// A user-interface thread that the test drives: posted tasks wait until the test thread
// calls RunPending() or RunUntil().
class FakeUiThread final : public UiThread {
public:
    void Post(std::function<void()> task) override {
        {
            std::lock_guard lock(mutex_);
            tasks_.push_back(std::move(task));
        }
        posted_.notify_all();
    }

    bool TerminationRequested() const override {
        std::lock_guard lock(mutex_);
        return terminating_;
    }

    void RequestTermination() {
        std::lock_guard lock(mutex_);
        terminating_ = true;
    }

    // Runs the tasks posted so far; returns how many ran.
    int RunPending() {
        std::deque<std::function<void()>> batch;
        {
            std::lock_guard lock(mutex_);
            batch.swap(tasks_);
        }
        for (auto& task : batch) {
            task();
        }
        return static_cast<int>(batch.size());
    }

    // Waits until at least count tasks are posted and not yet run (up to timeout); runs
    // none of them. Returns false on timeout.
    template <class Duration>
    bool WaitForPending(std::size_t count, Duration timeout) {
        std::unique_lock lock(mutex_);
        return posted_.wait_for(lock, timeout, [&] { return tasks_.size() >= count; });
    }

    // Waits for a posted task (up to timeout) and runs everything posted; returns false on
    // timeout.
    template <class Duration>
    bool WaitAndRun(Duration timeout) {
        {
            std::unique_lock lock(mutex_);
            if (!posted_.wait_for(lock, timeout, [this] { return !tasks_.empty(); })) {
                return false;
            }
        }
        RunPending();
        return true;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool terminating_ = false;
};

// Runs every posted task at once on the posting thread: for code under test that posts
// from the test thread itself.
class InlineUiThread final : public UiThread {
public:
    void Post(std::function<void()> task) override { task(); }
    bool TerminationRequested() const override { return terminating; }
    bool terminating = false;
};

}  // namespace korvalin::testing
