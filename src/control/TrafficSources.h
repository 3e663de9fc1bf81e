#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "sources/TrafficSample.h"

namespace korvalin {

// What the controller needs of the local adapter monitor. The program's monitor
// stands behind it; tests hand in a scripted one.
class AdapterSource {
public:
    virtual ~AdapterSource() = default;

    // Loads the interface table service and builds the adapter list; afterwards Loaded()
    // tells whether the service is available.
    virtual void Init() = 0;
    virtual bool Loaded() const = 0;
    // Descriptions of the real adapters, in interface-table order; the all-adapters entry
    // is not part of it.
    virtual std::vector<std::string> Adapters() const = 0;
    // Rebuilds the adapter list when the interface table has changed.
    virtual void CheckAdapterList() = 0;

    virtual bool Active() const = 0;
    // Switching on restarts the totals from 0.
    virtual void SetActive(bool active) = 0;
    virtual std::string AdapterName() const = 0;
    virtual void SetAdapterName(const std::string& name) = 0;
    // A position in Adapters(); -1 or out of range selects all adapters.
    virtual void SelectAdapterAt(int position) = 0;

    // Called on the user-interface thread with every reading's sample; an empty function
    // detaches.
    virtual void SetOnTraffic(std::function<void(const TrafficSample&)> handler) = 0;
};

// What the controller needs of the router interface monitor.
class RouterSource {
public:
    virtual ~RouterSource() = default;

    virtual void SetHost(const std::string& host) = 0;
    virtual void SetCommunity(const std::string& community) = 0;
    // Whether the agent at host answers with community, and why not; Host and Community
    // stay unchanged. done runs on the user-interface thread once the agent answered or
    // the wait ended.
    virtual void TestConnection(const std::string& host, const std::string& community,
                                std::function<void(bool answered, std::string failure)> done) = 0;
    // Reads the interface list from the agent; the handler of SetOnInterfaces runs when
    // it has arrived.
    virtual void RefreshInterfaces() = 0;
    virtual void SetOnInterfaces(std::function<void()> handler) = 0;
    virtual std::vector<std::string> Interfaces() const = 0;
    virtual void SetInterfaceName(const std::string& name) = 0;
    // Milliseconds.
    virtual void SetInterval(std::int32_t milliseconds) = 0;

    virtual bool Active() const = 0;
    virtual void SetActive(bool active) = 0;

    virtual void SetExchangeRates(bool exchange) = 0;
    virtual void SetCorrectRates(bool correct) = 0;
    virtual void SetCorrectUp(std::int32_t bytes) = 0;
    virtual void SetCorrectDown(std::int32_t bytes) = 0;

    // Bytes per second of an interval figure over the polling interval.
    virtual std::int64_t PerSecond(std::int64_t value) const = 0;
    virtual void SetOnTraffic(std::function<void(const TrafficSample&)> handler) = 0;
};

}  // namespace korvalin
