#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/ConsoleMain.h"
#include "platform/linux/MainLoop.h"
#include "platform/linux/NetlinkInterfaceTable.h"

#ifdef KORVALIN_WITH_GUI
#include "app/GuiMain.h"
#include "platform/qt/DisplayProbe.h"
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    // Parsed first as without a display: only when the console view would be chosen for the
    // lack of one is the named display tried.
    korvalin::CommandLine commandLine = korvalin::ParseCommandLine(arguments, false);
    if (commandLine.noDisplay && korvalin::DisplayAvailableFromEnvironment()) {
#ifdef KORVALIN_WITH_GUI
        const std::string unreachable = korvalin::UnreachableDisplay();
        if (unreachable.empty()) {
            commandLine = korvalin::ParseCommandLine(arguments, true);
        } else {
            // The console view, as without a display, with the true reason in place of
            // "none is set".
            commandLine.noDisplay = false;
            std::cerr << "korvalin: cannot connect to the display (" << unreachable
                      << "); starting the console view\n";
        }
#else
        commandLine = korvalin::ParseCommandLine(arguments, true);
#endif
    }
    if (commandLine.mode == korvalin::RunMode::Gui) {
#ifdef KORVALIN_WITH_GUI
        return korvalin::RunGui(argc, argv);
#else
        std::fputs("korvalin: built without windows; use --console.\n", stderr);
        return 1;
#endif
    }
    // Without windows the loop of the calling thread is the user-interface thread.
    korvalin::MainLoop loop;
    korvalin::NetlinkInterfaceTable interfaceTable;
    return korvalin::RunCommandLine(commandLine, loop, interfaceTable, std::cout, std::cerr);
}
