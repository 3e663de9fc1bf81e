#pragma once

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "app/ConfigurationWindow.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeTrafficMonitors.h"
#include "support/IniText.h"

namespace korvalin::testing {

// A real configuration window and its controller on scripted monitors, fake ports and a settings
// file in a temporary folder.
class MainFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        shell.appDataFolder = folder.path().toStdString();
        shell.programPath = "/opt/korvalin/bin/korvalin";
    }

    void TearDown() override {
        main.reset();
        controller.reset();
    }

    std::string IniPath() const { return shell.appDataFolder + "/Korvalin/korvalin.ini"; }

    void WriteIni(const std::string& text) {
        std::filesystem::create_directories(shell.appDataFolder + "/Korvalin");
        std::ofstream(IniPath()) << text;
    }

    std::string ReadIniText() const {
        std::ifstream in(IniPath());
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    IniMap ReadIni() const { return ParseIni(ReadIniText()); }

    // Builds the controller and the window on scripted monitors and runs its start-up.
    bool Start() {
        auto adapterMonitor = std::make_unique<FakeAdapterSource>();
        auto routerMonitor = std::make_unique<FakeRouterSource>();
        adapter = adapterMonitor.get();
        router = routerMonitor.get();
        adapter->loads = adapterLoads;
        adapter->adapters = adapters;
        return StartWith(std::move(adapterMonitor), std::move(routerMonitor));
    }

    // Builds the controller and the window on the given monitors and runs its start-up.
    bool StartWith(std::unique_ptr<AdapterSource> adapterMonitor,
                   std::unique_ptr<RouterSource> routerMonitor) {
        controller = std::make_unique<Controller>(ControllerParts{
            dialogs,
            shell,
            std::move(adapterMonitor),
            std::move(routerMonitor),
            std::make_unique<RecordingStatusWindows>(status),
            nullptr,
        });
        ConfigurationWindowDependencies dependencies{
            *controller, dialogs, registry, shell, trayAvailable, [this] { ++quits; }, {}, {}, {},
        };
        main = std::make_unique<ConfigurationWindow>(std::move(dependencies));
        return main->FormCreate();
    }

    // The next message box answer, and the last message shown.
    const FakeDialogs::Message& LastMessage() const { return dialogs.messages.back(); }

    QTemporaryDir folder;
    FakeDialogs dialogs;
    FakeRegistry registry;
    FakeShell shell;
    RecordingStatusWindows::Log status;
    bool adapterLoads = true;
    bool trayAvailable = true;
    std::vector<std::string> adapters{"eth0", "wlan0"};
    int quits = 0;
    FakeAdapterSource* adapter = nullptr;
    FakeRouterSource* router = nullptr;
    std::unique_ptr<Controller> controller;
    std::unique_ptr<ConfigurationWindow> main;
};

// A settings file that is not the first start, adapter source, everything else default.
inline const char* const SettledIni = "[Options]\nNew=0\n";

}  // namespace korvalin::testing
