#include "display/TrayIcon.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QMenu>
#include <QSystemTrayIcon>

#include "display/ProgramIcon.h"

namespace korvalin {
namespace {

TEST(ProgramIcon, RendersAtTheSizesTheDesktopAsksFor) {
    const QIcon icon = ProgramIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 22, 32, 48, 64}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.width(), size) << size;
        // The corners are transparent and the middle is painted: a broken resource or a
        // missing SVG renderer gives an empty image.
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

struct TipCase {
    int length;
    int stored;
};

class TrayToolTip : public ::testing::TestWithParam<TipCase> {};

TEST_P(TrayToolTip, IsCutToTheLimitAndReadsBackCut) {
    TrayIcon tray;
    const QString text(GetParam().length, QLatin1Char('x'));
    tray.SetToolTip(text);
    EXPECT_EQ(tray.ToolTip().size(), GetParam().stored);
    EXPECT_EQ(tray.Icon()->toolTip(), tray.ToolTip());
    EXPECT_TRUE(text.startsWith(tray.ToolTip()));
}

INSTANTIATE_TEST_SUITE_P(Lengths, TrayToolTip,
                         ::testing::Values(TipCase{0, 0}, TipCase{8, 8}, TipCase{125, 125},
                                           TipCase{126, 126}, TipCase{127, 126},
                                           TipCase{200, 126}));

TEST(TrayToolTip, KeepsUmlautsWhole) {
    TrayIcon tray;
    tray.SetToolTip(QString(130, QChar(0x00FC)));  // ü
    EXPECT_EQ(tray.ToolTip(), QString(126, QChar(0x00FC)));
}

TEST(TrayIconActive, ShowsAndRemovesTheIconOnlyOnChange) {
    TrayIcon tray;
    tray.SetToolTip(QStringLiteral("Korvalin"));
    tray.SetDefaultIcon(ProgramIcon());
    EXPECT_FALSE(tray.Active());
    EXPECT_FALSE(tray.Icon()->isVisible());

    tray.SetActive(true);
    EXPECT_TRUE(tray.Active());
    EXPECT_TRUE(tray.Icon()->isVisible());
    EXPECT_EQ(tray.Icon()->toolTip(), QStringLiteral("Korvalin"));
    EXPECT_FALSE(tray.Icon()->icon().isNull());
    // This test platform has no tray host, so the icon reached none.
    EXPECT_EQ(tray.IconAddedToSysTray(), TrayIcon::TrayHostAvailable());

    tray.SetActive(true);
    EXPECT_TRUE(tray.Icon()->isVisible());

    tray.SetActive(false);
    EXPECT_FALSE(tray.Icon()->isVisible());
    EXPECT_FALSE(tray.IconAddedToSysTray());
}

TEST(TrayIconActive, DestroyingTheComponentRemovesTheIcon) {
    QObject owner;
    auto* tray = new TrayIcon(&owner);
    tray->SetDefaultIcon(ProgramIcon());
    tray->SetActive(true);
    QSystemTrayIcon* icon = tray->Icon();
    bool iconGone = false;
    QObject::connect(icon, &QObject::destroyed, [&] { iconGone = true; });
    delete tray;
    EXPECT_TRUE(iconGone);
}

struct ClickCase {
    QSystemTrayIcon::ActivationReason reason;
    int clicks;
};

class TrayActivation : public ::testing::TestWithParam<ClickCase> {};

// The left press is Trigger; the right press opens the menu (Context), a double click
// follows its first press and must not open the window twice.
TEST_P(TrayActivation, OnlyTheLeftPressRaisesOnClick) {
    TrayIcon tray;
    int clicks = 0;
    QObject::connect(&tray, &TrayIcon::OnClick, [&] { ++clicks; });
    emit tray.Icon()->activated(GetParam().reason);
    EXPECT_EQ(clicks, GetParam().clicks);
}

INSTANTIATE_TEST_SUITE_P(Reasons, TrayActivation,
                         ::testing::Values(ClickCase{QSystemTrayIcon::Trigger, 1},
                                           ClickCase{QSystemTrayIcon::DoubleClick, 0},
                                           ClickCase{QSystemTrayIcon::Context, 0},
                                           ClickCase{QSystemTrayIcon::MiddleClick, 0},
                                           ClickCase{QSystemTrayIcon::Unknown, 0}));

TEST(TrayPopupMenu, IsTheOwnersMenuAndStaysTheOwners) {
    auto* menu = new QMenu;
    menu->setObjectName(QStringLiteral("PopupMenu1"));
    {
        TrayIcon tray;
        tray.SetPopupMenu(menu);
        EXPECT_EQ(tray.PopupMenu(), menu);
        EXPECT_EQ(tray.Icon()->contextMenu(), menu);
    }
    // The component does not take the menu with it.
    EXPECT_EQ(menu->objectName(), QStringLiteral("PopupMenu1"));
    delete menu;
}

}  // namespace
}  // namespace korvalin
