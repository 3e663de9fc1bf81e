#include "sources/SnmpAgent.h"

#include <gtest/gtest.h>

#include "fakes/FakeSnmpAgent.h"
#include "sources/SNMPAgentTables.h"

namespace korvalin {
namespace {

using testing::AddSNMPInterface;
using testing::FakeSnmpAgent;
using Reply = FakeSnmpAgent::Reply;

const snmp::ClientSettings FastClient{"", "161", std::chrono::milliseconds(300)};

// The agent access aimed at a fake agent that knows the community "vindra".
struct AgentRig {
    AgentRig() {
        agent.SetCommunity("vindra");
        access.SetHost(agent.Target());
    }
    std::string LastRequestedOid() const {
        const auto requests = agent.Requests();
        return requests.empty() || requests.back().varbinds.empty()
                   ? std::string()
                   : requests.back().varbinds[0].oid;
    }

    FakeSnmpAgent agent;
    SnmpAgent access{FastClient};
};

TEST(SnmpAgentDefaults, HostAndCommunity) {
    const SnmpAgent access;
    EXPECT_EQ(access.Host(), "127.0.0.1");
    EXPECT_EQ(access.Community(), "vindra");
}

TEST(SnmpAgentSettings, OnChangeOnlyForADifferentText) {
    SnmpAgent access(FastClient);
    int changes = 0;
    access.SetOnChange([&](SnmpAgent& sender) {
        EXPECT_EQ(&sender, &access);
        ++changes;
    });
    const struct {
        bool host;
        const char* text;
        int changesAfter;
    } steps[] = {
        {true, "127.0.0.1", 0}, {true, "router", 1},  {true, "router", 1},  {true, "ROUTER", 2},
        {false, "vindra", 2},   {false, "public", 3}, {false, "Public", 4}, {false, "Public", 4},
    };
    for (const auto& step : steps) {
        if (step.host) {
            access.SetHost(step.text);
        } else {
            access.SetCommunity(step.text);
        }
        EXPECT_EQ(changes, step.changesAfter) << step.text;
    }
}

TEST(SnmpAgentGet, GivesTheTextOfExactlyTheAskedObject) {
    AgentRig rig;
    rig.agent.SetObject("1.3.6.1.2.1.1.5.0", snmp::Value::OctetString("gateway"));
    std::string value = "prepared";
    EXPECT_TRUE(rig.access.Get("1.3.6.1.2.1.1.5.0", value));
    EXPECT_EQ(value, "gateway");
    EXPECT_TRUE(rig.access.LastRequestAnswered());

    // An error status counts as an answer, with empty text.
    value = "prepared";
    EXPECT_TRUE(rig.access.Get("1.3.6.1.2.1.1.6.0", value));
    EXPECT_EQ(value, "");

    // An answer that carries another object gives empty text too.
    rig.agent.SetScript([](const snmp::Message* request, const snmp::Bytes&) {
        return std::vector<Reply>{{FakeSnmpAgent::ResponseTo(
            *request, {{"1.3.6.1.2.1.1.5", snmp::Value::OctetString("not this one")}})}};
    });
    value = "prepared";
    EXPECT_TRUE(rig.access.Get("1.3.6.1.2.1.1.5.0", value));
    EXPECT_EQ(value, "");
}

TEST(SnmpAgentGet, FailureLeavesTheValueAsPreparedAndSaysSo) {
    AgentRig rig;
    rig.agent.AnswerOnly(0);
    std::string value = "prepared";
    EXPECT_FALSE(rig.access.Get("1.3.6.1.2.1.1.5.0", value));
    EXPECT_EQ(value, "prepared");
    EXPECT_FALSE(rig.access.LastRequestAnswered());
    EXPECT_NE(rig.access.LastFailure().find("no answer"), std::string::npos);
    EXPECT_FALSE(rig.access.Get("not.an.oid", value));
}

TEST(SnmpAgentTest, UsesTheGivenHostAndCommunityAndKeepsTheStoredOnes) {
    AgentRig rig;
    FakeSnmpAgent other;
    other.SetCommunity("secret");
    rig.access.SetHost("127.0.0.1:9");
    EXPECT_TRUE(rig.access.TestConnection(other.Target(), "secret"));
    ASSERT_EQ(other.RequestCount(), 1);
    EXPECT_EQ(other.Requests()[0].varbinds[0].oid, "1.3.6.1.2.1.1.1.0");
    // A wrong community is dropped silently by the agent: no answer in time.
    EXPECT_FALSE(rig.access.TestConnection(other.Target(), "vindra"));
    EXPECT_EQ(rig.access.Host(), "127.0.0.1:9");
    EXPECT_EQ(rig.access.Community(), "vindra");
}

TEST(SnmpAgentGetters, EachAsksItsOwnObject) {
    AgentRig rig;
    using Access = SnmpAgent;
    const struct {
        std::string (Access::*getter)(std::int32_t);
        const char* oid;
    } columns[] = {
        {&Access::GetIfDescr, "1.3.6.1.2.1.2.2.1.2.7"},
        {&Access::GetIfType, "1.3.6.1.2.1.2.2.1.3.7"},
        {&Access::GetIfMtu, "1.3.6.1.2.1.2.2.1.4.7"},
        {&Access::GetIfPhysAddress, "1.3.6.1.2.1.2.2.1.6.7"},
        {&Access::GetIfAdminStatus, "1.3.6.1.2.1.2.2.1.7.7"},
        {&Access::GetIfOperStatus, "1.3.6.1.2.1.2.2.1.8.7"},
        {&Access::GetIfLastChange, "1.3.6.1.2.1.2.2.1.9.7"},
        {&Access::GetIfInOctets, "1.3.6.1.2.1.2.2.1.10.7"},
        {&Access::GetIfInUcastPkts, "1.3.6.1.2.1.2.2.1.11.7"},
        {&Access::GetIfInNUcastPkts, "1.3.6.1.2.1.2.2.1.12.7"},
        {&Access::GetIfInDiscards, "1.3.6.1.2.1.2.2.1.13.7"},
        {&Access::GetIfInErrors, "1.3.6.1.2.1.2.2.1.14.7"},
        {&Access::GetIfInUnknownProtos, "1.3.6.1.2.1.2.2.1.15.7"},
        {&Access::GetIfOutOctets, "1.3.6.1.2.1.2.2.1.16.7"},
        {&Access::GetIfOutUcastPkts, "1.3.6.1.2.1.2.2.1.17.7"},
        {&Access::GetIfOutNUcastPkts, "1.3.6.1.2.1.2.2.1.18.7"},
        {&Access::GetIfOutDiscards, "1.3.6.1.2.1.2.2.1.19.7"},
        {&Access::GetIfOutErrors, "1.3.6.1.2.1.2.2.1.20.7"},
        {&Access::GetIfOutQLen, "1.3.6.1.2.1.2.2.1.21.7"},
    };
    for (const auto& column : columns) {
        rig.agent.SetObject(column.oid, snmp::Value::OctetString(std::string("v") + column.oid));
        EXPECT_EQ((rig.access.*column.getter)(7), std::string("v") + column.oid);
        EXPECT_EQ(rig.LastRequestedOid(), column.oid);
    }
    const struct {
        std::string (Access::*getter)(std::uint8_t);
        const char* oid;
    } groups[] = {
        {&Access::GetSystemValue, "1.3.6.1.2.1.1.255.0"},
        {&Access::GetIpValue, "1.3.6.1.2.1.4.255.0"},
        {&Access::GetIcmpValue, "1.3.6.1.2.1.5.255.0"},
        {&Access::GetTcpValue, "1.3.6.1.2.1.6.255.0"},
        {&Access::GetUdpValue, "1.3.6.1.2.1.7.255.0"},
        {&Access::GetSnmpValue, "1.3.6.1.2.1.11.255.0"},
    };
    for (const auto& group : groups) {
        rig.agent.SetObject(group.oid, snmp::Value::Unsigned(snmp::ValueType::Counter32, 42));
        EXPECT_EQ((rig.access.*group.getter)(255), "42");
        EXPECT_EQ(rig.LastRequestedOid(), group.oid);
    }
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.5.7",
                        snmp::Value::Unsigned(snmp::ValueType::Gauge32, 4294967295u));
    EXPECT_EQ(rig.access.GetIfSpeed(7), 4294967295);
    EXPECT_EQ(rig.LastRequestedOid(), "1.3.6.1.2.1.2.2.1.5.7");
}

TEST(SnmpAgentGetters, NumbersAreZeroWhenTheGetFailsOrTheTextIsNoNumber) {
    AgentRig rig;
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.5.1", snmp::Value::OctetString("fast"));
    EXPECT_EQ(rig.access.GetIfSpeed(1), 0);
    EXPECT_EQ(rig.access.GetIfSpeed(2), 0);
    EXPECT_EQ(rig.access.GetInterfaceCount(), 0);
    rig.agent.SetObject("1.3.6.1.2.1.2.1.0", snmp::Value::Integer(12));
    EXPECT_EQ(rig.access.GetInterfaceCount(), 12);
}

TEST(SnmpAgentGetters, DescriptionEndsAtTheFirstZeroByteAndPhysicalAddressStaysRaw) {
    AgentRig rig;
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.2.3",
                        snmp::Value::OctetString(std::string("eth0\0garbage", 12)));
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.6.3",
                        snmp::Value::OctetString(std::string("\x00\x1a\x2b\x00\xff\x01", 6)));
    EXPECT_EQ(rig.access.GetIfDescr(3), "eth0");
    EXPECT_EQ(rig.access.GetIfPhysAddress(3), std::string("\x00\x1a\x2b\x00\xff\x01", 6));
}

TEST(SnmpAgentOctets, FullUnsignedCountersAndFalseForAnUnknownInterface) {
    AgentRig rig;
    AddSNMPInterface(rig.agent, 2, "wan", 4294967295u, 2147483648u);
    std::uint32_t received = 1;
    std::uint32_t sent = 1;
    EXPECT_TRUE(rig.access.GetOctets(2, received, sent));
    EXPECT_EQ(received, 4294967295u);
    EXPECT_EQ(sent, 2147483648u);
    const auto requests = rig.agent.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].varbinds[0].oid, "1.3.6.1.2.1.2.2.1.10.2");
    EXPECT_EQ(requests[1].varbinds[0].oid, "1.3.6.1.2.1.2.2.1.16.2");

    EXPECT_FALSE(rig.access.GetOctets(5, received, sent));
    EXPECT_EQ(received, 0u);
    EXPECT_EQ(sent, 0u);
}

TEST(SnmpAgentOctets, TypedCounterReadTellsReadFromMissingFromFailed) {
    using Status = SnmpAgent::CounterRead::Status;
    AgentRig rig;
    AddSNMPInterface(rig.agent, 2, "wan", 4294967295u, 0);
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.5.2",
                        snmp::Value::Unsigned(snmp::ValueType::Gauge32, 100000000));

    const auto full = rig.access.GetCounter32("1.3.6.1.2.1.2.2.1.10.2");
    EXPECT_EQ(full.status, Status::Read);
    EXPECT_EQ(full.value, 4294967295u);
    EXPECT_EQ(full.reason, "");

    const auto gone = rig.access.GetCounter32("1.3.6.1.2.1.2.2.1.10.9");
    EXPECT_EQ(gone.status, Status::Missing);
    EXPECT_TRUE(rig.access.LastRequestAnswered());

    const auto gauge = rig.access.GetCounter32("1.3.6.1.2.1.2.2.1.5.2");
    EXPECT_EQ(gauge.status, Status::Failed);
    EXPECT_EQ(gauge.reason, "the value is Gauge32, not Counter32");
    EXPECT_TRUE(rig.access.LastRequestAnswered()) << "a bad answer is still an answer";
    EXPECT_EQ(rig.access.LastFailure(), gauge.reason);
    EXPECT_EQ(rig.access.GetIfSpeed(2), 100000000) << "the text getters stay lenient";

    rig.agent.AnswerOnly(0);
    const auto silent = rig.access.GetCounter32("1.3.6.1.2.1.2.2.1.10.2");
    EXPECT_EQ(silent.status, Status::Failed);
    EXPECT_FALSE(rig.access.LastRequestAnswered());
    EXPECT_NE(silent.reason, "");
}

TEST(SnmpAgentInterfaceList, SkipsEmptyDescriptionsAndKeepsEachIndex) {
    AgentRig rig;
    AddSNMPInterface(rig.agent, 1, "lo");
    AddSNMPInterface(rig.agent, 4, "");
    AddSNMPInterface(rig.agent, 9, "ppp0");
    AddSNMPInterface(rig.agent, 12, "ppp0");
    InterfaceList list{{"stale", 99}};
    rig.access.GetInterfaceList(list);
    const InterfaceList expected{{"lo", 1}, {"ppp0", 9}, {"ppp0", 12}};
    EXPECT_EQ(list, expected);
    EXPECT_EQ(FindInterface(list, "PPP0"), 1);
    EXPECT_EQ(FindInterface(list, "eth0"), -1);
    // Four steps of the walk plus its end, and one ifDescr per index.
    EXPECT_EQ(rig.agent.RequestCount(), 5 + 4);
}

TEST(SnmpAgentInterfaceList, AnAgentThatStopsAnsweringMidWalkGivesAnEmptyList) {
    AgentRig rig;
    for (int index = 1; index <= 3; ++index) {
        AddSNMPInterface(rig.agent, index, "if" + std::to_string(index));
    }
    rig.agent.AnswerOnly(2);
    InterfaceList list{{"stale", 99}};
    rig.access.GetInterfaceList(list);
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(rig.agent.RequestCount(), 3);

    // A later call simply walks again.
    rig.agent.AnswerOnly(-1);
    rig.access.GetInterfaceList(list);
    EXPECT_EQ(list.size(), 3u);
}

TEST(SnmpAgentInterfaceList, WalkEndsAtTheColumnEvenWhenTheAgentMisbehaves) {
    const struct {
        const char* name;
        FakeSnmpAgent::Script script;
    } cases[] = {
        // Answers every get-next with the same object: the walk must not loop for ever.
        {"repeats itself",
         [](const snmp::Message* request, const snmp::Bytes&) {
             if (request->pduType != snmp::PduType::GetNextRequest) {
                 return std::vector<Reply>{{FakeSnmpAgent::ResponseTo(
                     *request, {{request->varbinds[0].oid, snmp::Value::OctetString("eth")}})}};
             }
             return std::vector<Reply>{{FakeSnmpAgent::ResponseTo(
                 *request, {{"1.3.6.1.2.1.2.2.1.1.1", snmp::Value::Integer(1)}})}};
         }},
        // A view that holds only the ifIndex column ends with noSuchName, echoing the
        // last identifier.
        {"ends with noSuchName",
         [](const snmp::Message* request, const snmp::Bytes&) {
             const std::string& oid = request->varbinds[0].oid;
             if (request->pduType != snmp::PduType::GetNextRequest) {
                 return std::vector<Reply>{{FakeSnmpAgent::ResponseTo(
                     *request, {{oid, snmp::Value::OctetString("eth")}})}};
             }
             if (oid == "1.3.6.1.2.1.2.2.1.1") {
                 return std::vector<Reply>{{FakeSnmpAgent::ResponseTo(
                     *request, {{"1.3.6.1.2.1.2.2.1.1.1", snmp::Value::Integer(1)}})}};
             }
             return std::vector<Reply>{
                 {FakeSnmpAgent::ResponseTo(*request, request->varbinds, 2, 1)}};
         }},
    };
    for (const auto& c : cases) {
        AgentRig rig;
        rig.agent.SetScript(c.script);
        InterfaceList list;
        rig.access.GetInterfaceList(list);
        EXPECT_EQ(list, (InterfaceList{{"eth", 1}})) << c.name;
        EXPECT_LT(rig.agent.RequestCount(), 5) << c.name;
    }
}

TEST(SnmpAgentInterfaceList, ColumnTenIsNotTakenForTheIfIndexColumn) {
    AgentRig rig;
    // No ifDescr column: after the ifIndex column the agent's next object is ifInOctets.
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.1.1", snmp::Value::Integer(1));
    rig.agent.SetObject("1.3.6.1.2.1.2.2.1.10.1",
                        snmp::Value::Unsigned(snmp::ValueType::Counter32, 5));
    InterfaceList list;
    rig.access.GetInterfaceList(list);
    EXPECT_TRUE(list.empty());
    const auto requests = rig.agent.Requests();
    for (const auto& request : requests) {
        EXPECT_NE(request.varbinds[0].oid, "1.3.6.1.2.1.2.2.1.2.5")
            << "a counter taken for an index";
    }
}

}  // namespace
}  // namespace korvalin
