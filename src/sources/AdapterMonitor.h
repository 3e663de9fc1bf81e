#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/IntervalTimer.h"
#include "platform/InterfaceTable.h"
#include "platform/UiThread.h"
#include "sources/CounterMonitor.h"
#include "sources/InterfaceTableSource.h"
#include "sources/TrafficSample.h"

namespace korvalin {

// The adapter list is rebuilt before each reading of all adapters. Systems that kept the
// list from the start on are long gone, so on Linux this always holds.
inline constexpr bool Win2000OrLater = true;

// One entry of the adapter list: a trimmed interface description and its index.
using AdapterEntry = InterfaceEntry;

// Measures the bytes one local network adapter, or all together, received and sent each
// second, from the interface table's 64-bit octet counters; owns the adapter list.
//
// The selection remembers the adapter by name. On Linux an interface that comes back
// (a PPP reconnect, a VPN, a container's veth) gets a new index: when the selected index
// is gone, the list is rebuilt and the adapter found again by its name, counting from a
// fresh baseline. Stored readings follow the interface, not its place in the list.
// Everything runs on the user-interface thread.
class AdapterMonitor {
public:
    using TrafficHandler = std::function<void(const TrafficSample& sample)>;

    AdapterMonitor(InterfaceTable& table, UiThread& uiThread,
                   std::shared_ptr<TimerSleeper> sleeper = std::make_shared<RealTimerSleeper>());
    ~AdapterMonitor();
    AdapterMonitor(const AdapterMonitor&) = delete;
    AdapterMonitor& operator=(const AdapterMonitor&) = delete;

    // Opens the interface table, creates the (disabled) 1000 ms timer and builds the list.
    void Init();
    bool Loaded() const { return loaded_; }

    const std::vector<AdapterEntry>& Adapters() const { return counting_.List(); }

    void SetOnTraffic(TrafficHandler handler) { counting_.SetListener(std::move(handler)); }

    bool Active() const { return counting_.Active(); }
    // Switching on restarts the totals from 0 and takes the baselines.
    void SetActive(bool active);

    const std::string& AdapterName() const { return counting_.Name(); }
    void SetAdapterName(const std::string& name);
    // Interface index of the monitored adapter; -1 for all adapters.
    std::int32_t SelectedIndex() const { return counting_.SelectedIndex(); }

    // Selects the adapter at a list position; -1 or out of range selects all adapters.
    void SelectAdapterAt(std::int32_t position);
    // Rebuilds the list before the configuration window refills its list box.
    void CheckAdapterList() { UpdateAdapterList(); }
    // The interface row of the adapter at a list position; all zero when there is none.
    void GetInterfaceRow(std::int32_t position, InterfaceRow& row);
    // First IPv4 address and mask of an interface (for the interface window).
    bool GetAdapterAddress(std::int32_t index, std::string& address, std::string& mask);
    // Interface index at a list position, or -1.
    std::int32_t InterfaceIndexAt(std::int32_t position) const;

    // Rebuilds Adapters from the interface table; the stored readings of adapters that
    // are gone are dropped. A table that cannot be read leaves the list as it is.
    void UpdateAdapterList();
    // One reading, as the timer runs it every second.
    void TimerTick();

    // The traffic sample of the last reading.
    std::int64_t IntervalReceived() const { return Sample().IntervalReceived; }
    std::int64_t IntervalSent() const { return Sample().IntervalSent; }
    std::int64_t TotalReceived() const { return Sample().TotalReceived; }
    std::int64_t TotalSent() const { return Sample().TotalSent; }
    const TrafficSample& Sample() const { return counting_.Sample(); }

    // The stored readings, by interface index.
    const CounterLedger& Ledger() const { return counting_.Ledger(); }

    // The timer that drives the readings; none before Init.
    IntervalTimer* Timer() { return counting_.Timer(); }

private:
    InterfaceTable& table_;
    InterfaceTableSource source_;
    CounterMonitor counting_;
    bool loaded_ = false;
};

}  // namespace korvalin
