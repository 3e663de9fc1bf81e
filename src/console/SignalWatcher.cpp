#include "console/SignalWatcher.h"

#include <pthread.h>

#include <ctime>

namespace korvalin {

SignalWatcher::SignalWatcher(std::function<void(int)> onSignal) : onSignal_(std::move(onSignal)) {
    sigemptyset(&watched_);
    sigaddset(&watched_, SIGINT);
    sigaddset(&watched_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &watched_, &previous_);
    thread_ = std::thread([this] { Watch(); });
}

SignalWatcher::~SignalWatcher() {
    stopping_ = true;
    thread_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

void SignalWatcher::Watch() {
    // Waits in short steps so the destructor needs no signal of its own to end it.
    const timespec step{0, 100 * 1000 * 1000};
    while (!stopping_) {
        const int signal = sigtimedwait(&watched_, nullptr, &step);
        if (signal > 0) {
            onSignal_(signal);
        }
    }
}

}  // namespace korvalin
