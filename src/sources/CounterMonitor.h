#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>

#include "core/IntervalTimer.h"
#include "platform/UiThread.h"
#include "sources/CounterLedger.h"
#include "sources/CounterSource.h"
#include "sources/TrafficSample.h"

namespace korvalin {

// The pseudo-entry in front of the adapter and interface lists that selects them all.
inline constexpr const char* AllAdaptersText = "Alle Netzwerkadapter";

// The counting both monitors share: a timer, the interface list, the selection by name,
// the stored readings by interface and the traffic sample, on top of a counter source.
//
// A reading asks the source for the counters of the selected interface, or of all of
// them. Before a reading of all interfaces, and whenever the list is empty, the list is
// read first; a list that cannot be read is kept as it was, with its stored readings.
// When the selected interface is gone (its index vanished: pppd, VPN clients and
// container runtimes give an interface a new index every time it comes back), the list
// is read again and the interface found again by its name, counting from a fresh
// baseline. Stored readings follow the interface index (see CounterLedger).
//
// Runs on the user-interface thread; a source may answer later, and a reading then
// stays in progress until it has: the timer sleeps meanwhile, and readings asked for in
// between run one after another.
class CounterMonitor {
public:
    struct Behaviour {
        // Switching on and switching off each make a reading at once and report it.
        bool readWhenSwitched = false;
        // With no name, switching on (or a list that arrives later) takes the first
        // interface of the list.
        bool firstWhenUnnamed = false;
    };
    using Listener = std::function<void(const TrafficSample& sample)>;
    // Applied to the interval's figures before they are recorded.
    using Adjustment = std::function<void(std::uint64_t& received, std::uint64_t& sent)>;

    CounterMonitor(CounterSource& source, UiThread& uiThread, std::shared_ptr<TimerSleeper> sleeper,
                   Behaviour behaviour);
    ~CounterMonitor();
    CounterMonitor(const CounterMonitor&) = delete;
    CounterMonitor& operator=(const CounterMonitor&) = delete;

    // Creates the timer once; disables it and gives it the interval. Each tick runs
    // tick, or Tick() when it is empty.
    void PrepareTimer(std::uint32_t interval, std::function<void()> tick = {});
    void SetInterval(std::uint32_t interval);
    IntervalTimer* Timer() { return timer_.get(); }

    const InterfaceList& List() const { return list_; }
    // A list read outside a reading: stored readings of interfaces no longer in it are
    // dropped, and the selection is looked up in it by name.
    void SetList(InterfaceList list);

    const std::string& Name() const { return name_; }
    // Stores the name and looks it up in the list (-1 when it is not there).
    void SetName(const std::string& name);
    // Selects one entry of the list by name and index.
    void Select(const InterfaceEntry& entry);
    // Index of the monitored interface; -1 for all of them, or while the name is unknown.
    std::int32_t SelectedIndex() const { return selectedIndex_; }

    bool Active() const { return active_; }
    // Switching on restarts the totals and takes fresh baselines.
    void SetActive(bool active);
    // One reading, as the timer runs it.
    void Tick();
    bool Reading() const { return reading_; }
    // Drops every stored reading (they belonged to another agent): each interface counts
    // from a fresh baseline.
    void ForgetReadings() { ledger_.Clear(); }

    const TrafficSample& Sample() const { return sample_; }
    const CounterLedger& Ledger() const { return ledger_; }
    // Why the last reading could not read everything it asked for, every failed part of
    // it (list reads included) joined by "; "; empty when it could.
    const std::string& LastFailure() const { return lastFailure_; }
    void SetListener(Listener listener) { listener_ = std::move(listener); }
    void SetAdjustment(Adjustment adjustment) { adjustment_ = std::move(adjustment); }

private:
    enum class Purpose { Baseline, Sample };

    void Start(Purpose purpose);
    void Begin(Purpose purpose);
    // Reads the list, then the selected interfaces of the list it brought.
    void ReadListThenSelected();
    void ApplyList(bool read, InterfaceList list, std::string failure);
    void ResolveSelection();
    void ReadSelected(bool mayReadListAgain);
    void Finish(const CounterReadResult& result);
    void Report();
    bool SelectedIsMissing(const CounterReadResult& result) const;
    // Wraps a completion so that it does nothing once this monitor is gone.
    template <class Completion>
    auto WhileAlive(Completion completion);

    CounterSource& source_;
    UiThread& uiThread_;
    std::shared_ptr<TimerSleeper> sleeper_;
    Behaviour behaviour_;
    std::unique_ptr<IntervalTimer> timer_;
    InterfaceList list_;
    std::string name_;
    std::int32_t selectedIndex_ = -1;
    bool active_ = false;
    bool reading_ = false;
    Purpose purpose_ = Purpose::Sample;
    std::deque<Purpose> waiting_;
    CounterLedger ledger_;
    TrafficSample sample_;
    std::string lastFailure_;
    std::string readingFailures_;  // of the reading under way, its list reads included
    Listener listener_;
    Adjustment adjustment_;
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace korvalin
