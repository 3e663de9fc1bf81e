#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "integration/support/NetNamespace.h"
#include "platform/linux/NetlinkInterfaceTable.h"
#include "sources/AdapterMonitor.h"

namespace korvalin {
namespace {

using testing::FakeTimerSleeper;
using testing::FakeUiThread;
using testing::NetNamespace;

struct KernelCounters {
    std::uint64_t rx = 0;
    std::uint64_t tx = 0;
};

// The kernel's own counters of an interface, read through the namespace's /sys.
KernelCounters ReadKernelCounters(const NetNamespace& space, const std::string& interface) {
    std::string output;
    space.Run("cat /sys/class/net/" + interface + "/statistics/rx_bytes /sys/class/net/" +
                  interface + "/statistics/tx_bytes",
              &output);
    KernelCounters counters;
    std::sscanf(output.c_str(), "%lu %lu", &counters.rx, &counters.tx);
    return counters;
}

// Two namespaces joined by a veth pair: "kva" 10.231.0.1 in the near one, where the
// monitor reads, "kvb" 10.231.0.2 in the far one.
class AdapterMonitorNetns : public ::testing::Test {
protected:
    void SetUp() override {
        KORVALIN_SKIP_WITHOUT_NETNS();
        near_ = std::make_unique<NetNamespace>("near");
        far_ = std::make_unique<NetNamespace>("far");
        ASSERT_TRUE(near_->Ok()) << near_->Error();
        ASSERT_TRUE(far_->Ok()) << far_->Error();
        ASSERT_TRUE(near_->DisableIpv6()) << near_->Error();
        ASSERT_TRUE(far_->DisableIpv6()) << far_->Error();
        ASSERT_TRUE(near_->AddVethPair("kva", "10.231.0.1/24", "kvb", "10.231.0.2/24", far_.get()))
            << near_->Error();
        // Resolves the neighbour before any measurement, so no ARP lands in it.
        ASSERT_EQ(near_->Run("ping -q -c 1 -W 2 10.231.0.2"), 0);

        NetNamespace::Entered inside(*near_);
        ASSERT_TRUE(inside.Ok());
        table_ = std::make_unique<NetlinkInterfaceTable>();
        sleeper_->Limit(0);  // the test drives the readings
        monitor_ = std::make_unique<AdapterMonitor>(*table_, ui_, sleeper_);
        monitor_->Init();  // opens the socket inside the near namespace
        ASSERT_TRUE(monitor_->Loaded());
    }

    void TearDown() override {
        monitor_.reset();
        table_.reset();
    }

    void Ping(int count, int size) {
        ASSERT_EQ(near_->Run("ping -q -c " + std::to_string(count) + " -i 0.01 -s " +
                             std::to_string(size) + " -W 2 10.231.0.2"),
                  0);
    }

    std::vector<std::string> AdapterTexts() const {
        std::vector<std::string> texts;
        for (const AdapterEntry& entry : monitor_->Adapters()) {
            texts.push_back(entry.text);
        }
        return texts;
    }

    FakeUiThread ui_;
    std::shared_ptr<FakeTimerSleeper> sleeper_ = std::make_shared<FakeTimerSleeper>();
    std::unique_ptr<NetNamespace> near_;
    std::unique_ptr<NetNamespace> far_;
    std::unique_ptr<NetlinkInterfaceTable> table_;
    std::unique_ptr<AdapterMonitor> monitor_;
};

TEST_F(AdapterMonitorNetns, ListsTheVethButNeverTheLoopback) {
    EXPECT_EQ(AdapterTexts(), std::vector<std::string>{"kva"});
    InterfaceRow row;
    monitor_->GetInterfaceRow(0, row);
    EXPECT_EQ(row.description, "kva");
    EXPECT_EQ(row.type, InterfaceType::Ethernet);
    EXPECT_EQ(row.mtu, 1500u);
    EXPECT_EQ(row.adminStatus, AdminStatus::Up);
    EXPECT_EQ(row.operStatus, OperStatus::Operational);
    EXPECT_EQ(row.physicalAddress.size(), 6u);
    std::string address, mask;
    EXPECT_TRUE(monitor_->GetAdapterAddress(row.index, address, mask));
    EXPECT_EQ(address, "10.231.0.1");
    EXPECT_EQ(mask, "255.255.255.0");
}

TEST_F(AdapterMonitorNetns, FiguresMatchTheKernelCountersForKnownTraffic) {
    for (const std::string& name : {std::string("kva"), std::string(AllAdaptersText)}) {
        monitor_->SetActive(false);
        monitor_->SetAdapterName(name);
        monitor_->SetActive(true);
        const KernelCounters before = ReadKernelCounters(*near_, "kva");
        constexpr int Pings = 20;
        constexpr int PayloadSize = 1000;
        Ping(Pings, PayloadSize);
        monitor_->TimerTick();
        const KernelCounters after = ReadKernelCounters(*near_, "kva");

        EXPECT_EQ(monitor_->IntervalSent(), static_cast<std::int64_t>(after.tx - before.tx))
            << name;
        EXPECT_EQ(monitor_->IntervalReceived(), static_cast<std::int64_t>(after.rx - before.rx))
            << name;
        // Each echo is the payload plus ICMP, IP and Ethernet headers (8 + 20 + 14 bytes).
        EXPECT_GE(monitor_->IntervalSent(), Pings * (PayloadSize + 42)) << name;
        EXPECT_GE(monitor_->IntervalReceived(), Pings * (PayloadSize + 42)) << name;
        EXPECT_EQ(monitor_->TotalSent(), monitor_->IntervalSent()) << name;
    }
}

TEST_F(AdapterMonitorNetns, InterfacesAddedAndRemovedWhileAllAdaptersRun) {
    monitor_->SetAdapterName(AllAdaptersText);
    monitor_->SetActive(true);
    monitor_->TimerTick();
    ASSERT_EQ(AdapterTexts(), std::vector<std::string>{"kva"});

    // ifb where the kernel has it, else another veth pair inside the namespace.
    std::vector<std::string> added;
    if (NetNamespace::RunHere("ip -n " + near_->Name() + " link add kvifb0 type ifb") == 0) {
        added = {"kvifb0"};
    } else {
        ASSERT_TRUE(near_->AddVethPair("kvx0", "", "kvx1", ""));
        added = {"kvx0", "kvx1"};
    }
    monitor_->TimerTick();
    std::vector<std::string> expected{"kva"};
    expected.insert(expected.end(), added.begin(), added.end());
    std::vector<std::string> listed = AdapterTexts();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(monitor_->Ledger().Entries().size(), listed.size());

    // Traffic after the list grew is counted in full.
    const KernelCounters before = ReadKernelCounters(*near_, "kva");
    Ping(5, 200);
    monitor_->TimerTick();
    const KernelCounters after = ReadKernelCounters(*near_, "kva");
    EXPECT_EQ(monitor_->IntervalSent(), static_cast<std::int64_t>(after.tx - before.tx));

    ASSERT_EQ(NetNamespace::RunHere("ip -n " + near_->Name() + " link del " + added.front()), 0);
    monitor_->TimerTick();
    EXPECT_EQ(AdapterTexts(), std::vector<std::string>{"kva"});
    EXPECT_EQ(std::count(listed.begin(), listed.end(), "lo"), 0);
}

TEST_F(AdapterMonitorNetns, RenamedInterfaceShowsUnderItsNewNameInTheNextReading) {
    monitor_->SetAdapterName(AllAdaptersText);
    monitor_->SetActive(true);
    monitor_->TimerTick();
    ASSERT_EQ(AdapterTexts(), std::vector<std::string>{"kva"});
    const std::string ip = "ip -n " + near_->Name() + " link set ";
    ASSERT_EQ(NetNamespace::RunHere(ip + "kva down && " + ip + "kva name kvrenamed && " + ip +
                                    "kvrenamed up"),
              0);
    // The set of interfaces is unchanged; only the kernel's announcement tells.
    monitor_->TimerTick();
    EXPECT_EQ(AdapterTexts(), std::vector<std::string>{"kvrenamed"});
}

TEST_F(AdapterMonitorNetns, RowReadsInsideAndOutsideAReadingAgree) {
    InterfaceRow single;
    ASSERT_TRUE(table_->ReadRow(monitor_->InterfaceIndexAt(0), single));
    InterfaceRow fromSnapshot;
    {
        InterfaceReadingScope reading(*table_);
        std::vector<InterfaceRow> rows;
        ASSERT_TRUE(table_->ReadTable(rows));
        ASSERT_TRUE(table_->ReadRow(single.index, fromSnapshot));
    }
    // Nothing moves on the link meanwhile, so both ways give the same row.
    EXPECT_EQ(fromSnapshot, single);
    InterfaceRow missing;
    missing.mtu = 5;
    EXPECT_FALSE(table_->ReadRow(999999, missing));
    EXPECT_EQ(missing, InterfaceRow{});
}

// All adapters under known traffic while one in the middle of the list is deleted and
// re-created with a new index: every interval counts exactly what the kernel counted on
// the interfaces that were there before and after it, and the re-created one starts
// from a fresh baseline.
TEST_F(AdapterMonitorNetns, AllAdaptersFollowInterfacesThatAreDeletedAndRecreated) {
    const auto addPair = [this](const std::string& name, int subnet) {
        const std::string prefix = "10." + std::to_string(subnet) + ".0.";
        ASSERT_TRUE(near_->AddVethPair(name + "a", prefix + "1/24", name + "b", prefix + "2/24",
                                       far_.get()))
            << near_->Error();
        ASSERT_EQ(near_->Run("ping -q -c 1 -W 2 " + prefix + "2"), 0);
    };
    const auto ping = [this](int subnet, int size) {
        ASSERT_EQ(near_->Run("ping -q -c 8 -i 0.01 -s " + std::to_string(size) + " -W 2 10." +
                             std::to_string(subnet) + ".0.2"),
                  0);
    };
    struct Link {
        std::string name;
        int subnet;
    };
    const Link kva{"kva", 231};
    const Link middle{"kvma", 232};
    const Link last{"kvza", 233};
    addPair("kvm", middle.subnet);
    addPair("kvz", last.subnet);
    monitor_->SetAdapterName(AllAdaptersText);
    monitor_->SetActive(true);
    ASSERT_EQ(AdapterTexts(), (std::vector<std::string>{"kva", "kvma", "kvza"}));

    std::int64_t totalReceived = 0;
    std::int64_t totalSent = 0;
    // One interval: traffic on every link in counted, then the kernel's differences on
    // the links in counted are what the monitor must report.
    const auto interval = [&](const std::vector<Link>& counted, const char* what) {
        SCOPED_TRACE(what);
        std::vector<KernelCounters> before;
        for (const Link& link : counted) {
            before.push_back(ReadKernelCounters(*near_, link.name));
        }
        for (const Link& link : counted) {
            ping(link.subnet, 400);
        }
        std::int64_t received = 0;
        std::int64_t sent = 0;
        for (std::size_t i = 0; i < counted.size(); ++i) {
            const KernelCounters after = ReadKernelCounters(*near_, counted[i].name);
            received += static_cast<std::int64_t>(after.rx - before[i].rx);
            sent += static_cast<std::int64_t>(after.tx - before[i].tx);
        }
        monitor_->TimerTick();
        EXPECT_EQ(monitor_->IntervalReceived(), received);
        EXPECT_EQ(monitor_->IntervalSent(), sent);
        EXPECT_GT(received, 0);
        totalReceived += received;
        totalSent += sent;
    };

    interval({kva, middle, last}, "all three links");
    ASSERT_EQ(near_->Run("ip link del kvma"), 0);
    interval({kva, last}, "the middle link deleted");
    EXPECT_EQ(AdapterTexts(), (std::vector<std::string>{"kva", "kvza"}));
    addPair("kvm", middle.subnet);
    // Its first reading is its baseline: what it carried before it is not counted.
    ping(middle.subnet, 500);
    interval({kva, last}, "the middle link re-created with a new index");
    EXPECT_EQ(AdapterTexts(), (std::vector<std::string>{"kva", "kvza", "kvma"}));
    interval({kva, middle, last}, "all three links again");

    EXPECT_EQ(monitor_->TotalReceived(), totalReceived);
    EXPECT_EQ(monitor_->TotalSent(), totalSent);
}

}  // namespace
}  // namespace korvalin
