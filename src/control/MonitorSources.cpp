#include "control/MonitorSources.h"

namespace korvalin {

AdapterMonitorSource::AdapterMonitorSource(std::unique_ptr<AdapterMonitor> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> AdapterMonitorSource::Adapters() const {
    std::vector<std::string> texts;
    for (const AdapterEntry& entry : monitor_->Adapters()) {
        texts.push_back(entry.text);
    }
    return texts;
}

RouterMonitorSource::RouterMonitorSource(std::unique_ptr<RouterMonitor> monitor)
    : monitor_(std::move(monitor)) {}

std::vector<std::string> RouterMonitorSource::Interfaces() const {
    std::vector<std::string> texts;
    for (const InterfaceEntry& entry : monitor_->Interfaces()) {
        texts.push_back(entry.text);
    }
    return texts;
}

}  // namespace korvalin
