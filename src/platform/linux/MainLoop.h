#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/UiThread.h"

namespace korvalin {

// The user-interface thread of the console view: the thread that calls Run() works off
// posted tasks until Quit() is called.
class MainLoop final : public UiThread {
public:
    void Post(std::function<void()> task) override;
    bool TerminationRequested() const override;

    // Runs posted tasks until Quit(); returns the exit code given to Quit().
    int Run();

    // Ends Run() after the task that is running now. Callable from any thread, and from
    // a signal handler's helper thread; also marks the application as terminating.
    void Quit(int exitCode = 0);

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool quitting_ = false;
    int exitCode_ = 0;
};

}  // namespace korvalin
