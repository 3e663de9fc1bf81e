#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "integration/support/NetNamespace.h"
#include "integration/support/SnmpdInNamespace.h"
#include "sources/RouterMonitor.h"

namespace korvalin {
namespace {

using testing::FakeTimerSleeper;
using testing::FakeUiThread;
using testing::NetNamespace;
using testing::ShellQuote;
using testing::SnmpdInNamespace;

const char* const Community = "korvalin-ro";
const snmp::ClientSettings QuickClient{"", "161", std::chrono::milliseconds(1000)};

// A "router" namespace with net-snmp's agent and an interface wan0, wired by a veth pair
// to a "peer" namespace that sends it traffic. IPv6 is off and the neighbours are
// static, so nothing but the test's own packets crosses the pair. The test thread works
// inside the router namespace, where the agent listens on loopback.
class SnmpdRouter : public ::testing::Test {
protected:
    // One router, peer and agent for the whole suite: starting them costs more than
    // most of the tests.
    static void SetUpTestSuite() {
        std::string whyNot;
        if (NetNamespace::CanCreate(whyNot)) {
            SetUpPeers();
        }
    }
    static void TearDownTestSuite() {
        agent_.reset();
        peer_.reset();
        router_.reset();
    }

    void SetUp() override {
        KORVALIN_SKIP_WITHOUT_NETNS();
        ASSERT_TRUE(agent_ && agent_->Ok()) << setUpError_;
        inside_ = std::make_unique<NetNamespace::Entered>(*router_);
        ASSERT_TRUE(inside_->Ok());
    }

    void TearDown() override { inside_.reset(); }

    static void SetUpPeers() {
        router_ = std::make_unique<NetNamespace>("snmprouter");
        peer_ = std::make_unique<NetNamespace>("snmppeer");
        const bool wired =
            router_->Ok() && peer_->Ok() && router_->DisableIpv6() && peer_->DisableIpv6() &&
            router_->AddVethPair("wan0", "10.233.0.1/24", "wan1", "10.233.0.2/24", peer_.get()) &&
            router_->Run("ip neigh replace 10.233.0.2 dev wan0 nud permanent lladdr " +
                         Mac(*peer_, "wan1")) == 0 &&
            peer_->Run("ip neigh replace 10.233.0.1 dev wan1 nud permanent lladdr " +
                       Mac(*router_, "wan0")) == 0;
        if (!wired) {
            setUpError_ = "namespaces: " + router_->Error() + peer_->Error();
            return;
        }
        agent_ = std::make_unique<SnmpdInNamespace>(*router_, Community);
        if (!agent_->Ok()) {
            setUpError_ = agent_->Error();
        }
    }

    static std::string Read(const NetNamespace& space, const std::string& command) {
        std::string output;
        space.Run(command, &output);
        while (!output.empty() && (output.back() == '\n' || output.back() == ' ')) {
            output.pop_back();
        }
        return output;
    }
    static std::string Mac(const NetNamespace& space, const std::string& interface) {
        return Read(space, "cat /sys/class/net/" + interface + "/address");
    }
    static std::uint64_t Kernel(const char* counter) {
        return std::stoull(
            Read(*router_, std::string("cat /sys/class/net/wan0/statistics/") + counter));
    }
    static std::int32_t Wan0Index() {
        return std::stoi(Read(*router_, "cat /sys/class/net/wan0/ifindex"));
    }

    // The agent refreshes its interface counters only every few seconds; waits until it
    // reports what the kernel counted.
    void WaitUntilAgentCaughtUp(SnmpAgent& access) {
        const std::int32_t index = Wan0Index();
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < giveUp) {
            const std::string in = access.GetIfInOctets(index);
            const std::string out = access.GetIfOutOctets(index);
            if (in == std::to_string(Kernel("rx_bytes") % 4294967296u) &&
                out == std::to_string(Kernel("tx_bytes") % 4294967296u)) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
        FAIL() << "the agent never reported the kernel's counters; log:\n" << agent_->Log();
    }

    template <class Agent>
    void AimAtAgent(Agent& access, const std::string& host = "127.0.0.1") {
        access.SetCommunity(Community);
        access.SetHost(host);
    }

    static std::string Korvalin(const std::string& arguments, int& status) {
        std::string output;
        status = router_->Run(
            "env -u DISPLAY -u WAYLAND_DISPLAY " + ShellQuote(KORVALIN_BINARY) + " " + arguments,
            &output);
        return output;
    }

    static inline std::unique_ptr<NetNamespace> router_;
    static inline std::unique_ptr<NetNamespace> peer_;
    static inline std::unique_ptr<SnmpdInNamespace> agent_;
    static inline std::string setUpError_ = "network namespaces are not available";
    std::unique_ptr<NetNamespace::Entered> inside_;
};

TEST_F(SnmpdRouter, ListsTheAgentsInterfacesWithTheKernelsIndexes) {
    SnmpAgent access(QuickClient);
    AimAtAgent(access);
    InterfaceList interfaces;
    access.GetInterfaceList(interfaces);
    const InterfaceList expected{{"lo", 1}, {"wan0", Wan0Index()}};
    EXPECT_EQ(interfaces, expected);
    EXPECT_EQ(access.GetInterfaceCount(), 2);
    EXPECT_EQ(access.GetIfMtu(Wan0Index()), "1500");
    EXPECT_EQ(access.GetIfType(Wan0Index()), "6");
    EXPECT_EQ(access.GetIfOperStatus(Wan0Index()), "1");

    // The physical address arrives as six raw bytes.
    std::string raw = access.GetIfPhysAddress(Wan0Index());
    ASSERT_EQ(raw.size(), 6u);
    char text[18];
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x",
                  static_cast<unsigned char>(raw[0]), static_cast<unsigned char>(raw[1]),
                  static_cast<unsigned char>(raw[2]), static_cast<unsigned char>(raw[3]),
                  static_cast<unsigned char>(raw[4]), static_cast<unsigned char>(raw[5]));
    EXPECT_EQ(text, Mac(*router_, "wan0"));
    EXPECT_EQ(access.GetSystemValue(1), "Korvalin test agent");
}

TEST(SnmpdOverIPv6, AnswersOnTheIPv6Loopback) {
    KORVALIN_SKIP_WITHOUT_NETNS();
    NetNamespace space("snmpv6");
    ASSERT_TRUE(space.Ok()) << space.Error();
    SnmpdInNamespace agent(space, Community);
    ASSERT_TRUE(agent.Ok()) << agent.Error();
    NetNamespace::Entered inside(space);
    ASSERT_TRUE(inside.Ok());
    SnmpAgent access(QuickClient);
    access.SetCommunity(Community);
    access.SetHost("[::1]:161");
    EXPECT_TRUE(access.TestConnection("::1", Community)) << agent.Log();
    EXPECT_EQ(access.GetSystemValue(5), "korvalin-test");
}

TEST_F(SnmpdRouter, TestConnectionWithAWrongCommunityFailsAfterTheFullTimeout) {
    SnmpAgent access;  // the real 5000 ms timeout
    EXPECT_TRUE(access.TestConnection("127.0.0.1", Community));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(access.TestConnection("127.0.0.1", "not-the-community"));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(4900));
    EXPECT_EQ(access.Host(), "127.0.0.1");
    EXPECT_EQ(access.Community(), "vindra");
}

TEST_F(SnmpdRouter, MonitorFiguresAreTheKernelsCountersMinusTheAllowances) {
    FakeUiThread uiThread;
    auto sleeper = std::make_shared<FakeTimerSleeper>();
    sleeper->Limit(0);  // readings only from the test's own ticks
    RouterMonitor monitor(uiThread, QuickClient, sleeper, ExchangeMode::Inline);
    AimAtAgent(monitor);
    uiThread.RunPending();
    SnmpAgent observer(QuickClient);
    AimAtAgent(observer);

    WaitUntilAgentCaughtUp(observer);
    const std::uint64_t received0 = Kernel("rx_bytes");
    const std::uint64_t sent0 = Kernel("tx_bytes");
    monitor.SetInterfaceName("WAN0");
    monitor.SetInterval(5000);
    monitor.SetActive(true);
    ASSERT_EQ(monitor.SelectedIndex(), Wan0Index());

    ASSERT_EQ(peer_->Run("ping -q -c 30 -i 0.02 -s 1200 10.233.0.1 >/dev/null"), 0);
    WaitUntilAgentCaughtUp(observer);
    const std::uint64_t received = Kernel("rx_bytes") - received0;
    const std::uint64_t sent = Kernel("tx_bytes") - sent0;
    ASSERT_GT(received, 30u * 1200u);
    monitor.TimerTick();

    EXPECT_EQ(monitor.IntervalReceived(), static_cast<std::int64_t>(received) - 168);
    EXPECT_EQ(monitor.IntervalSent(), static_cast<std::int64_t>(sent) - 192);
    EXPECT_EQ(monitor.TotalReceived(), monitor.IntervalReceived());
    EXPECT_EQ(monitor.PerSecond(monitor.IntervalReceived()), monitor.IntervalReceived() / 5);

    // The same interval exchanged: the figure from ifOutOctets becomes the received one.
    monitor.SetExchangeRates(true);
    const std::uint64_t received1 = Kernel("rx_bytes");
    const std::uint64_t sent1 = Kernel("tx_bytes");
    ASSERT_EQ(peer_->Run("ping -q -c 10 -i 0.02 -s 600 10.233.0.1 >/dev/null"), 0);
    WaitUntilAgentCaughtUp(observer);
    monitor.TimerTick();
    EXPECT_EQ(monitor.IntervalReceived(),
              static_cast<std::int64_t>(Kernel("tx_bytes") - sent1) - 192);
    EXPECT_EQ(monitor.IntervalSent(),
              static_cast<std::int64_t>(Kernel("rx_bytes") - received1) - 168);
}

TEST_F(SnmpdRouter, ConsoleListsTheRoutersInterfaces) {
    int status = -1;
    const std::string output = Korvalin(
        std::string("--list-router-interfaces --router 127.0.0.1 --community ") + Community,
        status);
    EXPECT_EQ(status, 0) << output;
    EXPECT_EQ(output, "1\tlo\n" + std::to_string(Wan0Index()) + "\twan0\n");
}

TEST_F(SnmpdRouter, ConsoleListingOfASilentAgentIsAnErrorWithStatusThree) {
    int status = -1;
    const std::string output =
        Korvalin("--list-router-interfaces --router 127.0.0.1:1161 --community x", status);
    EXPECT_EQ(status, 3) << output;
    EXPECT_NE(output.find("did not answer"), std::string::npos) << output;
}

TEST_F(SnmpdRouter, ConsolePollingCountsTheTrafficOfTheInterface) {
    SnmpAgent observer(QuickClient);
    AimAtAgent(observer);
    WaitUntilAgentCaughtUp(observer);
    const std::uint64_t received0 = Kernel("rx_bytes");
    const std::string file = "/tmp/korvalin-router-console-" + router_->Name();
    ASSERT_EQ(router_->Run("env -u DISPLAY " + ShellQuote(KORVALIN_BINARY) +
                           " --console --json --router 127.0.0.1 --community " + Community +
                           " --interface wan0 --interval 1 --samples 7 > " + ShellQuote(file) +
                           " 2>&1 &"),
              0);
    const auto awaitLines = [&](int wanted) {
        std::string lines;
        for (int wait = 0; wait < 200; ++wait) {
            lines = Read(*router_, "cat " + ShellQuote(file));
            // Read drops the final newline.
            if (!lines.empty() && std::count(lines.begin(), lines.end(), '\n') + 1 >= wanted) {
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return lines;
    };
    // The first sample comes once the baselines are taken: traffic before them is no
    // interval's, so the pings wait for it.
    awaitLines(1);
    ASSERT_EQ(peer_->Run("ping -q -c 30 -i 0.02 -s 1200 10.233.0.1 >/dev/null"), 0);
    const std::string lines = awaitLines(7);
    NetNamespace::RunHere("rm -f " + ShellQuote(file));
    std::istringstream in(lines);
    std::string line;
    std::string last;
    int count = 0;
    while (std::getline(in, line)) {
        EXPECT_EQ(line.rfind("{\"received\":", 0), 0u) << line;
        last = line;
        ++count;
    }
    ASSERT_EQ(count, 7) << lines;
    const auto key = last.find("\"total_received\":");
    ASSERT_NE(key, std::string::npos);
    const std::int64_t total = std::stoll(last.substr(key + 17));
    const auto counted = static_cast<std::int64_t>(Kernel("rx_bytes") - received0);
    // Each interval loses the allowance of 168 bytes; the rest of the traffic is there.
    EXPECT_LE(total, counted - 168);
    EXPECT_GE(total, counted - 7 * 168);
}

}  // namespace
}  // namespace korvalin
