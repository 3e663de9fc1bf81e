#include "console/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace korvalin {

namespace {

std::string ParseSampleCount(CommandLine& commandLine, const std::string& value) {
    std::int64_t count = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), count);
    if (error != std::errc() || end != value.data() + value.size() || count < 1) {
        return "--samples needs a whole number of at least 1, not '" + value + "'";
    }
    commandLine.samples = count;
    return {};
}

std::string ParseWholeNumber(const std::string& name, const std::string& value,
                             std::int64_t minimum, std::int64_t maximum, std::int64_t& number) {
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error != std::errc() || end != value.data() + value.size() || number < minimum ||
        number > maximum) {
        return name + " needs a whole number from " + std::to_string(minimum) + " to " +
               std::to_string(maximum) + ", not '" + value + "'";
    }
    return {};
}

std::string ParseCorrection(const std::string& name, const std::string& value,
                            std::uint32_t& bytes) {
    std::int64_t number = 0;
    std::string error = ParseWholeNumber(name, value, 1, 1024, number);
    bytes = static_cast<std::uint32_t>(number);
    return error;
}

const CommandLineOption* FindOption(const std::string& name) {
    for (const CommandLineOption& option : CommandLineOptions()) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

void Fail(CommandLine& commandLine, std::string error) {
    if (commandLine.mode != RunMode::UsageError) {
        commandLine.mode = RunMode::UsageError;
        commandLine.error = std::move(error);
    }
}

// The router's own options mean nothing for the adapters.
void RequireRouterForItsOptions(CommandLine& commandLine) {
    static const char* const routerOptions[] = {"--community", "--interface",  "--interval",
                                                "--exchange",  "--correct-up", "--correct-down"};
    if (!commandLine.router.empty()) {
        return;
    }
    for (const std::string& given : commandLine.consoleOnlyOptions) {
        if (std::find(std::begin(routerOptions), std::end(routerOptions), given) !=
            std::end(routerOptions)) {
            Fail(commandLine, given + " needs --router");
            return;
        }
    }
}

// Help and version win over everything; then the adapter list; then the console view,
// asked for or taken because no display exists.
void ResolveMode(CommandLine& commandLine, bool displayAvailable, bool help, bool version,
                 bool list, bool listRouter) {
    if (commandLine.mode == RunMode::UsageError) {
        return;
    }
    if (listRouter && !help && !version) {
        if (commandLine.router.empty()) {
            Fail(commandLine, "--list-router-interfaces needs --router");
        } else {
            commandLine.mode = RunMode::ListRouterInterfaces;
        }
        return;
    }
    if (help) {
        commandLine.mode = RunMode::Help;
    } else if (version) {
        commandLine.mode = RunMode::Version;
    } else if (list) {
        commandLine.mode = RunMode::ListAdapters;
    } else if (commandLine.consoleRequested) {
        commandLine.mode = RunMode::Console;
    } else if (!displayAvailable) {
        commandLine.mode = RunMode::Console;
        commandLine.noDisplay = true;
    } else if (!commandLine.consoleOnlyOptions.empty()) {
        Fail(commandLine, commandLine.consoleOnlyOptions.front() + " needs --console");
    }
}

}  // namespace

const std::vector<CommandLineOption>& CommandLineOptions() {
    static const std::vector<CommandLineOption> options = {
        {"--console", "", "show the figures on the terminal instead of in windows", false,
         [](CommandLine& c, const std::string&) {
             c.consoleRequested = true;
             return std::string();
         }},
        {"--adapter", "NAME", "monitor this adapter (default: all adapters)", true,
         [](CommandLine& c, const std::string& value) {
             c.adapter = value;
             return std::string();
         }},
        {"--samples", "N", "end after N samples (default: until interrupted)", true,
         ParseSampleCount},
        {"--all-in-byte", "", "show exact byte counts instead of KB, MB and GB", true,
         [](CommandLine& c, const std::string&) {
             c.allInByte = true;
             return std::string();
         }},
        {"--json", "", "print one JSON object per sample", true,
         [](CommandLine& c, const std::string&) {
             c.json = true;
             return std::string();
         }},
        {"--list-adapters", "", "list the network adapters and exit", false, nullptr},
        {"--router", "HOST", "monitor an interface of this SNMP agent instead of the adapters",
         true,
         [](CommandLine& c, const std::string& value) {
             c.router = value;
             return value.empty() ? std::string("--router needs a host") : std::string();
         }},
        {"--community", "C", "SNMP community of the agent (default: vindra)", true,
         [](CommandLine& c, const std::string& value) {
             c.routerCommunity = value;
             return std::string();
         }},
        {"--interface", "NAME", "the agent's interface (default: its first one)", true,
         [](CommandLine& c, const std::string& value) {
             c.routerInterface = value;
             return std::string();
         }},
        {"--interval", "SECONDS", "poll the agent every SECONDS seconds (default: 5)", true,
         [](CommandLine& c, const std::string& value) {
             return ParseWholeNumber("--interval", value, 1, 60000, c.routerIntervalSeconds);
         }},
        {"--exchange", "", "exchange the router's received and sent figures", true,
         [](CommandLine& c, const std::string&) {
             c.routerExchange = true;
             return std::string();
         }},
        {"--correct-up", "N", "subtract N bytes per interval from the sent figure", true,
         [](CommandLine& c, const std::string& value) {
             return ParseCorrection("--correct-up", value, c.routerCorrectUp);
         }},
        {"--correct-down", "N", "subtract N bytes per interval from the received figure", true,
         [](CommandLine& c, const std::string& value) {
             return ParseCorrection("--correct-down", value, c.routerCorrectDown);
         }},
        {"--list-router-interfaces", "", "list the interfaces of the --router agent and exit",
         false, nullptr},
        {"--help", "", "show this help and exit", false, nullptr},
        {"--version", "", "show the version and exit", false, nullptr},
    };
    return options;
}

CommandLine ParseCommandLine(const std::vector<std::string>& arguments, bool displayAvailable) {
    CommandLine commandLine;
    bool help = false;
    bool version = false;
    bool list = false;
    bool listRouter = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        std::string name = arguments[i];
        std::string value;
        bool valueGiven = false;
        if (const auto equals = name.find('=');
            name.rfind("--", 0) == 0 && equals != std::string::npos) {
            value = name.substr(equals + 1);
            name.resize(equals);
            valueGiven = true;
        }
        const CommandLineOption* option = FindOption(name);
        if (option == nullptr) {
            Fail(commandLine, "unknown option '" + arguments[i] + "'");
            continue;
        }
        if (option->valueName.empty() && valueGiven) {
            Fail(commandLine, name + " takes no value");
            continue;
        }
        if (!option->valueName.empty() && !valueGiven) {
            if (i + 1 >= arguments.size()) {
                Fail(commandLine, name + " needs " + option->valueName);
                continue;
            }
            value = arguments[++i];
        }
        help = help || name == "--help";
        version = version || name == "--version";
        list = list || name == "--list-adapters";
        listRouter = listRouter || name == "--list-router-interfaces";
        if (option->consoleOnly) {
            commandLine.consoleOnlyOptions.push_back(name);
        }
        if (option->apply) {
            if (std::string error = option->apply(commandLine, value); !error.empty()) {
                Fail(commandLine, std::move(error));
            }
        }
    }
    RequireRouterForItsOptions(commandLine);
    ResolveMode(commandLine, displayAvailable, help, version, list, listRouter);
    return commandLine;
}

bool DisplayAvailableFromEnvironment() {
    const auto isSet = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

std::string UsageText() {
    std::string text =
        "Usage: korvalin [OPTION]...\n"
        "Counts the bytes this computer sends and receives.\n"
        "Without a display, or with --console, the figures are printed once a second.\n"
        "\n";
    for (const CommandLineOption& option : CommandLineOptions()) {
        std::string left = "  " + option.name;
        if (!option.valueName.empty()) {
            left += " " + option.valueName;
        }
        left.resize(std::max<std::size_t>(left.size() + 2, 22), ' ');
        text += left + option.help + "\n";
    }
    return text;
}

}  // namespace korvalin
