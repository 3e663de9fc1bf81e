#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>

#include "app/AboutBox.h"
#include "app/SystemIntegration.h"
#include "fakes/FakeShell.h"

namespace korvalin {
namespace {

using testing::FakeShell;

QLabel* Label(const QWidget& dialog, const char* name) {
    return dialog.findChild<QLabel*>(QLatin1String(name));
}

void ClickLeft(QWidget* widget) {
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(inside);
    QMouseEvent press(QEvent::MouseButtonPress, inside, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TEST(AboutBox, HasTheCaptionClientSizeAndTexts) {
    FakeShell shell;
    AboutBox dialog(shell);
    EXPECT_EQ(dialog.objectName(), QStringLiteral("AboutDlg"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Über"));
    EXPECT_EQ(dialog.size(), QSize(385, 289));

    ASSERT_NE(Label(dialog, "ProductName"), nullptr);
    EXPECT_EQ(Label(dialog, "ProductName")->text(), QStringLiteral("Korvalin 2.20 "));
    ASSERT_NE(Label(dialog, "Copyright"), nullptr);
    EXPECT_FALSE(Label(dialog, "Copyright")->text().isEmpty());
    ASSERT_NE(Label(dialog, "Comments"), nullptr);
    EXPECT_EQ(Label(dialog, "Comments")->text(),
              QStringLiteral("Dieses Programm basiert auf dem Bresmuth, dem Datenmengenmonitor zur "
                             "Aufzeichnung und Kontrolle der Datenmenge für DFÜ-Netzwerk, DSL und "
                             "Netzwerkverbindungen."));
    EXPECT_TRUE(Label(dialog, "Comments")->wordWrap());
    ASSERT_NE(Label(dialog, "Comments2"), nullptr);
    EXPECT_EQ(Label(dialog, "Comments2")->text(),
              QStringLiteral("Weitere Informationen zum Bresmuth erhalten Sie im Internet auf "
                             "unserer Webseite:"));
    EXPECT_TRUE(Label(dialog, "Comments2")->wordWrap());
    ASSERT_NE(Label(dialog, "WebPageLink"), nullptr);
    EXPECT_EQ(Label(dialog, "WebPageLink")->text(), QString::fromLatin1(WebPageAddress));
    ASSERT_NE(Label(dialog, "ForumLink"), nullptr);
    EXPECT_EQ(Label(dialog, "ForumLink")->text(), QStringLiteral("Support-Forum besuchen"));
    for (const char* link : {"WebPageLink", "ForumLink"}) {
        EXPECT_TRUE(Label(dialog, link)->font().bold()) << link;
        EXPECT_TRUE(Label(dialog, link)->font().underline()) << link;
    }
}

TEST(AboutBox, ShowsTheProgramIconAtThirtyTwoPixels) {
    FakeShell shell;
    AboutBox dialog(shell);
    QLabel* icon = Label(dialog, "ProgramIcon");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->size(), QSize(32, 32));
    EXPECT_FALSE(icon->pixmap().isNull());
}

TEST(AboutBox, KeepsEveryTextInsideTheFramedPanel) {
    FakeShell shell;
    AboutBox dialog(shell);
    auto* panel = dialog.findChild<QWidget*>(QStringLiteral("Panel1"));
    ASSERT_NE(panel, nullptr);
    for (auto* label : panel->findChildren<QLabel*>()) {
        EXPECT_TRUE(panel->rect().contains(label->geometry())) << label->objectName().toStdString();
        if (!label->wordWrap() && label->pixmap().isNull()) {
            // A single line wider than its label loses its end.
            EXPECT_LE(label->sizeHint().width(), label->width())
                << label->objectName().toStdString();
        }
        if (label->wordWrap()) {
            // The wrapped text must fit its height, or its last line is cut off.
            EXPECT_LE(label->heightForWidth(label->width()), label->height())
                << label->objectName().toStdString();
        }
    }
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("OKButton"));
    ASSERT_NE(ok, nullptr);
    EXPECT_FALSE(ok->geometry().intersects(panel->geometry()));
    EXPECT_TRUE(dialog.rect().contains(ok->geometry()));
}

TEST(AboutBox, TheLinksOpenTheirAddressesThroughTheShell) {
    FakeShell shell;
    AboutBox dialog(shell);
    ClickLeft(Label(dialog, "WebPageLink"));
    ClickLeft(Label(dialog, "ForumLink"));
    ASSERT_EQ(shell.opened.size(), 2U);
    EXPECT_EQ(shell.opened[0], WebPageAddress);
    EXPECT_EQ(shell.opened[1], SupportForumAddress);
}

TEST(AboutBox, OkClosesTheModalBoxWithTheResultOk) {
    FakeShell shell;
    AboutBox dialog(shell);
    QTimer::singleShot(
        0, &dialog, [&] { dialog.findChild<QPushButton*>(QStringLiteral("OKButton"))->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(shell.opened.empty());
}

}  // namespace
}  // namespace korvalin
