#include "console/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvalin {
namespace {

CommandLine Parse(std::vector<std::string> arguments, bool display = true) {
    arguments.insert(arguments.begin(), "korvalin");
    return ParseCommandLine(arguments, display);
}

TEST(CommandLineModes, ChooseWhatTheProgramDoes) {
    const struct {
        std::vector<std::string> arguments;
        bool display;
        RunMode mode;
        bool noDisplay;
    } cases[] = {
        {{}, true, RunMode::Gui, false},
        {{}, false, RunMode::Console, true},
        {{"--console"}, true, RunMode::Console, false},
        {{"--console"}, false, RunMode::Console, false},
        {{"--json"}, false, RunMode::Console, true},
        {{"--json"}, true, RunMode::UsageError, false},
        {{"--list-adapters"}, true, RunMode::ListAdapters, false},
        {{"--console", "--list-adapters"}, true, RunMode::ListAdapters, false},
        {{"--version", "--console"}, true, RunMode::Version, false},
        {{"--console", "--help", "--version"}, true, RunMode::Help, false},
        {{"--bogus"}, true, RunMode::UsageError, false},
        {{"--help", "--bogus"}, true, RunMode::UsageError, false},
        {{"console"}, true, RunMode::UsageError, false},
    };
    for (const auto& c : cases) {
        std::string joined;
        for (const auto& argument : c.arguments) {
            joined += argument + " ";
        }
        const CommandLine commandLine = Parse(c.arguments, c.display);
        EXPECT_EQ(commandLine.mode, c.mode) << joined << "display " << c.display;
        EXPECT_EQ(commandLine.noDisplay, c.noDisplay) << joined;
    }
}

TEST(CommandLineOptions, ConsoleOptionsAreTaken) {
    const CommandLine commandLine = Parse({"--console", "--adapter", "Alle Netzwerkadapter",
                                           "--samples", "3", "--all-in-byte", "--json"});
    ASSERT_EQ(commandLine.mode, RunMode::Console) << commandLine.error;
    EXPECT_EQ(commandLine.adapter, "Alle Netzwerkadapter");
    EXPECT_EQ(commandLine.samples, 3);
    EXPECT_TRUE(commandLine.allInByte);
    EXPECT_TRUE(commandLine.json);

    const CommandLine withEquals = Parse({"--console", "--adapter=eth0", "--samples=12"});
    ASSERT_EQ(withEquals.mode, RunMode::Console) << withEquals.error;
    EXPECT_EQ(withEquals.adapter, "eth0");
    EXPECT_EQ(withEquals.samples, 12);

    const CommandLine defaults = Parse({"--console"});
    EXPECT_EQ(defaults.adapter, "");
    EXPECT_EQ(defaults.samples, 0) << "runs until interrupted";
    EXPECT_FALSE(defaults.allInByte);
    EXPECT_FALSE(defaults.json);
}

TEST(CommandLineOptions, BadValuesAreUsageErrorsThatSayWhat) {
    const struct {
        std::vector<std::string> arguments;
        const char* mentioned;
    } cases[] = {
        {{"--console", "--samples", "0"}, "--samples"},
        {{"--console", "--samples", "-4"}, "--samples"},
        {{"--console", "--samples", "3x"}, "3x"},
        {{"--console", "--samples", ""}, "--samples"},
        {{"--console", "--samples"}, "--samples needs N"},
        {{"--console", "--adapter"}, "--adapter needs NAME"},
        {{"--console=yes"}, "--console takes no value"},
        {{"--frobnicate"}, "--frobnicate"},
        {{"--samples", "2"}, "--samples needs --console"},
    };
    for (const auto& c : cases) {
        const CommandLine commandLine = Parse(c.arguments);
        EXPECT_EQ(commandLine.mode, RunMode::UsageError) << c.mentioned;
        EXPECT_NE(commandLine.error.find(c.mentioned), std::string::npos)
            << "error '" << commandLine.error << "' should mention " << c.mentioned;
    }
}

TEST(CommandLineOptions, UsageListsEveryOption) {
    const std::string usage = UsageText();
    for (const CommandLineOption& option : CommandLineOptions()) {
        EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
        EXPECT_NE(usage.find(option.help), std::string::npos) << option.name;
    }
}

}  // namespace
}  // namespace korvalin
