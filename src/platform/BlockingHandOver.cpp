#include <algorithm>
#include <condition_variable>
#include <mutex>

#include "platform/UiThread.h"

namespace korvalin {

struct BlockingHandOver::State {
    std::mutex mutex;
    std::condition_variable changed;
    bool cancelled = false;
    unsigned long posted = 0;    // hand-overs posted so far
    unsigned long finished = 0;  // hand-overs that ran or were dropped
    unsigned long ran = 0;       // the last hand-over whose task ran
};

BlockingHandOver::BlockingHandOver() : state_(std::make_shared<State>()) {}

BlockingHandOver::~BlockingHandOver() {
    Cancel();
}

bool BlockingHandOver::Run(UiThread& uiThread, const std::function<void()>& task) {
    std::unique_lock lock(state_->mutex);
    if (state_->cancelled || uiThread.TerminationRequested()) {
        return false;
    }
    const unsigned long ticket = ++state_->posted;
    // The posted closure owns the state and a copy of the task, so both stay valid even
    // when the waiting worker has been released (a handler may cancel its own timer).
    uiThread.Post([state = state_, task, ticket] {
        std::unique_lock innerLock(state->mutex);
        if (state->cancelled || state->finished >= ticket) {
            return;
        }
        innerLock.unlock();
        task();
        innerLock.lock();
        state->ran = ticket;
        state->finished = std::max(state->finished, ticket);
        state->changed.notify_all();
    });
    state_->changed.wait(lock, [&] { return state_->cancelled || state_->finished >= ticket; });
    if (state_->finished < ticket) {
        state_->finished = ticket;  // a late delivery of this ticket must not run
    }
    return state_->ran == ticket;
}

void BlockingHandOver::Cancel() {
    std::lock_guard lock(state_->mutex);
    state_->cancelled = true;
    state_->changed.notify_all();
}

}  // namespace korvalin
