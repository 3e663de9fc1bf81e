#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/EventLoop.h"

namespace korvalin {

// The event loop of the console view: a queue of posted tasks guarded by a mutex.
class MainLoop final : public EventLoop {
public:
    void Post(std::function<void()> task) override;
    bool TerminationRequested() const override;
    int Run() override;
    void Quit(int exitCode) override;

private:
    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> tasks_;
    bool quitting_ = false;
    int exitCode_ = 0;
};

}  // namespace korvalin
