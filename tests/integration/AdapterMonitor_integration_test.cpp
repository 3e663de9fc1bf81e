#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "integration/support/NetNamespace.h"
#include "platform/linux/NetlinkInterfaceTable.h"
#include "sources/iphelperUnit.h"

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
        monitor_ = std::make_unique<TIPHelperMonitor>(*table_, ui_, sleeper_);
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
    std::unique_ptr<TIPHelperMonitor> monitor_;
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
    EXPECT_EQ(monitor_->LastInOctets().size(), listed.size());

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

}  // namespace
}  // namespace korvalin
