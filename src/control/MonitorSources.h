#pragma once

#include <memory>

#include "control/TrafficSources.h"
#include "sources/AdapterMonitor.h"
#include "sources/RouterMonitor.h"

namespace korvalin {

// The program's adapter monitor as the controller sees it.
class AdapterMonitorSource final : public AdapterSource {
public:
    explicit AdapterMonitorSource(std::unique_ptr<AdapterMonitor> monitor);

    void Init() override { monitor_->Init(); }
    bool Loaded() const override { return monitor_->Loaded(); }
    std::vector<std::string> Adapters() const override;
    void CheckAdapterList() override { monitor_->CheckAdapterList(); }
    bool Active() const override { return monitor_->Active(); }
    void SetActive(bool active) override { monitor_->SetActive(active); }
    std::string AdapterName() const override { return monitor_->AdapterName(); }
    void SetAdapterName(const std::string& name) override { monitor_->SetAdapterName(name); }
    void SelectAdapterAt(int position) override { monitor_->SelectAdapterAt(position); }
    void SetOnTraffic(std::function<void(const TrafficSample&)> handler) override {
        monitor_->SetOnTraffic(std::move(handler));
    }

    // The monitor itself, for the interface information window.
    AdapterMonitor& Monitor() { return *monitor_; }

private:
    std::unique_ptr<AdapterMonitor> monitor_;
};

// The program's router monitor as the controller sees it.
class RouterMonitorSource final : public RouterSource {
public:
    explicit RouterMonitorSource(std::unique_ptr<RouterMonitor> monitor);

    void SetHost(const std::string& host) override { monitor_->SetHost(host); }
    void SetCommunity(const std::string& community) override { monitor_->SetCommunity(community); }
    void TestConnection(const std::string& host, const std::string& community,
                        std::function<void(bool, std::string)> done) override {
        monitor_->TestConnection(host, community, std::move(done));
    }
    void RefreshInterfaces() override { monitor_->RefreshInterfaces(); }
    void SetOnInterfaces(std::function<void()> handler) override {
        monitor_->SetOnInterfaces(std::move(handler));
    }
    std::vector<std::string> Interfaces() const override;
    void SetInterfaceName(const std::string& name) override { monitor_->SetInterfaceName(name); }
    void SetInterval(std::int32_t milliseconds) override { monitor_->SetInterval(milliseconds); }
    bool Active() const override { return monitor_->Active(); }
    void SetActive(bool active) override { monitor_->SetActive(active); }
    void SetExchangeRates(bool exchange) override { monitor_->SetExchangeRates(exchange); }
    void SetCorrectRates(bool correct) override { monitor_->SetCorrectRates(correct); }
    // The spin edits keep the corrections within 1 .. 1024, so the sign never matters.
    void SetCorrectUp(std::int32_t bytes) override {
        monitor_->SetCorrectUp(static_cast<std::uint32_t>(bytes));
    }
    void SetCorrectDown(std::int32_t bytes) override {
        monitor_->SetCorrectDown(static_cast<std::uint32_t>(bytes));
    }
    std::int64_t PerSecond(std::int64_t value) const override { return monitor_->PerSecond(value); }
    void SetOnTraffic(std::function<void(const TrafficSample&)> handler) override {
        monitor_->SetOnTraffic(std::move(handler));
    }

    // The monitor itself, for the router information dialog.
    RouterMonitor& Monitor() { return *monitor_; }

private:
    std::unique_ptr<RouterMonitor> monitor_;
};

}  // namespace korvalin
