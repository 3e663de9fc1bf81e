#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control/Controller.h"
#include "control/FigureDisplay.h"
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

class RadioCheckList;
class LinkLabel;
class FlatButton;
class ColourScheme;
class SpinEdit;
class TrayIcon;
class SystemIntegration;

// Everything the configuration window works with, handed in by the program's start (the
// real back ends) or by a test (fakes).
struct ConfigurationWindowDependencies {
    // The controller this window is the view of; it outlives the window.
    Controller& controller;
    Dialogs& dialogs;
    Registry& registry;
    Shell& shell;
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

// The configuration window: the controller's view. It builds the controls, reflects the
// controller's settings into them at start-up, passes the user's changes and commands back
// and shows the figures the controller hands it; it also moves the program between the
// notification area and the open window.
class ConfigurationWindow final : public QWidget, public FigureDisplay {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 625;
    static constexpr int ClientHeight = 533;
    // How often the sums reach the settings file while they change. The window's clock
    // drives the controller's save: it runs on the user-interface thread already, and the
    // console view, which never saves, needs none.
    static constexpr int SumsSaveIntervalMs = 60000;

    explicit ConfigurationWindow(ConfigurationWindowDependencies dependencies);
    ~ConfigurationWindow() override;

    // Start-up; false when the program has to end at once (no interface table).
    bool FormCreate();
    void FormShow();
    void FormDestroy();

    // The controller's figures in the labels.
    void ShowTraffic(const TrafficFigures& figures) override;
    void ShowSums(const SumFigures& sums) override;

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

    Controller& Control() { return controller_; }
    ColourScheme& ColorMap() { return *XPBlueColorMap; }
    bool TrayAvailable() const { return trayAvailable_; }
    // The configuration window has been shown at least once.
    bool ShowMainForm() const { return showMainForm_; }

    // Controls, named as on the window.
    QRadioButton* RB1 = nullptr;
    QRadioButton* RB2 = nullptr;
    QStackedWidget* Notebook = nullptr;
    QLabel* Label9 = nullptr;
    RadioCheckList* LB = nullptr;
    FlatButton* Button3 = nullptr;
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
    FlatButton* SNMPTestBtn = nullptr;
    QLabel* Label12 = nullptr;
    SpinEdit* SNMPIntervalEdit = nullptr;
    QLabel* Label13 = nullptr;
    QCheckBox* ExchangeSendAndReceiveRateChkBox = nullptr;
    QCheckBox* CorrectUpDownRateChkBox = nullptr;
    QLabel* Label14 = nullptr;
    SpinEdit* CorrectUpEdit = nullptr;
    QLabel* Label15 = nullptr;
    SpinEdit* CorrectDownEdit = nullptr;
    QLabel* Label16 = nullptr;
    FlatButton* SNMPStartBtn = nullptr;
    FlatButton* SNMPInfoBtn = nullptr;
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
    FlatButton* Button4 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    QCheckBox* AllInByteChkBox = nullptr;
    QCheckBox* ShowInTitleBar = nullptr;
    QCheckBox* BigWindowChkBox = nullptr;
    QCheckBox* MiniChkBox = nullptr;
    QCheckBox* AutoStartChkBox = nullptr;
    FlatButton* Button1 = nullptr;
    FlatButton* Button2 = nullptr;
    FlatButton* Button5 = nullptr;
    FlatButton* HelpBtn = nullptr;
    FlatButton* MySpeedButton1 = nullptr;
    QFrame* Bevel1 = nullptr;
    LinkLabel* FooterLinkLabel = nullptr;
    // The state of saving, shown while a save fails and once it works again.
    QLabel* SaveStatusLabel = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Konfiguration1 = nullptr;
    QAction* Beenden1 = nullptr;
    TrayIcon* trayIcon = nullptr;
    ColourScheme* XPBlueColorMap = nullptr;

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
    void GiveButtonsTheirGlyphs();
    void BuildComponents();
    void ConnectHandlers();
    void ApplyColorScheme();
    void CenterOnScreen();

    void FillAdapterList();
    void ReflectSettings();
    void SetRouterControlsLocked(bool locked);
    void ShowInterfaces(const std::vector<std::string>& interfaces, int selected);
    void TestAnswered();
    void HideSteps();
    void ShowSaveStatus(bool failing, const std::string& text);
    void RestoreSteps();

    Controller& controller_;
    Dialogs& dialogs_;
    Registry& registry_;
    Shell& shell_;
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
};

}  // namespace korvalin
