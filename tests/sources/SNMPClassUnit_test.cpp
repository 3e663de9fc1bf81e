#include "sources/SNMPClassUnit.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "fakes/FakeSnmpAgent.h"
#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "sources/SNMPAgentTables.h"
#include "sources/iphelperUnit.h"

namespace korvalin {
namespace {

using testing::AddSNMPInterface;
using testing::FakeSnmpAgent;
using testing::FakeTimerSleeper;
using testing::FakeUiThread;
using testing::RemoveSNMPInterface;
using testing::SetSNMPCounters;

const snmp::ClientSettings FastClient{"", "161", std::chrono::milliseconds(300)};

// A router monitor aimed at a fake agent with the interfaces 1 "lo" and 2 "wan". Its
// timer sleeps on virtual time that never passes unless a test allows it, so readings
// come only from the test's own calls.
struct MonitorRig {
    MonitorRig() {
        agent.SetCommunity("vindra");
        AddSNMPInterface(agent, 1, "lo", 1000, 2000);
        AddSNMPInterface(agent, 2, "wan", 50000, 60000);
        sleeper->Limit(0);
        monitor.SetOnTraffic([this](const TrafficSample& sample) {
            EXPECT_EQ(&sample, &monitor.Sample());
            ++samples;
        });
        monitor.SetHost(agent.Target());
        uiThread.RunPending();  // the list walk that a change of host asks for
    }

    std::uint64_t StoredIn(std::int32_t index) const {
        OctetCounters stored;
        EXPECT_TRUE(monitor.Ledger().Stored(index, stored)) << index;
        return stored.inOctets;
    }

    FakeSnmpAgent agent;
    FakeUiThread uiThread;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    TSNMPClass monitor{uiThread, FastClient, sleeper, ExchangeMode::Inline};
    int samples = 0;
};

TEST(SNMPMonitorSetUp, AChangedHostPreparesTheMonitorAndReadsTheList) {
    MonitorRig rig;
    EXPECT_TRUE(rig.monitor.Prepared());
    EXPECT_EQ(rig.monitor.Interfaces(), (TInterfaceList{{"lo", 1}, {"wan", 2}}));
    ASSERT_NE(rig.monitor.Timer(), nullptr);
    EXPECT_FALSE(rig.monitor.Timer()->Enabled());
    EXPECT_EQ(rig.monitor.Timer()->Interval(), 1000u);
    EXPECT_EQ(rig.monitor.SelectedIndex(), -1) << "no interface named yet";
    EXPECT_EQ(rig.samples, 0);
}

TEST(SNMPMonitorSetUp, IntervalReachesTheTimer) {
    MonitorRig rig;
    rig.monitor.SetInterval(5000);
    EXPECT_EQ(rig.monitor.Interval(), 5000);
    EXPECT_EQ(rig.monitor.Timer()->Interval(), 5000u);
}

TEST(SNMPMonitorSelection, NameLooksUpCaseInsensitively) {
    MonitorRig rig;
    const struct {
        const char* name;
        std::int32_t index;
    } cases[] = {{"WAN", 2}, {"lo", 1}, {"Alle Netzwerkadapter", -1}, {"eth9", -1}};
    for (const auto& c : cases) {
        rig.monitor.SetInterfaceName(c.name);
        EXPECT_EQ(rig.monitor.InterfaceName(), c.name);
        EXPECT_EQ(rig.monitor.SelectedIndex(), c.index) << c.name;
    }
}

TEST(SNMPMonitorActivation, EmptyNameTakesTheFirstInterface) {
    MonitorRig rig;
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.monitor.InterfaceName(), "lo");
    EXPECT_EQ(rig.monitor.SelectedIndex(), 1);
}

TEST(SNMPMonitorActivation, OnAndOffEachMakeOneReadingAndRepeatsMakeNone) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.samples, 1);
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
    EXPECT_EQ(rig.StoredIn(2), 50000u);
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.samples, 1);
    SetSNMPCounters(rig.agent, 2, 60000, 61000);
    rig.monitor.SetActive(false);
    EXPECT_EQ(rig.samples, 2);
    EXPECT_FALSE(rig.monitor.Timer()->Enabled());
    EXPECT_EQ(rig.monitor.IntervalReceived(), 10000 - 168);
    EXPECT_EQ(rig.monitor.IntervalSent(), 1000 - 192);
    rig.monitor.SetActive(false);
    EXPECT_EQ(rig.samples, 2);
    // Figures are kept after switching off.
    EXPECT_EQ(rig.monitor.TotalReceived(), 10000 - 168);
}

TEST(SNMPMonitorActivation, SwitchingOnAgainRestartsTotalsWithFreshBaselines) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    SetSNMPCounters(rig.agent, 2, 70000, 60000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.TotalReceived(), 20000 - 168);
    rig.monitor.SetActive(false);
    SetSNMPCounters(rig.agent, 2, 90000, 60000);
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.monitor.TotalReceived(), 0);
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
    EXPECT_EQ(rig.StoredIn(2), 90000u);
}

// One interval of the wan interface: counter readings before and after, the options,
// and the figures the monitor must report.
struct IntervalCase {
    const char* name;
    std::uint32_t inBefore, inAfter, outBefore, outAfter;
    bool exchange;
    bool correct;
    std::uint32_t correctUp, correctDown;
    std::int64_t received, sent;
};

TEST(SNMPMonitorReading, CounterRuleAllowancesExchangeAndCorrections) {
    const IntervalCase cases[] = {
        {"plain differences", 1000, 11000, 2000, 7000, false, false, 1, 1, 10000 - 168, 5000 - 192},
        {"wrapped counter counts its new value", 4294967000u, 200, 0, 0, false, false, 1, 1, 32, 0},
        {"fewer than 192 outgoing bytes", 0, 0, 500, 600, false, false, 1, 1, 0, 0},
        {"a rise of 2^31 or more counts in full", 0, 3000000000u, 0, 0, false, false, 1, 1,
         3000000000 - 168, 0},
        {"counter above 2147483647", 2147483600u, 2147493600u, 0, 0, false, false, 1, 1,
         10000 - 168, 0},
        {"exchanged directions keep their allowances", 0, 10000, 0, 5000, true, false, 1, 1, 4808,
         9832},
        {"corrections are plain bytes", 0, 10000, 0, 5000, false, true, 1, 1, 10000 - 168 - 1,
         5000 - 192 - 1},
        {"correction larger than the figure", 0, 10000, 0, 1092, false, true, 1000, 1, 9831, 0},
        {"corrections follow the counters when exchanged", 0, 10000, 0, 5000, true, true, 1000, 500,
         5000 - 192 - 1000, 10000 - 168 - 500},
    };
    for (const IntervalCase& c : cases) {
        MonitorRig rig;
        SetSNMPCounters(rig.agent, 2, c.inBefore, c.outBefore);
        rig.monitor.SetInterfaceName("wan");
        rig.monitor.SetExchangeRates(c.exchange);
        rig.monitor.SetCorrectRates(c.correct);
        rig.monitor.SetCorrectUp(c.correctUp);
        rig.monitor.SetCorrectDown(c.correctDown);
        rig.monitor.SetActive(true);
        SetSNMPCounters(rig.agent, 2, c.inAfter, c.outAfter);
        rig.monitor.TimerTick();
        EXPECT_EQ(rig.monitor.IntervalReceived(), c.received) << c.name;
        EXPECT_EQ(rig.monitor.IntervalSent(), c.sent) << c.name;
    }
}

TEST(SNMPMonitorReading, AllInterfacesSumAndFiguresStaySixtyFourBit) {
    MonitorRig rig;
    AddSNMPInterface(rig.agent, 3, "dsl", 0, 0);
    rig.monitor.SetInterfaceName(AllAdaptersText);
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.monitor.SelectedIndex(), -1);
    std::int64_t expectedTotal = 0;
    for (int interval = 1; interval <= 3; ++interval) {
        // Three interfaces, each nearly 2^31 per interval: more than one 32-bit figure.
        const auto step = static_cast<std::uint32_t>(2000000000u * (interval % 2));
        SetSNMPCounters(rig.agent, 1, 1000 + step, 2000);
        SetSNMPCounters(rig.agent, 2, 50000 + step, 60000);
        SetSNMPCounters(rig.agent, 3, step, 0);
        rig.monitor.TimerTick();
        EXPECT_GE(rig.monitor.IntervalReceived(), 0);
        EXPECT_LE(rig.monitor.IntervalReceived(), 4294967295);
        expectedTotal += rig.monitor.IntervalReceived();
    }
    EXPECT_EQ(rig.monitor.TotalReceived(), expectedTotal);
    EXPECT_GT(rig.monitor.TotalReceived(), 4294967296);
}

TEST(SNMPMonitorReading, AnInterfaceAppendedWhileAllAreMonitoredCountsFromItsFirstReading) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName(AllAdaptersText);
    rig.monitor.SetActive(true);
    AddSNMPInterface(rig.agent, 5, "vpn", 800000, 900000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.Interfaces().size(), 3u);
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
    SetSNMPCounters(rig.agent, 5, 801000, 900000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 1000 - 168);
}

TEST(SNMPMonitorReading, UnknownNameReadsZeroUntilTheAgentListsIt) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("vpn");
    rig.monitor.SetActive(true);
    SetSNMPCounters(rig.agent, 2, 90000, 90000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
    EXPECT_EQ(rig.monitor.IntervalSent(), 0);
    EXPECT_EQ(rig.samples, 2);
    AddSNMPInterface(rig.agent, 7, "vpn", 100, 100);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.SelectedIndex(), 7);
}

TEST(SNMPMonitorFailures, SilentAgentReadsZeroAndTheFirstAnsweredReadingIsTheBaseline) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.agent.AnswerOnly(0);
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.samples, 1);
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
    EXPECT_TRUE(rig.monitor.Ledger().Empty());
    EXPECT_NE(rig.monitor.LastFailure(), "");
    rig.agent.AnswerOnly(-1);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0) << "the whole counter is no interval's traffic";
    EXPECT_EQ(rig.monitor.LastFailure(), "");
    SetSNMPCounters(rig.agent, 2, 51000, 60000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 1000 - 168);
}

TEST(SNMPMonitorFailures, ANewHostForgetsTheOldAgentsReadings) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    FakeSnmpAgent bigger;
    bigger.SetCommunity("vindra");
    for (int index = 1; index <= 6; ++index) {
        AddSNMPInterface(bigger, index, index == 4 ? "wan" : "if" + std::to_string(index), 1000000,
                         1000000);
    }
    rig.monitor.SetHost(bigger.Target());
    rig.uiThread.RunPending();
    EXPECT_EQ(rig.monitor.Interfaces().size(), 6u);
    EXPECT_EQ(rig.monitor.SelectedIndex(), 4);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0) << "wan of the new agent starts from a baseline";
    SetSNMPCounters(bigger, 4, 1002000, 1000000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 2000 - 168);

    rig.monitor.SetHost(rig.agent.Target());
    rig.uiThread.RunPending();
    EXPECT_EQ(rig.monitor.SelectedIndex(), 2);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
}

TEST(SNMPMonitorAgentChanges, HostAndCommunityTogetherWalkTheListOnce) {
    MonitorRig rig;
    FakeSnmpAgent other;
    other.SetCommunity("secret");
    AddSNMPInterface(other, 3, "dsl", 0, 0);
    const auto walksStarted = [&other] {
        int walks = 0;
        for (const snmp::Message& request : other.Requests()) {
            walks += request.pduType == snmp::PduType::GetNextRequest &&
                     request.varbinds.front().oid == "1.3.6.1.2.1.2.2.1.1";
        }
        return walks;
    };
    int listsArrived = 0;
    rig.monitor.SetOnInterfaces([&] { ++listsArrived; });
    rig.monitor.SetHost(other.Target());
    rig.monitor.SetCommunity("secret");
    rig.monitor.RefreshInterfaces();
    rig.uiThread.RunPending();
    EXPECT_EQ(walksStarted(), 1);
    EXPECT_EQ(rig.monitor.Interfaces(), (InterfaceList{{"dsl", 3}}));
    EXPECT_GE(listsArrived, 1);
}

TEST(SNMPMonitorTick, ThrowingHandlerIsSwallowedAndTheTimerFollowsActive) {
    MonitorRig rig;
    rig.monitor.SetOnTraffic(
        [](const TrafficSample&) { throw std::runtime_error("handler failed"); });
    EXPECT_NO_THROW(rig.monitor.SetActive(true));
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
    EXPECT_NO_THROW(rig.monitor.TimerTick());
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
}

TEST(SNMPMonitorTick, TheTimerDeliversReadingsOnTheUserInterfaceThread) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    ASSERT_EQ(rig.samples, 1);
    rig.sleeper->Allow(2);  // 1000 ms in two slices of 500
    ASSERT_TRUE(rig.uiThread.WaitAndRun(std::chrono::seconds(5)));
    EXPECT_EQ(rig.samples, 2);
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
}

TEST(SNMPMonitorRates, PerSecondDividesByWholeSecondsOfTheInterval) {
    FakeUiThread uiThread;
    TSNMPClass monitor(uiThread, FastClient);
    const struct {
        std::int32_t interval;
        std::int64_t value;
        std::int64_t perSecond;
    } cases[] = {
        {1000, 12345, 12345},          {2500, 12345, 6172}, {5000, 12345, 2469}, {1999, 7, 7},
        {60000, 4294967295, 71582788}, {500, 12345, 12345}, {0, 12345, 12345},
    };
    for (const auto& c : cases) {
        monitor.SetInterval(c.interval);
        EXPECT_EQ(monitor.PerSecond(c.value), c.perSecond) << c.interval;
    }
}

// The monitor as the program runs it: every exchange on the exchange worker.
struct WorkerRig {
    explicit WorkerRig(std::chrono::milliseconds timeout) {
        agent.SetCommunity("vindra");
        AddSNMPInterface(agent, 2, "wan", 50000, 60000);
        sleeper->Limit(0);
        monitor = std::make_unique<TSNMPClass>(uiThread, snmp::ClientSettings{"", "161", timeout},
                                               sleeper, ExchangeMode::Worker);
        monitor->SetOnTraffic([this](const TrafficSample&) { ++samples; });
        monitor->SetHost(agent.Target());
        monitor->SetInterfaceName("wan");
    }

    // Runs what the worker hands back until done() holds; false after 20 s.
    template <class Predicate>
    bool RunUntil(Predicate done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            uiThread.WaitAndRun(std::chrono::milliseconds(100));
        }
        return true;
    }

    FakeSnmpAgent agent;
    FakeUiThread uiThread;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    std::unique_ptr<TSNMPClass> monitor;
    int samples = 0;
};

TEST(SNMPMonitorWorker, ASilentAgentNeverHoldsTheCallerAndTheSampleComesLater) {
    WorkerRig rig(std::chrono::milliseconds(1500));
    rig.agent.AnswerOnly(0);
    rig.monitor->SetActive(true);
    // The agent cannot have answered: the call came back before the wait was over.
    EXPECT_TRUE(rig.monitor->Reading());
    EXPECT_EQ(rig.samples, 0);
    EXPECT_FALSE(rig.monitor->Timer()->Enabled()) << "the timer sleeps while a reading waits";
    ASSERT_TRUE(rig.RunUntil([&] { return rig.samples == 1; }));
    EXPECT_EQ(rig.monitor->IntervalReceived(), 0);
    EXPECT_NE(rig.monitor->LastFailure(), "");
    EXPECT_TRUE(rig.monitor->Timer()->Enabled());
}

TEST(SNMPMonitorWorker, ReadingsAndTheListArriveAsFinishedSteps) {
    WorkerRig rig(std::chrono::milliseconds(2000));
    ASSERT_TRUE(rig.RunUntil([&] { return !rig.monitor->Interfaces().empty(); }));
    rig.monitor->SetActive(true);
    ASSERT_TRUE(rig.RunUntil([&] { return rig.samples == 1 && !rig.monitor->Reading(); }));
    SetSNMPCounters(rig.agent, 2, 53000, 61000);
    rig.monitor->TimerTick();
    ASSERT_TRUE(rig.RunUntil([&] { return rig.samples == 2; }));
    EXPECT_EQ(rig.monitor->IntervalReceived(), 3000 - 168);
    EXPECT_EQ(rig.monitor->IntervalSent(), 1000 - 192);
}

TEST(SNMPMonitorWorker, TestConnectionAnswersOnTheUserInterfaceThread) {
    WorkerRig rig(std::chrono::milliseconds(1000));
    std::vector<bool> answers;
    rig.monitor->TestConnection(
        rig.agent.Target(), "vindra",
        [&](bool answered, const std::string&) { answers.push_back(answered); });
    rig.monitor->TestConnection(rig.agent.Target(), "wrong",
                                [&](bool answered, const std::string& failure) {
                                    answers.push_back(answered);
                                    EXPECT_NE(failure, "");
                                });
    EXPECT_TRUE(answers.empty());
    ASSERT_TRUE(rig.RunUntil([&] { return answers.size() == 2; }));
    EXPECT_EQ(answers, (std::vector<bool>{true, false}));
    EXPECT_EQ(rig.monitor->Host(), rig.agent.Target()) << "a test changes no setting";
}

TEST(SNMPMonitorWorker, DestructionEndsAWaitUnderWayAndReportsNothingMore) {
    WorkerRig rig(std::chrono::seconds(60));
    rig.agent.AnswerOnly(0);
    rig.monitor->SetActive(true);
    // Wait until the worker has sent its first request, so destruction meets a real wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (rig.agent.RequestCount() == 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::yield();
    }
    ASSERT_GT(rig.agent.RequestCount(), 0);
    const auto started = std::chrono::steady_clock::now();
    rig.monitor.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30))
        << "destruction waited for the agent's 60 s timeout";
    rig.uiThread.RunPending();
    EXPECT_EQ(rig.samples, 0);
}

}  // namespace
}  // namespace korvalin
