#include "platform/linux/MainLoop.h"

namespace korvalin {

void MainLoop::Post(std::function<void()> task) {
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
    }
    posted_.notify_one();
}

bool MainLoop::TerminationRequested() const {
    std::lock_guard lock(mutex_);
    return quitting_;
}

int MainLoop::Run() {
    std::unique_lock lock(mutex_);
    while (true) {
        posted_.wait(lock, [this] { return quitting_ || !tasks_.empty(); });
        if (quitting_) {
            return exitCode_;
        }
        auto task = std::move(tasks_.front());
        tasks_.pop_front();
        lock.unlock();
        task();
        lock.lock();
    }
}

void MainLoop::Quit(int exitCode) {
    {
        std::lock_guard lock(mutex_);
        if (!quitting_) {
            exitCode_ = exitCode;
        }
        quitting_ = true;
    }
    posted_.notify_all();
}

}  // namespace korvalin
