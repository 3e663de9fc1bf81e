#include "console/RouterConsoleView.h"

#include <gtest/gtest.h>

#include <sstream>

#include "console/CommandLine.h"
#include "fakes/FakeSnmpAgent.h"
#include "fakes/FakeTimerSleeper.h"
#include "platform/linux/MainLoop.h"

namespace korvalin {
namespace {

using testing::FakeSnmpAgent;
using testing::FakeTimerSleeper;

const snmp::ClientSettings FastClient{"", "161", std::chrono::milliseconds(200)};

void AddInterface(FakeSnmpAgent& agent, int index, const std::string& descr) {
    const std::string suffix = "." + std::to_string(index);
    agent.SetObject("1.3.6.1.2.1.2.2.1.1" + suffix, snmp::Value::Integer(index));
    agent.SetObject("1.3.6.1.2.1.2.2.1.2" + suffix, snmp::Value::OctetString(descr));
    agent.SetObject("1.3.6.1.2.1.2.2.1.10" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, 1000));
    agent.SetObject("1.3.6.1.2.1.2.2.1.16" + suffix,
                    snmp::Value::Unsigned(snmp::ValueType::Counter32, 1000));
}

CommandLine RouterCommandLine(const std::vector<std::string>& extra) {
    std::vector<std::string> arguments{"korvalin", "--console"};
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    return ParseCommandLine(arguments, true);
}

// The router console view on a fake agent with the interfaces 1 "lo" and 2 "wan"; the
// timer runs on virtual time, so samples follow each other at once.
struct ViewRig {
    ViewRig() {
        AddInterface(agent, 1, "lo");
        AddInterface(agent, 2, "wan");
    }
    int Run(std::vector<std::string> extra) {
        std::vector<std::string> arguments{"--router", agent.Target(), "--community", "public"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        commandLine = RouterCommandLine(arguments);
        EXPECT_EQ(commandLine.mode, RunMode::Console) << commandLine.error;
        RouterConsoleView view(monitor, loop, out, err, commandLine);
        return view.Run();
    }

    FakeSnmpAgent agent;
    MainLoop loop;
    RouterMonitor monitor{loop, FastClient, std::make_shared<FakeTimerSleeper>()};
    CommandLine commandLine;
    std::ostringstream out;
    std::ostringstream err;
};

int CountLines(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

TEST(RouterConsoleView, PrintsTheWantedNumberOfSamplesOfTheFirstInterface) {
    ViewRig rig;
    EXPECT_EQ(rig.Run({"--samples", "3", "--json"}), 0);
    EXPECT_EQ(CountLines(rig.out.str()), 3) << rig.out.str();
    EXPECT_EQ(rig.out.str().rfind("{\"received\":0,\"sent\":0,", 0), 0u) << rig.out.str();
    EXPECT_EQ(rig.monitor.InterfaceName(), "lo");
    EXPECT_EQ(rig.err.str(), "");
    EXPECT_FALSE(rig.monitor.Active());
}

TEST(RouterConsoleView, AllAdaptersTextSelectsEveryInterfaceAndOptionsReachTheMonitor) {
    ViewRig rig;
    EXPECT_EQ(rig.Run({"--samples", "1", "--interface", "Alle Netzwerkadapter", "--interval", "7",
                       "--exchange", "--correct-up", "12"}),
              0);
    EXPECT_EQ(rig.monitor.SelectedIndex(), -1);
    EXPECT_EQ(rig.monitor.Interval(), 7000);
    EXPECT_TRUE(rig.monitor.ExchangeRates());
    EXPECT_TRUE(rig.monitor.CorrectRates());
    EXPECT_EQ(rig.monitor.CorrectUp(), 12u);
    EXPECT_EQ(rig.monitor.CorrectDown(), 1u);
    EXPECT_EQ(rig.out.str(), "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte\n");
}

TEST(RouterConsoleView, AnInterfaceTheAgentDoesNotListNamesTheKnownOnes) {
    ViewRig rig;
    EXPECT_EQ(rig.Run({"--interface", "dsl0"}), 2);
    EXPECT_NE(rig.err.str().find("no interface 'dsl0'"), std::string::npos) << rig.err.str();
    EXPECT_NE(rig.err.str().find("2\twan"), std::string::npos) << rig.err.str();
    EXPECT_EQ(rig.out.str(), "");
}

TEST(RouterConsoleView, ASilentAgentReadsZeroAndSaysSoOnTheErrorStream) {
    ViewRig rig;
    rig.agent.AnswerOnly(0);
    EXPECT_EQ(rig.Run({"--samples", "1", "--interface", "wan"}), 0);
    EXPECT_EQ(rig.out.str(), "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 0 Byte\n");
    EXPECT_NE(rig.err.str().find("did not answer"), std::string::npos) << rig.err.str();
}

TEST(RouterConsoleView, EverySampleWithAFailedPartIsReportedOnTheErrorStream) {
    ViewRig rig;
    // The third get of wan's ifInOctets (baseline, first sample, second sample) answers
    // with genErr; its ifOutOctets and every other request are answered soundly.
    int inOctetsGets = 0;
    rig.agent.SetScript([&](const snmp::Message* request, const snmp::Bytes&) {
        std::vector<FakeSnmpAgent::Reply> replies;
        if (request == nullptr) {
            return replies;
        }
        if (request->varbinds.front().oid == "1.3.6.1.2.1.2.2.1.10.2" && ++inOctetsGets == 3) {
            replies.push_back({FakeSnmpAgent::ResponseTo(*request, request->varbinds, 5, 1)});
        } else {
            replies.push_back({rig.agent.AnswerFromTable(*request)});
        }
        return replies;
    });
    EXPECT_EQ(rig.Run({"--samples", "3", "--interface", "wan"}), 0);
    EXPECT_EQ(CountLines(rig.out.str()), 3) << rig.out.str();
    EXPECT_EQ(CountLines(rig.err.str()), 1) << rig.err.str();
    EXPECT_NE(rig.err.str().find("ifInOctets.2: error status 5"), std::string::npos)
        << rig.err.str();
}

TEST(RouterInterfaceListing, PrintsIndexAndDescriptionOrFailsWithStatusThree) {
    FakeSnmpAgent agent;
    AddInterface(agent, 1, "lo");
    AddInterface(agent, 5, "wan");
    const CommandLine commandLine =
        ParseCommandLine({"korvalin", "--list-router-interfaces", "--router", agent.Target(),
                          "--community", "public"},
                         true);
    ASSERT_EQ(commandLine.mode, RunMode::ListRouterInterfaces) << commandLine.error;
    {
        SnmpAgent access(FastClient);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(ListRouterInterfaces(access, commandLine, out, err), 0);
        EXPECT_EQ(out.str(), "1\tlo\n5\twan\n");
    }
    agent.AnswerOnly(2);  // stops in the middle of the walk
    SnmpAgent access(FastClient);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(ListRouterInterfaces(access, commandLine, out, err), 3);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("did not answer"), std::string::npos) << err.str();
}

TEST(RouterCommandLine, OptionsAndTheirRefusals) {
    const struct {
        std::vector<std::string> arguments;
        bool console;
        RunMode mode;
        const char* error;  // part of the error text, for UsageError
    } cases[] = {
        {{"--router", "10.0.0.138"}, true, RunMode::Console, ""},
        {{"--router", "[::1]:1161", "--interval", "60000"}, true, RunMode::Console, ""},
        {{"--list-router-interfaces", "--router", "gw"}, false, RunMode::ListRouterInterfaces, ""},
        {{"--list-router-interfaces"}, false, RunMode::UsageError, "needs --router"},
        {{"--router", "gw"}, false, RunMode::UsageError, "needs --console"},
        {{"--interface", "wan"}, true, RunMode::UsageError, "--interface needs --router"},
        {{"--community", "x"}, true, RunMode::UsageError, "--community needs --router"},
        {{"--router", "gw", "--interval", "0"}, true, RunMode::UsageError, "1 to 60000"},
        {{"--router", "gw", "--correct-up", "1025"}, true, RunMode::UsageError, "1 to 1024"},
        {{"--router", "gw", "--correct-down", "x"}, true, RunMode::UsageError, "1 to 1024"},
        {{"--router", ""}, true, RunMode::UsageError, "needs a host"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments{"korvalin"};
        if (c.console) {
            arguments.push_back("--console");
        }
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const CommandLine commandLine = ParseCommandLine(arguments, true);
        EXPECT_EQ(commandLine.mode, c.mode) << arguments.back() << ": " << commandLine.error;
        EXPECT_NE(commandLine.error.find(c.error), std::string::npos) << commandLine.error;
    }
    const CommandLine full = RouterCommandLine(
        {"--router", "gw:1161", "--community", "c", "--interface", "wan", "--interval", "10",
         "--exchange", "--correct-up", "3", "--correct-down", "4"});
    EXPECT_EQ(full.router, "gw:1161");
    EXPECT_EQ(full.routerCommunity, "c");
    EXPECT_EQ(full.routerInterface, "wan");
    EXPECT_EQ(full.routerIntervalSeconds, 10);
    EXPECT_TRUE(full.routerExchange);
    EXPECT_EQ(full.routerCorrectUp, 3u);
    EXPECT_EQ(full.routerCorrectDown, 4u);
}

}  // namespace
}  // namespace korvalin
