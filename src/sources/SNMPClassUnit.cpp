#include "sources/SNMPClassUnit.h"

#include <algorithm>
#include <cstdlib>

#include "sources/iphelperUnit.h"

namespace korvalin {

namespace {

std::uint64_t SubtractClamped(std::uint64_t value, std::uint64_t amount) {
    return value > amount ? value - amount : 0;
}

// Runs the callable when the scope ends, however it ends.
template <class Callable>
class AtScopeEnd {
public:
    explicit AtScopeEnd(Callable callable) : callable_(std::move(callable)) {}
    ~AtScopeEnd() { callable_(); }
    AtScopeEnd(const AtScopeEnd&) = delete;
    AtScopeEnd& operator=(const AtScopeEnd&) = delete;

private:
    Callable callable_;
};

}  // namespace

TSNMPClass::TSNMPClass(UiThread& uiThread, snmp::ClientSettings clientSettings,
                       std::shared_ptr<TimerSleeper> sleeper)
    : TDefaultSNMPClass(std::move(clientSettings)),
      uiThread_(uiThread),
      sleeper_(std::move(sleeper)) {
    SetOnChange([this](TDefaultSNMPClass&) { RefreshInterfaces(); });
}

TSNMPClass::~TSNMPClass() {
    SetActive(false);
    SetOnChange(nullptr);
    timer_.reset();
}

void TSNMPClass::Init() {
    prepared_ = true;
    if (!timer_) {
        timer_ = std::make_unique<TMyTimer32>(uiThread_, sleeper_);
    }
    timer_->SetEnabled(false);
    timer_->SetInterval(static_cast<std::uint32_t>(std::max(interval_, 0)));
    timer_->SetOnTimer([this](TMyTimer32&) { TimerTick(); });
    GetInterfaceList(interfaces_);
}

void TSNMPClass::RefreshInterfaces() {
    if (!prepared_) {
        Init();
    }
    GetInterfaceList(interfaces_);
}

void TSNMPClass::SetInterval(std::int32_t interval) {
    if (interval == interval_) {
        return;
    }
    interval_ = interval;
    if (timer_) {
        timer_->SetInterval(static_cast<std::uint32_t>(std::max(interval_, 0)));
    }
}

void TSNMPClass::SetInterfaceName(const std::string& name) {
    if (name == interfaceName_) {
        return;
    }
    if (interfaces_.empty()) {
        RefreshInterfaces();
    }
    interfaceName_ = name;
    const int position = IndexOfText(interfaces_, name);
    selectedIndex_ = position >= 0 ? interfaces_[position].index : -1;
}

std::int64_t TSNMPClass::PerSecond(std::int64_t value) const {
    const std::int64_t seconds = interval_ / 1000;
    return seconds > 0 ? value / seconds : value;
}

void TSNMPClass::TakeBaselineReadings(std::size_t from) {
    for (std::size_t position = from; position < interfaces_.size(); ++position) {
        lastInOctets_[position] = 0;
        lastOutOctets_[position] = 0;
        std::uint64_t in = 0;
        std::uint64_t out = 0;
        ReadCounters(in, out, true, interfaces_[position].index);
        lastInOctets_[position] = static_cast<std::uint32_t>(in);
        lastOutOctets_[position] = static_cast<std::uint32_t>(out);
    }
}

void TSNMPClass::ResizeStoredReadings() {
    const std::size_t count = interfaces_.size();
    if (count == lastInOctets_.size() && count == lastOutOctets_.size()) {
        return;
    }
    // Positions that existed keep their readings; from the last old position on the
    // readings are taken afresh, so an interface appended at the end counts from now.
    std::size_t from = lastInOctets_.empty() ? 0 : lastInOctets_.size() - 1;
    if (from > count) {
        from = 0;
    }
    lastInOctets_.resize(count, 0);
    lastOutOctets_.resize(count, 0);
    TakeBaselineReadings(from);
}

bool TSNMPClass::RefreshSelection(std::int32_t& index) {
    GetInterfaceList(interfaces_);
    ResizeStoredReadings();
    const int position = IndexOfText(interfaces_, interfaceName_);
    if (position < 0 && interfaceName_ != AllAdaptersText) {
        return false;
    }
    selectedIndex_ = position >= 0 ? interfaces_[position].index : -1;
    index = selectedIndex_;
    return true;
}

void TSNMPClass::AddDifferences(std::size_t position, std::uint32_t inOctets,
                                std::uint32_t outOctets, std::uint64_t& received,
                                std::uint64_t& sent) {
    // A counter below its stored reading was reset or wrapped: its new value is what was
    // counted since. Otherwise the magnitude of the 32-bit signed difference, which is
    // the plain difference below 2147483648.
    const auto difference = [](std::uint32_t last, std::uint32_t current) -> std::uint64_t {
        if (last > current) {
            return current;
        }
        const auto signedDifference = static_cast<std::int32_t>(current - last);
        return static_cast<std::uint64_t>(std::llabs(static_cast<long long>(signedDifference)));
    };
    received += difference(lastInOctets_[position], inOctets);
    sent += difference(lastOutOctets_[position], outOctets);
    lastInOctets_[position] = inOctets;
    lastOutOctets_[position] = outOctets;
}

void TSNMPClass::ApplyAllowancesAndCorrections(std::uint64_t& received, std::uint64_t& sent) const {
    if (exchangeRates_) {
        std::swap(received, sent);
    }
    // The allowance and the correction follow the router's counters, not the display.
    std::uint64_t& fromOutOctets = exchangeRates_ ? received : sent;
    std::uint64_t& fromInOctets = exchangeRates_ ? sent : received;
    fromOutOctets = SubtractClamped(fromOutOctets, OutAllowance);
    fromInOctets = SubtractClamped(fromInOctets, InAllowance);
    if (correctRates_) {
        fromOutOctets = SubtractClamped(fromOutOctets, correctUp_);
        fromInOctets = SubtractClamped(fromInOctets, correctDown_);
    }
}

void TSNMPClass::ReadCounters(std::uint64_t& received, std::uint64_t& sent, bool baseline,
                              std::int32_t index) {
    received = 0;
    sent = 0;
    if (!prepared_) {
        return;
    }
    if (!baseline && (index == -1 || interfaces_.empty()) && !RefreshSelection(index)) {
        return;
    }
    if (!baseline) {
        // A list re-read through a change of Host or Community may have changed its
        // length; the stored readings must cover every position before they are used.
        ResizeStoredReadings();
    }
    for (std::size_t position = 0; position < interfaces_.size(); ++position) {
        const std::int32_t entryIndex = interfaces_[position].index;
        if (index != -1 && index != entryIndex) {
            continue;
        }
        std::uint32_t inOctets = 0;
        std::uint32_t outOctets = 0;
        if (!GetOctets(entryIndex, inOctets, outOctets)) {
            continue;
        }
        if (baseline) {
            received += inOctets;
            sent += outOctets;
        } else {
            AddDifferences(position, inOctets, outOctets, received, sent);
        }
    }
    if (baseline) {
        return;
    }
    // Several interfaces together can exceed one 32-bit interval figure; saturate
    // rather than wrap, so a busy interval never shows as a quiet one.
    received = std::min<std::uint64_t>(received, UINT32_MAX);
    sent = std::min<std::uint64_t>(sent, UINT32_MAX);
    ApplyAllowancesAndCorrections(received, sent);
}

void TSNMPClass::TimerTick() {
    if (timer_) {
        timer_->SetEnabled(false);
    }
    const AtScopeEnd restart([this] {
        if (timer_) {
            timer_->SetEnabled(active_);
        }
    });
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    ReadCounters(received, sent, false, selectedIndex_);
    sample_.Record(received, sent);
    if (onTraffic_) {
        // What the handler raises is swallowed: the next reading comes as usual.
        try {
            onTraffic_(*this);
        } catch (...) {
        }
    }
}

void TSNMPClass::SelectInterfaceForStart() {
    if (!interfaceName_.empty()) {
        const int position = IndexOfText(interfaces_, interfaceName_);
        selectedIndex_ = position >= 0 ? interfaces_[position].index : -1;
    } else if (!interfaces_.empty()) {
        interfaceName_ = interfaces_.front().text;
        selectedIndex_ = interfaces_.front().index;
    } else {
        selectedIndex_ = -1;
    }
}

void TSNMPClass::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    active_ = active;
    if (active_) {
        if (!prepared_) {
            Init();
        }
        SelectInterfaceForStart();
        lastInOctets_.assign(interfaces_.size(), 0);
        lastOutOctets_.assign(interfaces_.size(), 0);
        TakeBaselineReadings(0);
        sample_ = TrafficSample{};
    }
    if (timer_) {
        timer_->SetEnabled(active_ && prepared_);
    }
    // A first sample without waiting a whole interval, and a last one when stopping.
    TimerTick();
}

}  // namespace korvalin
