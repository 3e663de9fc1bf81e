#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/MyTimer.h"
#include "platform/InterfaceTable.h"
#include "platform/OsVersion.h"
#include "platform/UiThread.h"
#include "sources/TrafficSample.h"

namespace korvalin {

// The pseudo-entry in front of the adapter list that selects all adapters.
inline constexpr const char* AllAdaptersText = "Alle Netzwerkadapter";

// Process-wide flag, set once at start: the system rebuilds the adapter list before each
// reading of all adapters. True on every system this program runs on.
extern bool Win2000OrLater;

// Computes Win2000OrLater from the version query: true when it succeeds with a major
// version above 4.
bool ComputeWin2000OrLater(const OsVersion& osVersion);

// One entry of the adapter list: a trimmed interface description and its index.
struct AdapterEntry {
    std::string text;
    std::int32_t index = 0;
};

// Measures the bytes one local network adapter, or all together, received and sent each
// second, from the interface table's octet counters; owns the adapter list. Everything
// runs on the user-interface thread. Readings, totals and interval figures are 64-bit
// throughout, so counters past 4 GiB and totals past 2 GiB stay exact.
class TIPHelperMonitor {
public:
    using TrafficHandler = std::function<void(TIPHelperMonitor& sender)>;

    TIPHelperMonitor(InterfaceTable& table, UiThread& uiThread,
                     std::shared_ptr<TimerSleeper> sleeper = std::make_shared<RealTimerSleeper>());
    ~TIPHelperMonitor();
    TIPHelperMonitor(const TIPHelperMonitor&) = delete;
    TIPHelperMonitor& operator=(const TIPHelperMonitor&) = delete;

    // Opens the interface table, creates the (disabled) 1000 ms timer and builds the list.
    void Init();
    bool Loaded() const { return loaded_; }

    const std::vector<AdapterEntry>& Adapters() const { return adapters_; }

    void SetOnTraffic(TrafficHandler handler) { onTraffic_ = std::move(handler); }

    bool Active() const { return active_; }
    void SetActive(bool active);

    const std::string& AdapterName() const { return adapterName_; }
    void SetAdapterName(const std::string& name);
    // Interface index of the monitored adapter; -1 for all adapters.
    std::int32_t SelectedIndex() const { return selectedIndex_; }

    // Selects the adapter at a list position; -1 or out of range selects all adapters.
    void SelectAdapterAt(std::int32_t position);
    // Rebuilds the list before the configuration window refills its list box.
    void CheckAdapterList();
    // The interface row of the adapter at a list position; all zero when there is none.
    void GetInterfaceRow(std::int32_t position, InterfaceRow& row);
    // First IPv4 address and mask of an interface (for the interface window).
    bool GetAdapterAddress(std::int32_t index, std::string& address, std::string& mask);
    // Interface index at a list position, or -1.
    std::int32_t InterfaceIndexAt(std::int32_t position) const;

    // Rebuilds Adapters from the interface table, re-reading the stored readings of new
    // positions when the number of entries changed.
    void UpdateAdapterList();
    // Sums the octet counters of the selected adapter(s) (index -1: all). Baseline mode
    // only sums the counters; reading mode turns them into differences to the stored
    // readings and stores the new counters.
    void ReadCounters(std::uint64_t& received, std::uint64_t& sent, bool baseline,
                      std::int32_t index);
    // One reading, as the timer runs it every second.
    void TimerTick();

    // The traffic sample of the last reading.
    std::int64_t IntervalReceived() const { return sample_.IntervalReceived; }
    std::int64_t IntervalSent() const { return sample_.IntervalSent; }
    std::int64_t TotalReceived() const { return sample_.TotalReceived; }
    std::int64_t TotalSent() const { return sample_.TotalSent; }
    const TrafficSample& Sample() const { return sample_; }

    // The stored readings, one per list position.
    const std::vector<std::uint64_t>& LastInOctets() const { return lastInOctets_; }
    const std::vector<std::uint64_t>& LastOutOctets() const { return lastOutOctets_; }

    // The timer that drives the readings; none before Init.
    TMyTimer32* Timer() { return timer_.get(); }

private:
    std::int32_t FindAdapter(const std::string& name) const;
    void TakeBaselineReadings(std::size_t from);
    bool RefreshSelection(std::int32_t& index);
    void AddDifferences(const InterfaceRow& row, std::size_t position, std::uint64_t& received,
                        std::uint64_t& sent);

    InterfaceTable& table_;
    UiThread& uiThread_;
    std::shared_ptr<TimerSleeper> sleeper_;
    std::unique_ptr<TMyTimer32> timer_;
    std::vector<AdapterEntry> adapters_;
    bool loaded_ = false;
    bool active_ = false;
    std::string adapterName_;
    std::int32_t selectedIndex_ = -1;
    std::vector<std::uint64_t> lastInOctets_;
    std::vector<std::uint64_t> lastOutOctets_;
    TrafficSample sample_;
    TrafficHandler onTraffic_;
    // Kept between readings so a reading every second reuses their storage.
    std::vector<InterfaceRow> tableRows_;
    InterfaceRow row_;
};

}  // namespace korvalin
