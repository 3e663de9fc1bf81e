// The configuration window's face: every control by name with its text and hint, and the
// layout in the fixed client area.
#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QStackedWidget>

#include "MainFixture.h"
#include "widgets/ColourScheme.h"
#include "widgets/FlatButton.h"
#include "widgets/LinkLabel.h"
#include "widgets/SpinEdit.h"

namespace korvalin::testing {
namespace {

struct ControlCase {
    const char* name;
    const char* text;  // caption, label text or group title; nullptr: not checked
    const char* hint;  // nullptr: not checked
};

const ControlCase Controls[] = {
    {"RB1", "Traffic von Netzwerkkarte aufzeichnen", nullptr},
    {"RB2", "Traffic des Routers oder eines Servers(SNMP-Abfrage) aufzeichnen", nullptr},
    {"Label9", "Zu überwachender Netzwerkadapter:", nullptr},
    {"Button3", "Interface-Infos...", "Zeigt Infos zu allen installierten Netzwerkkarten"},
    {"Label19",
     "Wählen Sie den Adapter \"WAN (PPP/SLIP) Interface\" unter Windows NT/2K/XP bzw. PPP "
     "Adapter unter Windows 9x/Me, um die Datenmenge des DFÜ-Netzwerks aufzeichnen zu lassen.",
     nullptr},
    {"Label10",
     "Der Router oder Server muss die Abfrage über SNMP unterstützen. \nBei den meisten Routern "
     "muss diese Abfrage zuerst im Webinterface aktiviert werden (siehe Handbuch zum Router).",
     nullptr},
    {"SNMPIPEditLabel", "IP-Adresse des Routers oder Servers:", nullptr},
    {"SNMPIPEdit", "192.168.0.1", nullptr},
    {"SNMPCommunityEditLabel", "Community:", nullptr},
    {"SNMPCommunityEdit", "vindra", nullptr},
    {"Label11", "Interface:", nullptr},
    {"SNMPIntfCB", nullptr, nullptr},
    {"SNMPTestBtn", "Testen", "Testen der Verbindung zum Router oder Server"},
    {"Label12", "Abfrage alle", nullptr},
    {"SNMPIntervalEdit", nullptr, nullptr},
    {"Label13", "Sekunden", nullptr},
    {"ExchangeSendAndReceiveRateChkBox", "Vertausche Up-/Downloadrate", nullptr},
    {"CorrectUpDownRateChkBox", "Korrigiere Up-/Downloadrate (nur wenn Angaben inkorrekt sind!)",
     nullptr},
    {"Label14", "Upload:", nullptr},
    {"CorrectUpEdit", nullptr, nullptr},
    {"Label15", "Download:", nullptr},
    {"CorrectDownEdit", nullptr, nullptr},
    {"Label16", "KByte", nullptr},
    {"SNMPStartBtn", "Abfrage dauerhaft aktivieren", nullptr},
    {"SNMPInfoBtn", "Infos zum Router...", nullptr},
    {"GroupBox1", " Aktuelle Daten ", nullptr},
    {"Label1", "Aktuell gesendet", nullptr},
    {"Label5", "0 Byte", nullptr},
    {"Label2", "Aktuell empfangen", nullptr},
    {"Label6", "0 Byte", nullptr},
    {"Label3", "Gesamt gesendet", nullptr},
    {"Label7", "0 Byte", nullptr},
    {"Label4", "Gesamt empfangen", nullptr},
    {"Label8", "0 Byte", nullptr},
    {"GroupBox2", " Summen seit letztem Zurücksetzen (max. 2 GB) ", nullptr},
    {"Label17", "Gesamt gesendet", nullptr},
    {"sumSendLabel", "0 Byte", nullptr},
    {"Label18", "Gesamt empfangen", nullptr},
    {"sumReceiveLabel", "0 Byte", nullptr},
    {"Label21", "Gesamt", nullptr},
    {"sumLabel", "0 Byte", nullptr},
    {"Button4", "Summen auf 0 Byte setzen",
     "Summen \"Gesamt gesendet\" und  \"Gesamt empfangen\" auf 0 Byte zurücksetzen"},
    {"GroupBox3", " Optionen ", nullptr},
    {"AllInByteChkBox", " Alle Angaben in Byte zeigen", nullptr},
    {"ShowInTitleBar", " Angaben in Titelzeile anzeigen", nullptr},
    {"BigWindowChkBox", " Großes Statusfenster zeigen", nullptr},
    {"MiniChkBox", " Kleines Statusfenster zeigen", nullptr},
    {"AutoStartChkBox", " Bei jedem Windowsstart Korvalin starten", nullptr},
    {"Button1", "OK", "Fenster minimieren"},
    {"Button2", "Über...", "Über Korvalin"},
    {"Button5", "Programm beenden", "Beendet Korvalin"},
    {"HelpBtn", "Hilfe", "Öffnet die Datei manual.htm"},
    {"MySpeedButton1", "Korvalin im Internet", "Öffnet die Internet-Seite"},
    {"Bevel1", nullptr, nullptr},
    {"FooterLinkLabel", "Powered by Bresmuth", nullptr},
    {"Notebook", nullptr, nullptr},
    {"LB", nullptr, nullptr},
    {"RedImage", nullptr, nullptr},
    {"BlueImage", nullptr, nullptr},
    {"GreenImage", nullptr, nullptr},
};

std::string TextOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        return button->text().toStdString();
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return label->text().toStdString();
    }
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) {
        return edit->text().toStdString();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) {
        return group->title().toStdString();
    }
    return {};
}

class ConfigurationWindowTest : public MainFixture {
protected:
    void SetUp() override {
        MainFixture::SetUp();
        WriteIni(SettledIni);
        ASSERT_TRUE(Start());
    }
};

TEST_F(ConfigurationWindowTest, EveryControlCarriesItsNameTextAndHint) {
    for (const ControlCase& control : Controls) {
        const auto* widget = main->findChild<QWidget*>(QString::fromUtf8(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        if (control.text != nullptr) {
            EXPECT_EQ(TextOf(widget), control.text) << control.name;
        }
        if (control.hint != nullptr) {
            EXPECT_EQ(widget->toolTip().toStdString(), control.hint) << control.name;
        }
    }
}

TEST_F(ConfigurationWindowTest, WindowFrameAndNotebookPages) {
    EXPECT_EQ(main->windowTitle().toStdString(), "Korvalin - Konfiguration");
    EXPECT_EQ(main->size(), QSize(625, 533));
    EXPECT_EQ(main->minimumSize(), main->maximumSize());
    EXPECT_FALSE(main->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(main->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_TRUE(main->windowFlags().testFlag(Qt::WindowCloseButtonHint));
    ASSERT_EQ(main->Notebook->count(), 2);
    EXPECT_EQ(main->Notebook->widget(0)->objectName().toStdString(), "Netzwerkkarte");
    EXPECT_EQ(main->Notebook->widget(1)->objectName().toStdString(), "Router");
    EXPECT_EQ(main->SNMPIntervalEdit->minimum(), 1);
    EXPECT_EQ(main->SNMPIntervalEdit->maximum(), 60000);
    EXPECT_EQ(main->CorrectUpEdit->maximum(), 1024);
    EXPECT_EQ(main->CorrectDownEdit->maximum(), 1024);
}

TEST_F(ConfigurationWindowTest, TrayMenuItems) {
    ASSERT_NE(main->PopupMenu1, nullptr);
    EXPECT_EQ(main->PopupMenu1->objectName().toStdString(), "PopupMenu1");
    const QList<QAction*> items = main->PopupMenu1->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->objectName().toStdString(), "Konfiguration1");
    EXPECT_EQ(items[0]->text().toStdString(), "Konfiguration");
    EXPECT_EQ(items[1]->objectName().toStdString(), "Beenden1");
    EXPECT_EQ(items[1]->text().toStdString(), "Beenden");
}

TEST_F(ConfigurationWindowTest, ColoursComeFromTheScheme) {
    EXPECT_EQ(main->palette().color(QPalette::Window), QColor(158, 190, 245));
    EXPECT_FALSE(main->ColorMap().AutoRefresh());
    EXPECT_EQ(main->FooterLinkLabel->NormalColor(), main->ColorMap().ShadowColor);
    EXPECT_EQ(main->FooterLinkLabel->HighlightColor(), main->ColorMap().FrameBottomRightOuter);
}

// Every control lies inside the client area, and controls side by side never overlap.
TEST_F(ConfigurationWindowTest, ControlsFitTheClientAreaWithoutOverlapping) {
    const QRect client(QPoint(0, 0), main->size());
    std::vector<std::pair<std::string, QRect>> placed;
    for (const ControlCase& control : Controls) {
        const auto* widget = main->findChild<QWidget*>(QString::fromUtf8(control.name));
        ASSERT_NE(widget, nullptr) << control.name;
        const std::string name = control.name;
        if (name == "RedImage" || name == "BlueImage" || name == "GreenImage") {
            continue;  // they lie under the list on purpose
        }
        const QRect area(widget->mapTo(main.get(), QPoint(0, 0)), widget->size());
        EXPECT_TRUE(client.contains(area)) << name;
        // Only controls with the same parent compete for the same place.
        for (const auto& [otherName, otherArea] : placed) {
            const auto* other = main->findChild<QWidget*>(QString::fromStdString(otherName));
            if (other->parentWidget() == widget->parentWidget()) {
                EXPECT_FALSE(area.intersects(otherArea)) << name << " / " << otherName;
            }
        }
        placed.emplace_back(name, area);
    }
}

// A caption wider than its button is cut off on the screen, the end of the text lost.
// Every button, the flat ones with their glyphs included.
TEST_F(ConfigurationWindowTest, ButtonCaptionsAreNotCut) {
    int flat = 0;
    for (const auto* button : main->findChildren<QAbstractButton*>()) {
        flat += qobject_cast<const FlatButton*>(button) != nullptr;
        EXPECT_LE(button->sizeHint().width(), button->width())
            << button->objectName().toStdString();
    }
    EXPECT_EQ(flat, 10) << "every flat button of the window is checked";
}

}  // namespace
}  // namespace korvalin::testing
