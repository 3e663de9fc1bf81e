#include "sources/RouterMonitor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>

#include "fakes/FakeSnmpAgent.h"
#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "snmp/BerWriter.h"
#include "snmp/SnmpTestBytes.h"
#include "sources/AdapterMonitor.h"
#include "sources/SNMPAgentTables.h"

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
    RouterMonitor monitor{uiThread, FastClient, sleeper, ExchangeMode::Inline};
    int samples = 0;
};

TEST(RouterMonitorSetUp, AChangedHostPreparesTheMonitorAndReadsTheList) {
    MonitorRig rig;
    EXPECT_TRUE(rig.monitor.Prepared());
    EXPECT_EQ(rig.monitor.Interfaces(), (InterfaceList{{"lo", 1}, {"wan", 2}}));
    ASSERT_NE(rig.monitor.Timer(), nullptr);
    EXPECT_FALSE(rig.monitor.Timer()->Enabled());
    EXPECT_EQ(rig.monitor.Timer()->Interval(), 1000u);
    EXPECT_EQ(rig.monitor.SelectedIndex(), -1) << "no interface named yet";
    EXPECT_EQ(rig.samples, 0);
}

TEST(RouterMonitorSetUp, IntervalReachesTheTimer) {
    MonitorRig rig;
    rig.monitor.SetInterval(5000);
    EXPECT_EQ(rig.monitor.Interval(), 5000);
    EXPECT_EQ(rig.monitor.Timer()->Interval(), 5000u);
}

TEST(RouterMonitorSelection, NameLooksUpCaseInsensitively) {
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

TEST(RouterMonitorActivation, EmptyNameTakesTheFirstInterface) {
    MonitorRig rig;
    rig.monitor.SetActive(true);
    EXPECT_EQ(rig.monitor.InterfaceName(), "lo");
    EXPECT_EQ(rig.monitor.SelectedIndex(), 1);
}

TEST(RouterMonitorActivation, OnAndOffEachMakeOneReadingAndRepeatsMakeNone) {
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

TEST(RouterMonitorActivation, SwitchingOnAgainRestartsTotalsWithFreshBaselines) {
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

TEST(RouterMonitorReading, CounterRuleAllowancesExchangeAndCorrections) {
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

TEST(RouterMonitorReading, AllInterfacesSumAndFiguresStaySixtyFourBit) {
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

TEST(RouterMonitorReading, AnInterfaceAppendedWhileAllAreMonitoredCountsFromItsFirstReading) {
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

TEST(RouterMonitorReading, UnknownNameReadsZeroUntilTheAgentListsIt) {
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

TEST(RouterMonitorFailures, SilentAgentReadsZeroAndTheFirstAnsweredReadingIsTheBaseline) {
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

TEST(RouterMonitorFailures, ANewHostForgetsTheOldAgentsReadings) {
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

// A GetResponse to request around one varbind of oid with a value given as raw BER.
snmp::Bytes RawAnswer(const snmp::Message& request, const std::string& oid,
                      const snmp::Bytes& value) {
    using namespace snmp;
    const Bytes varbind = ber::Constructed(
        tag::Sequence, {ber::ObjectIdentifierElement(ParseObjectIdentifier(oid).Value()), value});
    const Bytes pdu = ber::Constructed(
        tag::GetResponse,
        {ber::Integer(tag::Integer, request.requestId), ber::Integer(tag::Integer, 0),
         ber::Integer(tag::Integer, 0), ber::Constructed(tag::Sequence, {varbind})});
    return ber::Constructed(tag::Sequence,
                            {ber::Integer(tag::Integer, 0),
                             ber::OctetString(tag::OctetString, request.community), pdu});
}

// A poisoned answer to the get of ifInOctets.2, crafted from the request; the agent's
// true counter is 51000, the poison would add some 300 MB.
struct PoisonCase {
    const char* name;
    snmp::Bytes (*answer)(const snmp::Message& request);
    const char* reason;  // part of the monitor's LastFailure
    // The figures of the poisoned reading: zero, except where the agent said the object
    // is gone and the list read again found the interface, which then reads truly.
    std::int64_t received;
};

constexpr const char* PoisonedObject = "1.3.6.1.2.1.2.2.1.10.2";
constexpr std::uint32_t Poison = 314572800u + 50000u;

snmp::Value Counter(std::uint32_t value) {
    return snmp::Value::Unsigned(snmp::ValueType::Counter32, value);
}

const PoisonCase kPoisonCases[] = {
    {"error status genErr",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(r, {{PoisonedObject, Counter(Poison)}}, 5, 1);
     },
     "error status 5", 0},
    {"error status tooBig with the value",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(r, {{PoisonedObject, Counter(Poison)}}, 1, 0);
     },
     "error status 1", 0},
    {"another community",
     [](const snmp::Message& r) {
         snmp::Message other = r;
         other.community = "other";
         return FakeSnmpAgent::ResponseTo(other, {{PoisonedObject, Counter(Poison)}});
     },
     "community", 0},
    {"two variable bindings",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(
             r, {{PoisonedObject, Counter(Poison)}, {PoisonedObject, Counter(Poison)}});
     },
     "2 variable bindings", 0},
    {"no variable binding", [](const snmp::Message& r) { return FakeSnmpAgent::ResponseTo(r, {}); },
     "0 variable bindings", 0},
    {"another object",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(r, {{"1.3.6.1.2.1.2.2.1.10.3", Counter(Poison)}});
     },
     "names 1.3.6.1.2.1.2.2.1.10.3", 0},
    {"OCTET STRING of digits",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(
             r, {{PoisonedObject, snmp::Value::OctetString(std::to_string(Poison))}});
     },
     "OCTET STRING, not Counter32", 0},
    {"INTEGER",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(
             r, {{PoisonedObject, snmp::Value::Integer(static_cast<std::int32_t>(Poison))}});
     },
     "INTEGER, not Counter32", 0},
    {"negative INTEGER",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(r, {{PoisonedObject, snmp::Value::Integer(-1)}});
     },
     "INTEGER, not Counter32", 0},
    {"Gauge32",
     [](const snmp::Message& r) {
         return FakeSnmpAgent::ResponseTo(
             r, {{PoisonedObject, snmp::Value::Unsigned(snmp::ValueType::Gauge32, Poison)}});
     },
     "Gauge32, not Counter32", 0},
    {"Counter64",
     [](const snmp::Message& r) {
         return RawAnswer(r, PoisonedObject, snmp::ber::Unsigned(0x46, Poison));
     },
     "Counter64, not Counter32", 0},
    // Counters the codec cannot read spoil the whole datagram: it is no answer at all.
    {"negative Counter32 of five octets",
     [](const snmp::Message& r) {
         return RawAnswer(r, PoisonedObject, snmp::testing::Hex("41 05 ff 00 00 00 00"));
     },
     "integer too large", 0},
    {"Counter32 without content octets",
     [](const snmp::Message& r) {
         return RawAnswer(r, PoisonedObject, snmp::testing::Hex("41 00"));
     },
     "empty integer", 0},
    {"noSuchName: the interface is gone and found again in the list",
     [](const snmp::Message& r) { return FakeSnmpAgent::ResponseTo(r, r.varbinds, 2, 1); }, "",
     1000 - 168},
};

TEST(RouterMonitorFailures, PoisonedAnswersCountNothingAndLeaveNoSpike) {
    for (const PoisonCase& c : kPoisonCases) {
        SCOPED_TRACE(c.name);
        MonitorRig rig;
        rig.monitor.SetInterfaceName("wan");
        rig.monitor.SetActive(true);  // baselines 50000 and 60000
        ASSERT_EQ(rig.monitor.LastFailure(), "");

        std::atomic<bool> poisoned{true};
        rig.agent.SetScript([&](const snmp::Message* request, const snmp::Bytes&) {
            std::vector<FakeSnmpAgent::Reply> replies;
            if (request == nullptr) {
                return replies;
            }
            if (poisoned.exchange(false) && request->varbinds.size() == 1 &&
                request->varbinds.front().oid == PoisonedObject) {
                replies.push_back({c.answer(*request)});
            } else {
                replies.push_back({rig.agent.AnswerFromTable(*request)});
            }
            return replies;
        });
        SetSNMPCounters(rig.agent, 2, 51000, 61000);
        rig.monitor.TimerTick();
        EXPECT_EQ(rig.monitor.IntervalReceived(), c.received);
        EXPECT_EQ(rig.monitor.IntervalSent(), c.received == 0 ? 0 : 1000 - 192);
        EXPECT_EQ(rig.monitor.TotalReceived(), c.received);
        if (c.reason[0] == '\0') {
            EXPECT_EQ(rig.monitor.LastFailure(), "");
        } else {
            EXPECT_NE(rig.monitor.LastFailure().find("ifInOctets.2"), std::string::npos)
                << rig.monitor.LastFailure();
            EXPECT_NE(rig.monitor.LastFailure().find(c.reason), std::string::npos)
                << rig.monitor.LastFailure();
        }

        // The next sound answer counts from the last good reading.
        SetSNMPCounters(rig.agent, 2, 52000, 62000);
        rig.monitor.TimerTick();
        EXPECT_EQ(rig.monitor.LastFailure(), "");
        const std::int64_t received = c.received == 0 ? 2000 - 168 : 1000 - 168;
        const std::int64_t sent = c.received == 0 ? 2000 - 192 : 1000 - 192;
        EXPECT_EQ(rig.monitor.IntervalReceived(), received);
        EXPECT_EQ(rig.monitor.IntervalSent(), sent);
        EXPECT_EQ(rig.monitor.TotalReceived(), c.received + received);
        EXPECT_EQ(rig.monitor.TotalSent(), (c.received == 0 ? 0 : 1000 - 192) + sent);
    }
}

TEST(RouterMonitorFailures, AStormFromAnotherPortOfTheAgentsAddressLosesNoReading) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    // Before every answer: a burst far beyond a default receive buffer, and a forged
    // answer with the right request-id and a poisoned counter.
    rig.agent.SetScript([&rig](const snmp::Message* request, const snmp::Bytes&) {
        std::vector<FakeSnmpAgent::Reply> replies;
        if (request == nullptr) {
            return replies;
        }
        for (int i = 0; i < 3000; ++i) {
            replies.push_back({snmp::Bytes(1200, static_cast<std::uint8_t>(i)), true});
        }
        replies.push_back({FakeSnmpAgent::ResponseTo(
                               *request, {{request->varbinds.front().oid, Counter(Poison)}}),
                           true});
        replies.push_back({rig.agent.AnswerFromTable(*request)});
        return replies;
    });
    std::int64_t total = 0;
    for (std::uint32_t step = 1; step <= 3; ++step) {
        SCOPED_TRACE(step);
        SetSNMPCounters(rig.agent, 2, 50000 + step * 1000, 60000 + step * 1000);
        rig.monitor.TimerTick();
        EXPECT_EQ(rig.monitor.LastFailure(), "");
        EXPECT_EQ(rig.monitor.IntervalReceived(), 1000 - 168);
        EXPECT_EQ(rig.monitor.IntervalSent(), 1000 - 192);
        total += 1000 - 168;
    }
    EXPECT_EQ(rig.monitor.TotalReceived(), total);
}

TEST(RouterMonitorFailures, AReadingWhoseFirstPartFailsAndWhoseLastSucceedsIsReported) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName(AllAdaptersText);
    rig.monitor.SetActive(true);
    // lo's ifInOctets answers with genErr; everything after it, wan included, is sound.
    std::atomic<bool> poisoned{true};
    rig.agent.SetScript([&](const snmp::Message* request, const snmp::Bytes&) {
        std::vector<FakeSnmpAgent::Reply> replies;
        if (request == nullptr) {
            return replies;
        }
        if (request->varbinds.front().oid == "1.3.6.1.2.1.2.2.1.10.1" && poisoned.exchange(false)) {
            replies.push_back({FakeSnmpAgent::ResponseTo(*request, request->varbinds, 5, 1)});
        } else {
            replies.push_back({rig.agent.AnswerFromTable(*request)});
        }
        return replies;
    });
    SetSNMPCounters(rig.agent, 1, 1500, 2500);
    SetSNMPCounters(rig.agent, 2, 51000, 61000);
    rig.monitor.TimerTick();
    EXPECT_NE(rig.monitor.LastFailure().find("ifInOctets.1: error status 5"), std::string::npos)
        << rig.monitor.LastFailure();
    EXPECT_EQ(rig.monitor.IntervalReceived(), 1000 - 168) << "wan counts, lo does not";
    SetSNMPCounters(rig.agent, 1, 2000, 3000);
    rig.monitor.TimerTick();
    EXPECT_EQ(rig.monitor.LastFailure(), "");
    EXPECT_EQ(rig.monitor.IntervalReceived(), 1000 - 168) << "lo from its last good reading";
}

TEST(RouterMonitorAgentChanges, HostAndCommunityTogetherWalkTheListOnce) {
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

TEST(RouterMonitorTick, ThrowingHandlerIsSwallowedAndTheTimerFollowsActive) {
    MonitorRig rig;
    rig.monitor.SetOnTraffic(
        [](const TrafficSample&) { throw std::runtime_error("handler failed"); });
    EXPECT_NO_THROW(rig.monitor.SetActive(true));
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
    EXPECT_NO_THROW(rig.monitor.TimerTick());
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
}

TEST(RouterMonitorTick, TheTimerDeliversReadingsOnTheUserInterfaceThread) {
    MonitorRig rig;
    rig.monitor.SetInterfaceName("wan");
    rig.monitor.SetActive(true);
    ASSERT_EQ(rig.samples, 1);
    rig.sleeper->Allow(2);  // 1000 ms in two slices of 500
    ASSERT_TRUE(rig.uiThread.WaitAndRun(std::chrono::seconds(5)));
    EXPECT_EQ(rig.samples, 2);
    EXPECT_TRUE(rig.monitor.Timer()->Enabled());
}

TEST(RouterMonitorRates, PerSecondDividesByWholeSecondsOfTheInterval) {
    FakeUiThread uiThread;
    RouterMonitor monitor(uiThread, FastClient);
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
        monitor = std::make_unique<RouterMonitor>(
            uiThread, snmp::ClientSettings{"", "161", timeout}, sleeper, ExchangeMode::Worker);
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
    std::unique_ptr<RouterMonitor> monitor;
    int samples = 0;
};

TEST(RouterMonitorWorker, ASilentAgentNeverHoldsTheCallerAndTheSampleComesLater) {
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

TEST(RouterMonitorWorker, ReadingsAndTheListArriveAsFinishedSteps) {
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

TEST(RouterMonitorWorker, TestConnectionAnswersOnTheUserInterfaceThread) {
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

TEST(RouterMonitorWorker, DestructionEndsAWaitUnderWayAndReportsNothingMore) {
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
