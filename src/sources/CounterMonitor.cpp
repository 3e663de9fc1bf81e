#include "sources/CounterMonitor.h"

#include <algorithm>

namespace korvalin {

CounterMonitor::CounterMonitor(CounterSource& source, UiThread& uiThread,
                               std::shared_ptr<TimerSleeper> sleeper, Behaviour behaviour)
    : source_(source), uiThread_(uiThread), sleeper_(std::move(sleeper)), behaviour_(behaviour) {}

CounterMonitor::~CounterMonitor() {
    *alive_ = false;
    timer_.reset();
}

template <class Completion>
auto CounterMonitor::WhileAlive(Completion completion) {
    return [alive = alive_, completion = std::move(completion)](auto&&... arguments) mutable {
        if (*alive) {
            completion(std::forward<decltype(arguments)>(arguments)...);
        }
    };
}

void CounterMonitor::PrepareTimer(std::uint32_t interval, std::function<void()> tick) {
    if (timer_ == nullptr) {
        timer_ = std::make_unique<IntervalTimer>(uiThread_, sleeper_);
    }
    timer_->SetEnabled(false);
    timer_->SetInterval(interval);
    if (!tick) {
        tick = [this] { Tick(); };
    }
    timer_->SetOnTimer([tick = std::move(tick)](IntervalTimer&) { tick(); });
}

void CounterMonitor::SetInterval(std::uint32_t interval) {
    if (timer_ != nullptr) {
        timer_->SetInterval(interval);
    }
}

void CounterMonitor::SetList(InterfaceList list) {
    ApplyList(true, std::move(list), {});
}

void CounterMonitor::SetName(const std::string& name) {
    name_ = name;
    const int position = FindInterface(list_, name);
    selectedIndex_ = position < 0 ? -1 : list_[static_cast<std::size_t>(position)].index;
}

void CounterMonitor::Select(const InterfaceEntry& entry) {
    name_ = entry.text;
    selectedIndex_ = entry.index;
}

void CounterMonitor::SetActive(bool active) {
    if (active == active_) {
        return;
    }
    active_ = active;
    if (active) {
        ResolveSelection();
        ledger_.Clear();
        sample_ = TrafficSample{};
        Start(Purpose::Baseline);
    }
    if (timer_ != nullptr) {
        timer_->SetEnabled(active);
    }
    if (behaviour_.readWhenSwitched) {
        Tick();
    }
}

void CounterMonitor::Tick() {
    if (timer_ != nullptr) {
        timer_->SetEnabled(false);
    }
    Start(Purpose::Sample);
}

void CounterMonitor::Start(Purpose purpose) {
    if (reading_) {
        waiting_.push_back(purpose);
        return;
    }
    Begin(purpose);
}

void CounterMonitor::Begin(Purpose purpose) {
    reading_ = true;
    purpose_ = purpose;
    // A reading of all interfaces reads the list afresh, so interfaces that came or went
    // are followed; so does one whose name the list did not have.
    const bool readList = list_.empty() || selectedIndex_ == -1;
    if (!readList) {
        ReadSelected(true);
        return;
    }
    ReadListThenSelected();
}

void CounterMonitor::ReadListThenSelected() {
    source_.ReadList(WhileAlive([this](bool read, InterfaceList list, std::string failure) {
        ApplyList(read, std::move(list), std::move(failure));
        ReadSelected(false);
    }));
}

void CounterMonitor::ApplyList(bool read, InterfaceList list, std::string failure) {
    AppendFailure(readingFailures_, failure);
    if (!read) {
        return;  // kept with its stored readings: the next good list goes on from them
    }
    list_ = std::move(list);
    std::vector<std::int32_t> present;
    present.reserve(list_.size());
    for (const InterfaceEntry& entry : list_) {
        present.push_back(entry.index);
    }
    ledger_.Retain(present);
    ResolveSelection();
}

void CounterMonitor::ResolveSelection() {
    if (name_.empty() && behaviour_.firstWhenUnnamed && active_ && !list_.empty()) {
        Select(list_.front());
        return;
    }
    const int position = FindInterface(list_, name_);
    selectedIndex_ = position < 0 ? -1 : list_[static_cast<std::size_t>(position)].index;
}

void CounterMonitor::ReadSelected(bool mayReadListAgain) {
    std::vector<std::int32_t> indexes;
    if (selectedIndex_ != -1) {
        indexes.push_back(selectedIndex_);
    } else if (name_ == AllAdaptersText || purpose_ == Purpose::Baseline) {
        indexes.reserve(list_.size());
        for (const InterfaceEntry& entry : list_) {
            indexes.push_back(entry.index);
        }
    }
    if (indexes.empty()) {
        Finish(CounterReadResult{});  // an unknown name reads nothing
        return;
    }
    source_.ReadCounters(
        std::move(indexes), WhileAlive([this, mayReadListAgain](CounterReadResult result) {
            if (mayReadListAgain && SelectedIsMissing(result)) {
                AppendFailure(readingFailures_, result.failure);
                ReadListThenSelected();  // found again by name, from a fresh baseline
                return;
            }
            Finish(result);
        }));
}

bool CounterMonitor::SelectedIsMissing(const CounterReadResult& result) const {
    return selectedIndex_ != -1 && std::find(result.missing.begin(), result.missing.end(),
                                             selectedIndex_) != result.missing.end();
}

void CounterMonitor::Finish(const CounterReadResult& result) {
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
    ledger_.Count(result.read, received, sent);
    // Every part of the reading that failed is told, not only the last one.
    AppendFailure(readingFailures_, result.failure);
    lastFailure_ = std::move(readingFailures_);
    readingFailures_.clear();
    reading_ = false;
    if (purpose_ == Purpose::Sample) {
        if (adjustment_) {
            adjustment_(received, sent);
        }
        sample_.Record(received, sent);
        Report();
    }
    if (!waiting_.empty() && !reading_) {
        const Purpose next = waiting_.front();
        waiting_.pop_front();
        Begin(next);
        return;
    }
    if (timer_ != nullptr && !reading_) {
        timer_->SetEnabled(active_);
    }
}

void CounterMonitor::Report() {
    if (!listener_) {
        return;
    }
    // Swallowed: what the owner's displays raise must not stop the readings.
    try {
        listener_(sample_);
    } catch (...) {
    }
}

}  // namespace korvalin
