#include "console/RouterConsoleView.h"

#include <thread>

#include "console/ConsoleView.h"
#include "sources/AdapterMonitor.h"

namespace korvalin {

namespace {

template <class Agent>
void AimAt(Agent& access, const CommandLine& commandLine) {
    if (!commandLine.routerCommunity.empty()) {
        access.SetCommunity(commandLine.routerCommunity);
    }
    access.SetHost(commandLine.router);
}

void PrintInterfaces(const InterfaceList& interfaces, std::ostream& stream, const char* indent) {
    for (const InterfaceEntry& entry : interfaces) {
        stream << indent << entry.index << '\t' << entry.text << '\n';
    }
}

}  // namespace

RouterConsoleView::RouterConsoleView(RouterMonitor& monitor, EventLoop& loop, std::ostream& out,
                                     std::ostream& err, const CommandLine& commandLine, Clock clock)
    : monitor_(monitor),
      loop_(loop),
      out_(out),
      err_(err),
      commandLine_(commandLine),
      clock_(std::move(clock)) {}

void RouterConsoleView::ConnectToAgent() {
    // Host and community set together cost one walk of the list; polling starts once it
    // has arrived (or the agent did not answer it).
    monitor_.SetOnInterfaces([this] { StartPolling(); });
    AimAt(monitor_, commandLine_);
    monitor_.RefreshInterfaces();
}

void RouterConsoleView::StartPolling() {
    monitor_.SetOnInterfaces(nullptr);
    if (!SelectInterface()) {
        loop_.Quit(2);
        return;
    }
    ApplyOptions();
    monitor_.SetOnTraffic([this](const TrafficSample& sample) { PrintSample(sample); });
    monitor_.SetActive(true);
}

bool RouterConsoleView::SelectInterface() {
    const InterfaceList& interfaces = monitor_.Interfaces();
    if (commandLine_.routerInterface.empty()) {
        // The first interface of the agent; with none listed the monitor picks it itself
        // once the agent answers.
        if (!interfaces.empty()) {
            monitor_.SetInterfaceName(interfaces.front().text);
        }
        return true;
    }
    monitor_.SetInterfaceName(commandLine_.routerInterface);
    if (commandLine_.routerInterface != AllAdaptersText && monitor_.SelectedIndex() == -1 &&
        !monitor_.Interfaces().empty()) {
        err_ << "korvalin: the agent lists no interface '" << commandLine_.routerInterface
             << "'\nknown interfaces:\n";
        PrintInterfaces(monitor_.Interfaces(), err_, "  ");
        return false;
    }
    return true;
}

void RouterConsoleView::ApplyOptions() {
    monitor_.SetInterval(static_cast<std::int32_t>(commandLine_.routerIntervalSeconds * 1000));
    monitor_.SetExchangeRates(commandLine_.routerExchange);
    const bool correct = commandLine_.routerCorrectUp > 0 || commandLine_.routerCorrectDown > 0;
    monitor_.SetCorrectRates(correct);
    if (commandLine_.routerCorrectUp > 0) {
        monitor_.SetCorrectUp(commandLine_.routerCorrectUp);
    }
    if (commandLine_.routerCorrectDown > 0) {
        monitor_.SetCorrectDown(commandLine_.routerCorrectDown);
    }
}

int RouterConsoleView::Run() {
    if (commandLine_.noDisplay) {
        err_ << "korvalin: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                "starting the console view\n";
    }
    ConnectToAgent();
    const int status = loop_.Run();
    // Switching off makes one more reading; it is not printed.
    monitor_.SetOnTraffic(nullptr);
    monitor_.SetOnInterfaces(nullptr);
    monitor_.SetActive(false);
    return status;
}

void RouterConsoleView::ReportFailedReading() {
    err_ << "korvalin: the agent at " << commandLine_.router
         << " did not answer every request soundly (" << monitor_.LastFailure()
         << "); what failed counts nothing in this sample\n"
         << std::flush;
}

void RouterConsoleView::PrintSample(const TrafficSample& reading) {
    if (!monitor_.LastFailure().empty()) {
        ReportFailedReading();
    }
    const ConsoleSample sample{monitor_.PerSecond(reading.IntervalReceived),
                               monitor_.PerSecond(reading.IntervalSent), reading.TotalReceived,
                               reading.TotalSent, clock_()};
    out_ << (commandLine_.json ? JsonLine(sample) : CaptionLine(sample, commandLine_.allInByte))
         << '\n'
         << std::flush;
    ++printed_;
    if (!out_ || (commandLine_.samples > 0 && printed_ >= commandLine_.samples)) {
        loop_.Quit(0);
    }
}

int ListRouterInterfaces(SnmpAgent& access, const CommandLine& commandLine, std::ostream& out,
                         std::ostream& err) {
    AimAt(access, commandLine);
    InterfaceList interfaces;
    if (!access.GetInterfaceList(interfaces)) {
        err << "korvalin: the agent at " << commandLine.router << " did not answer ("
            << access.LastFailure() << ")\n";
        return 3;
    }
    PrintInterfaces(interfaces, out, "");
    out.flush();
    return 0;
}

int RunRouterCommand(const CommandLine& commandLine, EventLoop& loop, std::ostream& out,
                     std::ostream& err) {
    if (commandLine.mode == RunMode::ListRouterInterfaces) {
        // The listing waits for the agent on a thread of its own while this one runs the
        // loop, so a signal (which quits the loop) ends the wait at once; the listing's
        // own status is the result either way.
        SnmpAgent access;
        int status = 3;
        std::thread listing([&] {
            status = ListRouterInterfaces(access, commandLine, out, err);
            loop.Quit(status);
        });
        loop.Run();
        access.Interrupt();
        listing.join();
        return status;
    }
    RouterMonitor monitor(loop);
    RouterConsoleView view(monitor, loop, out, err, commandLine);
    return view.Run();
}

}  // namespace korvalin
