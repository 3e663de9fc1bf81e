#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "fakes/FakeUiThread.h"
#include "platform/UiThread.h"
#include "platform/linux/MainLoop.h"

using namespace std::chrono_literals;

namespace korvalin {
namespace {

TEST(BlockingHandOver, WorkerWaitsUntilTheTaskHasRunOnTheUiThread) {
    testing::FakeUiThread ui;
    BlockingHandOver handOver;
    std::atomic<int> runs{0};
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_TRUE(handOver.Run(ui, [&] { ++runs; }));
        returned = true;
    });
    ASSERT_TRUE(ui.WaitAndRun(5s));
    worker.join();
    EXPECT_EQ(runs, 1);
    EXPECT_TRUE(returned);
}

TEST(BlockingHandOver, CancelReleasesTheWorkerAndDropsThePostedTask) {
    testing::FakeUiThread ui;
    BlockingHandOver handOver;
    std::atomic<int> runs{0};
    std::thread worker([&] { EXPECT_FALSE(handOver.Run(ui, [&] { ++runs; })); });
    std::this_thread::sleep_for(50ms);  // let the worker post and start waiting
    handOver.Cancel();
    worker.join();
    ui.RunPending();  // the task posted before the cancel arrives late and must not run
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(handOver.Run(ui, [&] { ++runs; }));
}

TEST(BlockingHandOver, ATaskThatCancelsItsOwnHandOverStillCompletes) {
    testing::FakeUiThread ui;
    BlockingHandOver handOver;
    std::atomic<int> runs{0};
    std::thread worker([&] {
        handOver.Run(ui, [&] {
            handOver.Cancel();
            ++runs;
        });
    });
    ASSERT_TRUE(ui.WaitAndRun(5s));
    worker.join();
    EXPECT_EQ(runs, 1);
}

TEST(BlockingHandOver, NothingRunsOnceTerminationWasRequested) {
    testing::FakeUiThread ui;
    ui.RequestTermination();
    BlockingHandOver handOver;
    EXPECT_FALSE(handOver.Run(ui, [] { FAIL(); }));
    EXPECT_EQ(ui.RunPending(), 0);
}

TEST(MainLoop, RunsPostedTasksInOrderUntilQuit) {
    MainLoop loop;
    std::vector<int> order;
    loop.Post([&] { order.push_back(1); });
    loop.Post([&] { order.push_back(2); });
    loop.Post([&] { loop.Quit(7); });
    loop.Post([&] { order.push_back(3); });
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_TRUE(loop.TerminationRequested());
}

}  // namespace
}  // namespace korvalin
