// The real program on a private X desktop with a window manager and a tray host.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "KorvalinRun.h"
#include "X11Session.h"

namespace korvalin::testing {
namespace {

const QString ConfigurationWindow = QStringLiteral("^Korvalin - Konfiguration$");
const QString WindowClass = QStringLiteral("korvalin");
constexpr int StartTimeoutMs = 15000;

bool ToolsPresent() {
    for (const char* tool : {"Xvfb", "openbox", "trayer", "xdotool", "xwininfo", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            return false;
        }
    }
    return true;
}

class Desktop : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (ToolsPresent()) {
            session_ = new X11Session;
        }
    }
    static void TearDownTestSuite() {
        delete session_;
        session_ = nullptr;
    }

    void SetUp() override {
        if (session_ == nullptr || !session_->Started()) {
            GTEST_SKIP() << "no Xvfb, openbox, trayer and the X tools";
        }
        run_ = std::make_unique<KorvalinRun>(*session_);
    }

    X11Session& Session() { return *session_; }

    // Starts the program and waits for its tray icon.
    std::unique_ptr<Child> StartDocked(QString& icon) {
        auto program = run_->Start();
        icon = Session().WaitForDockedIcon(WindowClass, StartTimeoutMs);
        // Docked is not yet shown: the host maps the icon a moment later.
        if (!icon.isEmpty() && WaitUntilMs([&] { return Session().IsViewable(icon); }, 5000)) {
            QThread::msleep(300);
        }
        return program;
    }

    void PressOnIcon(const QString& icon, int button) {
        const QRect place = Session().Geometry(icon);
        ClickAt(place.center(), button);
    }

    // Without --sync: xdotool would wait forever for a move when the pointer is already there.
    void ClickAt(const QPoint& point, int button) {
        Session().Tool(
            QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(point.x()), QString::number(point.y())});
        QThread::msleep(150);
        Session().Tool(QStringLiteral("xdotool"),
                       {QStringLiteral("click"), QString::number(button)});
    }

    void CloseWithWindowManager(const QString& window) {
        Session().Tool(
            QStringLiteral("xdotool"),
            {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window,
             QStringLiteral("key"), QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
    }

    void ChooseBeendenFromTheTrayMenu(const QString& icon) {
        PressOnIcon(icon, 3);
        // The menu holds "Konfiguration" above "Beenden"; it opens at the pointer.
        QString menu;
        ASSERT_TRUE(WaitUntilMs(
            [&] {
                menu = ShownPopup();
                return !menu.isEmpty();
            },
            5000));
        QThread::msleep(300);
        Session().Screenshot(Artifact(QStringLiteral("tray-menu.png")));
        const QRect place = Session().Geometry(menu);
        ClickAt(QPoint(place.center().x(), place.top() + place.height() * 3 / 4), 1);
    }

    // A shown top-level window of the program named "Korvalin" other than the tray icon:
    // the context menu. (xdotool's search misses override-redirect windows.)
    QString ShownPopup() {
        const QString tree = Session().Tool(QStringLiteral("xwininfo"),
                                            {QStringLiteral("-root"), QStringLiteral("-tree")});
        const QRegularExpression line(QStringLiteral(
            "(0x[0-9a-f]+) \"Korvalin\": \\(\"korvalin\" \"Korvalin\"\\)\\s+(\\d+)x(\\d+)"));
        for (auto match = line.globalMatch(tree); match.hasNext();) {
            const auto found = match.next();
            if (found.captured(2) != QStringLiteral("22") &&
                Session().IsViewable(found.captured(1))) {
                return found.captured(1);
            }
        }
        return {};
    }

    static QString Artifact(const QString& name) {
        return QDir::current().filePath(QStringLiteral("gui-artifacts/") + name);
    }

    static X11Session* session_;
    std::unique_ptr<KorvalinRun> run_;
};

X11Session* Desktop::session_ = nullptr;

TEST_F(Desktop, TheFirstStartOpensTheConfigurationWindowBesideTheTrayIcon) {
    QString icon;
    auto program = StartDocked(icon);
    const QString window = Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty()) << run_->Log().toStdString();
    EXPECT_EQ(Session().Geometry(window).size(), QSize(625, 533));
    EXPECT_FALSE(icon.isEmpty()) << "no icon docked into the tray host";
    QThread::msleep(500);
    Session().Screenshot(Artifact(QStringLiteral("first-start.png")));
}

// "Korvalin im Internet" with an opener that finds no browser: the browser message is
// shown, and what the opener prints stays out of the program's output.
TEST_F(Desktop, AWebPageNoBrowserCanOpenIsReportedAndTheOpenerStaysQuiet) {
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    const QString record = bin.filePath(QStringLiteral("opened.txt"));
    QFile opener(bin.filePath(QStringLiteral("xdg-open")));
    ASSERT_TRUE(opener.open(QIODevice::WriteOnly));
    opener.write(QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n"
                                "echo 'xdg-open: no method available for opening' >&2\n"
                                "echo 'opener chatter'\nexit 4\n")
                     .arg(record)
                     .toUtf8());
    opener.close();
    opener.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    run_->SetEnvironment(QStringLiteral("PATH"),
                         bin.path() + QLatin1Char(':') + QString::fromLocal8Bit(qgetenv("PATH")));

    QString icon;
    auto program = StartDocked(icon);
    const QString window = Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty()) << run_->Log().toStdString();
    // The button "Korvalin im Internet" spans x 302..462 and y 470..498 of the window.
    ClickAt(Session().Geometry(window).topLeft() + QPoint(382, 484), 1);

    const QString message = Session().WaitForVisibleWindow(QStringLiteral("^Fehler$"), 10000);
    ASSERT_FALSE(message.isEmpty()) << run_->Log().toStdString();
    Session().Screenshot(Artifact(QStringLiteral("browser-message.png")));
    QFile opened(record);
    ASSERT_TRUE(opened.open(QIODevice::ReadOnly));
    EXPECT_EQ(opened.readAll().trimmed(), QByteArray("https://korvalin.example/"));
    EXPECT_FALSE(run_->Log().contains(QStringLiteral("xdg-open")));
    EXPECT_FALSE(run_->Log().contains(QStringLiteral("chatter")));
}

TEST_F(Desktop, ALeftPressOnTheTrayIconReopensTheClosedWindow) {
    QString icon;
    auto program = StartDocked(icon);
    ASSERT_FALSE(icon.isEmpty());
    const QString window = Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty());

    // The close box only puts the program into the notification area.
    CloseWithWindowManager(window);
    ASSERT_TRUE(WaitUntilMs([&] { return !Session().IsViewable(window); }, 5000));
    QThread::msleep(300);
    EXPECT_TRUE(program->Running());
    EXPECT_FALSE(Session().DockedIcon(WindowClass).isEmpty());

    PressOnIcon(icon, 1);
    EXPECT_TRUE(WaitUntilMs([&] { return Session().IsViewable(window); }, 5000));
    EXPECT_EQ(Session().Geometry(window).size(), QSize(625, 533));
}

TEST_F(Desktop, BeendenEndsTheProgramSavesTheSettingsAndLaterStartsStayInTheTray) {
    QString icon;
    auto program = StartDocked(icon);
    ASSERT_FALSE(icon.isEmpty());
    ASSERT_FALSE(Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs).isEmpty());

    ChooseBeendenFromTheTrayMenu(icon);
    EXPECT_EQ(program->WaitForExit(10000), 0) << run_->Log().toStdString();
    EXPECT_TRUE(WaitUntilMs([&] { return Session().DockedIcon(WindowClass).isEmpty(); }, 5000));
    EXPECT_EQ(run_->Setting(QStringLiteral("Options"), QStringLiteral("New")), QStringLiteral("0"));
    EXPECT_TRUE(run_->Setting(QStringLiteral("Sums"), QStringLiteral("sumSend")).has_value());
    EXPECT_TRUE(run_->Setting(QStringLiteral("Sums"), QStringLiteral("sumReceive")).has_value());

    auto later = StartDocked(icon);
    ASSERT_FALSE(icon.isEmpty()) << run_->Log().toStdString();
    QThread::msleep(1000);
    EXPECT_TRUE(Session().VisibleWindows(ConfigurationWindow).isEmpty());
}

TEST_F(Desktop, ASecondInstanceExitsWithZeroAndTheFirstShowsItsWindow) {
    QString icon;
    auto first = StartDocked(icon);
    ASSERT_FALSE(icon.isEmpty());
    const QString window = Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty());
    CloseWithWindowManager(window);
    ASSERT_TRUE(WaitUntilMs([&] { return !Session().IsViewable(window); }, 5000));

    auto second = run_->Start();
    EXPECT_EQ(second->WaitForExit(10000), 0);
    EXPECT_TRUE(WaitUntilMs([&] { return Session().IsViewable(window); }, 5000));
    EXPECT_TRUE(first->Running());
    // Only the first instance has an icon.
    EXPECT_EQ(
        Session()
            .Tool(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")})
            .count(QStringLiteral("(\"korvalin\" \"Korvalin\")  22x22")),
        1);
}

TEST_F(Desktop, TheTrayIconComesBackWhenTheTrayHostRestarts) {
    QString icon;
    auto program = StartDocked(icon);
    ASSERT_FALSE(icon.isEmpty());
    ASSERT_TRUE(Session().RestartTrayHost());
    const QString again = Session().WaitForDockedIcon(WindowClass, 10000);
    ASSERT_FALSE(again.isEmpty());
    ASSERT_TRUE(WaitUntilMs([&] { return Session().IsViewable(again); }, 5000));
    EXPECT_TRUE(program->Running());

    // And it still answers a press.
    const QString window = Session().WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty());
    CloseWithWindowManager(window);
    ASSERT_TRUE(WaitUntilMs([&] { return !Session().IsViewable(window); }, 5000));
    PressOnIcon(again, 1);
    EXPECT_TRUE(WaitUntilMs([&] { return Session().IsViewable(window); }, 5000));
}

// A desktop whose panel has no notification area: the window must stay reachable.
TEST(DesktopWithoutTray, ALaterStartShowsTheWindowAndItsCloseBoxOnlyMinimises) {
    if (!ToolsPresent()) {
        GTEST_SKIP() << "no Xvfb, openbox and the X tools";
    }
    X11Session session(false);
    ASSERT_TRUE(session.Started());
    KorvalinRun run(session);
    run.WriteSettings("[Options]\nNew=0\n");
    auto program = run.Start();
    const QString window = session.WaitForVisibleWindow(ConfigurationWindow, StartTimeoutMs);
    ASSERT_FALSE(window.isEmpty()) << run.Log().toStdString();

    session.Tool(
        QStringLiteral("xdotool"),
        {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window, QStringLiteral("key"),
         QStringLiteral("--clearmodifiers"), QStringLiteral("alt+F4")});
    // Iconic, that is on the taskbar, not withdrawn.
    EXPECT_TRUE(WaitUntilMs(
        [&] {
            return session
                .Tool(QStringLiteral("xprop"),
                      {QStringLiteral("-id"), window, QStringLiteral("WM_STATE")})
                .contains(QStringLiteral("Iconic"));
        },
        5000));
    EXPECT_TRUE(program->Running());
}

}  // namespace
}  // namespace korvalin::testing
