#include "app/MonitorAdapters.h"

namespace korvalin {

IPHelperAdapterMonitor::IPHelperAdapterMonitor(std::unique_ptr<TIPHelperMonitor> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> IPHelperAdapterMonitor::Adapters() const {
    std::vector<std::string> texts;
    for (const AdapterEntry& entry : monitor_->Adapters()) {
        texts.push_back(entry.text);
    }
    return texts;
}

SNMPRouterMonitor::SNMPRouterMonitor(std::unique_ptr<TSNMPClass> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> SNMPRouterMonitor::Interfaces() const {
    std::vector<std::string> texts;
    for (const InterfaceEntry& entry : monitor_->Interfaces()) {
        texts.push_back(entry.text);
    }
    return texts;
}

}  // namespace korvalin
