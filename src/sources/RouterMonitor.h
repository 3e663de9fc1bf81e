#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/IntervalTimer.h"
#include "platform/UiThread.h"
#include "sources/AgentCounterSource.h"
#include "sources/CounterMonitor.h"
#include "sources/ExchangeQueue.h"
#include "sources/SnmpAgent.h"
#include "sources/TrafficSample.h"

namespace korvalin {

// Where the router monitor's exchanges run: on a worker of their own (the program), or
// at once on the calling thread (console one-shots and tests that step readings).
enum class ExchangeMode { Worker, Inline };

// Measures the traffic of one interface of the router, or of all its interfaces, by
// polling ifInOctets and ifOutOctets every Interval: the counter differences, after
// exchange, the fixed allowances and the optional corrections, are the interval's
// figures, added to totals. Interval figures stay within 0 .. 4294967295; totals are
// 64-bit.
//
// The agent is never waited for on the user-interface thread: every exchange runs on
// the exchange worker and its result comes back as one finished step, a reading as one
// sample. Changes of Host and Community made together walk the interface list once.
// Destruction does not wait for an exchange under way and reports no further sample.
class RouterMonitor {
public:
    using TrafficHandler = std::function<void(const TrafficSample& sample)>;
    using TestHandler = std::function<void(bool answered, std::string failure)>;

    // Bytes always subtracted per interval from the figures taken from ifOutOctets and
    // ifInOctets: the agent's own request and answer.
    static constexpr std::uint32_t OutAllowance = 192;
    static constexpr std::uint32_t InAllowance = 168;

    // uiThread receives the timer's ticks and the exchanges' results; clientSettings
    // and sleeper let tests shorten the agent's timeout and drive the timer.
    explicit RouterMonitor(
        UiThread& uiThread, snmp::ClientSettings clientSettings = {},
        std::shared_ptr<TimerSleeper> sleeper = std::make_shared<RealTimerSleeper>(),
        ExchangeMode mode = ExchangeMode::Worker);
    ~RouterMonitor();
    RouterMonitor(const RouterMonitor&) = delete;
    RouterMonitor& operator=(const RouterMonitor&) = delete;

    // Address or name of the agent ("HOST:PORT" or "[IPV6]:PORT" pick another port) and
    // its community. A change re-reads the interface list once the current handler has
    // returned, so both changed together cost one walk.
    const std::string& Host() const { return host_; }
    void SetHost(const std::string& host);
    const std::string& Community() const { return community_; }
    void SetCommunity(const std::string& community);

    // Creates the (disabled) timer and reads the interface list.
    void Init();
    // Init when not yet prepared, then reads the interface list. A walk that fails
    // leaves the list empty.
    void RefreshInterfaces();
    // Called whenever RefreshInterfaces has brought a list (empty when the walk failed).
    void SetOnInterfaces(std::function<void()> handler) { onInterfaces_ = std::move(handler); }
    // Whether a list walk asked for by RefreshInterfaces is still under way.
    bool RefreshingInterfaces() const { return refreshes_ > 0; }

    const InterfaceList& Interfaces() const { return counting_.List(); }
    bool Prepared() const { return prepared_; }

    // Whether the agent at host answers with community, and why not; Host and Community
    // stay unchanged. done runs on the user-interface thread.
    void TestConnection(const std::string& host, const std::string& community, TestHandler done);

    // Runs work with the agent access object (aimed at Host and Community) on the
    // exchange worker, then done on the user-interface thread.
    void Exchange(std::function<void(SnmpAgent& agent)> work, std::function<void()> done);

    bool Active() const { return counting_.Active(); }
    // Switching on takes fresh baselines and zeroes the figures; both switching on and
    // off make one reading at once and report it.
    void SetActive(bool active);

    // Polling interval in milliseconds.
    std::int32_t Interval() const { return interval_; }
    void SetInterval(std::int32_t interval);

    // ifDescr of the monitored interface, or AllAdaptersText for all of them.
    const std::string& InterfaceName() const { return counting_.Name(); }
    void SetInterfaceName(const std::string& name);
    // ifIndex of the monitored interface; -1 means all interfaces (or an unknown name).
    std::int32_t SelectedIndex() const { return counting_.SelectedIndex(); }

    bool ExchangeRates() const { return exchangeRates_; }
    void SetExchangeRates(bool exchange) { exchangeRates_ = exchange; }
    bool CorrectRates() const { return correctRates_; }
    void SetCorrectRates(bool correct) { correctRates_ = correct; }
    // Plain byte counts subtracted per interval when CorrectRates is on: CorrectUp from
    // the ifOutOctets figure, CorrectDown from the ifInOctets figure.
    std::uint32_t CorrectUp() const { return correctUp_; }
    void SetCorrectUp(std::uint32_t bytes) { correctUp_ = bytes; }
    std::uint32_t CorrectDown() const { return correctDown_; }
    void SetCorrectDown(std::uint32_t bytes) { correctDown_ = bytes; }

    // Called after every reading, on the user-interface thread.
    void SetOnTraffic(TrafficHandler handler) { counting_.SetListener(std::move(handler)); }

    // Bytes per second of an interval figure: value div (Interval div 1000). Below
    // 1000 ms there is no whole second to divide by and the value comes back unchanged.
    std::int64_t PerSecond(std::int64_t value) const;

    // The traffic sample of the last reading.
    std::int64_t IntervalReceived() const { return Sample().IntervalReceived; }
    std::int64_t IntervalSent() const { return Sample().IntervalSent; }
    std::int64_t TotalReceived() const { return Sample().TotalReceived; }
    std::int64_t TotalSent() const { return Sample().TotalSent; }
    const TrafficSample& Sample() const { return counting_.Sample(); }
    // Why the last reading could not read every interface it asked for (the agent did not
    // answer, for example); empty when it could.
    const std::string& LastFailure() const { return counting_.LastFailure(); }
    // Whether a reading is waiting for the agent.
    bool Reading() const { return counting_.Reading(); }

    // The stored counter readings, by ifIndex.
    const CounterLedger& Ledger() const { return counting_.Ledger(); }

    // One reading, as the timer runs it every Interval.
    void TimerTick() { counting_.Tick(); }

    // The timer that drives the readings; none before Init.
    IntervalTimer* Timer() { return counting_.Timer(); }

private:
    void AgentChanged();
    void ApplyAllowancesAndCorrections(std::uint64_t& received, std::uint64_t& sent) const;
    std::uint32_t TimerInterval() const;

    UiThread& uiThread_;
    std::string host_ = "127.0.0.1";
    std::string community_ = "vindra";
    // The agent access object is used on the exchange worker only; the queue that runs
    // there is destroyed before it, the source and the counting before the queue.
    SnmpAgent agent_;
    std::unique_ptr<ExchangeQueue> queue_;
    AgentCounterSource source_;
    CounterMonitor counting_;
    bool prepared_ = false;
    bool refreshScheduled_ = false;
    bool refreshDue_ = false;
    int refreshes_ = 0;
    std::function<void()> onInterfaces_;
    std::int32_t interval_ = 1000;
    bool exchangeRates_ = false;
    bool correctRates_ = false;
    std::uint32_t correctUp_ = 1;
    std::uint32_t correctDown_ = 1;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace korvalin
