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
#endif

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const korvalin::CommandLine commandLine =
        korvalin::ParseCommandLine(arguments, korvalin::DisplayAvailableFromEnvironment());
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
