#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <ostream>
#include <string>

#include "console/CommandLine.h"
#include "platform/EventLoop.h"
#include "sources/AdapterMonitor.h"

namespace korvalin {

// One sample as the console view prints it.
struct ConsoleSample {
    std::int64_t received = 0;
    std::int64_t sent = 0;
    std::int64_t totalReceived = 0;
    std::int64_t totalSent = 0;
    std::chrono::system_clock::time_point time;
};

// The caption text of a sample: "E: 1 KB; G: 0 Byte; GE: 3 MB; GG: 1 MB".
std::string CaptionLine(const ConsoleSample& sample, bool allInByte);
// One JSON object: received, sent, total_received, total_sent (bytes) and time.
std::string JsonLine(const ConsoleSample& sample);
// The time in ISO 8601, UTC, to the second: "2026-12-11T08:13:31Z".
std::string Iso8601Utc(std::chrono::system_clock::time_point time);

// The adapter monitor without windows: prints one line per sample until the loop is
// quit or the wanted number of samples is printed. Never touches the settings file.
class ConsoleView {
public:
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    ConsoleView(AdapterMonitor& monitor, EventLoop& loop, std::ostream& out, std::ostream& err,
                const CommandLine& commandLine, Clock clock = std::chrono::system_clock::now);

    // Runs the console view; returns the exit status (2 for an unknown adapter, 1 when
    // the interface table cannot be read).
    int Run();
    // Prints the adapter list, one "index<TAB>description" line per adapter.
    int ListAdapters();

private:
    bool OpenTable();
    void PrintSample(const TrafficSample& reading);
    void PrintKnownAdapters();

    AdapterMonitor& monitor_;
    EventLoop& loop_;
    std::ostream& out_;
    std::ostream& err_;
    const CommandLine& commandLine_;
    Clock clock_;
    std::int64_t printed_ = 0;
};

}  // namespace korvalin
