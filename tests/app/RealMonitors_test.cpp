// The configuration window on the program's own monitors: the adapter monitor on a
// scripted interface table and the router monitor talking SNMP to a loopback agent.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>

#include "MainFixture.h"
#include "control/MonitorSources.h"
#include "fakes/FakeInterfaceTable.h"
#include "fakes/FakeSnmpAgent.h"
#include "fakes/FakeTimerSleeper.h"
#include "fakes/FakeUiThread.h"
#include "platform/qt/QtUiThread.h"
#include "widgets/FlatButton.h"
#include "widgets/RadioCheckList.h"

namespace korvalin::testing {
namespace {

using snmp::Value;
using snmp::ValueType;

constexpr const char* IfIndex = "1.3.6.1.2.1.2.2.1.1.";
constexpr const char* IfDescr = "1.3.6.1.2.1.2.2.1.2.";
constexpr const char* IfInOctets = "1.3.6.1.2.1.2.2.1.10.";
constexpr const char* IfOutOctets = "1.3.6.1.2.1.2.2.1.16.";

std::string Text(const QLabel* label) {
    return label->text().toStdString();
}

class RealAdapterMonitorTest : public MainFixture {
protected:
    void StartOnTable() {
        auto monitor = std::make_unique<AdapterMonitorSource>(
            std::make_unique<AdapterMonitor>(table, uiThread, sleeper));
        monitorOwned = monitor.get();
        ASSERT_TRUE(StartWith(std::move(monitor), std::make_unique<FakeRouterSource>()));
    }

    FakeInterfaceTable table;
    FakeUiThread uiThread;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    AdapterMonitorSource* monitorOwned = nullptr;
};

TEST_F(RealAdapterMonitorTest, FirstStartMonitorsTheFirstRealAdapterAndCountsItsBytes) {
    table.Add(1, "lo", InterfaceType::SoftwareLoopback, 100, 100);
    table.Add(2, "veth0", InterfaceType::Ethernet, 1000, 2000);
    table.Add(3, "veth1", InterfaceType::Ethernet, 0, 0);
    StartOnTable();
    ASSERT_EQ(main->LB->Count(), 3);
    EXPECT_EQ(main->LB->ItemText(0).toStdString(), "Alle Netzwerkadapter");
    EXPECT_EQ(main->LB->CheckedText().toStdString(), "veth0");
    EXPECT_TRUE(main->isVisible());

    table.AddTraffic(2, 1536, 512);
    table.AddTraffic(3, 99999, 99999);  // not the monitored adapter
    monitorOwned->Monitor().TimerTick();
    EXPECT_EQ(Text(main->Label6), "1,50 KB");
    EXPECT_EQ(Text(main->Label5), "0,50 KB");
    EXPECT_EQ(controller->Settings().sumReceive, 1536);
    EXPECT_EQ(controller->Settings().sumSend, 512);
}

TEST_F(RealAdapterMonitorTest, WithoutInterfaceTableTheProgramEnds) {
    table.opens = false;
    auto monitor = std::make_unique<AdapterMonitorSource>(
        std::make_unique<AdapterMonitor>(table, uiThread, sleeper));
    EXPECT_FALSE(StartWith(std::move(monitor), std::make_unique<FakeRouterSource>()));
    EXPECT_EQ(quits, 1);
}

class RealRouterMonitorTest : public MainFixture {
protected:
    void SetUp() override {
        MainFixture::SetUp();
        agent.SetObject("1.3.6.1.2.1.1.1.0", Value::OctetString("loopback agent"));
        AddInterface(1, "ppp0", 0, 0);
        AddInterface(2, "eth1", 1000000, 2000000);
    }

    void AddInterface(int index, const std::string& name, std::uint32_t in, std::uint32_t out) {
        const std::string n = std::to_string(index);
        agent.SetObject(IfIndex + n, Value::Integer(index));
        agent.SetObject(IfDescr + n, Value::OctetString(name));
        SetCounters(index, in, out);
    }

    void SetCounters(int index, std::uint32_t in, std::uint32_t out) {
        const std::string n = std::to_string(index);
        agent.SetObject(IfInOctets + n, Value::Unsigned(ValueType::Counter32, in));
        agent.SetObject(IfOutOctets + n, Value::Unsigned(ValueType::Counter32, out));
    }

    // Exchanges run at once here, so each step of a test sees the agent's answer; the
    // deferred list walk of the start runs before the start returns.
    void StartPolling(ExchangeMode mode = ExchangeMode::Inline) {
        WriteIni("[Options]\nNew=0\nMonLAN=0\nSNMPIP=" + agent.Target() +
                 "\nSNMPCommunity=public\nSNMPMonIntf=eth1\nSNMPInterval=5\n");
        auto monitor = std::make_unique<RouterMonitorSource>(std::make_unique<RouterMonitor>(
            uiThread, snmp::ClientSettings{"", "161", std::chrono::milliseconds(500)}, sleeper,
            mode));
        monitorOwned = monitor.get();
        auto adapterMonitor = std::make_unique<FakeAdapterSource>();
        adapter = adapterMonitor.get();
        ASSERT_TRUE(StartWith(std::move(adapterMonitor), std::move(monitor)));
        uiThread.RunPending();
    }

    FakeSnmpAgent agent;
    FakeUiThread uiThread;
    std::shared_ptr<FakeTimerSleeper> sleeper = std::make_shared<FakeTimerSleeper>();
    RouterMonitorSource* monitorOwned = nullptr;
};

TEST_F(RealRouterMonitorTest, PollingShowsRatesPerSecondAndSumsTheIntervalsBytes) {
    StartPolling();
    ASSERT_TRUE(monitorOwned->Monitor().Active());
    EXPECT_FALSE(adapter->active);
    EXPECT_EQ(main->SNMPIntfCB->count(), 2);
    EXPECT_EQ(main->SNMPIntfCB->currentText().toStdString(), "eth1");
    const std::int32_t receivedBefore = controller->Settings().sumReceive;

    // The router monitor always takes its own request and answer off the counters.
    SetCounters(2, 1000000 + 50000 + RouterMonitor::InAllowance,
                2000000 + 450 + RouterMonitor::OutAllowance);
    monitorOwned->Monitor().TimerTick();
    EXPECT_EQ(Text(main->Label6), "9,77 KB");  // 10 000 bytes per second
    EXPECT_EQ(Text(main->Label5), "90 Byte");
    EXPECT_EQ(controller->Settings().sumReceive - receivedBefore, 50000);
    EXPECT_EQ(status.samples.back()[0], 10000);
    EXPECT_EQ(status.samples.back()[2], 50000);
}

TEST_F(RealRouterMonitorTest, ConnectionTestAgainstTheAgent) {
    StartPolling();
    main->RB1->click();
    main->RB2->click();
    ASSERT_TRUE(main->SNMPTestBtn->isEnabled());
    // The agent drops requests with a foreign community without an answer.
    main->SNMPCommunityEdit->setText(QStringLiteral("wrong"));
    main->SNMPTestBtnClick();
    EXPECT_EQ(LastMessage().text, "Der Test war NICHT erfolgreich.");
    main->SNMPCommunityEdit->setText(QStringLiteral("public"));
    main->SNMPTestBtnClick();
    EXPECT_EQ(LastMessage().text, "Der Test war erfolgreich.");
    uiThread.RunPending();
    EXPECT_EQ(main->SNMPIntfCB->count(), 2);
    EXPECT_TRUE(main->SNMPTestBtn->isEnabled());
}

// The program as it runs: exchanges on their own worker, results through the Qt event
// loop, and an agent that never answers.
class SilentAgentTest : public MainFixture {
protected:
    void SetUp() override {
        MainFixture::SetUp();
        agent.AnswerOnly(0);
        WriteIni("[Options]\nNew=0\nMonLAN=0\nSNMPIP=" + agent.Target() +
                 "\nSNMPCommunity=public\nSNMPMonIntf=eth1\nSNMPInterval=1\n");
        auto monitor = std::make_unique<RouterMonitorSource>(std::make_unique<RouterMonitor>(
            uiThread, snmp::ClientSettings{"", "161", std::chrono::milliseconds(2500)}));
        monitorOwned = monitor.get();
        ASSERT_TRUE(StartWith(std::make_unique<FakeAdapterSource>(), std::move(monitor)));
    }

    // Runs the event loop for the given time with a probe every 20 ms; returns the
    // longest gap between two probes.
    std::chrono::milliseconds LongestGapWhileRunning(std::chrono::milliseconds duration) {
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longest = 0;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            longest = std::max(longest, clock.elapsed() - last);
            last = clock.elapsed();
        });
        probe.start(20);
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(duration.count()), &loop, &QEventLoop::quit);
        loop.exec();
        return std::chrono::milliseconds(longest);
    }

    FakeSnmpAgent agent;
    QtUiThread uiThread;
    RouterMonitorSource* monitorOwned = nullptr;
};

TEST_F(SilentAgentTest, PollingAndTestingNeverHoldTheWindow) {
    ASSERT_TRUE(monitorOwned->Monitor().Active());
    // Start-up, the interface walk and the readings all wait for the agent meanwhile.
    EXPECT_LT(LongestGapWhileRunning(std::chrono::milliseconds(1500)),
              std::chrono::milliseconds(200));

    main->RB1->click();
    main->RB2->click();
    main->SNMPTestBtnClick();
    EXPECT_FALSE(main->SNMPTestBtn->isEnabled()) << "the button shows that a test runs";
    const std::size_t messages = dialogs.messages.size();
    EXPECT_LT(LongestGapWhileRunning(std::chrono::milliseconds(1000)),
              std::chrono::milliseconds(200));
    for (int wait = 0; wait < 100 && dialogs.messages.size() == messages; ++wait) {
        LongestGapWhileRunning(std::chrono::milliseconds(100));
    }
    ASSERT_GT(dialogs.messages.size(), messages);
    EXPECT_EQ(LastMessage().text, "Der Test war NICHT erfolgreich.");
    EXPECT_TRUE(main->SNMPTestBtn->isEnabled());
}

TEST_F(SilentAgentTest, EndingWhileAnExchangeWaitsSavesAndDoesNotWait) {
    LongestGapWhileRunning(std::chrono::milliseconds(300));
    ASSERT_TRUE(monitorOwned->Monitor().Reading() ||
                monitorOwned->Monitor().RefreshingInterfaces());
    QElapsedTimer clock;
    clock.start();
    main.reset();
    EXPECT_LT(clock.elapsed(), 1000) << "the end waited for the agent";
    EXPECT_EQ(ReadIni()["Options"]["SNMPMonIntf"], "eth1");
}

}  // namespace
}  // namespace korvalin::testing
