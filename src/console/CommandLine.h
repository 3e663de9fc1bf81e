#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvalin {

// What the program was asked to do.
enum class RunMode { Gui, Console, ListAdapters, ListRouterInterfaces, Help, Version, UsageError };

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
    // The router source: polled instead of the adapters when router is set.
    std::string router;           // agent host, "HOST:PORT" or "[IPV6]:PORT"
    std::string routerCommunity;  // empty: the agent access's default community
    std::string routerInterface;  // empty: the agent's first interface
    std::int64_t routerIntervalSeconds = 5;
    bool routerExchange = false;
    std::uint32_t routerCorrectUp = 0;  // 0: no correction
    std::uint32_t routerCorrectDown = 0;
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
