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
        monitor.SetOnTraffic([this](TSNMPClass& sender) {
            EXPECT_EQ(&sender, &monitor);
            ++samples;
        });
        monitor.SetHost(agent.Target());
    }

    FakeSnmpAgent agent;
    FakeUiThread uiThread;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    TSNMPClass monitor{uiThread, FastClient, sleeper};
    int samples = 0;
};

TEST(SNMPMonitorSetUp, AChangedHostPreparesTheMonitorAndReadsTheList) {
    MonitorRig rig;
    EXPECT_TRUE(rig.monitor.Prepared());
    EXPECT_EQ(rig.monitor.Interfaces(), (TInterfaceList{{"lo", 1}, {"wan", 2}}));
    ASSERT_NE(rig.monitor.Timer(), nullptr);
    EXPECT_FALSE(rig.monitor.Timer()->Enabled());
    EXPECT_EQ(rig.monitor.Timer()->Interval(), 1000u);
    EXPECT_EQ(rig.monitor.SelectedIndex(), 0);
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
    EXPECT_EQ(rig.monitor.LastInOctets(), (std::vector<std::uint32_t>{1000, 50000}));
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
    EXPECT_EQ(rig.monitor.LastInOctets()[1], 90000u);
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
        {"difference of 2^31 or more counts its 32-bit magnitude", 0, 3000000000u, 0, 0, false,
         false, 1, 1, 1294967296 - 168, 0},
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

TEST(SNMPMonitorFailures, SilentAgentReadsZeroAndAFailedBaselineCountsTheFullCounter) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.agent.AnswerOnly(0);
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.samples, 1);
    EXPECT_EQ(rig.monitor.IntervalReceived(), 0);
    EXPECT_EQ(rig.monitor.LastInOctets(), (std::vector<std::uint32_t>{0, 0}));
    EXPECT_FALSE(rig.monitor.LastRequestAnswered());
    rig.agent.AnswerOnly(-1);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 50000 - 168);
    EXPECT_TRUE(rig.monitor.LastRequestAnswered());
}

TEST(SNMPMonitorFailures, ANewHostWithAnotherListWhileActiveKeepsReadingSafely) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    FakeSnmpAgent bigger;
    bigger.SetCommunity("vindra");
    for (int index = 1; index <= 6; ++index) {
        AddSNMPInterface(bigger, index, index == 4 ? "wan" : "if" + std::to_string(index), 10, 10);
    }
    rig.monitor.SetHost(bigger.Target());
    EXPECT_EQ(rig.monitor.Interfaces().size(), 6u);
    rig.monitor.TimerTick();
    rig.monitor.SetHost(rig.agent.Target());
    RemoveSNMPInterface(rig.agent, 1);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.LastInOctets().size(), rig.monitor.Interfaces().size());
}

TEST(SNMPMonitorTick, ThrowingHandlerIsSwallowedAndTheTimerFollowsActive) {
    MonitorRig rig;
    rig.monitor.SetOnTraffic([](TSNMPClass&) { throw std::runtime_error("handler failed"); });
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

}  // namespace
}  // namespace korvalin
