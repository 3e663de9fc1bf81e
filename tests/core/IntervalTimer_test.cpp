#include "core/IntervalTimer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"

namespace korvalin {
namespace {

using namespace std::chrono_literals;
using testing::FakeTimerSleeper;
using testing::FakeUiThread;
using Sleeps = std::vector<std::uint32_t>;

// A timer on virtual time whose ticks the test delivers; every tick records the sleeps
// the worker completed since the previous tick.
class TimerRig {
public:
    FakeUiThread ui;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    std::unique_ptr<IntervalTimer> timer = std::make_unique<IntervalTimer>(ui, sleeper);
    std::vector<Sleeps> sleepsPerTick;
    std::function<void(IntervalTimer&)> extra;

    void CountTicks() {
        timer->SetOnTimer([this](IntervalTimer& sender) {
            const Sleeps all = sleeper->Completed();
            sleepsPerTick.emplace_back(all.begin() + static_cast<std::ptrdiff_t>(mark_), all.end());
            mark_ = all.size();
            EXPECT_EQ(&sender, timer.get());
            if (extra) {
                extra(sender);
            }
        });
    }

    bool DeliverTick(std::chrono::milliseconds timeout = 5s) { return ui.WaitAndRun(timeout); }
    int Ticks() const { return static_cast<int>(sleepsPerTick.size()); }
    // Lets the worker run a little and checks that no tick was handed over meanwhile.
    bool NoTickFor(std::chrono::milliseconds span = 100ms) { return !ui.WaitAndRun(span); }

private:
    std::size_t mark_ = 0;
};

TEST(IntervalTimerSlice, FollowsTheIntervalRule) {
    const struct {
        std::uint32_t interval;
        std::uint32_t slice;
    } cases[] = {
        {0, 0},      {1, 1},      {300, 300},   {499, 499},         {500, 500},  {700, 700},
        {999, 999},  {1000, 500}, {1200, 600},  {1301, 650},        {1500, 500}, {2700, 540},
        {5000, 500}, {1499, 749}, {60000, 500}, {4294967295u, 500},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IntervalTimer::SliceFor(c.interval), c.slice) << "interval " << c.interval;
    }
    FakeUiThread ui;
    IntervalTimer timer(ui, std::make_shared<FakeTimerSleeper>());
    timer.SetInterval(1301);
    EXPECT_EQ(timer.Slice(), 650u);
}

TEST(IntervalTimerDefaults, AreDisabledOneSecondTimeCriticalWithoutWorker) {
    FakeUiThread ui;
    IntervalTimer timer(ui, std::make_shared<FakeTimerSleeper>());
    EXPECT_FALSE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 1000u);
    EXPECT_EQ(timer.Slice(), 500u);
    EXPECT_EQ(timer.Priority(), ThreadPriority::tpTimeCritical);
    EXPECT_FALSE(timer.OnTimer());
    EXPECT_FALSE(timer.HasWorker());
    timer.SetPriority(ThreadPriority::tpIdle);
    EXPECT_EQ(timer.Priority(), ThreadPriority::tpIdle);
}

TEST(IntervalTimerTicks, FirstTickComesAfterWholeSlicesOfTheInterval) {
    const struct {
        std::uint32_t interval;
        Sleeps slices;
    } cases[] = {
        {300, {300}},
        {700, {700}},
        {1000, {500, 500}},
        {1200, {600, 600}},
        {1301, {650, 650, 650}},
        {2700, {540, 540, 540, 540, 540}},
    };
    for (const auto& c : cases) {
        TimerRig rig;
        rig.timer->SetInterval(c.interval);
        rig.CountTicks();
        rig.timer->SetEnabled(true);
        ASSERT_TRUE(rig.DeliverTick()) << "interval " << c.interval;
        ASSERT_EQ(rig.Ticks(), 1);
        EXPECT_EQ(rig.sleepsPerTick[0], c.slices) << "interval " << c.interval;
        ASSERT_TRUE(rig.DeliverTick());
        EXPECT_EQ(rig.sleepsPerTick[1], c.slices) << "second tick, interval " << c.interval;
    }
}

TEST(IntervalTimerTicks, ZeroIntervalCreatesTheWorkerButNeverTicks) {
    TimerRig rig;
    rig.timer->SetInterval(0);
    rig.CountTicks();
    rig.timer->SetEnabled(true);
    EXPECT_TRUE(rig.timer->HasWorker());
    EXPECT_TRUE(rig.timer->Enabled());
    EXPECT_TRUE(rig.NoTickFor());
    EXPECT_TRUE(rig.sleeper->Requested().empty());

    rig.timer->SetInterval(1000);
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.sleepsPerTick[0], (Sleeps{500, 500}));
}

TEST(IntervalTimerTicks, NoHandlerNoTicksUntilOneIsAssigned) {
    TimerRig rig;
    rig.timer->SetEnabled(true);
    EXPECT_TRUE(rig.timer->Enabled());
    EXPECT_TRUE(rig.NoTickFor());
    EXPECT_TRUE(rig.sleeper->Requested().empty());

    rig.CountTicks();
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.Ticks(), 1);
    EXPECT_TRUE(rig.timer->Enabled());
}

TEST(IntervalTimerTicks, HandlerThatDisablesTheTimerStopsTicksUntilReEnabled) {
    TimerRig rig;
    rig.CountTicks();
    rig.extra = [](IntervalTimer& sender) { sender.SetEnabled(false); };
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_FALSE(rig.timer->Enabled());

    // The worker suspends itself right after the hand-over: it no longer sleeps.
    const std::size_t sleepsAtTick = rig.sleeper->Requested().size();
    EXPECT_TRUE(rig.NoTickFor());
    EXPECT_EQ(rig.sleeper->Requested().size(), sleepsAtTick);

    rig.extra = nullptr;
    rig.timer->SetEnabled(true);
    EXPECT_TRUE(rig.timer->Enabled());
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.Ticks(), 2);
    EXPECT_EQ(rig.sleepsPerTick[1], (Sleeps{500, 500})) << "a full interval after re-enabling";
}

TEST(IntervalTimerTicks, HandlerThatSwitchesTheTimerOffAndOnKeepsTicking) {
    TimerRig rig;
    rig.CountTicks();
    rig.extra = [](IntervalTimer& sender) {
        sender.SetEnabled(false);
        EXPECT_TRUE(sender.InTimerEvent());
        sender.SetEnabled(true);
    };
    rig.timer->SetEnabled(true);
    for (int tick = 0; tick < 3; ++tick) {
        ASSERT_TRUE(rig.DeliverTick()) << "tick " << tick;
        EXPECT_EQ(rig.sleepsPerTick.back(), (Sleeps{500, 500})) << "tick " << tick;
        EXPECT_TRUE(rig.timer->Enabled());
        EXPECT_FALSE(rig.timer->InTimerEvent());
    }
}

TEST(IntervalTimerTicks, IntervalChangedInsideTheHandlerAppliesToTheNextTick) {
    TimerRig rig;
    rig.CountTicks();
    rig.extra = [](IntervalTimer& sender) { sender.SetInterval(1301); };
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.DeliverTick());
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.sleepsPerTick[1], (Sleeps{650, 650, 650}));
}

TEST(IntervalTimerPause, IntervalChangeWhileSleepingKeepsTheSlicesAlreadySlept) {
    TimerRig rig;
    rig.timer->SetInterval(2000);
    rig.CountTicks();
    rig.sleeper->Limit(2);
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.sleeper->WaitUntilBlocked());  // 1000 ms slept, inside the third slice

    rig.timer->SetInterval(1200);
    ASSERT_TRUE(rig.sleeper->WaitForInterruptions(1));
    EXPECT_TRUE(rig.timer->Enabled());
    rig.sleeper->Allow(FakeTimerSleeper::Unlimited);
    ASSERT_TRUE(rig.DeliverTick());
    // 1000 ms before the change plus one slice of the new length reach 1200 ms.
    EXPECT_EQ(rig.sleepsPerTick[0], (Sleeps{500, 500, 600}));
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.sleepsPerTick[1], (Sleeps{600, 600}));
}

TEST(IntervalTimerPause, DisabledWorkerDoesNotTickAndKeepsItsElapsedCount) {
    TimerRig rig;
    rig.timer->SetInterval(1500);
    rig.CountTicks();
    rig.sleeper->Limit(2);
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.sleeper->WaitUntilBlocked());

    rig.timer->SetEnabled(false);
    ASSERT_TRUE(rig.sleeper->WaitForInterruptions(1));
    rig.sleeper->Allow(FakeTimerSleeper::Unlimited);
    EXPECT_TRUE(rig.NoTickFor());
    const std::size_t requestsWhilePaused = rig.sleeper->Requested().size();
    EXPECT_TRUE(rig.NoTickFor(50ms));
    EXPECT_EQ(rig.sleeper->Requested().size(), requestsWhilePaused) << "a paused worker sleeps";

    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.sleepsPerTick[0], (Sleeps{500, 500, 500}));
}

TEST(IntervalTimerPause, TickAlreadyOnItsWayWhenDisabledReachesNoHandler) {
    TimerRig rig;
    rig.CountTicks();
    rig.sleeper->Limit(2);
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.ui.WaitForPending(1, 5s)) << "no tick was posted after the interval";

    rig.timer->SetEnabled(false);
    EXPECT_EQ(rig.ui.RunPending(), 1) << "the posted tick is delivered";
    EXPECT_EQ(rig.Ticks(), 0);
    EXPECT_FALSE(rig.timer->Enabled());
}

TEST(IntervalTimerFailures, ThrowingHandlerIsSwallowedAndTicksGoOn) {
    TimerRig rig;
    rig.CountTicks();
    rig.extra = [](IntervalTimer&) { throw std::runtime_error("handler failed"); };
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_FALSE(rig.timer->InTimerEvent());
    ASSERT_TRUE(rig.DeliverTick());
    EXPECT_EQ(rig.Ticks(), 2);
    EXPECT_EQ(rig.sleepsPerTick[1], (Sleeps{500, 500}));
}

TEST(IntervalTimerTermination, NoHandlerRunsOnceTheApplicationTerminates) {
    TimerRig rig;
    rig.CountTicks();
    rig.sleeper->Limit(2);
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.ui.WaitForPending(1, 5s)) << "no tick was posted after the interval";

    rig.ui.RequestTermination();
    EXPECT_EQ(rig.ui.RunPending(), 1) << "the tick already on its way is delivered";
    // Two more intervals: the worker reaches the hand-over twice more and then blocks in
    // the sleep after them.
    rig.sleeper->Allow(4);
    ASSERT_TRUE(rig.sleeper->WaitUntilBlocked());
    EXPECT_EQ(rig.sleeper->Completed().size(), 6u);
    rig.ui.RunPending();
    EXPECT_EQ(rig.Ticks(), 0);
}

TEST(IntervalTimerTermination, EnablingWhileTerminatingLeavesEnabledFalse) {
    TimerRig rig;
    rig.CountTicks();
    rig.ui.RequestTermination();
    rig.timer->SetEnabled(true);
    EXPECT_FALSE(rig.timer->Enabled());
    EXPECT_TRUE(rig.NoTickFor(50ms));
}

TEST(IntervalTimerDestruction, WakesASleepingWorkerAndCallsNoHandlerAfterwards) {
    TimerRig rig;
    rig.CountTicks();
    rig.sleeper->Limit(1);
    rig.timer->SetEnabled(true);
    ASSERT_TRUE(rig.sleeper->WaitUntilBlocked());

    rig.timer.reset();
    EXPECT_EQ(rig.sleeper->GaveUp(), 0) << "the sleep was not cut short by the destruction";
    EXPECT_EQ(rig.sleeper->Interrupted(), 1);
    rig.ui.RunPending();
    EXPECT_EQ(rig.Ticks(), 0);
}

TEST(IntervalTimerDestruction, ReleasesAWorkerWaitingForTheUserInterfaceThread) {
    TimerRig rig;
    rig.CountTicks();
    rig.timer->SetEnabled(true);
    // The worker now waits for its tick to be run.
    ASSERT_TRUE(rig.ui.WaitForPending(1, 5s)) << "no tick was posted after the interval";

    rig.timer.reset();  // must not wait for the tick, which would never run
    EXPECT_EQ(rig.ui.RunPending(), 1) << "the tick was handed over before destruction";
    EXPECT_EQ(rig.Ticks(), 0);
}

TEST(IntervalTimerDestruction, OfAPausedAndOfANeverStartedTimer) {
    {
        TimerRig rig;
        rig.CountTicks();
        rig.timer->SetEnabled(true);
        rig.timer->SetEnabled(false);
        rig.timer.reset();
        rig.ui.RunPending();
        EXPECT_EQ(rig.Ticks(), 0);
    }
    {
        TimerRig rig;
        rig.timer->SetInterval(0);
        rig.timer->SetEnabled(true);
        rig.timer.reset();
        EXPECT_TRUE(rig.sleeper->Requested().empty());
    }
}

TEST(IntervalTimerRealTime, TicksOnTheClockAndEndsPromptly) {
    FakeUiThread ui;
    int ticks = 0;
    {
        IntervalTimer timer(ui);
        timer.SetInterval(20);
        timer.SetOnTimer([&](IntervalTimer&) { ++ticks; });
        timer.SetEnabled(true);
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(ui.WaitAndRun(5s)) << "tick " << i;
        }
        // A long interval: destruction must wake the sleeping worker rather than wait.
        timer.SetInterval(60000);
    }
    EXPECT_EQ(ticks, 3);
}

}  // namespace
}  // namespace korvalin
