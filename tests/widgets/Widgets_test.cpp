#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

#include "fakes/FakeShell.h"
#include "widgets/ColourScheme.h"
#include "widgets/FlatButton.h"
#include "widgets/FlatGauge.h"
#include "widgets/LinkLabel.h"
#include "widgets/RadioCheckList.h"
#include "widgets/SpinEdit.h"

namespace korvalin {
namespace {

// Presses and releases the left button at point, as the user's click would.
void Click(QWidget* widget, QPoint point) {
    const QPointF local(point);
    const QPointF global(widget->mapToGlobal(point));
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

class CheckListBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* text : {"Alle Netzwerkadapter", "eth0", "wlan0"}) {
            list.AddItem(QString::fromUtf8(text));
        }
    }
    RadioCheckList list;
};

TEST_F(CheckListBoxTest, NothingCheckedReadsMinusOne) {
    EXPECT_EQ(list.CheckedIndex(), -1);
    EXPECT_TRUE(list.CheckedText().isEmpty());
}

TEST_F(CheckListBoxTest, SettingTheCheckedIndex) {
    struct Case {
        int set;
        int expect;
    };
    for (const Case& c : {Case{2, 2}, Case{0, 0}, Case{-5, 0}, Case{1, 1}, Case{7, -1}}) {
        list.SetCheckedIndex(c.set);
        EXPECT_EQ(list.CheckedIndex(), c.expect) << "set " << c.set;
    }
}

TEST_F(CheckListBoxTest, RadioItemsKeepAtMostOneChecked) {
    list.UserCheck(1);
    list.UserCheck(2);
    int checked = 0;
    for (int position = 0; position < list.Count(); ++position) {
        checked += list.IsChecked(position) ? 1 : 0;
    }
    EXPECT_EQ(checked, 1);
    EXPECT_EQ(list.CheckedText().toStdString(), "wlan0");
}

TEST_F(CheckListBoxTest, ClickCheckOnlyForTheUsersCheck) {
    int clickChecks = 0;
    QObject::connect(&list, &RadioCheckList::ClickCheck, [&] { ++clickChecks; });
    list.SetCheckedIndex(1);
    list.CheckText(QStringLiteral("wlan0"));
    EXPECT_EQ(clickChecks, 0);
    list.show();
    const QRect item = list.visualItemRect(list.item(1));
    Click(list.viewport(), item.center());
    EXPECT_EQ(clickChecks, 1);
    EXPECT_EQ(list.CheckedIndex(), 1);
    Click(list.viewport(), item.center());
    EXPECT_EQ(clickChecks, 1);
}

TEST_F(CheckListBoxTest, CheckTextNeedsTheExactText) {
    EXPECT_FALSE(list.CheckText(QStringLiteral("ETH0")));
    EXPECT_TRUE(list.CheckText(QStringLiteral("eth0")));
    EXPECT_EQ(list.CheckedIndex(), 1);
}

TEST(SpeedButton, GroupMatesRaiseEachOther) {
    QWidget panel;
    FlatButton current(&panel);
    FlatButton graph(&panel);
    FlatButton bar(&panel);
    current.SetGroupIndex(1);
    graph.SetGroupIndex(1);
    current.SetDown(true);
    graph.click();
    EXPECT_TRUE(graph.Down());
    EXPECT_FALSE(current.Down());
    graph.click();  // a group's down button stays down
    EXPECT_TRUE(graph.Down());
    bar.click();
    EXPECT_FALSE(bar.Down());
    EXPECT_TRUE(graph.Down());
}

TEST(SpeedButton, HintIsTheTooltip) {
    FlatButton button;
    button.SetCaption(QStringLiteral("OK"));
    button.SetHint(QStringLiteral("Fenster minimieren"));
    EXPECT_EQ(button.toolTip().toStdString(), "Fenster minimieren");
    EXPECT_EQ(button.Caption().toStdString(), "OK");
}

TEST(ColorMap, DesignedValuesAreReadLowByteRed) {
    ColourScheme map;
    EXPECT_EQ(map.Color, QColor(158, 190, 245));
    struct Case {
        QColor ColourScheme::*colour;
        unsigned stored;
    };
    for (const Case& c :
         {Case{&ColourScheme::ShadowColor, 6582129}, Case{&ColourScheme::HighlightColor, 16775665},
          Case{&ColourScheme::HotColor, 4096254}, Case{&ColourScheme::MenuColor, 16185078},
          Case{&ColourScheme::BtnFrameColor, 9841920}, Case{&ColourScheme::UnusedColor, 9841920},
          Case{&ColourScheme::BtnSelectedColor, 10147583},
          Case{&ColourScheme::SelectedColor, 10147583}, Case{&ColourScheme::DisabledColor, 9276813},
          Case{&ColourScheme::DisabledFontColor, 9276813}}) {
        const QColor colour = map.*(c.colour);
        EXPECT_EQ(colour.red(), static_cast<int>(c.stored & 0xFF));
        EXPECT_EQ(colour.green(), static_cast<int>((c.stored >> 8) & 0xFF));
        EXPECT_EQ(colour.blue(), static_cast<int>((c.stored >> 16) & 0xFF));
    }
    EXPECT_EQ(map.DisabledFontShadow, QColor(Qt::white));
}

TEST(ColorMap, RefreshIsIgnoredWhileAutoRefreshIsOff) {
    ColourScheme map;
    map.SetAutoRefresh(false);
    map.FontColor = QColor(1, 2, 3);
    map.Refresh();
    EXPECT_EQ(map.FontColor, QColor(1, 2, 3));
}

TEST(LinkLabel, ClickOpensTheAddressThroughTheShell) {
    testing::FakeShell shell;
    LinkLabel label;
    label.SetShell(&shell);
    label.SetAddress("https://korvalin.example/");
    label.resize(200, 20);
    label.show();
    Click(&label, QPoint(10, 10));
    ASSERT_EQ(shell.opened.size(), 1U);
    EXPECT_EQ(shell.opened[0], "https://korvalin.example/");
}

TEST(LinkLabel, HighlightSwapsTheBackground) {
    LinkLabel label;
    label.SetNormalColor(Qt::gray);
    label.SetHighlightColor(Qt::blue);
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(Qt::gray));
    label.SetHighlighted(true);
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(Qt::blue));
    label.SetHighlighted(false);
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(Qt::gray));
}

TEST(SpinEdit, ValuesAndTextsAreBroughtIntoTheBounds) {
    SpinEdit edit;
    edit.SetBounds(1, 1024);
    struct Case {
        const char* text;
        int expect;
    };
    for (const Case& c : {Case{"5", 5}, Case{"5000", 1024}, Case{"0", 1}, Case{"-7", 1},
                          Case{"abc", 1}, Case{"", 1}, Case{"12a", 1}}) {
        edit.SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(edit.Value(), c.expect) << c.text;
    }
    edit.SetValue(9999999999LL);
    EXPECT_EQ(edit.Value(), 1024);
}

TEST(FlatGauge, ProgressStaysWithinTheRange) {
    FlatGauge gauge;
    gauge.resize(102, 9);
    gauge.SetRange(0, 100);
    gauge.SetProgress(150);
    EXPECT_EQ(gauge.Progress(), 100);
    EXPECT_EQ(gauge.FilledWidth(), 100);
    gauge.SetProgress(-3);
    EXPECT_EQ(gauge.FilledWidth(), 0);
    gauge.SetProgress(50);
    EXPECT_EQ(gauge.FilledWidth(), 50);
}

}  // namespace
}  // namespace korvalin
