#include "app/SignalPipe.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <csignal>
#include <vector>

namespace korvalin {
namespace {

std::vector<int> RaiseAndCollect(SignalPipe& pipe, int signalNumber) {
    std::vector<int> received;
    QObject::connect(&pipe, &SignalPipe::TerminationRequested,
                     [&](int number) { received.push_back(number); });
    std::raise(signalNumber);
    QElapsedTimer waited;
    waited.start();
    while (received.empty() && waited.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return received;
}

class SignalPipeSignals : public ::testing::TestWithParam<int> {};

TEST_P(SignalPipeSignals, ArriveAsOneQtSignalWithTheirNumber) {
    SignalPipe pipe;
    ASSERT_TRUE(pipe.Installed());
    EXPECT_EQ(RaiseAndCollect(pipe, GetParam()), std::vector<int>{GetParam()});
}

INSTANTIATE_TEST_SUITE_P(Termination, SignalPipeSignals,
                         ::testing::Values(SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2));

TEST(SignalPipe, GivesTheDefaultHandlingBackWhenDestroyed) {
    { SignalPipe pipe; }
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGUSR1, SIGUSR2}) {
        struct sigaction current {};
        sigaction(signalNumber, nullptr, &current);
        EXPECT_EQ(current.sa_handler, SIG_DFL) << signalNumber;
    }
}

TEST(SignalPipe, IgnoresABrokenPipe) {
    SignalPipe pipe;
    std::raise(SIGPIPE);  // would end the test program unless ignored
    struct sigaction current {};
    sigaction(SIGPIPE, nullptr, &current);
    EXPECT_EQ(current.sa_handler, SIG_IGN);
}

TEST(SignalPipe, ASecondPipeLeavesTheFirstInCharge) {
    SignalPipe first;
    SignalPipe second;
    EXPECT_TRUE(first.Installed());
    EXPECT_FALSE(second.Installed());
    EXPECT_EQ(RaiseAndCollect(first, SIGTERM), std::vector<int>{SIGTERM});
}

}  // namespace
}  // namespace korvalin
