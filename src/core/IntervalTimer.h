#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/UiThread.h"

namespace korvalin {

// The priorities a timer's worker can be given. The value is kept as a property only:
// a process without privileges cannot raise a thread above normal on Linux, and the
// worker sleeps nearly all the time anyway, so no mapping onto real priorities is made.
enum class ThreadPriority {
    tpIdle,
    tpLowest,
    tpLower,
    tpNormal,
    tpHigher,
    tpHighest,
    tpTimeCritical
};

// The signal that cuts a worker's sleep short. Each pause or termination request bumps
// an epoch, so a sleep that began before the request sees it even when the worker was
// resumed again at once.
class SleepInterruptSignal {
public:
    std::uint64_t Epoch() const;
    void Raise();
    // Waits until the epoch differs from since, or the time is up; true when it differs.
    bool WaitFor(std::uint64_t since, std::chrono::milliseconds duration) const;

private:
    mutable std::mutex mutex_;
    mutable std::condition_variable raised_;
    std::uint64_t epoch_ = 0;
};

// What one sleep of a worker sees of its signal: interrupted once the worker was paused
// or told to terminate after the sleep began.
class SleepInterruption {
public:
    SleepInterruption(const SleepInterruptSignal& signal, std::uint64_t since)
        : signal_(signal), since_(since) {}
    bool Interrupted() const { return signal_.Epoch() != since_; }
    // Waits until interrupted or the time is up; returns Interrupted().
    bool WaitFor(std::chrono::milliseconds duration) const {
        return signal_.WaitFor(since_, duration);
    }

private:
    const SleepInterruptSignal& signal_;
    std::uint64_t since_;
};

// How a worker sleeps one slice. The real one sleeps on the clock; tests hand in one
// that runs on virtual time.
class TimerSleeper {
public:
    virtual ~TimerSleeper() = default;
    // Sleeps for milliseconds unless interruption fires first (the worker is paused or
    // told to terminate). Returns the milliseconds actually slept: milliseconds for a
    // full sleep, less when interrupted.
    virtual std::uint32_t Sleep(std::uint32_t milliseconds,
                                const SleepInterruption& interruption) = 0;
};

// Sleeps on the steady clock and wakes early when interrupted.
class RealTimerSleeper final : public TimerSleeper {
public:
    std::uint32_t Sleep(std::uint32_t milliseconds, const SleepInterruption& interruption) override;
};

class IntervalTimer;

// The worker of a timer: sleeps in slices, counts the slept time and, once a whole
// interval is slept, hands the tick to the user-interface thread and waits there until
// the handler has run. Paused and woken through a condition variable, since threads
// here cannot be suspended from outside.
class IntervalTimerWorker {
public:
    // Starts the thread paused ("created suspended").
    IntervalTimerWorker(IntervalTimer& owner, UiThread& uiThread,
                        std::shared_ptr<TimerSleeper> sleeper);
    ~IntervalTimerWorker();
    IntervalTimerWorker(const IntervalTimerWorker&) = delete;
    IntervalTimerWorker& operator=(const IntervalTimerWorker&) = delete;

    void SetOwner(IntervalTimer& owner);
    void SetInterval(std::uint32_t interval);
    void SetSlice(std::uint32_t slice);
    void SetPriority(ThreadPriority priority);

    bool Suspended() const;
    bool Terminated() const;
    bool Running() const { return running_.load(); }
    // Pauses the worker where it stands; a sleep in progress ends early and the slept
    // part of it keeps counting.
    void Suspend();
    void Resume();
    // Tells the worker to end: wakes it from a pause or a sleep and releases it from a
    // hand-over that the user-interface thread has not started yet.
    void Terminate();
    // Terminates and waits for the thread's end.
    void TerminateAndWait();

private:
    struct Settings {
        std::uint32_t interval = 0;
        std::uint32_t slice = 0;
        std::uint64_t epoch = 0;
    };

    void Execute();
    // Waits while paused; false once told to terminate.
    bool AwaitResumed(Settings& settings);
    void SleepRestOfSlice(const Settings& settings);
    void DeliverTick();
    void SyncTimer();

    std::shared_ptr<TimerSleeper> sleeper_;
    UiThread& uiThread_;
    BlockingHandOver handOver_;
    SleepInterruptSignal interrupt_;

    mutable std::mutex mutex_;
    std::condition_variable resumed_;
    IntervalTimer* owner_;
    std::uint32_t interval_ = 0;
    std::uint32_t slice_ = 0;
    ThreadPriority priority_ = ThreadPriority::tpNormal;
    bool suspended_ = true;
    bool terminated_ = false;
    std::atomic<bool> running_{false};

    // Touched by the worker only.
    std::uint32_t elapsed_ = 0;
    std::uint32_t sliceSlept_ = 0;

    std::thread thread_;  // last: starts after every other member exists
};

// Calls OnTimer on the user-interface thread every Interval milliseconds, through a
// worker that sleeps and hands each tick over with a blocking call, so ticks never
// overlap and handlers need no lock. Setters run on the user-interface thread. The
// timer must not be destroyed from inside its own handler.
class IntervalTimer {
public:
    using TimerHandler = std::function<void(IntervalTimer& sender)>;

    explicit IntervalTimer(UiThread& uiThread, std::shared_ptr<TimerSleeper> sleeper =
                                                   std::make_shared<RealTimerSleeper>());
    ~IntervalTimer();
    IntervalTimer(const IntervalTimer&) = delete;
    IntervalTimer& operator=(const IntervalTimer&) = delete;

    bool Enabled() const { return enabled_.load(); }
    void SetEnabled(bool enabled);
    std::uint32_t Interval() const { return interval_; }
    void SetInterval(std::uint32_t interval);
    ThreadPriority Priority() const { return priority_; }
    void SetPriority(ThreadPriority priority);
    const TimerHandler& OnTimer() const { return onTimer_; }
    void SetOnTimer(TimerHandler handler);

    // Length of one sleep of the worker for the current interval.
    std::uint32_t Slice() const { return slice_; }
    bool InTimerEvent() const { return inTimerEvent_; }
    // True once a worker has been created (the first time Enabled became True).
    bool HasWorker() const { return worker_ != nullptr; }

    // Runs the handler for one tick; called on the user-interface thread by the worker.
    void DoTimer();

    // Slice length for an interval: below 500 ms one slice of the interval, multiples of
    // 500 ms in slices of 500, others in interval div (interval div 500) ms slices.
    static std::uint32_t SliceFor(std::uint32_t interval);

private:
    void UpdateThread();
    void PauseWorkerUnlessInTick();
    void ResumeWorker();

    UiThread& uiThread_;
    std::shared_ptr<TimerSleeper> sleeper_;
    std::unique_ptr<IntervalTimerWorker> worker_;
    std::atomic<bool> enabled_{false};
    std::uint32_t interval_ = 1000;
    std::uint32_t slice_ = 500;
    ThreadPriority priority_ = ThreadPriority::tpTimeCritical;
    TimerHandler onTimer_;
    bool inTimerEvent_ = false;
};

}  // namespace korvalin
