#pragma once

#include <functional>
#include <string>
#include <vector>

#include "control/StatusWindows.h"
#include "control/TrafficSources.h"

namespace korvalin::testing {

// A scripted adapter monitor: the test sets the adapters and the next sample and raises
// the reading with Tick().
class FakeAdapterSource final : public AdapterSource {
public:
    bool loads = true;
    std::vector<std::string> adapters{"eth0", "wlan0"};
    bool active = false;
    int activations = 0;
    std::string adapterName;
    int selectedPosition = -2;
    int checkAdapterListCalls = 0;
    std::function<void(const TrafficSample&)> onTraffic;

    void Init() override { loaded_ = loads; }
    bool Loaded() const override { return loaded_; }
    std::vector<std::string> Adapters() const override { return adapters; }
    void CheckAdapterList() override { ++checkAdapterListCalls; }
    bool Active() const override { return active; }
    void SetActive(bool on) override {
        if (on && !active) {
            ++activations;
        }
        active = on;
    }
    std::string AdapterName() const override { return adapterName; }
    void SetAdapterName(const std::string& name) override { adapterName = name; }
    void SelectAdapterAt(int position) override { selectedPosition = position; }
    void SetOnTraffic(std::function<void(const TrafficSample&)> handler) override {
        onTraffic = std::move(handler);
    }

    void Tick(const TrafficSample& next) {
        if (onTraffic) {
            onTraffic(next);
        }
    }

private:
    bool loaded_ = false;
};

// A scripted router monitor with the real per-second rule (value div seconds).
class FakeRouterSource final : public RouterSource {
public:
    std::string host;
    std::string community;
    bool testSucceeds = true;
    std::vector<std::pair<std::string, std::string>> tests;
    std::vector<std::string> agentInterfaces{"ppp0", "eth1"};
    std::vector<std::string> interfaces;
    int refreshes = 0;
    std::string interfaceName;
    std::int32_t interval = 1000;
    bool active = false;
    bool exchangeRates = false;
    bool correctRates = false;
    std::int32_t correctUp = 1;
    std::int32_t correctDown = 1;
    std::function<void(const TrafficSample&)> onTraffic;
    std::function<void()> onInterfaces;
    // False: tests and list walks wait until the test calls AnswerTest or DeliverInterfaces,
    // as with an agent that takes its time.
    bool answersAtOnce = true;
    std::function<void(bool, std::string)> pendingTest;
    // Runs when the monitor is released, where the real one makes its last reading.
    std::function<void()> onRelease;

    ~FakeRouterSource() override {
        if (onRelease) {
            onRelease();
        }
    }

    void SetHost(const std::string& value) override { host = value; }
    void SetCommunity(const std::string& value) override { community = value; }
    void TestConnection(const std::string& h, const std::string& c,
                        std::function<void(bool, std::string)> done) override {
        tests.emplace_back(h, c);
        pendingTest = std::move(done);
        if (answersAtOnce) {
            AnswerTest();
        }
    }
    void AnswerTest() {
        auto done = std::move(pendingTest);
        pendingTest = nullptr;
        if (done) {
            done(testSucceeds, testSucceeds ? "" : "no answer");
        }
    }
    void RefreshInterfaces() override {
        ++refreshes;
        if (answersAtOnce) {
            DeliverInterfaces();
        }
    }
    void DeliverInterfaces() {
        interfaces = agentInterfaces;
        if (onInterfaces) {
            onInterfaces();
        }
    }
    void SetOnInterfaces(std::function<void()> handler) override {
        onInterfaces = std::move(handler);
    }
    std::vector<std::string> Interfaces() const override { return interfaces; }
    void SetInterfaceName(const std::string& name) override { interfaceName = name; }
    void SetInterval(std::int32_t milliseconds) override { interval = milliseconds; }
    bool Active() const override { return active; }
    void SetActive(bool on) override { active = on; }
    void SetExchangeRates(bool on) override { exchangeRates = on; }
    void SetCorrectRates(bool on) override { correctRates = on; }
    void SetCorrectUp(std::int32_t bytes) override { correctUp = bytes; }
    void SetCorrectDown(std::int32_t bytes) override { correctDown = bytes; }
    std::int64_t PerSecond(std::int64_t value) const override {
        const std::int64_t seconds = interval / 1000;
        return seconds == 0 ? value : value / seconds;
    }
    void SetOnTraffic(std::function<void(const TrafficSample&)> handler) override {
        onTraffic = std::move(handler);
    }

    void Tick(const TrafficSample& next) {
        if (onTraffic) {
            onTraffic(next);
        }
    }
};

// Records what the controller asks of the status windows.
class RecordingStatusWindows final : public StatusWindows {
public:
    struct Log {
        int created = 0;
        std::vector<std::string> calls;
        std::vector<std::vector<std::int64_t>> samples;
    };
    explicit RecordingStatusWindows(Log& log) : log_(log) {}

    void Create(QWidget&) override { ++log_.created; }
    void UpdateTraffic(std::int64_t r, std::int64_t s, std::int64_t tr, std::int64_t ts) override {
        log_.samples.push_back({r, s, tr, ts});
    }
    void ShowSmall(bool barMode) override {
        log_.calls.push_back(barMode ? "ShowBar" : "ShowSmall");
    }
    void CloseSmall() override { log_.calls.push_back("CloseSmall"); }
    void ShowBig() override { log_.calls.push_back("ShowBig"); }
    void CloseBig() override { log_.calls.push_back("CloseBig"); }
    void Release() override { log_.calls.push_back("Release"); }

private:
    Log& log_;
};

}  // namespace korvalin::testing
