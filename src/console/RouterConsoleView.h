#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "console/CommandLine.h"
#include "platform/EventLoop.h"
#include "sources/RouterMonitor.h"

namespace korvalin {

// The router monitor without windows: polls the agent as the controller does and prints
// one line per polling interval, with bytes per second of the interval and the totals.
// An agent that does not answer, or answers unsoundly, reads zero for what failed, as in
// the windows, and every sample with any failed part is also reported on the error stream.
class RouterConsoleView {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    RouterConsoleView(RouterMonitor& monitor, EventLoop& loop, std::ostream& out, std::ostream& err,
                      const CommandLine& commandLine, Clock clock = std::chrono::system_clock::now);

    // Runs the polling view; returns the exit status (2 for an interface the agent does
    // not list).
    int Run();

private:
    void ConnectToAgent();
    void StartPolling();
    bool SelectInterface();
    void ApplyOptions();
    void PrintSample(const TrafficSample& reading);
    void ReportFailedReading();

    RouterMonitor& monitor_;
    EventLoop& loop_;
    std::ostream& out_;
    std::ostream& err_;
    const CommandLine& commandLine_;
    Clock clock_;
    std::int64_t printed_ = 0;
};

// Prints "ifIndex<TAB>ifDescr" per interface of the agent. An agent that does not answer
// is an error: a message on err and exit status 3.
int ListRouterInterfaces(SnmpAgent& access, const CommandLine& commandLine, std::ostream& out,
                         std::ostream& err);

// Runs the router's polling view or interface list for the command line. Quitting the
// loop (a signal does) ends either at once, even while the agent keeps silent.
int RunRouterCommand(const CommandLine& commandLine, EventLoop& loop, std::ostream& out,
                     std::ostream& err);

}  // namespace korvalin
