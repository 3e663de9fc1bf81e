#include "console/ConsoleMain.h"

#include <signal.h>

#include "console/ConsoleView.h"
#include "console/RouterConsoleView.h"
#include "console/SignalWatcher.h"
#include "sources/AdapterMonitor.h"

namespace korvalin {

int RunCommandLine(const CommandLine& commandLine, EventLoop& loop, InterfaceTable& interfaceTable,
                   std::ostream& out, std::ostream& err) {
    switch (commandLine.mode) {
    case RunMode::Help:
        out << UsageText();
        return 0;
    case RunMode::Version:
        out << "korvalin " << KORVALIN_VERSION << '\n';
        return 0;
    case RunMode::UsageError:
        err << "korvalin: " << commandLine.error << '\n' << UsageText();
        return 2;
    case RunMode::Gui:
        err << "korvalin: the windows are not part of this build\n";
        return 1;
    case RunMode::ListAdapters:
    case RunMode::ListRouterInterfaces:
    case RunMode::Console:
        break;
    }
    // A closed pipe shows as a failed write, which ends the view cleanly.
    ::signal(SIGPIPE, SIG_IGN);
    SignalWatcher signals([&loop](int) { loop.Quit(0); });
    if (commandLine.mode == RunMode::ListRouterInterfaces ||
        (commandLine.mode == RunMode::Console && !commandLine.router.empty())) {
        return RunRouterCommand(commandLine, loop, out, err);
    }
    AdapterMonitor monitor(interfaceTable, loop);
    ConsoleView view(monitor, loop, out, err, commandLine);
    return commandLine.mode == RunMode::ListAdapters ? view.ListAdapters() : view.Run();
}

}  // namespace korvalin
