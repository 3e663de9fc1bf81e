#include "sources/iphelperUnit.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace korvalin {

bool Win2000OrLater = true;

namespace {

constexpr std::uint32_t TimerInterval = 1000;
const char* const LegacyLoopbackDescription = "MS TCP Loopback interface";

// Blanks and control characters are everything up to the space character.
void AssignTrimmed(std::string_view text, std::string& out) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    const auto first = std::find_if_not(text.begin(), text.end(), isBlank);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), isBlank).base();
    if (first < last) {
        out.assign(first, last);
    } else {
        out.clear();
    }
}

// Interface names are ASCII, so a byte-wise comparison of ASCII letters suffices.
bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    const auto lower = [](unsigned char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

// A counter below its stored reading was reset or its interface re-created: its new
// value is what it counted since. Counters are 64-bit, so a real difference never wraps.
std::uint64_t CounterDifference(std::uint64_t stored, std::uint64_t now) {
    return stored > now ? now : now - stored;
}

}  // namespace

bool ComputeWin2000OrLater(const OsVersion& osVersion) {
    OsVersionInfo info;
    return osVersion.Query(info) && info.major > 4;
}

TIPHelperMonitor::TIPHelperMonitor(InterfaceTable& table, UiThread& uiThread,
                                   std::shared_ptr<TimerSleeper> sleeper)
    : table_(table), uiThread_(uiThread), sleeper_(std::move(sleeper)) {}

TIPHelperMonitor::~TIPHelperMonitor() {
    SetActive(false);
    timer_.reset();
}

void TIPHelperMonitor::Init() {
    if (!loaded_) {
        loaded_ = table_.Open();
    }
    if (!loaded_) {
        return;
    }
    if (timer_ == nullptr) {
        timer_ = std::make_unique<TMyTimer32>(uiThread_, sleeper_);
    }
    timer_->SetEnabled(false);
    timer_->SetInterval(TimerInterval);
    timer_->SetOnTimer([this](TMyTimer32&) { TimerTick(); });
    UpdateAdapterList();
}

void TIPHelperMonitor::UpdateAdapterList() {
    if (!loaded_) {
        adapters_.clear();
        return;
    }
    InterfaceReadingScope reading(table_);
    // Entries are overwritten in place and the rest cut off: the same list as clearing
    // and appending, without allocating every text again each second.
    std::size_t entries = 0;
    if (table_.ReadTable(tableRows_)) {
        for (const InterfaceRow& row : tableRows_) {
            const std::string& text = row.description;
            const std::size_t length = std::min(text.size(), std::strlen(text.c_str()));
            const std::string_view cut(text.data(), length);
            if (row.type == InterfaceType::SoftwareLoopback || cut == LegacyLoopbackDescription ||
                cut.empty()) {
                continue;
            }
            if (entries == adapters_.size()) {
                adapters_.emplace_back();
            }
            AssignTrimmed(cut, adapters_[entries].text);
            adapters_[entries].index = row.index;
            ++entries;
        }
    }
    adapters_.resize(entries);
    const std::size_t count = adapters_.size();
    if (count == lastInOctets_.size()) {
        return;
    }
    // Re-reads from the last old position on: an adapter appended at the end is counted
    // from its first reading on. A list that shrank by one re-reads nothing.
    std::size_t start = lastInOctets_.empty() ? 0 : lastInOctets_.size() - 1;
    if (start > count) {
        start = 0;
    }
    lastInOctets_.resize(count);
    lastOutOctets_.resize(count);
    TakeBaselineReadings(start);
}

void TIPHelperMonitor::TakeBaselineReadings(std::size_t from) {
    InterfaceReadingScope reading(table_);
    for (std::size_t position = from; position < adapters_.size(); ++position) {
        lastInOctets_[position] = 0;
        lastOutOctets_[position] = 0;
        ReadCounters(lastInOctets_[position], lastOutOctets_[position], true,
                     adapters_[position].index);
    }
}

bool TIPHelperMonitor::RefreshSelection(std::int32_t& index) {
    UpdateAdapterList();
    const std::int32_t position = FindAdapter(adapterName_);
    if (position < 0 && adapterName_ != AllAdaptersText) {
        return false;
    }
    selectedIndex_ = position < 0 ? -1 : adapters_[static_cast<std::size_t>(position)].index;
    index = selectedIndex_;
    return true;
}

void TIPHelperMonitor::ReadCounters(std::uint64_t& received, std::uint64_t& sent, bool baseline,
                                    std::int32_t index) {
    received = 0;
    sent = 0;
    if (!loaded_) {
        return;
    }
    InterfaceReadingScope reading(table_);
    if (!baseline && ((Win2000OrLater && index == -1) || adapters_.empty())) {
        if (!RefreshSelection(index)) {
            return;
        }
    }
    InterfaceRow& row = row_;
    for (std::size_t position = 0; position < adapters_.size(); ++position) {
        const std::int32_t adapterIndex = adapters_[position].index;
        if (index != -1 && index != adapterIndex) {
            continue;
        }
        if (!table_.ReadRow(adapterIndex, row) || row.type == InterfaceType::SoftwareLoopback) {
            continue;
        }
        if (baseline) {
            received += row.inOctets;
            sent += row.outOctets;
        } else {
            AddDifferences(row, position, received, sent);
        }
    }
}

void TIPHelperMonitor::AddDifferences(const InterfaceRow& row, std::size_t position,
                                      std::uint64_t& received, std::uint64_t& sent) {
    received += CounterDifference(lastInOctets_[position], row.inOctets);
    sent += CounterDifference(lastOutOctets_[position], row.outOctets);
    lastInOctets_[position] = row.inOctets;
    lastOutOctets_[position] = row.outOctets;
}

void TIPHelperMonitor::TimerTick() {
    timer_->SetEnabled(false);
    // Swallowed: a failed reading counts zero, and the timer runs on regardless.
    try {
        std::uint64_t received = 0;
        std::uint64_t sent = 0;
        ReadCounters(received, sent, false, selectedIndex_);
        sample_.Record(received, sent);
        if (onTraffic_) {
            // Swallowed: the owner's display failures must not stop the monitor.
            try {
                onTraffic_(*this);
            } catch (...) {
            }
        }
    } catch (...) {
    }
    timer_->SetEnabled(active_);
}

void TIPHelperMonitor::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    if (active) {
        if (!loaded_) {
            Init();
        }
        if (!loaded_) {
            return;
        }
        if (adapterName_.find("PPP/") != std::string::npos) {
            UpdateAdapterList();
        }
        const std::int32_t position = FindAdapter(adapterName_);
        selectedIndex_ = position < 0 ? -1 : adapters_[static_cast<std::size_t>(position)].index;
        lastInOctets_.assign(adapters_.size(), 0);
        lastOutOctets_.assign(adapters_.size(), 0);
        TakeBaselineReadings(0);
        sample_ = TrafficSample{};
    }
    active_ = active;
    if (timer_ != nullptr) {
        timer_->SetEnabled(active);
    }
}

void TIPHelperMonitor::SetAdapterName(const std::string& name) {
    if (name == adapterName_) {
        return;
    }
    adapterName_ = name;
    const std::int32_t position = FindAdapter(name);
    selectedIndex_ = position < 0 ? -1 : adapters_[static_cast<std::size_t>(position)].index;
}

void TIPHelperMonitor::SelectAdapterAt(std::int32_t position) {
    const std::int32_t wanted = InterfaceIndexAt(position);
    if (wanted == selectedIndex_) {
        return;
    }
    selectedIndex_ = -1;
    for (const AdapterEntry& entry : adapters_) {
        if (entry.index == wanted) {
            adapterName_ = entry.text;
            selectedIndex_ = entry.index;
            return;
        }
    }
}

void TIPHelperMonitor::CheckAdapterList() {
    if (Win2000OrLater || adapters_.empty()) {
        UpdateAdapterList();
    }
}

void TIPHelperMonitor::GetInterfaceRow(std::int32_t position, InterfaceRow& row) {
    row = InterfaceRow{};
    if (!loaded_) {
        return;
    }
    if (Win2000OrLater) {
        UpdateAdapterList();
    }
    const std::int32_t index = InterfaceIndexAt(position);
    if (index == -1) {
        return;
    }
    row.index = index;
    table_.ReadRow(index, row);  // a failed read leaves the all-zero row
}

bool TIPHelperMonitor::GetAdapterAddress(std::int32_t index, std::string& address,
                                         std::string& mask) {
    address.clear();
    mask.clear();
    return loaded_ && table_.ReadIpv4Address(index, address, mask);
}

std::int32_t TIPHelperMonitor::InterfaceIndexAt(std::int32_t position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= adapters_.size()) {
        return -1;
    }
    return adapters_[static_cast<std::size_t>(position)].index;
}

std::int32_t TIPHelperMonitor::FindAdapter(const std::string& name) const {
    for (std::size_t position = 0; position < adapters_.size(); ++position) {
        if (SameTextIgnoringCase(adapters_[position].text, name)) {
            return static_cast<std::int32_t>(position);
        }
    }
    return -1;
}

}  // namespace korvalin
