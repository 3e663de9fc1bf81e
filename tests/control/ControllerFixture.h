#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "control/Controller.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeShell.h"
#include "fakes/FakeTrafficMonitors.h"
#include "fakes/TempFolder.h"
#include "support/IniText.h"

namespace korvalin::testing {

// Records the figures the controller hands the configuration window.
class RecordingFigureDisplay final : public FigureDisplay {
public:
    std::vector<TrafficFigures> traffic;
    std::vector<SumFigures> sums;

    void ShowTraffic(const TrafficFigures& figures) override { traffic.push_back(figures); }
    void ShowSums(const SumFigures& figures) override { sums.push_back(figures); }
};

// A controller on scripted sources, fake ports and a settings file in a temporary folder,
// without any window.
class ControllerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(folder.Path().empty());
        shell.appDataFolder = folder.Path();
    }

    std::string IniPath() const { return shell.appDataFolder + "/Korvalin/korvalin.ini"; }

    void WriteIni(const std::string& text) {
        std::filesystem::create_directories(shell.appDataFolder + "/Korvalin");
        TempFolder::WriteFile(IniPath(), text);
    }

    std::string ReadIniText() const {
        return std::filesystem::exists(IniPath()) ? TempFolder::ReadFile(IniPath()) : "";
    }

    IniMap ReadIni() const { return ParseIni(ReadIniText()); }

    // Builds the controller and runs its Open (the settings are loaded then).
    bool Open() {
        auto adapterSource = std::make_unique<FakeAdapterSource>();
        auto routerSource = std::make_unique<FakeRouterSource>();
        adapter = adapterSource.get();
        router = routerSource.get();
        adapter->loads = adapterLoads;
        adapter->adapters = adapters;
        controller = std::make_unique<Controller>(ControllerParts{
            dialogs,
            shell,
            std::move(adapterSource),
            std::move(routerSource),
            std::make_unique<RecordingStatusWindows>(status),
            nullptr,
        });
        controller->SetDiagnostics(diagnostics);
        controller->SetOnSaveProblem([this](bool failing, const std::string& text) {
            saveReports.push_back({failing, text});
        });
        controller->SetFigureDisplay(&figures);
        controller->SetOnInterfaces([this](const std::vector<std::string>& list, int selected) {
            shownInterfaces = list;
            selectedInterface = selected;
            // The window's interface box shows the selected entry.
            controller->SetShownInterface(selected >= 0 ? list[selected] : std::string());
        });
        return controller->Open();
    }

    // The whole start-up as the window runs it, without the window's own steps.
    bool Start() {
        if (!Open()) {
            return false;
        }
        controller->StartSource();
        controller->FinishStartUp();
        controller->ChooseSource(controller->Settings().monLAN);
        controller->EndLoading();
        return true;
    }

    void StartSettled(const std::string& extraOptions = "", const std::string& sums = "") {
        WriteIni("[Options]\nNew=0\n" + extraOptions + "[Sums]\n" + sums);
        ASSERT_TRUE(Start());
    }

    const FakeDialogs::Message& LastMessage() const { return dialogs.messages.back(); }

    TempFolder folder;
    FakeDialogs dialogs;
    FakeShell shell;
    RecordingStatusWindows::Log status;
    RecordingFigureDisplay figures;
    bool adapterLoads = true;
    std::vector<std::string> adapters{"eth0", "wlan0"};
    FakeAdapterSource* adapter = nullptr;
    FakeRouterSource* router = nullptr;
    std::vector<std::string> shownInterfaces;
    // What the controller reported on its diagnostics stream and to the view.
    std::ostringstream diagnostics;
    struct SaveReport {
        bool failing;
        std::string text;
    };
    std::vector<SaveReport> saveReports;
    int selectedInterface = -2;
    std::unique_ptr<Controller> controller;
};

}  // namespace korvalin::testing
