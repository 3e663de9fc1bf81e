#include "sources/ExchangeQueue.h"

namespace korvalin {

ExchangeThread::ExchangeThread(UiThread& uiThread, std::function<void()> interrupt)
    : uiThread_(uiThread), interrupt_(std::move(interrupt)), worker_([this] { Run(); }) {}

ExchangeThread::~ExchangeThread() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        pieces_.clear();
    }
    queued_.notify_all();
    // The flag is only read and written on the user-interface thread, where this runs.
    liveness_->alive = false;
    if (interrupt_) {
        interrupt_();
    }
    worker_.join();
}

void ExchangeThread::Queue(std::function<void()> work, std::function<void()> done) {
    {
        std::lock_guard lock(mutex_);
        pieces_.push_back({std::move(work), std::move(done)});
    }
    queued_.notify_one();
}

void ExchangeThread::Run() {
    for (;;) {
        Piece piece;
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !pieces_.empty(); });
            if (stopping_) {
                return;
            }
            piece = std::move(pieces_.front());
            pieces_.pop_front();
        }
        // Swallowed: a piece that fails leaves its result as it found it, and the pieces
        // after it must still run.
        try {
            piece.work();
        } catch (...) {
        }
        uiThread_.Post([liveness = liveness_, done = std::move(piece.done)] {
            if (liveness->alive && done) {
                done();
            }
        });
    }
}

}  // namespace korvalin
