#include "display/LargeStatusWindow.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFont>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <memory>
#include <string>
#include <vector>

#include "display/ByteMeter.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeScreens.h"

namespace korvalin {
namespace {

using testing::FakeDialogs;
using testing::FakeRegistry;
using testing::FakeScreens;

const std::string RecordPath = "Software\\Halvesund Software\\Korvalin\\BigWindowPosition";

class LargeStatusWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<LargeStatusWindow>(registry, screens, dialogs);
    }
    void TearDown() override {
        form->GraphPopupMenu->hide();
        form.reset();
    }

    void RightClick(ByteMeter* meter) {
        form->ByteMeterMouseDown(meter, Qt::RightButton, QPoint(10, 10));
        form->GraphPopupMenu->hide();
    }

    QAction* FixedItem(int bytes) const {
        for (QAction* item : form->FesteSkalierung1->actions()) {
            if (item->data().toInt() == bytes && item != form->Individuell1) {
                return item;
            }
        }
        return nullptr;
    }

    QAction* SpeedItem(int pixels) const {
        return form->Geschwindigkeit1->actions().at(pixels - 1);
    }

    std::vector<std::string> CheckedScaleItems() const {
        std::vector<std::string> names;
        if (form->VariableSkalierungverwenden1->isChecked()) {
            names.push_back("VariableSkalierungverwenden1");
        }
        if (form->FesteSkalierung1->menuAction()->isChecked()) {
            names.push_back("FesteSkalierung1");
        }
        for (QAction* item : form->FesteSkalierung1->actions()) {
            if (item->isChecked()) {
                names.push_back(item->objectName().toStdString());
            }
        }
        return names;
    }

    FakeRegistry registry;
    FakeScreens screens;
    FakeDialogs dialogs;
    std::unique_ptr<LargeStatusWindow> form;
};

TEST_F(LargeStatusWindowTest, ControlsCarryTheirNamesAndCaptions) {
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Korvalin"));
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::Tool));
    EXPECT_FALSE(form->isVisible());
    for (const char* name :
         {"MainPanel", "MeterPanel", "RcvByteMeter", "SendByteMeter", "ConnectImage",
          "ConnectLabel", "IdleImage", "IdleLabel", "TrafficOverflowImage", "TrafficOverflowLabel",
          "StatusBar", "GraphPopupMenu", "PopupMenu"}) {
        EXPECT_NE(form->findChild<QWidget*>(QString::fromLatin1(name)), nullptr) << name;
    }
    EXPECT_EQ(form->ConnectLabel->text(), QStringLiteral("Verbunden"));
    EXPECT_EQ(form->IdleLabel->text(), QStringLiteral("Leerlauf"));
    EXPECT_EQ(form->TrafficOverflowLabel->text(), QString::fromUtf8("Datenmenge überschritten"));
    EXPECT_EQ(form->RcvByteMeter->Caption(), QStringLiteral("Empfang %s/Sek.; aktuell %s"));
    EXPECT_EQ(form->SendByteMeter->Caption(), QStringLiteral("Gesendet %s/Sek.; aktuell %s"));
    for (QLabel* image : {form->ConnectImage, form->IdleImage, form->TrafficOverflowImage}) {
        EXPECT_EQ(image->pixmap().size(), QSize(13, 13));
    }
    for (ByteMeter* meter : {form->RcvByteMeter, form->SendByteMeter}) {
        EXPECT_EQ(meter->ValueRange(), 5);
        EXPECT_EQ(meter->UserMaxY(), 0);
        EXPECT_EQ(meter->BorderWidth(), 5);
        EXPECT_TRUE(meter->FillGraph());
        EXPECT_FALSE(meter->Bits);
    }
}

TEST_F(LargeStatusWindowTest, GraphMenuItemsInOrder) {
    const auto top = form->GraphPopupMenu->actions();
    ASSERT_EQ(top.size(), 5);
    EXPECT_EQ(top[0], form->VariableSkalierungverwenden1);
    EXPECT_EQ(top[0]->text(), QStringLiteral("Variable Skalierung verwenden"));
    EXPECT_EQ(top[1]->text(), QStringLiteral("Feste Skalierung..."));
    EXPECT_EQ(top[2]->text(), QStringLiteral("Geschwindigkeit"));
    EXPECT_TRUE(top[3]->isSeparator());
    EXPECT_EQ(top[4]->objectName(), QStringLiteral("stayontop1"));
    EXPECT_EQ(top[4]->text(), QString::fromUtf8("Über allen anderen Fenstern anordnen"));

    const int fixed[] = {2000,  3000,  4000,  6000,  8000,  10000, 12000, 20000,
                         24000, 30000, 32000, 34000, 36000, 40000, 42000, 46000,
                         50000, 60000, 70000, 80000, 90000, 100000};
    const auto scales = form->FesteSkalierung1->actions();
    ASSERT_EQ(scales.size(), 23);
    EXPECT_EQ(scales[0]->objectName(), QStringLiteral("Individuell1"));
    EXPECT_EQ(scales[0]->text(), QStringLiteral("&Individuell..."));
    EXPECT_EQ(scales[0]->data().toInt(), 0);
    for (int i = 0; i < 22; ++i) {
        EXPECT_EQ(scales[i + 1]->text(), QStringLiteral("%1 Byte").arg(fixed[i]));
        EXPECT_EQ(scales[i + 1]->data().toInt(), fixed[i]);
    }
    const auto speeds = form->Geschwindigkeit1->actions();
    ASSERT_EQ(speeds.size(), 12);
    for (int i = 0; i < 12; ++i) {
        EXPECT_EQ(speeds[i]->text(), QString::number(i + 1));
        EXPECT_EQ(speeds[i]->objectName(), QStringLiteral("N%11").arg(i + 1));
    }
    const auto panelMenu = form->PopupMenu->actions();
    ASSERT_EQ(panelMenu.size(), 1);
    EXPECT_EQ(panelMenu[0]->objectName(), QStringLiteral("stayOnTop"));
}

TEST_F(LargeStatusWindowTest, TheGraphsSplitTheMeterPanel) {
    form->show();  // a hidden widget hears of its new size only when it is shown
    for (const int height : {400, 401}) {
        form->resize(300, height);
        const int h = form->MeterPanel->height();
        const int w = form->MeterPanel->width();
        const QRect received = form->RcvByteMeter->geometry();
        const QRect sent = form->SendByteMeter->geometry();
        EXPECT_EQ(received, QRect(3, 3, w - 6, h / 2 - 3)) << height;
        EXPECT_EQ(sent.top(), received.bottom() + 1) << "the graphs touch";
        EXPECT_EQ(sent.bottom(), h - 4) << "3 pixels above the panel's bottom";
        EXPECT_EQ(sent.height() - received.height(), h % 2) << height;
    }
    // The panel keeps its distance to every side; the legend follows the bottom edge.
    const QRect small = form->MeterPanel->geometry();
    const int legendTop = form->ConnectImage->y();
    form->resize(form->width() + 40, form->height() + 30);
    EXPECT_EQ(form->MeterPanel->geometry(), small.adjusted(0, 0, 40, 30));
    EXPECT_EQ(form->ConnectImage->y(), legendTop + 30);
    EXPECT_EQ(form->ConnectImage->x(), 11);
}

TEST_F(LargeStatusWindowTest, UpdateTrafficFeedsTheGraphsAndTheStatusBar) {
    form->UpdateTraffic(0, 0, 0, 0);
    EXPECT_EQ(form->StatusText->text(), QStringLiteral("Empfang: 0 Byte; Gesendet: 0 Byte"));
    form->UpdateTraffic(1500, 700, 544768, 17 * 1048576 + 5);
    EXPECT_EQ(form->StatusText->text(), QStringLiteral("Empfang: 532 KB; Gesendet: 17 MB"));
    // Totals pass 4 GiB during a long run and stay 64-bit up to the text.
    form->UpdateTraffic(3000000000LL, 1, 5000000000LL, 6LL * 1073741824);
    EXPECT_EQ(form->StatusText->text(), QStringLiteral("Empfang: 4 GB; Gesendet: 6 GB"));
    EXPECT_EQ(form->RcvByteMeter->History().size(), 3u);
    EXPECT_EQ(form->RcvByteMeter->History().back(), 3000000000u);
    EXPECT_EQ(form->SendByteMeter->History().back(), 1u);
}

// The status bar's text is whole: the bar lies at the window's bottom edge, below the main
// panel, and its text is as tall as it needs to be and inside the bar, at the designed and
// at the minimum size, in the window's font and in a larger one.
TEST_F(LargeStatusWindowTest, TheStatusBarTextIsNotCut) {
    form->UpdateTraffic(0, 0, 1500, 17 * 1048576);
    form->show();
    const QSize designed = form->size();
    QFont large = form->font();
    large.setPixelSize(20);
    for (const QFont& font : {form->font(), large}) {
        form->StatusText->setFont(font);
        QApplication::processEvents();  // the bar takes in its text's new size
        for (const QSize size : {designed, form->minimumSize()}) {
            form->resize(size);
            QApplication::processEvents();
            SCOPED_TRACE(std::to_string(size.height()) + " pixels high, font of " +
                         std::to_string(QFontInfo(font).pixelSize()) + " pixels");
            const QRect bar = form->StatusBar->geometry();
            EXPECT_EQ(bar.bottom(), form->height() - 1);
            EXPECT_EQ(bar.width(), form->width());
            EXPECT_GE(bar.height(), 24);
            EXPECT_EQ(bar.top(), form->MainPanel->geometry().bottom() + 1);
            const QRect text = form->StatusText->geometry();
            EXPECT_GE(text.height(), form->StatusText->sizeHint().height());
            EXPECT_GE(text.top(), 0);
            EXPECT_LE(text.bottom(), bar.height() - 1);
        }
    }
}

struct RightClickCase {
    std::int64_t userMaxY;
    int valueRange;
    std::vector<std::string> checked;
};

TEST_F(LargeStatusWindowTest, RightClickRebuildsTheCheckMarksFromTheGraph) {
    const RightClickCase cases[] = {
        {0, 5, {"VariableSkalierungverwenden1"}},
        {30000, 1, {"FesteSkalierung1", "N30000Byte1"}},
        {2000, 12, {"FesteSkalierung1", "N2000Byte1"}},
        {5000, 7, {"FesteSkalierung1", "Individuell1"}},
        {-5, 3, {"FesteSkalierung1", "Individuell1"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.userMaxY);
        form->SendByteMeter->SetUserMaxY(c.userMaxY);
        form->SendByteMeter->SetValueRange(c.valueRange);
        RightClick(form->SendByteMeter);
        EXPECT_EQ(CheckedScaleItems(), c.checked);
        EXPECT_TRUE(SpeedItem(c.valueRange)->isChecked());
        EXPECT_EQ(form->MenuGraph(), form->SendByteMeter);
    }
}

TEST_F(LargeStatusWindowTest, OtherButtonsDoNotOpenTheMenu) {
    form->ByteMeterMouseDown(form->RcvByteMeter, Qt::LeftButton, QPoint(1, 1));
    EXPECT_EQ(form->MenuGraph(), nullptr);
    EXPECT_FALSE(form->GraphPopupMenu->isVisible());
}

TEST_F(LargeStatusWindowTest, MenuHandlersDoNothingBeforeAGraphWasRightClicked) {
    form->MaxYByteClick(FixedItem(30000));
    form->MaxYByteClick(form->Individuell1);
    form->GeschwindigkeitClick(SpeedItem(12));
    for (ByteMeter* meter : {form->RcvByteMeter, form->SendByteMeter}) {
        EXPECT_EQ(meter->UserMaxY(), 0);
        EXPECT_EQ(meter->ValueRange(), 5);
    }
    EXPECT_TRUE(dialogs.inputPrompts.empty());
}

TEST_F(LargeStatusWindowTest, FixedScaleActsOnTheGraphRightClickedLast) {
    RightClick(form->RcvByteMeter);
    RightClick(form->SendByteMeter);
    FixedItem(30000)->trigger();
    EXPECT_EQ(form->SendByteMeter->UserMaxY(), 30000);
    EXPECT_EQ(form->RcvByteMeter->UserMaxY(), 0);
    EXPECT_EQ(CheckedScaleItems(), (std::vector<std::string>{"FesteSkalierung1", "N30000Byte1"}));
    form->VariableSkalierungverwenden1->trigger();
    EXPECT_EQ(form->SendByteMeter->UserMaxY(), 0);
    EXPECT_EQ(CheckedScaleItems(), std::vector<std::string>{"VariableSkalierungverwenden1"});
}

struct EntryCase {
    const char* name;
    std::int64_t before;
    std::vector<std::string> answers;  // empty: cancelled
    std::int64_t after;
    bool complains;
};

TEST_F(LargeStatusWindowTest, IndividualScaleThroughTheInputDialog) {
    const EntryCase cases[] = {
        {"a valid entry", 0, {"5000"}, 5000, false},
        {"a non-numeric entry keeps the scale", 30000, {"viel"}, 30000, true},
        {"an entry past 32 bits is not a valid number", 30000, {"4294967296"}, 30000, true},
        {"zero returns to the variable scale", 30000, {"0"}, 0, false},
        {"a negative entry is accepted", 30000, {"-5"}, -5, false},
        {"cancel keeps the scale", 30000, {}, 30000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        dialogs = FakeDialogs();
        dialogs.inputAnswers.assign(c.answers.begin(), c.answers.end());
        form->RcvByteMeter->SetUserMaxY(c.before);
        RightClick(form->RcvByteMeter);
        form->Individuell1->trigger();
        EXPECT_EQ(form->RcvByteMeter->UserMaxY(), c.after);
        ASSERT_EQ(dialogs.inputCaptions.size(), 1u);
        EXPECT_EQ(dialogs.inputCaptions[0], "Skalierung festlegen");
        EXPECT_EQ(dialogs.inputPrompts[0], "Maximaler Wert der Y-Achse in Byte");
        EXPECT_EQ(dialogs.inputProposals[0], std::to_string(c.before));
        if (c.complains) {
            ASSERT_EQ(dialogs.messages.size(), 1u);
            EXPECT_EQ(dialogs.messages[0].text, "Ungültige Byteangabe!");
            EXPECT_EQ(dialogs.messages[0].caption, "Fehler");
            EXPECT_EQ(dialogs.messages[0].style,
                      Dialogs::SetForeground | Dialogs::IconExclamation | Dialogs::StyleOk);
        } else {
            EXPECT_TRUE(dialogs.messages.empty());
        }
        // Until the next right-click the menu shows the individual scale chosen.
        EXPECT_EQ(CheckedScaleItems(),
                  (std::vector<std::string>{"FesteSkalierung1", "Individuell1"}));
    }
    // After zero, the next right-click shows the variable scale again.
    dialogs = FakeDialogs();
    dialogs.inputAnswers = {"0"};
    form->Individuell1->trigger();
    RightClick(form->RcvByteMeter);
    EXPECT_EQ(CheckedScaleItems(), std::vector<std::string>{"VariableSkalierungverwenden1"});
}

TEST_F(LargeStatusWindowTest, ProposalShowsTheLow32BitsOfTheScale) {
    form->RcvByteMeter->SetUserMaxY(0x100000000LL + 7);
    RightClick(form->RcvByteMeter);
    form->Individuell1->trigger();
    ASSERT_EQ(dialogs.inputProposals.size(), 1u);
    EXPECT_EQ(dialogs.inputProposals[0], "7");
}

TEST_F(LargeStatusWindowTest, SpeedActsOnTheGraphRightClickedLastAndTrimsItsHistory) {
    form->resize(300, 400);
    for (int i = 0; i < 80; ++i) {
        form->UpdateTraffic(i, i, 0, 0);
    }
    form->RcvByteMeter->Render();
    form->SendByteMeter->Render();
    const auto held = form->RcvByteMeter->History().size();
    RightClick(form->RcvByteMeter);
    SpeedItem(12)->trigger();
    EXPECT_EQ(form->RcvByteMeter->ValueRange(), 12);
    EXPECT_EQ(form->SendByteMeter->ValueRange(), 5);
    EXPECT_TRUE(SpeedItem(12)->isChecked());
    EXPECT_FALSE(SpeedItem(5)->isChecked());
    form->RcvByteMeter->Render();
    EXPECT_LT(form->RcvByteMeter->History().size(), held);
    EXPECT_EQ(form->SendByteMeter->History().size(), held);
}

TEST_F(LargeStatusWindowTest, ShowingSetsColoursAndStaysOnTopAndClosingOnlyHides) {
    form->show();
    ASSERT_TRUE(form->isVisible());
    EXPECT_TRUE(form->ShownOnce());
    EXPECT_EQ(form->RcvByteMeter->Color(), QColor(128, 128, 128));
    EXPECT_EQ(form->RcvByteMeter->GraphColor(), QColor(0, 0, 255));
    EXPECT_EQ(form->SendByteMeter->GraphColor(), QColor(255, 0, 0));
    EXPECT_EQ(form->SendByteMeter->AxisColor(), QColor(Qt::black));
    EXPECT_TRUE(form->stayOnTop->isChecked());
    EXPECT_TRUE(form->stayontop1->isChecked());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    form->stayontop1->trigger();
    EXPECT_FALSE(form->stayOnTop->isChecked());
    EXPECT_FALSE(form->stayontop1->isChecked());
    EXPECT_FALSE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(form->isVisible());
    form->stayOnTop->trigger();
    EXPECT_TRUE(form->stayontop1->isChecked());
    EXPECT_TRUE(form->windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    form->close();
    EXPECT_FALSE(form->isVisible());
    form->show();
    EXPECT_TRUE(form->isVisible());
}

TEST_F(LargeStatusWindowTest, FirstStartCentresTheWindowOnThePrimaryMonitor) {
    EXPECT_EQ(form->pos(), QPoint((1920 - form->width()) / 2, (1080 - form->height()) / 2));
    EXPECT_TRUE(registry.KeyExists("Software\\Halvesund Software\\Korvalin"));
}

TEST_F(LargeStatusWindowTest, PlacementIsSavedAtDestructionOnlyWhenShown) {
    form.reset();
    EXPECT_EQ(registry.ValueCount(RecordPath), 0u);

    form = std::make_unique<LargeStatusWindow>(registry, screens, dialogs);
    form->show();
    form->move(100, 120);
    form->resize(310, 360);
    form->hide();
    form.reset();
    EXPECT_EQ(registry.ReadString(RecordPath, "Left"), "100");
    EXPECT_EQ(registry.ReadString(RecordPath, "Top"), "120");
    EXPECT_EQ(registry.ReadString(RecordPath, "Width"), "310");
    EXPECT_EQ(registry.ReadString(RecordPath, "Height"), "360");
    EXPECT_EQ(registry.ReadString(RecordPath, "ShowCmd"), "0");
    EXPECT_EQ(registry.ReadString(RecordPath, "Monitor"), "0");

    form = std::make_unique<LargeStatusWindow>(registry, screens, dialogs);
    EXPECT_EQ(form->geometry(), QRect(100, 120, 310, 360));
}

}  // namespace
}  // namespace korvalin
