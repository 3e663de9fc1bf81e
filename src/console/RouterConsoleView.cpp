#include "console/RouterConsoleView.h"

#include "console/ConsoleView.h"
#include "sources/iphelperUnit.h"

namespace korvalin {

namespace {

void AimAt(TDefaultSNMPClass& access, const CommandLine& commandLine) {
    if (!commandLine.routerCommunity.empty()) {
        access.SetCommunity(commandLine.routerCommunity);
    }
    access.SetHost(commandLine.router);
}

void PrintInterfaces(const TInterfaceList& interfaces, std::ostream& stream, const char* indent) {
    for (const InterfaceEntry& entry : interfaces) {
        stream << indent << entry.index << '\t' << entry.text << '\n';
    }
}

}  // namespace

RouterConsoleView::RouterConsoleView(TSNMPClass& monitor, EventLoop& loop, std::ostream& out,
                                     std::ostream& err, const CommandLine& commandLine, Clock clock)
    : monitor_(monitor),
      loop_(loop),
      out_(out),
      err_(err),
      commandLine_(commandLine),
      clock_(std::move(clock)) {}

void RouterConsoleView::ConnectToAgent() {
    // Host and community are set together before the list is read once, as the
    // controller's start-up does; a list read per setter would ask a half-set agent.
    monitor_.SetOnChange(nullptr);
    AimAt(monitor_, commandLine_);
    monitor_.SetOnChange([this](TDefaultSNMPClass&) { monitor_.RefreshInterfaces(); });
    monitor_.RefreshInterfaces();
}

bool RouterConsoleView::SelectInterface() {
    const TInterfaceList& interfaces = monitor_.Interfaces();
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
    if (!SelectInterface()) {
        return 2;
    }
    ApplyOptions();
    monitor_.SetOnTraffic([this](TSNMPClass&) { PrintSample(); });
    monitor_.SetActive(true);
    const int status = loop_.Run();
    // Switching off makes one more reading; it is not printed.
    monitor_.SetOnTraffic(nullptr);
    monitor_.SetActive(false);
    return status;
}

void RouterConsoleView::ReportSilentAgent() {
    err_ << "korvalin: the agent at " << commandLine_.router << " did not answer ("
         << monitor_.LastFailure() << "); this sample reads zero\n"
         << std::flush;
}

void RouterConsoleView::PrintSample() {
    if (!monitor_.LastRequestAnswered()) {
        ReportSilentAgent();
    }
    const ConsoleSample sample{monitor_.PerSecond(monitor_.IntervalReceived()),
                               monitor_.PerSecond(monitor_.IntervalSent()),
                               monitor_.TotalReceived(), monitor_.TotalSent(), clock_()};
    out_ << (commandLine_.json ? JsonLine(sample) : CaptionLine(sample, commandLine_.allInByte))
         << '\n'
         << std::flush;
    ++printed_;
    if (!out_ || (commandLine_.samples > 0 && printed_ >= commandLine_.samples)) {
        loop_.Quit(0);
    }
}

int ListRouterInterfaces(TDefaultSNMPClass& access, const CommandLine& commandLine,
                         std::ostream& out, std::ostream& err) {
    AimAt(access, commandLine);
    TInterfaceList interfaces;
    access.GetInterfaceList(interfaces);
    if (!access.LastRequestAnswered()) {
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
        TDefaultSNMPClass access;
        return ListRouterInterfaces(access, commandLine, out, err);
    }
    TSNMPClass monitor(loop);
    RouterConsoleView view(monitor, loop, out, err, commandLine);
    return view.Run();
}

}  // namespace korvalin
