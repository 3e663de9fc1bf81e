#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/MyTimer.h"
#include "platform/UiThread.h"
#include "sources/DefaultSNMPClass.h"
#include "sources/TrafficSample.h"

namespace korvalin {

// Measures the traffic of one interface of the router, or of all its interfaces, by
// polling ifInOctets and ifOutOctets every Interval: the counter differences, after
// exchange, the fixed allowances and the optional corrections, are the interval's
// figures, added to totals. Runs on the user-interface thread and blocks it while it
// waits for the agent. Interval figures stay within 0 .. 4294967295; totals are 64-bit.
class TSNMPClass : public TDefaultSNMPClass {
public:
    using TrafficHandler = std::function<void(TSNMPClass& sender)>;

    // Bytes always subtracted per interval from the figures taken from ifOutOctets and
    // ifInOctets: the agent's own request and answer.
    static constexpr std::uint32_t OutAllowance = 192;
    static constexpr std::uint32_t InAllowance = 168;

    // uiThread receives the timer's ticks; clientSettings and sleeper let tests shorten
    // the agent's timeout and drive the timer.
    explicit TSNMPClass(
        UiThread& uiThread, snmp::ClientSettings clientSettings = {},
        std::shared_ptr<TimerSleeper> sleeper = std::make_shared<RealTimerSleeper>());
    // Switches Active off first, which makes one last reading and calls OnTraffic; clear
    // the handler before if its object is already gone.
    ~TSNMPClass() override;

    // Creates the (disabled) timer and reads the interface list.
    void Init();
    // Init when not yet prepared, then reads the interface list. Runs after every change
    // of Host or Community.
    void RefreshInterfaces();

    const TInterfaceList& Interfaces() const { return interfaces_; }
    bool Prepared() const { return prepared_; }

    bool Active() const { return active_; }
    // Switching on takes fresh baselines and zeroes the figures; both switching on and
    // off make one reading at once and report it.
    void SetActive(bool active);

    // Polling interval in milliseconds.
    std::int32_t Interval() const { return interval_; }
    void SetInterval(std::int32_t interval);

    // ifDescr of the monitored interface, or AllAdaptersText for all of them.
    const std::string& InterfaceName() const { return interfaceName_; }
    void SetInterfaceName(const std::string& name);
    // ifIndex of the monitored interface; -1 means all interfaces.
    std::int32_t SelectedIndex() const { return selectedIndex_; }

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
    void SetOnTraffic(TrafficHandler handler) { onTraffic_ = std::move(handler); }

    // Bytes per second of an interval figure: value div (Interval div 1000). Below
    // 1000 ms there is no whole second to divide by and the value comes back unchanged.
    std::int64_t PerSecond(std::int64_t value) const;

    // The traffic sample of the last reading.
    std::int64_t IntervalReceived() const { return sample_.IntervalReceived; }
    std::int64_t IntervalSent() const { return sample_.IntervalSent; }
    std::int64_t TotalReceived() const { return sample_.TotalReceived; }
    std::int64_t TotalSent() const { return sample_.TotalSent; }
    const TrafficSample& Sample() const { return sample_; }

    // The stored counter readings, one per position of Interfaces.
    const std::vector<std::uint32_t>& LastInOctets() const { return lastInOctets_; }
    const std::vector<std::uint32_t>& LastOutOctets() const { return lastOutOctets_; }

    // Baseline mode sums the counters of the selected interface(s) (index -1: all);
    // reading mode turns them into differences to the stored readings, stores the new
    // counters and applies exchange, allowances and corrections.
    void ReadCounters(std::uint64_t& received, std::uint64_t& sent, bool baseline,
                      std::int32_t index);
    // One reading, as the timer runs it every Interval.
    void TimerTick();

    // The timer that drives the readings; none before Init.
    TMyTimer32* Timer() { return timer_.get(); }

private:
    bool RefreshSelection(std::int32_t& index);
    void ResizeStoredReadings();
    void TakeBaselineReadings(std::size_t from);
    void AddDifferences(std::size_t position, std::uint32_t inOctets, std::uint32_t outOctets,
                        std::uint64_t& received, std::uint64_t& sent);
    void ApplyAllowancesAndCorrections(std::uint64_t& received, std::uint64_t& sent) const;
    void SelectInterfaceForStart();

    UiThread& uiThread_;
    std::shared_ptr<TimerSleeper> sleeper_;
    std::unique_ptr<TMyTimer32> timer_;
    TInterfaceList interfaces_;
    bool prepared_ = false;
    bool active_ = false;
    std::int32_t interval_ = 1000;
    std::string interfaceName_;
    std::int32_t selectedIndex_ = 0;
    std::vector<std::uint32_t> lastInOctets_;
    std::vector<std::uint32_t> lastOutOctets_;
    TrafficSample sample_;
    bool exchangeRates_ = false;
    bool correctRates_ = false;
    std::uint32_t correctUp_ = 1;
    std::uint32_t correctDown_ = 1;
    TrafficHandler onTraffic_;
};

}  // namespace korvalin
