#include "core/WindowPlacement.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "fakes/FakeRePosWindow.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeScreens.h"

namespace korvalin {
namespace {

using testing::FakeRegistry;
using testing::FakeRePosWindow;
using testing::FakeScreens;

const std::string KeyPath = "Software\\Halvesund Software\\Korvalin\\";
const std::string RecordPath = KeyPath + "BigWindowPosition";

const Monitor Primary1920{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}, true};
const Monitor LeftOfPrimary{{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}, false};
const Monitor RightOfPrimary{{1920, 0, 1920, 1080}, {1920, 0, 1920, 1080}, false};
const Monitor FirstNotPrimary{{0, 0, 1280, 1024}, {0, 0, 1280, 1024}, false};
const Monitor SecondPrimary{{1280, 0, 1920, 1080}, {1280, 0, 1920, 1080}, true};

using StoredRecord = std::map<std::string, std::string>;

class RePosAppTest : public ::testing::Test {
protected:
    WindowPlacement MakeRePos() {
        WindowPlacement repos(registry, screens, window);
        repos.InifileName = KeyPath;
        repos.SectionName = "BigWindowPosition";
        return repos;
    }

    void Store(const StoredRecord& record) {
        for (const auto& [name, value] : record) {
            registry.WriteString(RecordPath, name, value);
        }
    }

    std::string Stored(const std::string& name) const {
        return registry.ReadString(RecordPath, name).value_or("<none>");
    }

    FakeRegistry registry;
    FakeScreens screens;
    FakeRePosWindow window;
};

struct LoadCase {
    const char* name;
    std::vector<Monitor> monitors;
    bool sizeable;
    ScreenRect before;
    StoredRecord record;
    ScreenRect after;
    TReposMonitor monitor;
};

StoredRecord Record(int left, int top, int width, int height, int monitor = 0) {
    return {{"Left", std::to_string(left)},
            {"Top", std::to_string(top)},
            {"Width", std::to_string(width)},
            {"Height", std::to_string(height)},
            {"ShowCmd", "0"},
            {"Monitor", std::to_string(monitor)}};
}

const LoadCase LoadCases[] = {
    {"first run centres on the only monitor",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     {},
     {812, 367, 295, 345},
     rposPrimary},
    {"first run centres on the primary even when it is the second monitor",
     {FirstNotPrimary, SecondPrimary},
     true,
     {0, 0, 295, 345},
     {},
     {2092, 367, 295, 345},
     rposPrimary},
    {"a partial record centres as on first run",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     {{"Left", "100"}, {"Top", "200"}, {"Width", "300"}},
     {812, 367, 295, 345},
     rposPrimary},
    {"a value edited to a non-number reads as absent",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     [] {
         auto record = Record(100, 200, 300, 400);
         record["Left"] = "abc";
         return record;
     }(),
     {812, 367, 295, 345},
     rposPrimary},
    {"a stored record on one monitor",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     Record(100, 200, 300, 400),
     {100, 200, 300, 400},
     rposPrimary},
    {"a second monitor at negative coordinates",
     {Primary1920, LeftOfPrimary},
     true,
     {0, 0, 295, 345},
     Record(-1000, -20, 295, 345, 1),
     {-1000, -20, 295, 345},
     rposSecondary},
    {"the second monitor vanished: negative coordinates are ignored",
     {Primary1920},
     true,
     {40, 60, 295, 345},
     Record(-1000, -20, 300, 350, 1),
     {40, 60, 300, 350},
     rposPrimary},
    {"the second monitor vanished: a position past the edge is pulled back",
     {Primary1920},
     true,
     {40, 60, 295, 345},
     Record(2500, 100, 300, 350, 1),
     {1620, 100, 300, 350},
     rposPrimary},
    {"a negative left on the primary keeps the window's own left",
     {Primary1920},
     true,
     {40, 60, 295, 345},
     Record(-5, 100, 295, 345),
     {40, 100, 295, 345},
     rposPrimary},
    {"a stored width past the right edge ends the window at that edge",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     Record(1800, 900, 400, 345),
     {1520, 735, 400, 345},
     rposPrimary},
    {"a width wider than the monitor never moves the left below 0",
     {Primary1920},
     true,
     {0, 0, 295, 345},
     Record(300, 10, 2500, 345),
     {0, 10, 2500, 345},
     rposPrimary},
    {"the second monitor's extent adds the first one's width",
     {Primary1920, RightOfPrimary},
     true,
     {0, 0, 295, 345},
     Record(3700, 100, 300, 345, 1),
     {3540, 100, 300, 345},
     rposSecondary},
    {"flag 0 with the primary second: the extent covers both",
     {FirstNotPrimary, SecondPrimary},
     true,
     {0, 0, 295, 345},
     Record(3000, 100, 400, 345),
     {2800, 100, 400, 345},
     rposPrimary},
    {"flag 1 with the primary second: the first monitor",
     {FirstNotPrimary, SecondPrimary},
     true,
     {0, 0, 295, 345},
     Record(1100, 100, 400, 345, 1),
     {880, 100, 400, 345},
     rposSecondary},
    {"an unknown monitor flag takes the first monitor and any sign",
     {Primary1920, LeftOfPrimary},
     true,
     {0, 0, 295, 345},
     Record(-10, -10, 300, 345, 7),
     {-10, -10, 300, 345},
     rposPrimary},
    {"a borderless window on one monitor: position as stored, size kept",
     {Primary1920},
     false,
     {0, 0, 400, 20},
     Record(1800, 1070, 500, 60),
     {1800, 1070, 400, 20},
     rposPrimary},
    {"a borderless window on two monitors: moved back with its own size",
     {Primary1920, RightOfPrimary},
     false,
     {0, 0, 400, 20},
     Record(1800, 1070, 500, 60),
     {1520, 1060, 400, 20},
     rposPrimary},
};

TEST_F(RePosAppTest, LoadPositionPlacesTheWindow) {
    for (const auto& c : LoadCases) {
        SCOPED_TRACE(c.name);
        registry = FakeRegistry();
        screens.monitors = c.monitors;
        window = FakeRePosWindow();
        window.bounds = c.before;
        window.sizeable = c.sizeable;
        Store(c.record);
        auto repos = MakeRePos();
        repos.Monitor = rposSecondary == c.monitor ? rposPrimary : rposSecondary;
        repos.LoadPosition();
        EXPECT_EQ(window.bounds, c.after);
        EXPECT_EQ(repos.Monitor, c.monitor);
        EXPECT_EQ(window.state, WindowShowState::Normal);
        EXPECT_TRUE(window.keepsOwnPosition);
    }
}

TEST_F(RePosAppTest, FirstRestoreCreatesOnlyTheKeyPath) {
    auto repos = MakeRePos();
    repos.LoadPosition();
    EXPECT_TRUE(registry.KeyExists(KeyPath));
    EXPECT_FALSE(registry.KeyExists(RecordPath));
    repos.SavePosition();
    EXPECT_EQ(registry.ValueCount(RecordPath), 6u);
}

TEST_F(RePosAppTest, SaveWritesTheRecordAsDecimalStrings) {
    screens.monitors = {Primary1920, LeftOfPrimary};
    window.bounds = {-1000, 528, 300, 400};
    MakeRePos().SavePosition();
    EXPECT_EQ(Stored("Top"), "528");
    EXPECT_EQ(Stored("Left"), "-1000");
    EXPECT_EQ(Stored("Width"), "300");
    EXPECT_EQ(Stored("Height"), "400");
    EXPECT_EQ(Stored("ShowCmd"), "0");
    EXPECT_EQ(Stored("Monitor"), "1");

    window.bounds = {100, 100, 300, 400};
    MakeRePos().SavePosition();
    EXPECT_EQ(Stored("Monitor"), "0");
    window.bounds = {5000, 5000, 300, 400};  // on no monitor at all
    MakeRePos().SavePosition();
    EXPECT_EQ(Stored("Monitor"), "0");
}

TEST_F(RePosAppTest, SavedPlacementComesBackAfterARestart) {
    screens.monitors = {Primary1920, RightOfPrimary};
    window.bounds = {2500, 300, 320, 360};
    MakeRePos().SavePosition();
    window = FakeRePosWindow();
    auto repos = MakeRePos();
    repos.LoadPosition();
    EXPECT_EQ(window.bounds, (ScreenRect{2500, 300, 320, 360}));
    EXPECT_EQ(repos.Monitor, rposSecondary);
}

TEST_F(RePosAppTest, MinimisedOrMaximisedAtExitLeavesTheRecordUnchanged) {
    Store(Record(100, 200, 300, 400));
    window.bounds = {0, 0, 1920, 1080};
    for (const auto state : {WindowShowState::Minimized, WindowShowState::Maximized}) {
        window.state = state;
        MakeRePos().SavePosition();
        EXPECT_EQ(Stored("Left"), "100");
        EXPECT_EQ(Stored("Width"), "300");
        EXPECT_EQ(Stored("ShowCmd"), "0");
    }
}

TEST_F(RePosAppTest, MaximisedWindowsWhenAllowed) {
    Store(Record(100, 200, 300, 400));
    window.state = WindowShowState::Maximized;
    window.bounds = {0, 0, 1920, 1080};
    auto repos = MakeRePos();
    repos.AllowMaximized = true;
    repos.SavePosition();
    EXPECT_EQ(Stored("ShowCmd"), "1");
    EXPECT_EQ(Stored("Left"), "100");  // the normal placement stays

    window = FakeRePosWindow();
    repos.LoadPosition();
    EXPECT_EQ(window.state, WindowShowState::Maximized);
    window = FakeRePosWindow();
    auto disallowed = MakeRePos();
    disallowed.LoadPosition();
    EXPECT_EQ(window.state, WindowShowState::Normal);
    EXPECT_EQ(window.bounds, (ScreenRect{100, 200, 300, 400}));
}

TEST_F(RePosAppTest, CustomValueNamesAndTheFallbackKeyPath) {
    WindowPlacement repos(registry, screens, window);
    repos.LeftName = "X";
    repos.TopName = "Y";
    window.bounds = {10, 20, 300, 400};
    repos.SavePosition();
    const std::string fallback = "\\Software\\My Application\\WindowPosition";
    EXPECT_EQ(registry.ReadString(fallback, "X"), "10");
    EXPECT_EQ(registry.ReadString(fallback, "Y"), "20");
    EXPECT_EQ(registry.ReadString(fallback, "Width"), "300");
}

TEST_F(RePosAppTest, StoreFailuresAreIgnored) {
    registry.failWrites = EACCES;
    window.bounds = {10, 20, 300, 400};
    auto repos = MakeRePos();
    repos.SavePosition();
    repos.LoadPosition();
    EXPECT_EQ(window.bounds, (ScreenRect{810, 340, 300, 400}));
}

TEST_F(RePosAppTest, NoMonitorsLeavesTheWindowAlone) {
    screens.monitors.clear();
    Store(Record(100, 200, 300, 400));
    window.bounds = {7, 8, 295, 345};
    MakeRePos().LoadPosition();
    EXPECT_EQ(window.bounds, (ScreenRect{7, 8, 295, 345}));
}

}  // namespace
}  // namespace korvalin
