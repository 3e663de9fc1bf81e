#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/UiThread.h"

namespace korvalin {

// Runs work that waits for a peer (the SNMP agent) away from the user-interface thread:
// each piece of work runs on a worker, in the order queued, and its completion then runs
// on the user-interface thread, so the windows never wait for an answer.
class ExchangeQueue {
public:
    virtual ~ExchangeQueue() = default;

    // Runs work off the user-interface thread, then done on it. Pieces never overlap.
    virtual void Queue(std::function<void()> work, std::function<void()> done) = 0;
};

// Runs work and completion at once on the calling thread: for the console's one-shot
// commands and for tests that want every reading finished when the call returns.
class InlineExchangeQueue final : public ExchangeQueue {
public:
    void Queue(std::function<void()> work, std::function<void()> done) override {
        work();
        done();
    }
};

// One worker thread that runs the queued work in order and posts each completion to the
// user-interface thread. Destruction drops what has not started, calls interrupt so the
// work that waits now ends at once, and joins the worker; no completion runs after it.
class ExchangeThread final : public ExchangeQueue {
public:
    // interrupt is called from the user-interface thread at destruction, while a piece
    // of work may be waiting; it must make that wait end (and be callable from there).
    ExchangeThread(UiThread& uiThread, std::function<void()> interrupt);
    ~ExchangeThread() override;
    ExchangeThread(const ExchangeThread&) = delete;
    ExchangeThread& operator=(const ExchangeThread&) = delete;

    void Queue(std::function<void()> work, std::function<void()> done) override;

private:
    struct Piece {
        std::function<void()> work;
        std::function<void()> done;
    };
    // Shared with the completions posted to the user-interface thread, which may run
    // after this object is gone and must then do nothing.
    struct Liveness {
        bool alive = true;
    };

    void Run();

    UiThread& uiThread_;
    std::function<void()> interrupt_;
    std::shared_ptr<Liveness> liveness_ = std::make_shared<Liveness>();
    std::mutex mutex_;
    std::condition_variable queued_;
    std::deque<Piece> pieces_;
    bool stopping_ = false;
    std::thread worker_;  // last: starts after every other member exists
};

}  // namespace korvalin
