#include "control/MonitorSources.h"

namespace korvalin {

IPHelperAdapterSource::IPHelperAdapterSource(std::unique_ptr<TIPHelperMonitor> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> IPHelperAdapterSource::Adapters() const {
    std::vector<std::string> texts;
    for (const AdapterEntry& entry : monitor_->Adapters()) {
        texts.push_back(entry.text);
    }
    return texts;
}

SNMPRouterSource::SNMPRouterSource(std::unique_ptr<TSNMPClass> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> SNMPRouterSource::Interfaces() const {
    std::vector<std::string> texts;
    for (const InterfaceEntry& entry : monitor_->Interfaces()) {
        texts.push_back(entry.text);
    }
    return texts;
}

}  // namespace korvalin
