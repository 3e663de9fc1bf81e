// The large status window of the real program in a private X session with a window
// manager: it comes back where it was at the last exit and stays above other windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

bool HaveTool(const char* name) {
    const std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

std::string RunCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

std::multimap<std::string, std::string> KeyValues(const std::string& text) {
    std::multimap<std::string, std::string> values;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const auto equals = line.find('=');
        if (equals != std::string::npos) {
            values.emplace(line.substr(0, equals), line.substr(equals + 1));
        }
    }
    return values;
}

std::string First(const std::multimap<std::string, std::string>& values, const std::string& key) {
    const auto found = values.find(key);
    return found == values.end() ? "<missing>" : found->second;
}

class BigWindowSession : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "openbox", "xdotool", "xprop", "xwininfo"}) {
            if (!HaveTool(tool)) {
                GTEST_SKIP() << tool << " is not installed";
            }
        }
        char pattern[] = "/tmp/korvalin-bigform.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        config = pattern;
        fs::create_directories(config / "Korvalin");
        // Not the first start, so the configuration window stays closed; the large
        // window is shown at start-up.
        std::ofstream(config / "Korvalin" / "korvalin.ini") << "[Options]\n"
                                                               "New=0\n"
                                                               "MonLAN=1\n"
                                                               "Monitor=lo\n"
                                                               "ShowBigWindow=1\n";
    }

    void TearDown() override {
        if (!config.empty()) {
            fs::remove_all(config);
        }
    }

    std::string RegistryFile() const {
        std::ifstream file(config / "Korvalin" / "registry.ini");
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }

    fs::path config;
};

TEST_F(BigWindowSession, ComesBackWhereItWasAndStaysOnTop) {
    const std::string source = KORVALIN_SOURCE_DIR;
    const std::string command = "timeout 90 " + source + "/scripts/x11-session.sh --tray -- " +
                                source + "/tests/gui_integration/LargeStatusWindow_session.sh '" +
                                KORVALIN_BINARY + "' '" + config.string() + "' 2>&1";
    const std::string output = RunCommand(command);
    const auto values = KeyValues(output);
    SCOPED_TRACE(output);

    ASSERT_EQ(First(values, "first_window"), "found");
    EXPECT_NE(First(values, "first_state").find("_NET_WM_STATE_ABOVE"), std::string::npos);
    ASSERT_EQ(First(values, "second_window"), "found");
    EXPECT_NE(First(values, "second_state").find("_NET_WM_STATE_ABOVE"), std::string::npos);
    EXPECT_NE(First(values, "moved_geometry"), First(values, "first_geometry"))
        << "the window manager did not take the move";
    EXPECT_EQ(First(values, "second_geometry"), First(values, "moved_geometry"));
    EXPECT_EQ(values.count("stopped"), 2u);
    for (auto [it, end] = values.equal_range("stopped"); it != end; ++it) {
        EXPECT_EQ(it->second, "yes") << "the program did not end on SIGTERM";
    }
    const std::string registry = RegistryFile();
    EXPECT_NE(registry.find("BigWindowPosition"), std::string::npos) << registry;
}

}  // namespace
