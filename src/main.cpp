#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "console/CommandLine.h"
#include "console/ConsoleMain.h"

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv, argv + argc);
    const korvalin::CommandLine commandLine =
        korvalin::ParseCommandLine(arguments, korvalin::DisplayAvailableFromEnvironment());
    if (commandLine.mode == korvalin::RunMode::Gui) {
        // The windows start here: RunGui(argc, argv) from app/GuiMain.h.
        std::fputs("korvalin: the windows are not built yet.\n", stderr);
        return 1;
    }
    return korvalin::RunCommandLine(commandLine, std::cout, std::cerr);
}
