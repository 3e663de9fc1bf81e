#include "core/IntervalTimer.h"

#include <algorithm>
#include <chrono>

namespace korvalin {

namespace {

constexpr std::uint32_t LongestSingleSlice = 500;
constexpr int MaxResumeRequests = 100;

}  // namespace

std::uint64_t SleepInterruptSignal::Epoch() const {
    std::lock_guard lock(mutex_);
    return epoch_;
}

void SleepInterruptSignal::Raise() {
    {
        std::lock_guard lock(mutex_);
        ++epoch_;
    }
    raised_.notify_all();
}

bool SleepInterruptSignal::WaitFor(std::uint64_t since, std::chrono::milliseconds duration) const {
    std::unique_lock lock(mutex_);
    return raised_.wait_for(lock, duration, [&] { return epoch_ != since; });
}

std::uint32_t RealTimerSleeper::Sleep(std::uint32_t milliseconds,
                                      const SleepInterruption& interruption) {
    const auto start = std::chrono::steady_clock::now();
    if (!interruption.WaitFor(std::chrono::milliseconds(milliseconds))) {
        return milliseconds;
    }
    const auto slept = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    // An interrupted sleep reports less than asked, so the worker sleeps the rest later.
    return static_cast<std::uint32_t>(
        std::min<std::int64_t>(slept.count(), static_cast<std::int64_t>(milliseconds) - 1));
}

// --- IntervalTimerWorker -------------------------------------------------------------------

IntervalTimerWorker::IntervalTimerWorker(IntervalTimer& owner, UiThread& uiThread,
                                         std::shared_ptr<TimerSleeper> sleeper)
    : sleeper_(std::move(sleeper)),
      uiThread_(uiThread),
      owner_(&owner),
      thread_([this] { Execute(); }) {}

IntervalTimerWorker::~IntervalTimerWorker() {
    TerminateAndWait();
}

void IntervalTimerWorker::SetOwner(IntervalTimer& owner) {
    std::lock_guard lock(mutex_);
    owner_ = &owner;
}

void IntervalTimerWorker::SetInterval(std::uint32_t interval) {
    std::lock_guard lock(mutex_);
    interval_ = interval;
}

void IntervalTimerWorker::SetSlice(std::uint32_t slice) {
    std::lock_guard lock(mutex_);
    slice_ = slice;
}

void IntervalTimerWorker::SetPriority(ThreadPriority priority) {
    std::lock_guard lock(mutex_);
    priority_ = priority;
}

bool IntervalTimerWorker::Suspended() const {
    std::lock_guard lock(mutex_);
    return suspended_;
}

bool IntervalTimerWorker::Terminated() const {
    std::lock_guard lock(mutex_);
    return terminated_;
}

void IntervalTimerWorker::Suspend() {
    std::lock_guard lock(mutex_);
    suspended_ = true;
    interrupt_.Raise();
}

void IntervalTimerWorker::Resume() {
    {
        std::lock_guard lock(mutex_);
        suspended_ = false;
    }
    resumed_.notify_all();
}

void IntervalTimerWorker::Terminate() {
    {
        std::lock_guard lock(mutex_);
        terminated_ = true;
        interrupt_.Raise();
    }
    resumed_.notify_all();
    handOver_.Cancel();
}

void IntervalTimerWorker::TerminateAndWait() {
    Terminate();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void IntervalTimerWorker::Execute() {
    running_ = true;
    elapsed_ = 0;
    sliceSlept_ = 0;
    Settings settings;
    while (AwaitResumed(settings)) {
        // Checked after every wake, so a pause between the last slice and the hand-over
        // holds the tick back until the worker is resumed.
        if (sliceSlept_ == 0 && elapsed_ >= settings.interval && elapsed_ > 0) {
            DeliverTick();
            elapsed_ = 0;
        } else {
            SleepRestOfSlice(settings);
        }
    }
    running_ = false;
}

bool IntervalTimerWorker::AwaitResumed(Settings& settings) {
    std::unique_lock lock(mutex_);
    resumed_.wait(lock, [this] { return terminated_ || !suspended_; });
    if (terminated_) {
        return false;
    }
    settings.interval = interval_;
    settings.slice = slice_;
    settings.epoch = interrupt_.Epoch();
    return true;
}

void IntervalTimerWorker::SleepRestOfSlice(const Settings& settings) {
    // A slice cut short by a pause is finished after the pause; the slept part counts.
    const std::uint32_t wanted = settings.slice > sliceSlept_ ? settings.slice - sliceSlept_ : 0;
    const std::uint32_t slept =
        wanted == 0 ? 0 : sleeper_->Sleep(wanted, SleepInterruption(interrupt_, settings.epoch));
    elapsed_ += std::min(slept, wanted);
    if (slept >= wanted) {
        sliceSlept_ = 0;
    } else {
        sliceSlept_ += slept;
    }
}

void IntervalTimerWorker::DeliverTick() {
    // Swallowed: a failing hand-over only restarts the count.
    try {
        handOver_.Run(uiThread_, [this] { SyncTimer(); });
        std::lock_guard lock(mutex_);
        if (!owner_->Enabled() && !suspended_ && !terminated_) {
            suspended_ = true;
        }
    } catch (...) {
    }
}

void IntervalTimerWorker::SyncTimer() {
    if (Terminated()) {
        return;
    }
    IntervalTimer* owner = nullptr;
    {
        std::lock_guard lock(mutex_);
        owner = owner_;
    }
    // Swallowed: a tick must never take the user-interface thread down.
    try {
        owner->DoTimer();
    } catch (...) {
    }
}

// --- IntervalTimer ---------------------------------------------------------------------

IntervalTimer::IntervalTimer(UiThread& uiThread, std::shared_ptr<TimerSleeper> sleeper)
    : uiThread_(uiThread), sleeper_(std::move(sleeper)) {}

IntervalTimer::~IntervalTimer() {
    // Swallowed: destruction goes on whatever pausing the worker raised.
    try {
        enabled_ = false;
        UpdateThread();
    } catch (...) {
    }
    if (worker_ != nullptr) {
        // Wakes a paused or sleeping worker and releases one waiting for a tick that the
        // user-interface thread (this thread) will never run now.
        worker_->TerminateAndWait();
        worker_.reset();
    }
}

void IntervalTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_.load()) {
        return;
    }
    enabled_ = enabled;
    UpdateThread();
}

void IntervalTimer::SetInterval(std::uint32_t interval) {
    if (interval == interval_) {
        return;
    }
    interval_ = interval;
    slice_ = SliceFor(interval);
    UpdateThread();
}

void IntervalTimer::SetPriority(ThreadPriority priority) {
    if (priority == priority_) {
        return;
    }
    priority_ = priority;
    UpdateThread();
}

void IntervalTimer::SetOnTimer(TimerHandler handler) {
    onTimer_ = std::move(handler);
    UpdateThread();
}

std::uint32_t IntervalTimer::SliceFor(std::uint32_t interval) {
    if (interval < LongestSingleSlice) {
        return interval;
    }
    if (interval % LongestSingleSlice == 0) {
        return LongestSingleSlice;
    }
    return interval / (interval / LongestSingleSlice);
}

void IntervalTimer::UpdateThread() {
    PauseWorkerUnlessInTick();
    if (worker_ == nullptr && enabled_) {
        worker_ = std::make_unique<IntervalTimerWorker>(*this, uiThread_, sleeper_);
    }
    if (!enabled_ || interval_ == 0 || !onTimer_) {
        return;
    }
    worker_->SetOwner(*this);
    worker_->SetPriority(priority_);
    worker_->SetInterval(interval_);
    worker_->SetSlice(slice_);
    ResumeWorker();
}

void IntervalTimer::PauseWorkerUnlessInTick() {
    // During a tick the worker is blocked in the hand-over and decides itself afterwards.
    if (worker_ != nullptr && !inTimerEvent_ && !worker_->Suspended()) {
        worker_->Suspend();
    }
}

void IntervalTimer::ResumeWorker() {
    for (int requests = 0; !inTimerEvent_ && worker_->Suspended() && requests < MaxResumeRequests &&
                           !uiThread_.TerminationRequested();
         ++requests) {
        worker_->Resume();
    }
    if (!inTimerEvent_) {
        enabled_ = !worker_->Suspended();
    }
}

void IntervalTimer::DoTimer() {
    inTimerEvent_ = true;
    // Swallowed: a failing handler does not stop the ticks.
    try {
        if (!uiThread_.TerminationRequested() && enabled_ && onTimer_) {
            onTimer_(*this);
        }
    } catch (...) {
    }
    inTimerEvent_ = false;
}

}  // namespace korvalin
