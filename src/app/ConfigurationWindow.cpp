#include "app/ConfigurationWindow.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>
#include <cstdio>

#include "app/AutoStart.h"
#include "app/SystemIntegration.h"
#include "core/TextTools.h"
#include "display/ProgramIcon.h"
#include "display/TrayIcon.h"
#include "sources/AdapterMonitor.h"
#include "widgets/ColourScheme.h"
#include "widgets/FlatButton.h"
#include "widgets/LinkLabel.h"
#include "widgets/RadioCheckList.h"
#include "widgets/SpinEdit.h"

namespace korvalin {
namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string S(const QString& text) {
    return text.toStdString();
}

template <class Widget>
Widget* Make(QWidget* parent, const char* name, const QRect& geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry,
                  Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter) {
    auto* label = Make<QLabel>(parent, name, geometry);
    label->setText(text);
    label->setAlignment(alignment);
    return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& text,
                        const QRect& geometry) {
    auto* box = Make<QCheckBox>(parent, name, geometry);
    box->setText(text);
    return box;
}

FlatButton* MakeButton(QWidget* parent, const char* name, const QString& caption,
                       const QString& hint, const QRect& geometry) {
    auto* button = Make<FlatButton>(parent, name, geometry);
    button->SetCaption(caption);
    button->SetHint(hint);
    return button;
}

SpinEdit* MakeSpinEdit(QWidget* parent, const char* name, int minValue, int maxValue, int value,
                       const QRect& geometry) {
    auto* edit = Make<SpinEdit>(parent, name, geometry);
    edit->SetBounds(minValue, maxValue);
    edit->SetValue(value);
    return edit;
}

}  // namespace

ConfigurationWindow::ConfigurationWindow(ConfigurationWindowDependencies dependencies)
    : QWidget(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      controller_(dependencies.controller),
      dialogs_(dependencies.dialogs),
      registry_(dependencies.registry),
      shell_(dependencies.shell),
      trayAvailable_(dependencies.trayAvailable),
      quit_(std::move(dependencies.quit)),
      showInterfaceInfo_(std::move(dependencies.showInterfaceInfo)),
      showRouterInfo_(std::move(dependencies.showRouterInfo)),
      showAbout_(std::move(dependencies.showAbout)) {
    systemIntegration_ = std::make_unique<SystemIntegration>(shell_, dialogs_);
    BuildWindow();
    BuildComponents();
    ConnectHandlers();
}

ConfigurationWindow::~ConfigurationWindow() {
    FormDestroy();
}

// ---- the window ----

void ConfigurationWindow::BuildWindow() {
    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Korvalin - Konfiguration"));
    setWindowIcon(ProgramIcon());
    setFixedSize(ClientWidth, ClientHeight);
    // The designed font rarely exists here; a narrow sans serif keeps the texts in their
    // places.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans Narrow"), QStringLiteral("Liberation Sans"),
         QStringLiteral("Arial"), QStringLiteral("Nimbus Sans"),
         QStringLiteral("DejaVu Sans Condensed")});
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setAutoFillBackground(true);
    BuildSourceColumn();
    BuildFiguresColumn();
    BuildButtonRow();
    GiveButtonsTheirGlyphs();
    CenterOnScreen();
}

// A flat button has no frame until the pointer is over it; its picture makes it read as a
// button, not as a label.
void ConfigurationWindow::GiveButtonsTheirGlyphs() {
    const std::pair<FlatButton*, ButtonGlyph> glyphs[] = {
        {Button1, ButtonGlyph::Confirm},  {Button2, ButtonGlyph::Info},
        {Button3, ButtonGlyph::Info},     {SNMPInfoBtn, ButtonGlyph::Info},
        {HelpBtn, ButtonGlyph::Help},     {MySpeedButton1, ButtonGlyph::Web},
        {Button5, ButtonGlyph::Quit},     {Button4, ButtonGlyph::Reset},
        {SNMPTestBtn, ButtonGlyph::Test}, {SNMPStartBtn, ButtonGlyph::Start},
    };
    for (const auto& [button, glyph] : glyphs) {
        button->SetGlyphKind(glyph);
    }
}

void ConfigurationWindow::BuildSourceColumn() {
    RB1 = Make<QRadioButton>(this, "RB1", QRect(8, 8, 348, 17));
    RB1->setText(QStringLiteral("Traffic von Netzwerkkarte aufzeichnen"));
    RB1->setChecked(true);
    RB2 = Make<QRadioButton>(this, "RB2", QRect(8, 28, 348, 17));
    RB2->setText(
        QStringLiteral("Traffic des Routers oder eines Servers(SNMP-Abfrage) aufzeichnen"));

    Notebook = Make<QStackedWidget>(this, "Notebook", QRect(8, 50, 340, 400));
    auto* adapterPage = new QWidget(Notebook);
    adapterPage->setObjectName(QStringLiteral("Netzwerkkarte"));
    auto* routerPage = new QWidget(Notebook);
    routerPage->setObjectName(QStringLiteral("Router"));
    Notebook->addWidget(adapterPage);
    Notebook->addWidget(routerPage);
    BuildAdapterPage(adapterPage);
    BuildRouterPage(routerPage);
    Notebook->setCurrentIndex(0);
}

void ConfigurationWindow::BuildAdapterPage(QWidget* page) {
    // The indicator pictures only lend their images to the large window's legend; they lie
    // under the list and are never seen.
    RedImage = Make<QLabel>(page, "RedImage", QRect(10, 30, 16, 6));
    BlueImage = Make<QLabel>(page, "BlueImage", QRect(10, 40, 16, 6));
    GreenImage = Make<QLabel>(page, "GreenImage", QRect(10, 50, 16, 6));
    Label9 = MakeLabel(page, "Label9", QStringLiteral("Zu überwachender Netzwerkadapter:"),
                       QRect(0, 4, 334, 16));
    LB = Make<RadioCheckList>(page, "LB", QRect(0, 22, 334, 230));
    LB->SetCheckKind(RadioCheckList::ckRadioButtons);
    LB->SetItemHeight(17);
    Button3 = MakeButton(page, "Button3", QStringLiteral("Interface-Infos..."),
                         QStringLiteral("Zeigt Infos zu allen installierten Netzwerkkarten"),
                         QRect(0, 258, 150, 24));
    Label19 = MakeLabel(
        page, "Label19",
        QStringLiteral("Wählen Sie den Adapter \"WAN (PPP/SLIP) Interface\" unter Windows "
                       "NT/2K/XP bzw. PPP Adapter unter Windows 9x/Me, um die Datenmenge des "
                       "DFÜ-Netzwerks aufzeichnen zu lassen."),
        QRect(0, 290, 334, 70), Qt::AlignLeft | Qt::AlignTop);
    Label19->setWordWrap(true);
}

void ConfigurationWindow::BuildRouterPage(QWidget* page) {
    Label10 = MakeLabel(page, "Label10",
                        QStringLiteral("Der Router oder Server muss die Abfrage über SNMP "
                                       "unterstützen. \nBei den meisten Routern muss diese "
                                       "Abfrage zuerst im Webinterface aktiviert werden (siehe "
                                       "Handbuch zum Router)."),
                        QRect(0, 0, 334, 72), Qt::AlignLeft | Qt::AlignTop);
    Label10->setWordWrap(true);
    SNMPIPEditLabel =
        MakeLabel(page, "SNMPIPEditLabel", QStringLiteral("IP-Adresse des Routers oder Servers:"),
                  QRect(0, 76, 200, 16));
    SNMPIPEdit = Make<QLineEdit>(page, "SNMPIPEdit", QRect(0, 92, 190, 21));
    SNMPIPEdit->setText(QStringLiteral("192.168.0.1"));
    SNMPIPEditLabel->setBuddy(SNMPIPEdit);
    SNMPTestBtn = MakeButton(page, "SNMPTestBtn", QStringLiteral("Testen"),
                             QStringLiteral("Testen der Verbindung zum Router oder Server"),
                             QRect(224, 90, 110, 24));
    SNMPCommunityEditLabel = MakeLabel(page, "SNMPCommunityEditLabel", QStringLiteral("Community:"),
                                       QRect(0, 118, 190, 16));
    SNMPCommunityEdit = Make<QLineEdit>(page, "SNMPCommunityEdit", QRect(0, 134, 190, 21));
    SNMPCommunityEdit->setText(QStringLiteral("vindra"));
    SNMPCommunityEditLabel->setBuddy(SNMPCommunityEdit);
    Label11 = MakeLabel(page, "Label11", QStringLiteral("Interface:"), QRect(0, 162, 190, 16));
    SNMPIntfCB = Make<QComboBox>(page, "SNMPIntfCB", QRect(0, 178, 334, 22));
    SNMPIntfCB->setEditable(false);
    Label12 = MakeLabel(page, "Label12", QStringLiteral("Abfrage alle"), QRect(0, 208, 70, 21));
    SNMPIntervalEdit = MakeSpinEdit(page, "SNMPIntervalEdit", 1, 60000, 5, QRect(72, 208, 80, 21));
    Label13 = MakeLabel(page, "Label13", QStringLiteral("Sekunden"), QRect(158, 208, 80, 21));
    ExchangeSendAndReceiveRateChkBox =
        MakeCheckBox(page, "ExchangeSendAndReceiveRateChkBox",
                     QStringLiteral("Vertausche Up-/Downloadrate"), QRect(0, 236, 334, 18));
    CorrectUpDownRateChkBox = MakeCheckBox(
        page, "CorrectUpDownRateChkBox",
        QStringLiteral("Korrigiere Up-/Downloadrate (nur wenn Angaben inkorrekt sind!)"),
        QRect(0, 258, 334, 18));
    Label14 = MakeLabel(page, "Label14", QStringLiteral("Upload:"), QRect(18, 282, 48, 21));
    CorrectUpEdit = MakeSpinEdit(page, "CorrectUpEdit", 1, 1024, 1, QRect(66, 282, 64, 21));
    Label15 = MakeLabel(page, "Label15", QStringLiteral("Download:"), QRect(138, 282, 60, 21));
    CorrectDownEdit = MakeSpinEdit(page, "CorrectDownEdit", 1, 1024, 1, QRect(198, 282, 64, 21));
    Label16 = MakeLabel(page, "Label16", QStringLiteral("KByte"), QRect(268, 282, 40, 21));
    SNMPStartBtn = MakeButton(page, "SNMPStartBtn", QStringLiteral("Abfrage dauerhaft aktivieren"),
                              QString(), QRect(0, 316, 200, 24));
    SNMPInfoBtn = MakeButton(page, "SNMPInfoBtn", QStringLiteral("Infos zum Router..."), QString(),
                             QRect(0, 346, 200, 24));
    for (QWidget* correction :
         {static_cast<QWidget*>(Label14), static_cast<QWidget*>(CorrectUpEdit),
          static_cast<QWidget*>(Label15), static_cast<QWidget*>(CorrectDownEdit),
          static_cast<QWidget*>(Label16)}) {
        correction->setEnabled(false);
    }
}

void ConfigurationWindow::BuildFiguresColumn() {
    constexpr int left = 360;
    constexpr int width = 257;
    GroupBox1 = Make<QGroupBox>(this, "GroupBox1", QRect(left, 4, width, 112));
    GroupBox1->setTitle(QStringLiteral(" Aktuelle Daten "));
    const Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;
    Label1 =
        MakeLabel(GroupBox1, "Label1", QStringLiteral("Aktuell gesendet"), QRect(10, 20, 110, 18));
    Label5 =
        MakeLabel(GroupBox1, "Label5", QStringLiteral("0 Byte"), QRect(120, 20, 127, 18), right);
    Label2 =
        MakeLabel(GroupBox1, "Label2", QStringLiteral("Aktuell empfangen"), QRect(10, 42, 110, 18));
    Label6 =
        MakeLabel(GroupBox1, "Label6", QStringLiteral("0 Byte"), QRect(120, 42, 127, 18), right);
    Label3 =
        MakeLabel(GroupBox1, "Label3", QStringLiteral("Gesamt gesendet"), QRect(10, 64, 110, 18));
    Label7 =
        MakeLabel(GroupBox1, "Label7", QStringLiteral("0 Byte"), QRect(120, 64, 127, 18), right);
    Label4 =
        MakeLabel(GroupBox1, "Label4", QStringLiteral("Gesamt empfangen"), QRect(10, 86, 110, 18));
    Label8 =
        MakeLabel(GroupBox1, "Label8", QStringLiteral("0 Byte"), QRect(120, 86, 127, 18), right);

    GroupBox2 = Make<QGroupBox>(this, "GroupBox2", QRect(left, 124, width, 128));
    GroupBox2->setTitle(QStringLiteral(" Summen seit letztem Zurücksetzen (max. 2 GB) "));
    Label17 =
        MakeLabel(GroupBox2, "Label17", QStringLiteral("Gesamt gesendet"), QRect(10, 20, 110, 18));
    sumSendLabel = MakeLabel(GroupBox2, "sumSendLabel", QStringLiteral("0 Byte"),
                             QRect(120, 20, 127, 18), right);
    Label18 =
        MakeLabel(GroupBox2, "Label18", QStringLiteral("Gesamt empfangen"), QRect(10, 42, 110, 18));
    sumReceiveLabel = MakeLabel(GroupBox2, "sumReceiveLabel", QStringLiteral("0 Byte"),
                                QRect(120, 42, 127, 18), right);
    Label21 = MakeLabel(GroupBox2, "Label21", QStringLiteral("Gesamt"), QRect(10, 64, 110, 18));
    sumLabel =
        MakeLabel(GroupBox2, "sumLabel", QStringLiteral("0 Byte"), QRect(120, 64, 127, 18), right);
    QFont bold = font();
    bold.setBold(true);
    Label21->setFont(bold);
    sumLabel->setFont(bold);
    Button4 = MakeButton(GroupBox2, "Button4", QStringLiteral("Summen auf 0 Byte setzen"),
                         QStringLiteral("Summen \"Gesamt gesendet\" und  \"Gesamt empfangen\" auf "
                                        "0 Byte zurücksetzen"),
                         QRect(10, 94, 237, 24));

    GroupBox3 = Make<QGroupBox>(this, "GroupBox3", QRect(left, 260, width, 136));
    GroupBox3->setTitle(QStringLiteral(" Optionen "));
    AllInByteChkBox =
        MakeCheckBox(GroupBox3, "AllInByteChkBox", QStringLiteral(" Alle Angaben in Byte zeigen"),
                     QRect(10, 20, 237, 18));
    ShowInTitleBar =
        MakeCheckBox(GroupBox3, "ShowInTitleBar", QStringLiteral(" Angaben in Titelzeile anzeigen"),
                     QRect(10, 42, 237, 18));
    BigWindowChkBox =
        MakeCheckBox(GroupBox3, "BigWindowChkBox", QStringLiteral(" Großes Statusfenster zeigen"),
                     QRect(10, 64, 237, 18));
    MiniChkBox =
        MakeCheckBox(GroupBox3, "MiniChkBox", QStringLiteral(" Kleines Statusfenster zeigen"),
                     QRect(10, 86, 237, 18));
    AutoStartChkBox = MakeCheckBox(GroupBox3, "AutoStartChkBox",
                                   QStringLiteral(" Bei jedem Windowsstart Korvalin starten"),
                                   QRect(10, 108, 237, 18));
}

void ConfigurationWindow::BuildButtonRow() {
    Bevel1 = Make<QFrame>(this, "Bevel1", QRect(8, 462, 609, 2));
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    constexpr int top = 470;
    constexpr int height = 28;
    Button1 = MakeButton(this, "Button1", QStringLiteral("OK"),
                         QStringLiteral("Fenster minimieren"), QRect(8, top, 90, height));
    Button2 = MakeButton(this, "Button2", QStringLiteral("Über..."),
                         QStringLiteral("Über Korvalin"), QRect(104, top, 96, height));
    HelpBtn =
        MakeButton(this, "HelpBtn", QStringLiteral("Hilfe"),
                   QStringLiteral("Öffnet die Datei manual.htm"), QRect(206, top, 90, height));
    MySpeedButton1 =
        MakeButton(this, "MySpeedButton1", QStringLiteral("Korvalin im Internet"),
                   QStringLiteral("Öffnet die Internet-Seite"), QRect(302, top, 160, height));
    Button5 = MakeButton(this, "Button5", QStringLiteral("Programm beenden"),
                         QStringLiteral("Beendet Korvalin"), QRect(468, top, 149, height));
    FooterLinkLabel = Make<LinkLabel>(this, "FooterLinkLabel", QRect(0, 511, ClientWidth, 22));
    // Hidden until a save fails; then it says so until saving works again.
    SaveStatusLabel = MakeLabel(this, "SaveStatusLabel", QString(), QRect(360, 400, 257, 58));
    SaveStatusLabel->setWordWrap(true);
    SaveStatusLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    SaveStatusLabel->hide();
    FooterLinkLabel->setText(QStringLiteral("Powered by Bresmuth"));
    FooterLinkLabel->setAlignment(Qt::AlignCenter);
    FooterLinkLabel->SetAddress(WebPageAddress);
}

void ConfigurationWindow::BuildComponents() {
    XPBlueColorMap = new ColourScheme(this);
    XPBlueColorMap->setObjectName(QStringLiteral("XPBlueColorMap"));
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Konfiguration1 = PopupMenu1->addAction(QStringLiteral("Konfiguration"));
    Konfiguration1->setObjectName(QStringLiteral("Konfiguration1"));
    Beenden1 = PopupMenu1->addAction(QStringLiteral("Beenden"));
    Beenden1->setObjectName(QStringLiteral("Beenden1"));
    trayIcon = new TrayIcon(this);
    trayIcon->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon->SetDefaultIcon(ProgramIcon());
    trayIcon->SetToolTip(QStringLiteral("Korvalin"));
    trayIcon->SetPopupMenu(PopupMenu1);
    sumsTimer_ = new QTimer(this);
    sumsTimer_->setObjectName(QStringLiteral("SumsTimer"));
    sumsTimer_->setInterval(SumsSaveIntervalMs);
}

void ConfigurationWindow::ConnectHandlers() {
    connect(RB1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RBsClick();
        }
    });
    connect(RB2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RBsClick();
        }
    });
    connect(LB, &RadioCheckList::ClickCheck, this, &ConfigurationWindow::LBClickCheck);
    connect(Button3, &QToolButton::clicked, this, &ConfigurationWindow::Button3Click);
    connect(SNMPTestBtn, &QToolButton::clicked, this, &ConfigurationWindow::SNMPTestBtnClick);
    connect(SNMPStartBtn, &QToolButton::clicked, this, &ConfigurationWindow::SNMPStartBtnClick);
    connect(SNMPInfoBtn, &QToolButton::clicked, this, &ConfigurationWindow::SNMPInfoBtnClick);
    connect(CorrectUpDownRateChkBox, &QCheckBox::toggled, this,
            &ConfigurationWindow::CorrectUpDownRateChkBoxClick);
    connect(CorrectUpEdit, &QSpinBox::valueChanged, this, [this](int value) {
        controller_.Settings().correctUpValue = value;
        CorrectChange();
    });
    connect(CorrectDownEdit, &QSpinBox::valueChanged, this, [this](int value) {
        controller_.Settings().correctDownValue = value;
        CorrectChange();
    });
    // The plain values go straight into the controller's settings as they change.
    connect(SNMPIPEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { controller_.Settings().snmpIP = S(text); });
    connect(SNMPCommunityEdit, &QLineEdit::textChanged, this,
            [this](const QString& text) { controller_.Settings().snmpCommunity = S(text); });
    connect(SNMPIntervalEdit, &QSpinBox::valueChanged, this,
            [this](int value) { controller_.Settings().snmpInterval = value; });
    connect(ExchangeSendAndReceiveRateChkBox, &QCheckBox::toggled, this,
            [this](bool on) { controller_.Settings().exchangeSendAndReceiveRate = on; });
    connect(SNMPIntfCB, &QComboBox::currentTextChanged, this,
            [this](const QString& text) { controller_.SetShownInterface(S(text)); });
    connect(AllInByteChkBox, &QCheckBox::toggled, this, &ConfigurationWindow::AllInByteChkBoxClick);
    connect(ShowInTitleBar, &QCheckBox::toggled, this, &ConfigurationWindow::ShowInTitleBarClick);
    connect(BigWindowChkBox, &QCheckBox::toggled, this, &ConfigurationWindow::BigWindowChkBoxClick);
    connect(MiniChkBox, &QCheckBox::toggled, this, &ConfigurationWindow::MiniChkBoxClick);
    // Only the user's click toggles the autostart entry; setting the box from code does not.
    connect(AutoStartChkBox, &QCheckBox::clicked, this, &ConfigurationWindow::AutoStartChkBoxClick);
    connect(Button4, &QToolButton::clicked, this, &ConfigurationWindow::Button4Click);
    connect(Button1, &QToolButton::clicked, this, &ConfigurationWindow::Button1Click);
    connect(Button5, &QToolButton::clicked, this, &ConfigurationWindow::Button5Click);
    connect(Button2, &QToolButton::clicked, this, [this] {
        if (showAbout_) {
            showAbout_(*this);
        }
    });
    connect(HelpBtn, &QToolButton::clicked, this, [this] { systemIntegration_->HelpBtnClick(); });
    connect(MySpeedButton1, &QToolButton::clicked, this,
            [this] { systemIntegration_->MySpeedButton1Click(); });
    connect(FooterLinkLabel, &LinkLabel::Clicked, this,
            [this] { systemIntegration_->MySpeedButton1Click(); });
    connect(Konfiguration1, &QAction::triggered, this, &ConfigurationWindow::Konfiguration1Click);
    connect(Beenden1, &QAction::triggered, this, &ConfigurationWindow::Beenden1Click);
    connect(trayIcon, &TrayIcon::OnClick, this, &ConfigurationWindow::Konfiguration1Click);
    connect(sumsTimer_, &QTimer::timeout, this, [this] { controller_.PeriodicSave(); });
}

void ConfigurationWindow::CenterOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    QRect placed(QPoint(0, 0), size());
    placed.moveCenter(screen->availableGeometry().center());
    move(placed.topLeft());
}

void ConfigurationWindow::ApplyColorScheme() {
    XPBlueColorMap->SetAutoRefresh(false);
    QPalette colored = palette();
    colored.setColor(QPalette::Window, XPBlueColorMap->Color);
    setPalette(colored);
    FooterLinkLabel->SetNormalColor(XPBlueColorMap->ShadowColor);
    FooterLinkLabel->SetHighlightColor(XPBlueColorMap->FrameBottomRightOuter);
}

// ---- start-up and shutdown ----

bool ConfigurationWindow::FormCreate() {
    ApplyColorScheme();
    QApplication::setApplicationName(QStringLiteral("Korvalin"));
    showMainForm_ = false;
    created_ = true;
    controller_.SetFigureDisplay(this);
    controller_.SetOnInterfaces([this](const std::vector<std::string>& interfaces, int selected) {
        ShowInterfaces(interfaces, selected);
    });
    controller_.SetOnSaveProblem(
        [this](bool failing, const std::string& text) { ShowSaveStatus(failing, text); });
    if (!controller_.Open()) {
        if (quit_) {
            quit_();
        }
        return false;
    }

    FillAdapterList();
    ReflectSettings();
    if (!LB->CheckText(Q(controller_.Settings().monitor))) {
        LB->SetCheckedIndex(0);
    }
    controller_.SetCheckedAdapter(S(LB->CheckedText()));
    controller_.Status().Create(*this);
    AutoStartChkBox->setChecked(IsAutoStart(registry_, shell_));
    trayIcon->SetActive(trayAvailable_);
    controller_.StartSource();
    if (!controller_.Settings().monLAN) {
        RB2->setChecked(true);
        Notebook->setCurrentIndex(1);
        SetRouterControlsLocked(true);
    }
    controller_.FinishStartUp();
    RBsClick();
    sumsTimer_->start();
    if (!trayAvailable_) {
        std::fputs(
            "korvalin: the desktop has no notification area; the configuration window stays "
            "reachable as a normal window and is minimised instead of hidden.\n",
            stderr);
    }
    if (controller_.FirstStart() || !trayAvailable_) {
        Konfiguration1Click();
    }
    controller_.EndLoading();
    return true;
}

void ConfigurationWindow::ReflectSettings() {
    // Setting a control runs its handler as a user's change would; while loading the
    // handlers save nothing and the window options wait for the end of start-up.
    const PersistentSettings settings = controller_.Settings();
    AllInByteChkBox->setChecked(settings.allInByte);
    ShowInTitleBar->setChecked(settings.showInTitleBar);
    BigWindowChkBox->setChecked(settings.showBigWindow);
    MiniChkBox->setChecked(settings.showMiniWindow);
    if (settings.monLAN) {
        RB1->setChecked(true);
    } else {
        RB2->setChecked(true);
    }
    SNMPIPEdit->setText(Q(settings.snmpIP));
    SNMPCommunityEdit->setText(Q(settings.snmpCommunity));
    ExchangeSendAndReceiveRateChkBox->setChecked(settings.exchangeSendAndReceiveRate);
    CorrectUpDownRateChkBox->setChecked(settings.correctUpDownRate);
    CorrectUpEdit->SetValue(settings.correctUpValue);
    CorrectDownEdit->SetValue(settings.correctDownValue);
    SNMPIntervalEdit->SetValue(settings.snmpInterval);
}

void ConfigurationWindow::FormShow() {
    controller_.UpdateSums();
    CorrectUpDownRateChkBoxClick();
    controller_.EndLoading();
}

void ConfigurationWindow::FormDestroy() {
    if (!created_ || destroyed_) {
        return;
    }
    destroyed_ = true;
    sumsTimer_->stop();
    controller_.Shutdown();
    controller_.SetFigureDisplay(nullptr);
    controller_.SetOnInterfaces({});
    controller_.SetOnSaveProblem({});
    trayIcon->SetActive(false);
}

void ConfigurationWindow::ShowSaveStatus(bool failing, const std::string& text) {
    QPalette palette = SaveStatusLabel->palette();
    palette.setColor(QPalette::WindowText, failing ? QColor(Qt::red) : QColor(Qt::darkGreen));
    SaveStatusLabel->setPalette(palette);
    SaveStatusLabel->setText(failing ? QStringLiteral("Speichern fehlgeschlagen: ") + Q(text)
                                     : QStringLiteral("Speichern wieder möglich: ") + Q(text));
    SaveStatusLabel->show();
}

void ConfigurationWindow::Terminate() {
    closing_ = true;
    close();
    if (quit_) {
        quit_();
    }
}

void ConfigurationWindow::Beenden1Click() {
    Terminate();
}

void ConfigurationWindow::Button5Click() {
    Terminate();
}

void ConfigurationWindow::FillAdapterList() {
    LB->clear();
    for (const std::string& adapter : controller_.Adapter().Adapters()) {
        LB->AddItem(Q(adapter));
    }
    LB->InsertItem(0, QString::fromUtf8(AllAdaptersText));
    LB->SetCheckedIndex(0);
}

// ---- figures and sums ----

void ConfigurationWindow::ShowTraffic(const TrafficFigures& figures) {
    Label5->setText(Q(FormatBytes(figures.allInByte, 2, false, figures.sent)));
    Label6->setText(Q(FormatBytes(figures.allInByte, 2, false, figures.received)));
    Label7->setText(Q(FormatBytes(figures.allInByte, 2, false, figures.totalSent)));
    Label8->setText(Q(FormatBytes(figures.allInByte, 2, false, figures.totalReceived)));
}

void ConfigurationWindow::ShowSums(const SumFigures& sums) {
    sumSendLabel->setText(Q(FormatBytes(sums.allInByte, 2, false, sums.sent)));
    sumReceiveLabel->setText(Q(FormatBytes(sums.allInByte, 2, false, sums.received)));
    sumLabel->setText(Q(FormatBytes(sums.allInByte, 2, false, sums.total)));
}

void ConfigurationWindow::Button4Click() {
    controller_.ResetSums();
}

// ---- living in the notification area ----

void ConfigurationWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    FormShow();
}

void ConfigurationWindow::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    // The close box never closes the window: it minimises to the notification area.
    event->ignore();
    WMSysCommand(SC_CLOSE);
}

void ConfigurationWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || inHideSteps_ || closing_) {
        return;
    }
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    const bool wasMinimized = (change->oldState() & Qt::WindowMinimized) != 0;
    if (isMinimized() && !wasMinimized) {
        WMSysCommand(SC_MINIMIZE);
    } else if (!isMinimized() && wasMinimized) {
        WMSysCommand(SC_RESTORE);
    }
}

void ConfigurationWindow::WMSysCommand(unsigned command) {
    command &= 0xFFF0U;
    if (command == SC_CLOSE) {
        command = SC_MINIMIZE;
    }
    if (command == SC_MINIMIZE) {
        HideSteps();
    } else if (command == SC_RESTORE) {
        RestoreSteps();
    }
}

void ConfigurationWindow::HideSteps() {
    inHideSteps_ = true;
    if (trayAvailable_) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        hide();
    } else if (!isMinimized()) {
        // Without a notification area the window stays reachable through the taskbar.
        showMinimized();
    }
    inHideSteps_ = false;
    controller_.ShowBackgroundDisplays();
}

void ConfigurationWindow::RestoreSteps() {
    ShowConfiguration();
    controller_.HideBackgroundDisplays();
    raise();
    show();
}

void ConfigurationWindow::ShowConfiguration() {
    if (showMainForm_ && !controller_.Loading()) {
        return;
    }
    showMainForm_ = true;
    show();
}

void ConfigurationWindow::Konfiguration1Click() {
    if (!showMainForm_) {
        showMainForm_ = true;
        if (isMinimized()) {
            showNormal();
        }
        show();
        raise();
        activateWindow();
        return;
    }
    controller_.Adapter().CheckAdapterList();
    const QString remembered = LB->CheckedText();
    FillAdapterList();
    if (!LB->CheckText(remembered)) {
        LB->SetCheckedIndex(0);
    }
    controller_.SetCheckedAdapter(S(LB->CheckedText()));
    if (isMinimized()) {
        showNormal();
    }
    show();
}

void ConfigurationWindow::Button1Click() {
    if (isVisible()) {
        WMSysCommand(SC_MINIMIZE);
    }
    HideTaskbarButton();
}

void ConfigurationWindow::HideTaskbarButton() {
    // The taskbar entry is the configuration window's own: hidden with the window, so
    // there is nothing more to hide.
}

// ---- the controls' handlers ----

void ConfigurationWindow::LBClickCheck() {
    controller_.SetCheckedAdapter(S(LB->CheckedText()));
    controller_.ChooseAdapter();
}

void ConfigurationWindow::RBsClick() {
    Notebook->setCurrentIndex(RB1->isChecked() ? 0 : 1);
    if (RB1->isChecked()) {
        SetRouterControlsLocked(false);
    }
    controller_.ChooseSource(RB1->isChecked());
}

void ConfigurationWindow::SetRouterControlsLocked(bool locked) {
    for (QWidget* control :
         {static_cast<QWidget*>(SNMPStartBtn), static_cast<QWidget*>(SNMPTestBtn),
          static_cast<QWidget*>(SNMPIPEdit), static_cast<QWidget*>(SNMPCommunityEdit),
          static_cast<QWidget*>(SNMPIntfCB), static_cast<QWidget*>(SNMPIntervalEdit),
          static_cast<QWidget*>(Label12), static_cast<QWidget*>(Label13),
          static_cast<QWidget*>(Label11)}) {
        control->setEnabled(!locked);
    }
}

void ConfigurationWindow::ShowInterfaces(const std::vector<std::string>& interfaces, int selected) {
    SNMPIntfCB->clear();
    for (const std::string& name : interfaces) {
        SNMPIntfCB->addItem(Q(name));
    }
    if (selected >= 0) {
        SNMPIntfCB->setCurrentIndex(selected);
    }
}

void ConfigurationWindow::SNMPTestBtnClick() {
    // The window stays responsive while the agent is asked; the button and the busy
    // cursor show that an answer is awaited.
    SNMPTestBtn->setEnabled(false);
    SNMPTestBtn->setCursor(Qt::BusyCursor);
    setCursor(Qt::BusyCursor);
    controller_.TestConnection([this](bool) { TestAnswered(); });
}

void ConfigurationWindow::TestAnswered() {
    unsetCursor();
    SNMPTestBtn->unsetCursor();
    SNMPTestBtn->setEnabled(!controller_.Settings().snmpRequest);
}

void ConfigurationWindow::SNMPStartBtnClick() {
    if (controller_.StartPolling()) {
        SetRouterControlsLocked(true);
    }
}

void ConfigurationWindow::SNMPInfoBtnClick() {
    if (showRouterInfo_) {
        showRouterInfo_(*this);
    }
}

void ConfigurationWindow::Button3Click() {
    if (showInterfaceInfo_) {
        showInterfaceInfo_(*this);
    }
}

void ConfigurationWindow::CorrectUpDownRateChkBoxClick() {
    const bool on = CorrectUpDownRateChkBox->isChecked();
    for (QWidget* correction :
         {static_cast<QWidget*>(Label14), static_cast<QWidget*>(CorrectUpEdit),
          static_cast<QWidget*>(Label15), static_cast<QWidget*>(CorrectDownEdit),
          static_cast<QWidget*>(Label16)}) {
        correction->setEnabled(on);
    }
    controller_.Settings().correctUpDownRate = on;
    controller_.SaveSettings();
    CorrectChange();
}

void ConfigurationWindow::CorrectChange() {
    controller_.ApplyCorrection();
}

void ConfigurationWindow::AllInByteChkBoxClick() {
    controller_.SetAllInByte(AllInByteChkBox->isChecked());
}

void ConfigurationWindow::ShowInTitleBarClick() {
    controller_.SetShowInTitleBar(ShowInTitleBar->isChecked());
}

void ConfigurationWindow::BigWindowChkBoxClick() {
    controller_.SetShowBigWindow(BigWindowChkBox->isChecked());
    HideTaskbarButton();
}

void ConfigurationWindow::MiniChkBoxClick() {
    controller_.SetShowMiniWindow(MiniChkBox->isChecked());
    HideTaskbarButton();
}

void ConfigurationWindow::AutoStartChkBoxClick() {
    const bool enable = !IsAutoStart(registry_, shell_);
    AutoStartChkBox->setChecked(enable);
    SetAutoStart(enable, registry_, shell_, dialogs_);
}

}  // namespace korvalin
