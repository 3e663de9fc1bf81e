#pragma once

#include <functional>
#include <memory>

namespace korvalin {

// Hands work to the one thread that runs every handler, paint and reading: the
// user-interface thread. Worker threads (the interval timers) use it to deliver ticks.
class UiThread {
public:
    virtual ~UiThread() = default;

    // Queues the task to run on the user-interface thread and returns at once. Tasks run
    // in the order they were posted. Callable from any thread.
    virtual void Post(std::function<void()> task) = 0;

    // True from the moment the application was asked to terminate; from then on no
    // handler is to be called any more.
    virtual bool TerminationRequested() const = 0;
};

// A blocking hand-over that the waiting side can abandon: the worker posts the task and
// waits until it has run, unless Cancel() is called first (from the user-interface
// thread, which then never runs the task). This keeps a worker that waits for the
// user-interface thread from dead-locking against that thread waiting for the worker.
class BlockingHandOver {
public:
    BlockingHandOver();
    ~BlockingHandOver();
    BlockingHandOver(const BlockingHandOver&) = delete;
    BlockingHandOver& operator=(const BlockingHandOver&) = delete;

    // Worker side: runs task on the user-interface thread and waits for it. Returns true
    // when the task ran, false when it was cancelled or the application is terminating.
    bool Run(UiThread& uiThread, const std::function<void()>& task);

    // User-interface side: releases a waiting worker; a posted task that has not yet
    // started will not run. Later Run calls return false at once.
    void Cancel();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace korvalin
