#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "control/CaptionTextDisplay.h"
#include "control/FigureDisplay.h"
#include "control/PersistentSettings.h"
#include "control/StatusWindows.h"
#include "control/TrafficSources.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

namespace korvalin {

class SettingsFile;

// What the controller drives, handed in by the program's start (the real back ends) or by
// a test (fakes).
struct ControllerParts {
    Dialogs& dialogs;
    const Shell& shell;
    std::unique_ptr<AdapterSource> adapter;
    std::unique_ptr<RouterSource> router;
    // Empty: windows that do nothing.
    std::unique_ptr<StatusWindows> statusWindows;
    std::unique_ptr<CaptionTextDisplay> captionText;
};

// The program's controller: owns the two sources and the settings file, keeps the settings
// and the persistent sums, starts and switches the source and hands every sample on to the
// figure labels, the status windows and the caption text. The configuration window is its
// view: it reflects Settings() into its controls and passes the user's changes back.
class Controller {
public:
    explicit Controller(ControllerParts parts);
    ~Controller();
    Controller(const Controller&) = delete;
    Controller& operator=(const Controller&) = delete;

    // nullptr: no figure labels.
    void SetFigureDisplay(FigureDisplay* display) { figures_ = display; }
    // Runs when the router's interface list has arrived, with the entry to select (-1 when
    // the list is empty).
    void SetOnInterfaces(
        std::function<void(const std::vector<std::string>& interfaces, int selected)> handler) {
        onInterfaces_ = std::move(handler);
    }

    // Start-up, in this order. Open: sets loading, names the settings file, prepares the
    // caption text, attaches to both sources and loads the interface table service; when
    // that fails, says so and returns false (nothing is ever saved then). Otherwise it
    // loads the settings.
    bool Open();
    // Switches both sources off and starts the chosen one; a permanent router request
    // chooses the router.
    void StartSource();
    // Shows the chosen status displays, marks start-up done and shows the sums.
    void FinishStartUp();
    // Saving is possible from here on.
    void EndLoading() { loading_ = false; }
    // Saves the settings and releases the sources and the small window; once only.
    void Shutdown();

    bool Loading() const { return loading_; }
    void SetLoading(bool loading) { loading_ = loading; }
    bool Initialized() const { return initialized_; }
    bool FirstStart() const { return settings_.firstStart; }
    // The live settings; the window writes its controls' plain values straight in.
    PersistentSettings& Settings() { return settings_; }
    const PersistentSettings& Settings() const { return settings_; }

    // One sample of either source: the figure labels, the status windows, the sums and the
    // caption text.
    void AdapterTraffic(const TrafficSample& sample);
    void RouterTraffic(const TrafficSample& sample);

    // Bounds the sums ("max. 2 GB") and shows them.
    void UpdateSums();
    // Asks first; true when the sums were reset.
    bool ResetSums();
    // The whole schema; nothing while loading.
    void SaveSettings();
    // The section "Sums" alone, when the sums changed since they were last written.
    void SaveSums();
    // The clock's save: the whole schema again while an earlier save failed, else the sums.
    void PeriodicSave();
    // The sums alone, for an end that runs no more window code: no view is told.
    void SaveSumsOnExit();
    // Whether the last save failed (reported once; every later save retries).
    bool SaveFailing() const { return saveFailing_; }

    // Runs when saving starts failing (failing true) and when it works again, with the
    // text that says so; the same text goes to the diagnostics stream.
    void SetOnSaveProblem(std::function<void(bool failing, const std::string& text)> handler) {
        onSaveProblem_ = std::move(handler);
    }
    // Where failures are reported besides the view; standard error unless a test says
    // otherwise.
    void SetDiagnostics(std::ostream& out) { diagnostics_ = &out; }

    // The checked entry of the adapter list, as saved under "Monitor"; empty: none.
    void SetCheckedAdapter(const std::string& adapter) { settings_.monitor = adapter; }
    // Restarts the adapter source on the checked adapter, when it is the source, and saves.
    void ChooseAdapter();
    // The user chose the adapter (true) or the router as the source; choosing the router
    // only remembers it until polling is started.
    void ChooseSource(bool adapter);
    // The text the router's interface box shows; an empty box never replaces the
    // remembered interface.
    void SetShownInterface(const std::string& text) { shownInterface_ = text; }
    // Asks the agent at the settings' host with their community; on an answer shows the
    // outcome, takes the host and community over and rereads the interface list. done runs
    // first, on the user-interface thread.
    void TestConnection(std::function<void(bool answered)> done);
    // Polls the shown interface permanently and saves; says why not when none is shown.
    bool StartPolling();
    // Hands the correction settings to the router source.
    void ApplyCorrection();

    void SetAllInByte(bool on);
    void SetShowInTitleBar(bool on);
    // Both act only once start-up has finished.
    void SetShowBigWindow(bool on);
    void SetShowMiniWindow(bool on);

    // The configuration window went to the notification area: the caption text as
    // chosen and the chosen status windows.
    void ShowBackgroundDisplays();
    // The configuration window came back: status windows closed, caption text off.
    void HideBackgroundDisplays();

    AdapterSource& Adapter() { return *adapter_; }
    RouterSource& Router() { return *router_; }
    StatusWindows& Status() { return *statusWindows_; }
    CaptionTextDisplay& CaptionText() { return *captionText_; }
    SettingsFile& IniFile() { return *ini_; }

private:
    // A settings file that exists but cannot be read leaves the factory settings: the
    // user is told why their settings are gone.
    void ReportUnreadableSettings();
    void StartRouterPolling();
    void ConfigureRouter();
    // Polls settings_.snmpMonIntf every settings_.snmpInterval seconds.
    void PollRememberedInterface();
    void InterfacesArrived();
    void ShowStatusDisplays();
    void FanOut(const TrafficFigures& shown, std::int64_t intervalReceived,
                std::int64_t intervalSent, bool sumsBeforeWindows);
    void AddToSums(std::int64_t received, std::int64_t sent);
    void NoteSumsSaved();
    void NoteSaveOutcome(std::int32_t errorCode);
    void Report(bool failing, const std::string& text);

    Dialogs& dialogs_;
    const Shell& shell_;
    std::unique_ptr<AdapterSource> adapter_;
    std::unique_ptr<RouterSource> router_;
    std::unique_ptr<StatusWindows> statusWindows_;
    std::unique_ptr<CaptionTextDisplay> captionText_;
    std::unique_ptr<SettingsFile> ini_;
    FigureDisplay* figures_ = nullptr;
    std::function<void(const std::vector<std::string>&, int)> onInterfaces_;

    PersistentSettings settings_;
    bool loading_ = false;
    bool initialized_ = false;
    bool opened_ = false;
    bool shutDown_ = false;
    std::string shownInterface_;
    // Whether the interface list that arrives next may put its first entry into the
    // remembered interface (it may after start-up, not after a test).
    bool copyFirstInterface_ = false;
    std::function<void(bool, const std::string&)> onSaveProblem_;
    std::ostream* diagnostics_;
    bool saveFailing_ = false;
    // A full save failed; the next periodic save writes the whole schema again.
    bool settingsUnsaved_ = false;
    std::int32_t savedSumSend_ = 0;
    std::int32_t savedSumReceive_ = 0;
};

}  // namespace korvalin
