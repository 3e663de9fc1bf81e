#include "control/Controller.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

#include "core/DataFolder.h"
#include "core/SettingsFile.h"
#include "core/TextTools.h"

namespace korvalin {
namespace {

const char* const InitErrorText =
    "Fehler beim Initialisieren, diese Anwendung benötigt Windows 98 oder höher, Windows NT 4 "
    "ab SP 4 oder Windows 2000/XP/Vista/77!";

// Adds in signed 32-bit arithmetic that wraps, as the persistent sums are kept.
std::int32_t WrappingAdd(std::int32_t sum, std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(sum) +
                                     static_cast<std::uint32_t>(value));
}

// What a settings file ErrorCode means, for a person.
std::string ErrorText(std::int32_t errorCode) {
    switch (errorCode) {
    case -1:
        return "the file cannot be opened";
    case 3:
        return std::strerror(ENOENT);
    case 5:
        return "the file is read-only";
    default:
        return errorCode > 0 ? std::strerror(errorCode) : "error " + std::to_string(errorCode);
    }
}

}  // namespace

Controller::Controller(ControllerParts parts)
    : dialogs_(parts.dialogs),
      shell_(parts.shell),
      adapter_(std::move(parts.adapter)),
      router_(std::move(parts.router)),
      statusWindows_(std::move(parts.statusWindows)),
      captionText_(std::move(parts.captionText)),
      ini_(std::make_unique<SettingsFile>(dialogs_, shell_)),
      diagnostics_(&std::cerr) {
    if (!statusWindows_) {
        statusWindows_ = std::make_unique<StatusWindows>();
    }
    if (!captionText_) {
        captionText_ = std::make_unique<CaptionTextDisplay>();
    }
    ini_->SetIniLocation(loUser);
}

Controller::~Controller() {
    Shutdown();
}

// ---- start-up and shutdown ----

bool Controller::Open() {
    settings_ = PersistentSettings();
    ini_->SetIniFileName(DataFolder(shell_, dialogs_).SettingsFilePath());
    initialized_ = false;
    loading_ = true;
    opened_ = true;
    captionText_->Prepare();

    router_->SetOnTraffic([this](const TrafficSample& sample) { RouterTraffic(sample); });
    router_->SetOnInterfaces([this] { InterfacesArrived(); });
    adapter_->SetOnTraffic([this](const TrafficSample& sample) { AdapterTraffic(sample); });
    adapter_->Init();
    if (!adapter_->Loaded()) {
        dialogs_.MessageBox(InitErrorText, "Korvalin", Dialogs::StyleOk);
        return false;
    }
    settings_ = LoadSettings(*ini_, adapter_->Adapters());
    ReportUnreadableSettings();
    if (settings_.showInTitleBar) {
        captionText_->SetEnabled(true);
    }
    ApplyCorrection();
    return true;
}

void Controller::ReportUnreadableSettings() {
    const int error = ini_->ReadFailure();
    if (error == 0) {
        return;
    }
    const std::string path = ini_->IniFileName();
    *diagnostics_ << "korvalin: cannot read the settings file " << path << ": " << ErrorText(error)
                  << "; starting with the factory settings." << std::endl;
    MsgBox(dialogs_,
           "Die Einstellungen in " + path + " können nicht gelesen werden (" + ErrorText(error) +
               "). Korvalin startet mit den Werkseinstellungen.",
           "", mkWarning, {btnOK});
}

void Controller::StartSource() {
    adapter_->SetActive(false);
    router_->SetActive(false);
    if (settings_.snmpRequest) {
        settings_.monLAN = false;
    }
    if (settings_.monLAN) {
        adapter_->SetAdapterName(settings_.monitor);
        if (adapter_->AdapterName().empty()) {
            adapter_->SelectAdapterAt(-1);
        }
        adapter_->SetActive(true);
    } else {
        StartRouterPolling();
    }
}

void Controller::FinishStartUp() {
    ShowStatusDisplays();
    initialized_ = true;
    UpdateSums();
    NoteSumsSaved();
}

void Controller::Shutdown() {
    if (!opened_ || shutDown_) {
        return;
    }
    shutDown_ = true;
    // Saved before the sources are released: the router source drops the reading it
    // waits for when it goes, and the sums it has counted must be in the file first.
    SaveSettings();
    adapter_->SetOnTraffic({});
    router_->SetOnTraffic({});
    router_->SetOnInterfaces({});
    adapter_.reset();
    router_.reset();
    statusWindows_->Release();
}

// ---- samples and sums ----

void Controller::AdapterTraffic(const TrafficSample& sample) {
    FanOut({sample.IntervalReceived, sample.IntervalSent, sample.TotalReceived, sample.TotalSent,
            settings_.allInByte},
           sample.IntervalReceived, sample.IntervalSent, false);
}

void Controller::RouterTraffic(const TrafficSample& sample) {
    // The displays show the interval's rate, the sums count its bytes.
    FanOut({router_->PerSecond(sample.IntervalReceived), router_->PerSecond(sample.IntervalSent),
            sample.TotalReceived, sample.TotalSent, settings_.allInByte},
           sample.IntervalReceived, sample.IntervalSent, true);
}

void Controller::FanOut(const TrafficFigures& shown, std::int64_t intervalReceived,
                        std::int64_t intervalSent, bool sumsBeforeWindows) {
    if (figures_ != nullptr) {
        figures_->ShowTraffic(shown);
    }
    // The router's sums are up to date before the status windows see its sample; the
    // adapter's follow them.
    if (sumsBeforeWindows) {
        AddToSums(intervalReceived, intervalSent);
    }
    statusWindows_->UpdateTraffic(shown.received, shown.sent, shown.totalReceived, shown.totalSent);
    if (!sumsBeforeWindows) {
        AddToSums(intervalReceived, intervalSent);
    }
    if (captionText_->Enabled()) {
        captionText_->SetTextToAdd(korvalin::CaptionText(
            shown.allInByte, shown.received, shown.sent, shown.totalReceived, shown.totalSent));
    }
}

void Controller::AddToSums(std::int64_t received, std::int64_t sent) {
    settings_.sumSend = WrappingAdd(settings_.sumSend, sent);
    settings_.sumReceive = WrappingAdd(settings_.sumReceive, received);
    UpdateSums();
}

void Controller::UpdateSums() {
    std::int32_t& sent = settings_.sumSend;
    std::int32_t& received = settings_.sumReceive;
    sent = std::max(sent, std::int32_t{0});
    received = std::max(received, std::int32_t{0});
    // Together past 2 147 483 647 bytes: both sums start again ("max. 2 GB").
    if (WrappingAdd(received, sent) < 0) {
        sent = 0;
        received = 0;
    }
    if (figures_ != nullptr) {
        figures_->ShowSums({sent, received, WrappingAdd(sent, received), settings_.allInByte});
    }
}

bool Controller::ResetSums() {
    const int answer =
        MsgBox(dialogs_, "Sind Sie sicher, dass Sie die Summen auf 0 Byte setzen möchten?", "",
               mkConfirmation, {btnYesNo});
    if (answer != IdYes) {
        return false;
    }
    settings_.sumSend = 0;
    settings_.sumReceive = 0;
    UpdateSums();
    return true;
}

void Controller::SaveSettings() {
    if (loading_) {
        return;
    }
    // The interface box is filled only once the router was asked; until then it is empty,
    // and writing that would forget the interface the user chose in an earlier run.
    if (!shownInterface_.empty()) {
        settings_.snmpMonIntf = shownInterface_;
    }
    const std::int32_t error = korvalin::SaveSettings(*ini_, settings_);
    settingsUnsaved_ = error != 0;
    if (error == 0) {
        NoteSumsSaved();
    }
    NoteSaveOutcome(error);
}

void Controller::SaveSums() {
    if (loading_ ||
        (settings_.sumSend == savedSumSend_ && settings_.sumReceive == savedSumReceive_)) {
        return;
    }
    const std::int32_t error = SaveSettingsSection(*ini_, settings_, "Sums");
    if (error == 0) {
        NoteSumsSaved();
    }
    NoteSaveOutcome(error);
}

void Controller::PeriodicSave() {
    if (settingsUnsaved_) {
        SaveSettings();
    } else {
        SaveSums();
    }
}

void Controller::SaveSumsOnExit() {
    onSaveProblem_ = nullptr;
    SaveSums();
}

void Controller::NoteSaveOutcome(std::int32_t errorCode) {
    const std::string path = ini_->IniFileName();
    if (errorCode == 0) {
        if (saveFailing_) {
            saveFailing_ = false;
            Report(false, "The settings are saved to " + path + " again.");
        }
        return;
    }
    if (saveFailing_) {
        return;  // said once; each later save tries again
    }
    saveFailing_ = true;
    Report(true, "Cannot save the settings to " + path + ": " + ErrorText(errorCode) +
                     ". Every later save tries again.");
}

void Controller::Report(bool failing, const std::string& text) {
    *diagnostics_ << "korvalin: " << text << std::endl;
    if (onSaveProblem_) {
        onSaveProblem_(failing, text);
    }
}

void Controller::NoteSumsSaved() {
    savedSumSend_ = settings_.sumSend;
    savedSumReceive_ = settings_.sumReceive;
}

// ---- the source ----

void Controller::ChooseAdapter() {
    adapter_->SetActive(false);
    if (!settings_.monLAN) {
        return;
    }
    if (!settings_.monitor.empty()) {
        adapter_->SetAdapterName(settings_.monitor);
    }
    adapter_->SetActive(true);
    SaveSettings();
}

void Controller::ChooseSource(bool adapter) {
    settings_.monLAN = adapter;
    if (!adapter) {
        return;
    }
    settings_.snmpRequest = false;
    router_->SetActive(false);
    ChooseAdapter();
}

void Controller::ConfigureRouter() {
    router_->SetHost(settings_.snmpIP);
    router_->SetCommunity(settings_.snmpCommunity);
    ApplyCorrection();
    router_->SetExchangeRates(settings_.exchangeSendAndReceiveRate);
}

void Controller::PollRememberedInterface() {
    router_->SetInterfaceName(settings_.snmpMonIntf);
    router_->SetInterval(settings_.snmpInterval * 1000);
    router_->SetActive(true);
}

void Controller::StartRouterPolling() {
    ConfigureRouter();
    // The list arrives from the agent later; InterfacesArrived selects in it then.
    copyFirstInterface_ = true;
    router_->RefreshInterfaces();
    PollRememberedInterface();
}

void Controller::InterfacesArrived() {
    const std::vector<std::string> interfaces = router_->Interfaces();
    int selected = -1;
    if (!interfaces.empty()) {
        const auto found = std::find(interfaces.begin(), interfaces.end(), settings_.snmpMonIntf);
        if (found != interfaces.end()) {
            selected = static_cast<int>(found - interfaces.begin());
        } else {
            selected = 0;
            if (copyFirstInterface_) {
                settings_.snmpMonIntf = interfaces.front();
            }
        }
    }
    copyFirstInterface_ = false;
    if (onInterfaces_) {
        onInterfaces_(interfaces, selected);
    }
}

void Controller::TestConnection(std::function<void(bool answered)> done) {
    const std::string host = settings_.snmpIP;
    const std::string community = settings_.snmpCommunity;
    router_->TestConnection(
        host, community,
        [this, host, community, done = std::move(done)](bool answered, const std::string&) {
            if (done) {
                done(answered);
            }
            if (!answered) {
                MsgBox(dialogs_, "Der Test war NICHT erfolgreich.", "", mkError, {btnOK});
                return;
            }
            MsgBox(dialogs_, "Der Test war erfolgreich.", "", mkInformation, {btnOK});
            if (!shownInterface_.empty()) {
                settings_.snmpMonIntf = shownInterface_;
            }
            copyFirstInterface_ = false;
            router_->SetHost(host);
            router_->SetCommunity(community);
            router_->RefreshInterfaces();
        });
}

bool Controller::StartPolling() {
    if (shownInterface_.empty()) {
        MsgBox(dialogs_,
               "Wählen Sie zuerst ein Interface, das überwacht werden soll.\r\rKlicken Sie "
               "dazu auf \"Testen\" und wählen Sie danach das Interface.",
               "", mkError, {btnOK});
        return false;
    }
    settings_.snmpRequest = true;
    ConfigureRouter();
    settings_.snmpMonIntf = shownInterface_;
    PollRememberedInterface();
    adapter_->SetActive(false);
    SaveSettings();
    return true;
}

void Controller::ApplyCorrection() {
    router_->SetCorrectRates(settings_.correctUpDownRate);
    router_->SetCorrectUp(settings_.correctUpValue);
    router_->SetCorrectDown(settings_.correctDownValue);
}

// ---- options and the displays beside the window ----

void Controller::SetAllInByte(bool on) {
    settings_.allInByte = on;
    SaveSettings();
}

void Controller::SetShowInTitleBar(bool on) {
    settings_.showInTitleBar = on;
    captionText_->SetEnabled(on);
    SaveSettings();
}

void Controller::SetShowBigWindow(bool on) {
    settings_.showBigWindow = on;
    if (!initialized_) {
        return;
    }
    SaveSettings();
    if (on) {
        statusWindows_->ShowBig();
    } else {
        statusWindows_->CloseBig();
    }
}

void Controller::SetShowMiniWindow(bool on) {
    settings_.showMiniWindow = on;
    if (!initialized_) {
        return;
    }
    SaveSettings();
    if (on) {
        statusWindows_->ShowSmall(settings_.miniBarWindowVisible);
    } else {
        statusWindows_->CloseSmall();
    }
}

void Controller::ShowStatusDisplays() {
    if (settings_.showMiniWindow) {
        statusWindows_->ShowSmall(settings_.miniBarWindowVisible);
    }
    if (settings_.showBigWindow) {
        statusWindows_->ShowBig();
    }
}

void Controller::ShowBackgroundDisplays() {
    captionText_->Prepare();
    captionText_->SetEnabled(settings_.showInTitleBar);
    ShowStatusDisplays();
}

void Controller::HideBackgroundDisplays() {
    statusWindows_->CloseSmall();
    statusWindows_->CloseBig();
    captionText_->SetEnabled(false);
}

}  // namespace korvalin
