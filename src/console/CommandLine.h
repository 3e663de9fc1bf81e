#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvalin {

// What the program was asked to do.
enum class RunMode { Gui, Console, ListAdapters, Help, Version, UsageError };

// The parsed command line. Options that only the console view uses are ignored by the
// windows.
struct CommandLine {
    RunMode mode = RunMode::Gui;
    bool consoleRequested = false;
    bool noDisplay = false;    // the console view runs because no display exists
    std::string adapter;       // empty: all adapters
    std::int64_t samples = 0;  // 0: until SIGINT or SIGTERM
    bool allInByte = false;
    bool json = false;
    std::vector<std::string> consoleOnlyOptions;  // given, to refuse them for the windows
    std::string error;                            // for UsageError
};

// One option of the command line. Options are kept in one table, so a new one is one
// entry: its name, whether it takes a value, what it sets, and its line in the usage.
struct CommandLineOption {
    std::string name;       // with the leading "--"
    std::string valueName;  // empty: the option takes no value
    std::string help;
    bool consoleOnly = false;
    // Applies the option; returns an error text, empty on success.
    std::function<std::string(CommandLine& commandLine, const std::string& value)> apply;
};

const std::vector<CommandLineOption>& CommandLineOptions();

// Parses argv (argv[0] is skipped). displayAvailable tells whether a window system can be
// reached; without one the program runs the console view.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool displayAvailable);

// True when DISPLAY or WAYLAND_DISPLAY is set and not empty.
bool DisplayAvailableFromEnvironment();

std::string UsageText();

}  // namespace korvalin
