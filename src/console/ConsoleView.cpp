#include "console/ConsoleView.h"

#include <ctime>

#include "core/TextTools.h"

namespace korvalin {

std::string CaptionLine(const ConsoleSample& sample, bool allInByte) {
    return CaptionText(allInByte, sample.received, sample.sent, sample.totalReceived,
                       sample.totalSent);
}

std::string Iso8601Utc(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm parts{};
    ::gmtime_r(&seconds, &parts);
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

std::string JsonLine(const ConsoleSample& sample) {
    return "{\"received\":" + std::to_string(sample.received) +
           ",\"sent\":" + std::to_string(sample.sent) +
           ",\"total_received\":" + std::to_string(sample.totalReceived) +
           ",\"total_sent\":" + std::to_string(sample.totalSent) + ",\"time\":\"" +
           Iso8601Utc(sample.time) + "\"}";
}

ConsoleView::ConsoleView(AdapterMonitor& monitor, EventLoop& loop, std::ostream& out,
                         std::ostream& err, const CommandLine& commandLine, Clock clock)
    : monitor_(monitor),
      loop_(loop),
      out_(out),
      err_(err),
      commandLine_(commandLine),
      clock_(std::move(clock)) {}

bool ConsoleView::OpenTable() {
    monitor_.Init();
    if (!monitor_.Loaded()) {
        err_ << "korvalin: the interface table cannot be read (no rtnetlink socket)\n";
        return false;
    }
    return true;
}

int ConsoleView::ListAdapters() {
    if (!OpenTable()) {
        return 1;
    }
    for (const AdapterEntry& entry : monitor_.Adapters()) {
        out_ << entry.index << '\t' << entry.text << '\n';
    }
    out_.flush();
    return 0;
}

void ConsoleView::PrintKnownAdapters() {
    err_ << "known adapters:\n";
    for (const AdapterEntry& entry : monitor_.Adapters()) {
        err_ << "  " << entry.text << '\n';
    }
}

int ConsoleView::Run() {
    if (commandLine_.noDisplay) {
        err_ << "korvalin: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "starting the console view\n";
    }
    if (!OpenTable()) {
        return 1;
    }
    const std::string name = commandLine_.adapter.empty() ? AllAdaptersText : commandLine_.adapter;
    monitor_.SetAdapterName(name);
    if (name != AllAdaptersText && monitor_.SelectedIndex() == -1) {
        err_ << "korvalin: unknown adapter '" << name << "'\n";
        PrintKnownAdapters();
        return 2;
    }
    monitor_.SetOnTraffic([this](const TrafficSample& sample) { PrintSample(sample); });
    monitor_.SetActive(true);
    const int status = loop_.Run();
    monitor_.SetActive(false);
    monitor_.SetOnTraffic(nullptr);
    return status;
}

void ConsoleView::PrintSample(const TrafficSample& reading) {
    const ConsoleSample sample{reading.IntervalReceived, reading.IntervalSent,
                               reading.TotalReceived, reading.TotalSent, clock_()};
    // One flush per line keeps the output usable through a pipe.
    out_ << (commandLine_.json ? JsonLine(sample) : CaptionLine(sample, commandLine_.allInByte))
         << '\n'
         << std::flush;
    ++printed_;
    if (!out_) {
        loop_.Quit(0);  // the reader went away: nothing more to print to
    } else if (commandLine_.samples > 0 && printed_ >= commandLine_.samples) {
        loop_.Quit(0);
    }
}

}  // namespace korvalin
