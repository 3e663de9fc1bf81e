// The same interface-table sequences run against both monitors: the local adapter
// monitor on a fake interface table, and the router monitor on a scripted agent. Each
// step changes the table, makes one reading and checks the interval's figures; the
// totals at the end are the sum of the figures.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeSnmpAgent.h"
#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "sources/AdapterMonitor.h"
#include "sources/RouterMonitor.h"
#include "sources/SNMPAgentTables.h"

namespace korvalin {
namespace {

using testing::FakeInterfaceTable;
using testing::FakeSnmpAgent;
using testing::FakeTimerSleeper;
using testing::FakeUiThread;

struct Link {
    std::int32_t index;
    std::string name;
    std::uint64_t in;
    std::uint64_t out;
};

struct Step {
    const char* what;
    std::vector<Link> links;
    // The source cannot be read at all (the table read fails, the agent is silent).
    bool silent;
    // What the reading counts, before the router's allowances.
    std::uint64_t received;
    std::uint64_t sent;
};

struct Sequence {
    const char* name;
    std::string selection;
    // The first step is the table when monitoring is switched on; its figures are unused.
    std::vector<Step> steps;
};

// Names the row in test listings instead of dumping its bytes.
void PrintTo(const Sequence& sequence, std::ostream* out) {
    *out << sequence.name;
}

constexpr std::uint64_t Below31 = 2147483647;  // 2^31 - 1
constexpr std::uint64_t Above31 = 3500000000;

const std::vector<Sequence>& Sequences() {
    static const std::vector<Sequence> sequences = {
        {"InterfaceVanishesFromTheMiddle",
         AllAdaptersText,
         {{"three interfaces",
           {{1, "eth0", 1000, 2000}, {2, "wlan0", 500000, 600000}, {3, "ppp0", 7000, 8000}},
           false,
           0,
           0},
          {"the middle one is gone",
           {{1, "eth0", 2000, 4000}, {3, "ppp0", 8000, 10000}},
           false,
           2000,
           4000},
          {"the rest counts on",
           {{1, "eth0", 3000, 6000}, {3, "ppp0", 9000, 12000}},
           false,
           2000,
           4000}}},
        {"OneVanishesWhileAnotherAppearsAtTheSameCount",
         AllAdaptersText,
         {{"three interfaces",
           {{1, "eth0", 1000, 2000}, {2, "wlan0", 500000, 600000}, {3, "ppp0", 7000, 8000}},
           false,
           0,
           0},
          {"wlan0 gone, docker0 new",
           {{1, "eth0", 1500, 2500}, {3, "ppp0", 7500, 8500}, {4, "docker0", 90000000, 80000000}},
           false,
           1000,
           1000},
          {"docker0 counts from its baseline",
           {{1, "eth0", 1500, 2500}, {3, "ppp0", 7500, 8500}, {4, "docker0", 90001000, 80002000}},
           false,
           1000,
           2000}}},
        {"RenamedInterfaceCountsOn",
         "eth0",
         {{"eth0", {{1, "lo0", 5, 5}, {2, "eth0", 10000, 20000}}, false, 0, 0},
          {"renamed to lan0", {{1, "lo0", 5, 5}, {2, "lan0", 13000, 24000}}, false, 3000, 4000},
          {"still counted", {{1, "lo0", 5, 5}, {2, "lan0", 14000, 26000}}, false, 1000, 2000}}},
        {"RecreatedAdapterIsFoundAgainByName",
         "ppp0",
         {{"ppp0 as 5", {{1, "eth0", 100, 100}, {5, "ppp0", 90000, 80000}}, false, 0, 0},
          {"ppp0 counts", {{1, "eth0", 100, 100}, {5, "ppp0", 92000, 81000}}, false, 2000, 1000},
          {"ppp0 gone", {{1, "eth0", 100, 100}}, false, 0, 0},
          {"ppp0 back as 7: baseline", {{1, "eth0", 100, 100}, {7, "ppp0", 300, 400}}, false, 0, 0},
          {"ppp0 as 7 counts", {{1, "eth0", 100, 100}, {7, "ppp0", 800, 1400}}, false, 500, 1000}}},
        {"PppStyleReconnectWithAllInterfaces",
         AllAdaptersText,
         {{"eth0 and ppp0",
           {{1, "eth0", 1000, 1000}, {5, "ppp0", 10000000, 20000000}},
           false,
           0,
           0},
          {"ppp0 down", {{1, "eth0", 1400, 1800}}, false, 400, 800},
          {"ppp0 up as 6", {{1, "eth0", 1800, 2600}, {6, "ppp0", 50, 60}}, false, 400, 800},
          {"both count", {{1, "eth0", 2200, 3400}, {6, "ppp0", 450, 860}}, false, 800, 1600}}},
        {"FailedBaselineReadCountsNothing",
         "eth0",
         {{"silent at switch-on", {{1, "eth0", 1000000000, 2000000000}}, true, 0, 0},
          {"the first good read is the baseline",
           {{1, "eth0", 1000000000, 2000000000}},
           false,
           0,
           0},
          {"then it counts", {{1, "eth0", 1000000900, 2000000700}}, false, 900, 700}}},
        {"FailedReadInTheMiddleKeepsTheLastGoodReading",
         "eth0",
         {{"eth0", {{1, "eth0", 10000, 20000}}, false, 0, 0},
          {"counts", {{1, "eth0", 11000, 22000}}, false, 1000, 2000},
          {"silent", {{1, "eth0", 12000, 24000}}, true, 0, 0},
          {"counts since the last good reading", {{1, "eth0", 13500, 27000}}, false, 2500, 5000}}},
        {"FailedWalkWithAllInterfacesKeepsTheBaselines",
         AllAdaptersText,
         {{"three interfaces",
           {{1, "eth0", 1000, 1000}, {2, "wlan0", 2000, 2000}, {3, "ppp0", 3000, 3000}},
           true,
           0,
           0},
          {"answers: baselines",
           {{1, "eth0", 1000, 1000}, {2, "wlan0", 2000, 2000}, {3, "ppp0", 3000, 3000}},
           false,
           0,
           0},
          {"counts",
           {{1, "eth0", 1400, 1500}, {2, "wlan0", 2400, 2500}, {3, "ppp0", 3400, 3500}},
           false,
           1200,
           1500},
          {"silent",
           {{1, "eth0", 1400, 1500}, {2, "wlan0", 2400, 2500}, {3, "ppp0", 3400, 3500}},
           true,
           0,
           0},
          {"counts on from the kept readings",
           {{1, "eth0", 1800, 2000}, {2, "wlan0", 2800, 3000}, {3, "ppp0", 3800, 4000}},
           false,
           1200,
           1500}}},
        {"RisesAroundTwoToTheThirtyFirstAndAFall",
         "wan",
         {{"wan", {{1, "wan", 0, 1000}}, false, 0, 0},
          {"a rise just below 2^31",
           {{1, "wan", Below31, 1000 + Below31}},
           false,
           Below31,
           Below31},
          {"a fall counts the new value", {{1, "wan", 5000, 7000}}, false, 5000, 7000},
          {"a rise above 2^31",
           {{1, "wan", 5000 + Above31, 7000 + Above31}},
           false,
           Above31,
           Above31}}},
    };
    return sequences;
}

// Subtracts an allowance as the router monitor does, clamped at 0.
std::uint64_t LessAllowance(std::uint64_t figure, std::uint64_t allowance) {
    return figure > allowance ? figure - allowance : 0;
}

// One source under test: it lays out the table, switches monitoring on and reads.
class MonitorDriver {
public:
    virtual ~MonitorDriver() = default;
    virtual void Lay(const Step& step) = 0;
    virtual void SwitchOn(const std::string& selection) = 0;
    virtual void Read() = 0;
    virtual TrafficSample Sample() const = 0;
    // The interval figures the monitor reports for what the reading counted.
    virtual std::pair<std::uint64_t, std::uint64_t> Expected(const Step& step) const {
        return {step.received, step.sent};
    }
};

class AdapterDriver final : public MonitorDriver {
public:
    AdapterDriver() {
        sleeper_->Limit(0);
        monitor_.Init();
    }

    void Lay(const Step& step) override {
        for (const std::int32_t index : present_) {
            table_.Remove(index);
        }
        present_.clear();
        table_.failingRows.clear();
        for (const Link& link : step.links) {
            table_.Add(link.index, link.name, InterfaceType::Ethernet, link.in, link.out);
            present_.push_back(link.index);
            if (step.silent) {
                table_.failingRows.insert(link.index);
            }
        }
        table_.tableFails = step.silent;
    }
    void SwitchOn(const std::string& selection) override {
        monitor_.UpdateAdapterList();
        monitor_.SetAdapterName(selection);
        monitor_.SetActive(true);
    }
    void Read() override { monitor_.TimerTick(); }
    TrafficSample Sample() const override { return monitor_.Sample(); }

private:
    FakeInterfaceTable table_;
    std::vector<std::int32_t> present_;
    FakeUiThread uiThread_;
    std::shared_ptr<FakeTimerSleeper> sleeper_ = std::make_shared<FakeTimerSleeper>();
    AdapterMonitor monitor_{table_, uiThread_, sleeper_};
};

class RouterDriver final : public MonitorDriver {
public:
    RouterDriver() {
        agent_.SetCommunity("vindra");
        sleeper_->Limit(0);
        monitor_.SetHost(agent_.Target());
    }

    void Lay(const Step& step) override {
        for (const std::int32_t index : present_) {
            testing::RemoveSNMPInterface(agent_, index);
        }
        present_.clear();
        for (const Link& link : step.links) {
            testing::AddSNMPInterface(agent_, link.index, link.name,
                                      static_cast<std::uint32_t>(link.in),
                                      static_cast<std::uint32_t>(link.out));
            present_.push_back(link.index);
        }
        agent_.AnswerOnly(step.silent ? 0 : -1);
    }
    void SwitchOn(const std::string& selection) override {
        uiThread_.RunPending();
        monitor_.SetInterfaceName(selection);
        monitor_.SetActive(true);
    }
    void Read() override { monitor_.TimerTick(); }
    TrafficSample Sample() const override { return monitor_.Sample(); }
    std::pair<std::uint64_t, std::uint64_t> Expected(const Step& step) const override {
        return {LessAllowance(step.received, RouterMonitor::InAllowance),
                LessAllowance(step.sent, RouterMonitor::OutAllowance)};
    }

private:
    FakeSnmpAgent agent_;
    std::vector<std::int32_t> present_;
    FakeUiThread uiThread_;
    std::shared_ptr<FakeTimerSleeper> sleeper_ = std::make_shared<FakeTimerSleeper>();
    RouterMonitor monitor_{uiThread_,
                           snmp::ClientSettings{"", "161", std::chrono::milliseconds(200)},
                           sleeper_, ExchangeMode::Inline};
};

void RunSequence(MonitorDriver& driver, const Sequence& sequence) {
    driver.Lay(sequence.steps.front());
    driver.SwitchOn(sequence.selection);
    std::uint64_t totalReceived = 0;
    std::uint64_t totalSent = 0;
    for (std::size_t i = 1; i < sequence.steps.size(); ++i) {
        const Step& step = sequence.steps[i];
        SCOPED_TRACE(step.what);
        driver.Lay(step);
        driver.Read();
        const auto [received, sent] = driver.Expected(step);
        const TrafficSample sample = driver.Sample();
        EXPECT_EQ(static_cast<std::uint64_t>(sample.IntervalReceived), received);
        EXPECT_EQ(static_cast<std::uint64_t>(sample.IntervalSent), sent);
        totalReceived += received;
        totalSent += sent;
    }
    const TrafficSample sample = driver.Sample();
    EXPECT_EQ(static_cast<std::uint64_t>(sample.TotalReceived), totalReceived);
    EXPECT_EQ(static_cast<std::uint64_t>(sample.TotalSent), totalSent);
}

class CounterSequences : public ::testing::TestWithParam<Sequence> {};

TEST_P(CounterSequences, AdapterMonitor) {
    AdapterDriver driver;
    RunSequence(driver, GetParam());
}

TEST_P(CounterSequences, RouterMonitor) {
    RouterDriver driver;
    RunSequence(driver, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Tables, CounterSequences, ::testing::ValuesIn(Sequences()),
                         [](const ::testing::TestParamInfo<Sequence>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
}  // namespace korvalin
