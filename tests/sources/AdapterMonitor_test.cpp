#include "sources/AdapterMonitor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <stdexcept>

#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeOsVersion.h"
#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"

namespace korvalin {
namespace {

using namespace std::chrono_literals;
using testing::FakeInterfaceTable;
using testing::FakeTimerSleeper;
using testing::FakeUiThread;

constexpr std::uint64_t GiB = 1024ull * 1024 * 1024;

struct Sample {
    std::int64_t received, sent, totalReceived, totalSent;
    bool operator==(const Sample&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Sample& s) {
    return out << "{" << s.received << ", " << s.sent << ", " << s.totalReceived << ", "
               << s.totalSent << "}";
}

// A monitor on a fake table whose timer never ticks by itself: the test calls TimerTick.
class MonitorRig {
public:
    FakeInterfaceTable table;
    FakeUiThread ui;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    std::unique_ptr<AdapterMonitor> monitor;
    int trafficCalls = 0;

    MonitorRig() {
        sleeper->Limit(0);
        monitor = std::make_unique<AdapterMonitor>(table, ui, sleeper);
        monitor->SetOnTraffic([this](const TrafficSample& sample) {
            EXPECT_EQ(&sample, &monitor->Sample());
            ++trafficCalls;
        });
    }

    void Start(const std::string& name = AllAdaptersText) {
        monitor->Init();
        monitor->SetAdapterName(name);
        monitor->SetActive(true);
    }

    Sample Tick() {
        monitor->TimerTick();
        return Current();
    }

    Sample Current() const {
        return {monitor->IntervalReceived(), monitor->IntervalSent(), monitor->TotalReceived(),
                monitor->TotalSent()};
    }

    // The stored ifInOctets readings, by ascending interface index.
    std::vector<std::uint64_t> StoredIn() const {
        std::vector<std::uint64_t> stored;
        for (const OctetCounters& entry : monitor->Ledger().Entries()) {
            stored.push_back(entry.inOctets);
        }
        return stored;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const AdapterEntry& entry : monitor->Adapters()) {
            texts.push_back(entry.text);
        }
        return texts;
    }
};

TEST(AdapterMonitorAdapterList, KeepsRealInterfacesInIndexOrderWithTrimmedTexts) {
    MonitorRig rig;
    rig.table.Add(7, "eth1");
    rig.table.Add(1, "lo", InterfaceType::SoftwareLoopback);
    rig.table.Add(3, "MS TCP Loopback interface");
    rig.table.Add(4, "ms tcp loopback interface");
    rig.table.Add(2, "  eth0\t\r\n");
    rig.table.Add(5, "");
    rig.table.Add(6, "   ");
    rig.table.Add(8, std::string("ppp0\0junk", 9), InterfaceType::Ppp);
    rig.table.Add(9, std::string("\0hidden", 7));
    rig.monitor->Init();
    ASSERT_TRUE(rig.monitor->Loaded());

    EXPECT_EQ(rig.Texts(),
              (std::vector<std::string>{"eth0", "ms tcp loopback interface", "", "eth1", "ppp0"}));
    const std::vector<std::int32_t> indexes{2, 4, 6, 7, 8};
    for (std::size_t i = 0; i < indexes.size(); ++i) {
        EXPECT_EQ(rig.monitor->InterfaceIndexAt(static_cast<std::int32_t>(i)), indexes[i]);
    }
    EXPECT_EQ(rig.monitor->InterfaceIndexAt(-1), -1);
    EXPECT_EQ(rig.monitor->InterfaceIndexAt(5), -1);
}

TEST(AdapterMonitorAdapterList, FailingTableLeavesTheListEmptyAndTheNextReadingRetries) {
    MonitorRig rig;
    rig.table.Add(2, "eth0", InterfaceType::Ethernet, 100, 100);
    rig.table.tableFails = true;
    rig.Start("eth0");
    EXPECT_TRUE(rig.monitor->Adapters().empty());

    rig.table.tableFails = false;
    rig.table.AddTraffic(2, 50, 5);
    rig.Tick();  // the empty list is rebuilt and eth0 found
    EXPECT_EQ(rig.monitor->SelectedIndex(), 2);
    rig.table.AddTraffic(2, 70, 7);
    EXPECT_EQ(rig.Tick().received, 70);
}

TEST(AdapterMonitorLoading, WithoutTheTableNothingWorksAndActivationIsRefused) {
    MonitorRig rig;
    rig.table.opens = false;
    rig.table.Add(2, "eth0");
    rig.monitor->Init();
    EXPECT_FALSE(rig.monitor->Loaded());
    EXPECT_TRUE(rig.monitor->Adapters().empty());
    EXPECT_EQ(rig.monitor->Timer(), nullptr);

    rig.monitor->SetActive(true);
    EXPECT_FALSE(rig.monitor->Active());

    rig.monitor->TimerTick();
    EXPECT_EQ(rig.trafficCalls, 0);
    InterfaceRow row;
    row.mtu = 99;
    rig.monitor->GetInterfaceRow(0, row);
    EXPECT_EQ(row, InterfaceRow{});
    EXPECT_EQ(rig.table.tableReads, 0);
}

TEST(AdapterMonitorLoading, InitCreatesADisabledOneSecondTimerOnTheTick) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.monitor->Init();
    ASSERT_NE(rig.monitor->Timer(), nullptr);
    EXPECT_FALSE(rig.monitor->Timer()->Enabled());
    EXPECT_EQ(rig.monitor->Timer()->Interval(), 1000u);
    EXPECT_TRUE(rig.monitor->Timer()->OnTimer());
    EXPECT_EQ(rig.table.openCalls, 1);
    rig.monitor->Init();
    EXPECT_EQ(rig.table.openCalls, 1) << "the table is opened once";
}

TEST(AdapterMonitorReading, CounterDifferencesAreSixtyFourBit) {
    const struct {
        const char* what;
        std::uint64_t stored;
        std::uint64_t now;
        std::int64_t expected;
    } cases[] = {
        {"plain difference", 1000, 1500, 500},
        {"no traffic", 1000, 1000, 0},
        {"counter reset counts its new value", 5000, 300, 300},
        {"interface re-created with zero counters", 5000, 0, 0},
        {"passing 4294967295 counts the true difference", 4294967000u, 4294967296ull + 704, 1000},
        {"more than 4 GiB in one interval", 10, 10 + 5 * GiB, static_cast<std::int64_t>(5 * GiB)},
        {"difference of 2 GiB and more", 0 + 1, 1 + 3 * GiB, static_cast<std::int64_t>(3 * GiB)},
    };
    for (const auto& c : cases) {
        MonitorRig rig;
        rig.table.Add(2, "eth0", InterfaceType::Ethernet, c.stored, c.stored);
        rig.Start("eth0");
        ASSERT_EQ(rig.StoredIn(), std::vector<std::uint64_t>{c.stored}) << c.what;
        rig.table.Row(2).inOctets = c.now;
        rig.table.Row(2).outOctets = c.now;
        EXPECT_EQ(rig.Tick(), (Sample{c.expected, c.expected, c.expected, c.expected})) << c.what;
        EXPECT_EQ(rig.StoredIn(), std::vector<std::uint64_t>{c.now}) << c.what;
    }
}

TEST(AdapterMonitorReading, TotalsAccumulatePastFourGibibytes) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.Start("eth0");
    for (int tick = 1; tick <= 3; ++tick) {
        rig.table.AddTraffic(2, 3 * GiB, 1);
        EXPECT_EQ(rig.Tick(), (Sample{static_cast<std::int64_t>(3 * GiB), 1,
                                      static_cast<std::int64_t>(tick * 3 * GiB), tick}));
    }
}

TEST(AdapterMonitorReading, AllAdaptersSumsEveryAdapterAndADroppedCounterAddsItsValue) {
    MonitorRig rig;
    rig.table.Add(2, "eth0", InterfaceType::Ethernet, 1000, 2000);
    rig.table.Add(3, "eth1", InterfaceType::Ethernet, 9000, 9000);
    rig.table.Add(1, "lo", InterfaceType::SoftwareLoopback, 0, 0);
    rig.Start();
    EXPECT_EQ(rig.monitor->SelectedIndex(), -1);
    rig.table.AddTraffic(2, 100, 10);
    rig.table.Row(3).inOctets = 40;  // reset: counts 40
    rig.table.Row(3).outOctets = 9005;
    rig.table.AddTraffic(1, 777777, 777777);  // loopback never counts
    EXPECT_EQ(rig.Tick(), (Sample{140, 15, 140, 15}));
}

TEST(AdapterMonitorReading, IdleAndEmptySetsReadZeroAndStillNotify) {
    {
        MonitorRig rig;
        rig.table.Add(2, "eth0", InterfaceType::Ethernet, 500, 500);
        rig.Start("eth0");
        EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
        EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
        EXPECT_EQ(rig.trafficCalls, 2);
    }
    {
        MonitorRig rig;
        rig.table.Add(1, "lo", InterfaceType::SoftwareLoopback, 100, 100);
        rig.Start();
        EXPECT_TRUE(rig.monitor->Adapters().empty());
        rig.table.AddTraffic(1, 100, 100);
        EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
        EXPECT_EQ(rig.trafficCalls, 1);
    }
}

TEST(AdapterMonitorReading, RowThatTurnsIntoALoopbackIsNotCounted) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.Start("eth0");
    rig.table.Row(2).type = InterfaceType::SoftwareLoopback;
    rig.table.AddTraffic(2, 100, 100);
    EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
}

TEST(AdapterMonitorSelection, SameDescriptionTwiceMonitorsTheFirst) {
    MonitorRig rig;
    rig.table.Add(2, "eth");
    rig.table.Add(3, "eth");
    rig.Start("ETH");
    EXPECT_EQ(rig.Texts(), (std::vector<std::string>{"eth", "eth"}));
    EXPECT_EQ(rig.monitor->SelectedIndex(), 2);
    rig.table.AddTraffic(2, 10, 1);
    rig.table.AddTraffic(3, 1000, 1000);
    EXPECT_EQ(rig.Tick(), (Sample{10, 1, 10, 1}));
}

TEST(AdapterMonitorSelection, AdapterNameLooksUpCaseInsensitivelyAndKeepsFigures) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.table.Add(5, "wlan0");
    rig.monitor->Init();
    rig.monitor->SetAdapterName("WLAN0");
    EXPECT_EQ(rig.monitor->SelectedIndex(), 5);
    EXPECT_EQ(rig.monitor->AdapterName(), "WLAN0");
    rig.monitor->SetAdapterName(AllAdaptersText);
    EXPECT_EQ(rig.monitor->SelectedIndex(), -1);
    rig.monitor->SetAdapterName("missing");
    EXPECT_EQ(rig.monitor->SelectedIndex(), -1);
}

TEST(AdapterMonitorSelection, SelectAdapterAtTakesTextAndIndexOfThePosition) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.table.Add(5, "wlan0");
    rig.monitor->Init();
    rig.monitor->SetAdapterName("eth0");

    rig.monitor->SelectAdapterAt(1);
    EXPECT_EQ(rig.monitor->AdapterName(), "wlan0");
    EXPECT_EQ(rig.monitor->SelectedIndex(), 5);

    for (const std::int32_t allPosition : {-1, 2, 99}) {
        rig.monitor->SelectAdapterAt(1);
        rig.monitor->SelectAdapterAt(allPosition);
        EXPECT_EQ(rig.monitor->SelectedIndex(), -1) << allPosition;
        // The name says all adapters, so the next reading does not look wlan0 up again.
        EXPECT_EQ(rig.monitor->AdapterName(), AllAdaptersText) << allPosition;
    }
}

TEST(AdapterMonitorActivation, SecondSwitchOnResetsNothingAndRestartTakesFreshReadings) {
    MonitorRig rig;
    rig.table.Add(2, "eth0", InterfaceType::Ethernet, 100, 100);
    rig.Start("eth0");
    rig.table.AddTraffic(2, 10, 20);
    rig.Tick();
    ASSERT_EQ(rig.Current(), (Sample{10, 20, 10, 20}));
    const int readsBefore = rig.table.rowReads;

    rig.monitor->SetActive(true);
    EXPECT_EQ(rig.Current(), (Sample{10, 20, 10, 20}));
    EXPECT_EQ(rig.table.rowReads, readsBefore) << "no new baseline";

    rig.monitor->SetActive(false);
    EXPECT_FALSE(rig.monitor->Timer()->Enabled());
    EXPECT_EQ(rig.Current(), (Sample{10, 20, 10, 20})) << "switching off keeps the figures";
    rig.table.AddTraffic(2, 5000, 5000);  // while off: never counted
    rig.monitor->SetActive(true);
    EXPECT_TRUE(rig.monitor->Timer()->Enabled());
    EXPECT_EQ(rig.Current(), (Sample{0, 0, 0, 0}));
    rig.table.AddTraffic(2, 1, 2);
    EXPECT_EQ(rig.Tick(), (Sample{1, 2, 1, 2}));
}

TEST(AdapterMonitorActivation, NameMissingFromTheListIsLookedUpAfreshAtSwitchOn) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.monitor->Init();
    rig.table.Add(9, "WAN Miniport PPP/PPPoE", InterfaceType::Ppp, 50, 50);
    rig.monitor->SetAdapterName("WAN Miniport PPP/PPPoE");
    EXPECT_EQ(rig.monitor->SelectedIndex(), -1) << "not yet in the list";
    rig.monitor->SetActive(true);
    EXPECT_EQ(rig.monitor->SelectedIndex(), 9);
    rig.table.AddTraffic(9, 7, 8);
    EXPECT_EQ(rig.Tick(), (Sample{7, 8, 7, 8}));
}

TEST(AdapterMonitorAdapterChanges, UnknownNameReadsZeroUntilSuchAnAdapterAppears) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.Start("eth9");
    rig.table.AddTraffic(2, 100, 100);
    EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
    EXPECT_EQ(rig.monitor->SelectedIndex(), -1);

    rig.table.Add(6, "eth9", InterfaceType::Ethernet, 4000, 4000);
    EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0})) << "its first reading is its baseline";
    EXPECT_EQ(rig.monitor->SelectedIndex(), 6);
    rig.table.AddTraffic(6, 30, 40);
    rig.table.AddTraffic(2, 100, 100);
    EXPECT_EQ(rig.Tick(), (Sample{30, 40, 30, 40}));
}

TEST(AdapterMonitorAdapterChanges, VanishedAdapterCountsNothingAndResumesFromItsKeptReading) {
    MonitorRig rig;
    rig.table.Add(2, "eth0", InterfaceType::Ethernet, 1000, 1000);
    rig.Start("eth0");
    rig.table.failingRows.insert(2);
    rig.table.AddTraffic(2, 50, 50);
    EXPECT_EQ(rig.Tick(), (Sample{0, 0, 0, 0}));
    EXPECT_EQ(rig.StoredIn(), std::vector<std::uint64_t>{1000});

    rig.table.failingRows.clear();
    rig.table.AddTraffic(2, 25, 5);
    EXPECT_EQ(rig.Tick(), (Sample{75, 55, 75, 55}));

    rig.table.Row(2).inOctets = 10;  // came back re-created
    rig.table.Row(2).outOctets = 20;
    EXPECT_EQ(rig.Tick(), (Sample{10, 20, 85, 75}));
}

TEST(AdapterMonitorAdapterChanges, EveryReadingIsOneBracketForTheTable) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.table.Add(3, "eth1");
    rig.Start();
    rig.table.rowReadsOutsideReading = 0;
    const int readings = rig.table.readings;
    rig.table.Add(4, "eth2");  // the re-read of baselines happens inside the same reading
    rig.Tick();
    rig.Tick();
    EXPECT_EQ(rig.table.readings, readings + 2);
    EXPECT_EQ(rig.table.rowReadsOutsideReading, 0);
    EXPECT_EQ(rig.table.depth, 0);
}

TEST(AdapterMonitorInterfaceRows, PositionOutsideTheListGivesTheZeroRow) {
    MonitorRig rig;
    rig.table.Add(2, "eth0").mtu = 1500;
    rig.monitor->Init();
    for (const std::int32_t position : {-1, 1, 7}) {
        InterfaceRow row;
        row.mtu = 1;
        rig.monitor->GetInterfaceRow(position, row);
        EXPECT_EQ(row, InterfaceRow{}) << position;
    }
    InterfaceRow row;
    rig.monitor->GetInterfaceRow(0, row);
    EXPECT_EQ(row.index, 2);
    EXPECT_EQ(row.mtu, 1500u);
    EXPECT_EQ(row.description, "eth0");
}

TEST(AdapterMonitorInterfaceRows, ReadingARowRebuildsTheListAndCheckAdapterListToo) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.monitor->Init();
    rig.table.Add(3, "eth1");
    InterfaceRow row;
    rig.monitor->GetInterfaceRow(1, row);
    EXPECT_EQ(row.index, 3);
    rig.table.Add(4, "eth2");
    rig.monitor->CheckAdapterList();
    EXPECT_EQ(rig.monitor->Adapters().size(), 3u);
}

TEST(AdapterMonitorInterfaceRows, AddressOfAnInterface) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.table.ipv4[2] = {"10.1.2.3", "255.255.255.0"};
    std::string address = "x", mask = "y";
    EXPECT_FALSE(rig.monitor->GetAdapterAddress(2, address, mask)) << "not loaded yet";
    rig.monitor->Init();
    EXPECT_TRUE(rig.monitor->GetAdapterAddress(2, address, mask));
    EXPECT_EQ(address, "10.1.2.3");
    EXPECT_EQ(mask, "255.255.255.0");
    EXPECT_FALSE(rig.monitor->GetAdapterAddress(3, address, mask));
    EXPECT_EQ(address, "");
    EXPECT_EQ(mask, "");
}

TEST(AdapterMonitorTick, ThrowingHandlerIsSwallowedAndTheTimerFollowsActive) {
    MonitorRig rig;
    rig.table.Add(2, "eth0");
    rig.Start("eth0");
    rig.monitor->SetOnTraffic([](const TrafficSample&) { throw std::runtime_error("display"); });
    rig.table.AddTraffic(2, 3, 4);
    EXPECT_NO_THROW(rig.monitor->TimerTick());
    EXPECT_EQ(rig.Current(), (Sample{3, 4, 3, 4}));
    EXPECT_TRUE(rig.monitor->Timer()->Enabled());
}

TEST(AdapterMonitorTick, TheTimerDeliversReadingsOnTheUserInterfaceThread) {
    FakeInterfaceTable table;
    table.Add(2, "eth0");
    FakeUiThread ui;
    auto sleeper = std::make_shared<FakeTimerSleeper>();
    AdapterMonitor monitor(table, ui, sleeper);
    int calls = 0;
    std::vector<std::uint32_t> sleptBeforeFirst;
    monitor.SetOnTraffic([&](const TrafficSample&) {
        if (++calls == 1) {
            sleptBeforeFirst = sleeper->Completed();
        }
    });
    monitor.Init();
    monitor.SetAdapterName("eth0");
    monitor.SetActive(true);
    table.AddTraffic(2, 64, 32);
    ASSERT_TRUE(ui.WaitAndRun(5s));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(monitor.IntervalReceived(), 64);
    EXPECT_EQ(sleptBeforeFirst, (std::vector<std::uint32_t>{500, 500}));
    ASSERT_TRUE(ui.WaitAndRun(5s));
    EXPECT_EQ(calls, 2) << "the tick switched its timer back on";
}

}  // namespace
}  // namespace korvalin
