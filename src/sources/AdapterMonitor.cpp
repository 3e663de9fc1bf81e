#include "sources/AdapterMonitor.h"

namespace korvalin {

namespace {

constexpr std::uint32_t TimerInterval = 1000;

}  // namespace

AdapterMonitor::AdapterMonitor(InterfaceTable& table, UiThread& uiThread,
                               std::shared_ptr<TimerSleeper> sleeper)
    : table_(table), source_(table), counting_(source_, uiThread, std::move(sleeper), {}) {}

AdapterMonitor::~AdapterMonitor() {
    SetActive(false);
}

void AdapterMonitor::Init() {
    if (!loaded_) {
        loaded_ = table_.Open();
    }
    if (!loaded_) {
        return;
    }
    counting_.PrepareTimer(TimerInterval, [this] { TimerTick(); });
    UpdateAdapterList();
}

void AdapterMonitor::UpdateAdapterList() {
    if (!loaded_) {
        counting_.SetList({});
        return;
    }
    InterfaceReadingScope reading(table_);
    InterfaceList list = counting_.List();
    if (source_.ReadAdapters(list)) {
        counting_.SetList(std::move(list));
    }
}

void AdapterMonitor::TimerTick() {
    if (!loaded_) {
        return;
    }
    // One snapshot of the kernel's table serves the list and every row of the reading.
    InterfaceReadingScope reading(table_);
    counting_.Tick();
}

void AdapterMonitor::SetActive(bool active) {
    if (active == counting_.Active()) {
        return;
    }
    if (active && !loaded_) {
        Init();
        if (!loaded_) {
            return;
        }
    }
    InterfaceReadingScope reading(table_);
    counting_.SetActive(active);
}

void AdapterMonitor::SetAdapterName(const std::string& name) {
    if (name != counting_.Name()) {
        counting_.SetName(name);
    }
}

void AdapterMonitor::SelectAdapterAt(std::int32_t position) {
    const std::int32_t wanted = InterfaceIndexAt(position);
    if (wanted == counting_.SelectedIndex() && (wanted != -1 || AdapterName() == AllAdaptersText)) {
        return;
    }
    if (wanted == -1) {
        counting_.SetName(AllAdaptersText);
        return;
    }
    counting_.Select(Adapters()[static_cast<std::size_t>(position)]);
}

void AdapterMonitor::GetInterfaceRow(std::int32_t position, InterfaceRow& row) {
    row = InterfaceRow{};
    if (!loaded_) {
        return;
    }
    UpdateAdapterList();
    const std::int32_t index = InterfaceIndexAt(position);
    if (index == -1) {
        return;
    }
    row.index = index;
    table_.ReadRow(index, row);  // a failed read leaves the all-zero row
}

bool AdapterMonitor::GetAdapterAddress(std::int32_t index, std::string& address,
                                       std::string& mask) {
    address.clear();
    mask.clear();
    return loaded_ && table_.ReadIpv4Address(index, address, mask);
}

std::int32_t AdapterMonitor::InterfaceIndexAt(std::int32_t position) const {
    const auto& adapters = Adapters();
    if (position < 0 || static_cast<std::size_t>(position) >= adapters.size()) {
        return -1;
    }
    return adapters[static_cast<std::size_t>(position)].index;
}

}  // namespace korvalin
