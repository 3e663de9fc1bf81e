#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "control/TrafficSources.h"
#include "control/CaptionTextDisplay.h"
#include "control/StatusWindows.h"
#include "platform/Dialogs.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QRadioButton;
class QStackedWidget;
class QTimer;

namespace korvalin {

class TMyCheckListBox;
class TMyLinkLabel;
class TMySpeedButton;
class TMyXPColorMap;
class TRxSpinEdit;
class TTheIniFile;
class TTrayIcon95;
class SystemIntegration;

// Everything the configuration window works with, handed in by the program's start (the
// real back ends) or by a test (fakes).
struct TMainDependencies {
    Dialogs& dialogs;
    Registry& registry;
    Shell& shell;
    std::unique_ptr<AdapterSource> adapterMonitor;
    std::unique_ptr<RouterSource> routerMonitor;
    // Empty: windows that do nothing.
    std::unique_ptr<StatusWindows> statusWindows;
    std::unique_ptr<CaptionTextDisplay> captionText;
    // Whether the desktop has a notification area to live in.
    bool trayAvailable = true;
    // Ends the program's event loop; run after the window has been closed for good.
    std::function<void()> quit;
    // Shows the interface information window and the router information dialog modally;
    // empty until those windows exist.
    std::function<void(QWidget& owner)> showInterfaceInfo;
    std::function<void(QWidget& owner)> showRouterInfo;
    std::function<void(QWidget& owner)> showAbout;
};

// Window system commands as the configuration window handles them.
enum SystemCommand : unsigned {
    SC_MINIMIZE = 0xF020,
    SC_CLOSE = 0xF060,
    SC_RESTORE = 0xF120,
};

// The configuration window and the program's controller: start-up, the fan-out of every
// sample, the persistent sums, the settings, the user's commands and shutdown.
class TMain final : public QWidget {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 625;
    static constexpr int ClientHeight = 533;
    // How often the sums reach the settings file while they change.
    static constexpr int SumsSaveIntervalMs = 60000;

    explicit TMain(TMainDependencies dependencies);
    ~TMain() override;

    // Start-up; false when the program has to end at once (no interface table).
    bool FormCreate();
    void FormShow();
    void FormDestroy();

    void AdapterTraffic(const TrafficSample& sample);
    void RouterTraffic(const TrafficSample& sample);
    void UpdateSums();
    void LoadSettings();
    void SaveSettings();
    // Writes the section "Sums" alone, when the sums changed since the last write.
    void SaveSums();

    void WMSysCommand(unsigned command);
    void ShowConfiguration();
    void Konfiguration1Click();
    void Button1Click();
    void Beenden1Click();
    void Button5Click();
    void Button4Click();
    void HideTaskbarButton();

    void LBClickCheck();
    void RBsClick();
    void SNMPTestBtnClick();
    void SNMPStartBtnClick();
    void SNMPInfoBtnClick();
    void Button3Click();
    void CorrectUpDownRateChkBoxClick();
    void CorrectChange();
    void AllInByteChkBoxClick();
    void ShowInTitleBarClick();
    void BigWindowChkBoxClick();
    void MiniChkBoxClick();
    void AutoStartChkBoxClick();

    // Ends the program as "Programm beenden" does; used for termination signals too.
    void Terminate();

    AdapterSource& Adapter() { return *adapterMonitor_; }
    RouterSource& Router() { return *routerMonitor_; }
    StatusWindows& Status() { return *statusWindows_; }
    CaptionTextDisplay& CaptionText() { return *captionText_; }
    TTheIniFile& IniFile() { return *IniFile_; }
    TMyXPColorMap& ColorMap() { return *XPBlueColorMap; }
    bool TrayAvailable() const { return trayAvailable_; }
    // The configuration window has been shown at least once.
    bool ShowMainForm() const { return showMainForm_; }

    bool FirstStart = false;
    bool Loading = false;
    bool Initialized = false;
    std::string MonitoredAdapter;
    bool SNMPRequest = false;
    std::string SNMPMonIntf;
    std::int64_t DoubleByteMeterMaxY = 0;
    std::int64_t RcvByteMeterMaxY = 0;
    std::int64_t SendByteMeterMaxY = 0;
    bool MiniBarWindowVisible = false;
    std::int32_t sumSend = 0;
    std::int32_t sumReceive = 0;

    // Controls, named as on the window.
    QRadioButton* RB1 = nullptr;
    QRadioButton* RB2 = nullptr;
    QStackedWidget* Notebook = nullptr;
    QLabel* Label9 = nullptr;
    TMyCheckListBox* LB = nullptr;
    TMySpeedButton* Button3 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* RedImage = nullptr;
    QLabel* BlueImage = nullptr;
    QLabel* GreenImage = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* SNMPIPEditLabel = nullptr;
    QLineEdit* SNMPIPEdit = nullptr;
    QLabel* SNMPCommunityEditLabel = nullptr;
    QLineEdit* SNMPCommunityEdit = nullptr;
    QLabel* Label11 = nullptr;
    QComboBox* SNMPIntfCB = nullptr;
    TMySpeedButton* SNMPTestBtn = nullptr;
    QLabel* Label12 = nullptr;
    TRxSpinEdit* SNMPIntervalEdit = nullptr;
    QLabel* Label13 = nullptr;
    QCheckBox* ExchangeSendAndReceiveRateChkBox = nullptr;
    QCheckBox* CorrectUpDownRateChkBox = nullptr;
    QLabel* Label14 = nullptr;
    TRxSpinEdit* CorrectUpEdit = nullptr;
    QLabel* Label15 = nullptr;
    TRxSpinEdit* CorrectDownEdit = nullptr;
    QLabel* Label16 = nullptr;
    TMySpeedButton* SNMPStartBtn = nullptr;
    TMySpeedButton* SNMPInfoBtn = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* Label8 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* sumSendLabel = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* sumReceiveLabel = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* sumLabel = nullptr;
    TMySpeedButton* Button4 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* AllInByteChkBox = nullptr;
    QCheckBox* ShowInTitleBar = nullptr;
    QCheckBox* BigWindowChkBox = nullptr;
    QCheckBox* MiniChkBox = nullptr;
    QCheckBox* AutoStartChkBox = nullptr;
    TMySpeedButton* Button1 = nullptr;
    TMySpeedButton* Button2 = nullptr;
    TMySpeedButton* Button5 = nullptr;
    TMySpeedButton* HelpBtn = nullptr;
    TMySpeedButton* MySpeedButton1 = nullptr;
    QFrame* Bevel1 = nullptr;
    TMyLinkLabel* FooterLinkLabel = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Konfiguration1 = nullptr;
    QAction* Beenden1 = nullptr;
    TTrayIcon95* TrayIcon = nullptr;
    TMyXPColorMap* XPBlueColorMap = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildWindow();
    void BuildSourceColumn();
    void BuildAdapterPage(QWidget* page);
    void BuildRouterPage(QWidget* page);
    void BuildFiguresColumn();
    void BuildButtonRow();
    void BuildComponents();
    void ConnectHandlers();
    void ApplyColorScheme();
    void CenterOnScreen();

    void FillAdapterList();
    void SetRouterControlsLocked(bool locked);
    void StartRouterPolling();
    void FillInterfaceCombo();
    void SelectInterfaceOrFirst(bool copyFirstIntoField);
    void InterfacesArrived();
    void TestAnswered(const std::string& host, const std::string& community, bool answered);
    void ShowSample(std::int64_t received, std::int64_t sent, std::int64_t totalReceived,
                    std::int64_t totalSent);
    void SetCaptionText(std::int64_t received, std::int64_t sent, std::int64_t totalReceived,
                        std::int64_t totalSent);
    void AddToSums(std::int64_t received, std::int64_t sent);
    void HideSteps();
    void RestoreSteps();
    void ShowStatusDisplays();
    std::string SettingsFilePath() const;

    Dialogs& dialogs_;
    Registry& registry_;
    Shell& shell_;
    std::unique_ptr<AdapterSource> adapterMonitor_;
    std::unique_ptr<RouterSource> routerMonitor_;
    // Whether the interface list that arrives next may put its first entry into the
    // remembered interface (it may after start-up, not after a test).
    bool copyFirstInterface_ = false;
    std::unique_ptr<StatusWindows> statusWindows_;
    std::unique_ptr<CaptionTextDisplay> captionText_;
    std::unique_ptr<TTheIniFile> IniFile_;
    std::unique_ptr<SystemIntegration> systemIntegration_;
    bool trayAvailable_;
    std::function<void()> quit_;
    std::function<void(QWidget&)> showInterfaceInfo_;
    std::function<void(QWidget&)> showRouterInfo_;
    std::function<void(QWidget&)> showAbout_;
    QTimer* sumsTimer_ = nullptr;

    bool showMainForm_ = false;
    bool created_ = false;
    bool destroyed_ = false;
    bool closing_ = false;
    bool inHideSteps_ = false;
    std::int32_t savedSumSend_ = 0;
    std::int32_t savedSumReceive_ = 0;
};

}  // namespace korvalin
