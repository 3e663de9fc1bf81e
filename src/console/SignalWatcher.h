#pragma once

#include <signal.h>

#include <atomic>
#include <functional>
#include <thread>

namespace korvalin {

// Turns SIGINT and SIGTERM into a call of onSignal on a thread of its own, so the
// reaction may lock and post like any other code. Blocks both signals in the creating
// thread, and so in every thread created after it; create it before any other thread.
class SignalWatcher {
public:
    explicit SignalWatcher(std::function<void(int signal)> onSignal);
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

private:
    void Watch();

    std::function<void(int)> onSignal_;
    sigset_t watched_{};
    sigset_t previous_{};
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

}  // namespace korvalin
