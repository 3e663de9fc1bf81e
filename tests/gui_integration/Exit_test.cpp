// The real program asked to end while a start-up message box waits for an answer: the
// request ends it, the box does not swallow it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <csignal>
#include <functional>
#include <memory>

#include "KorvalinRun.h"
#include "X11Session.h"

namespace korvalin::testing {
namespace {

constexpr int TimeoutMs = 15000;

bool ToolsPresent() {
    for (const char* tool : {"Xvfb", "openbox", "trayer", "xwininfo", "xprop"}) {
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty()) {
            return false;
        }
    }
    return true;
}

void Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text);
}

TEST(StartUpMessage, TerminationRequestEndsTheProgramWhileItIsOpen) {
    if (!ToolsPresent()) {
        GTEST_SKIP() << "no Xvfb, openbox, trayer and the X tools";
    }
    X11Session session;
    ASSERT_TRUE(session.Started());
    const struct {
        const char* name;
        std::function<void(const KorvalinRun&)> prepare;
        const char* caption;
    } cases[] = {
        {"data folder is a file",
         [](const KorvalinRun& run) {
             const QString folder = QFileInfo(run.SettingsFile()).path();
             QDir().mkpath(QFileInfo(folder).path());
             Write(folder, "not a folder");
         },
         "^Fehler$"},
        {"settings file is a folder",
         [](const KorvalinRun& run) { QDir().mkpath(run.SettingsFile()); }, "^Warnung$"},
    };
    for (const auto& c : cases) {
        for (const int signalNumber : {SIGTERM, SIGINT, SIGQUIT}) {
            SCOPED_TRACE(std::string(c.name) + ", signal " + std::to_string(signalNumber));
            KorvalinRun run(session);
            c.prepare(run);
            auto program = run.Start();
            ASSERT_FALSE(
                session.WaitForVisibleWindow(QLatin1String(c.caption), TimeoutMs).isEmpty())
                << run.Log().toStdString();
            program->Kill(signalNumber);
            EXPECT_EQ(program->WaitForExit(TimeoutMs), 0) << run.Log().toStdString();
            EXPECT_TRUE(session.VisibleWindows(QLatin1String(c.caption)).isEmpty());
        }
    }
}

// Without a runtime folder each program keeps its guard in its own data folder, so two
// users (here: two runs with folders of their own) do not take each other for the first
// instance.
TEST(SingleInstanceGuard, WithoutARuntimeFolderLivesInTheDataFolder) {
    if (!ToolsPresent()) {
        GTEST_SKIP() << "no Xvfb, openbox, trayer and the X tools";
    }
    X11Session session;
    ASSERT_TRUE(session.Started());
    const KorvalinRun first(session);
    const KorvalinRun second(session);
    auto firstProgram = first.StartWithoutRuntimeFolder();
    const QString firstLock = QDir(first.DataFolder()).filePath(QStringLiteral("korvalin.lock"));
    ASSERT_TRUE(WaitUntilMs([&] { return QFile::exists(firstLock); }, TimeoutMs))
        << first.Log().toStdString();
    auto secondProgram = second.StartWithoutRuntimeFolder();
    const QString secondLock = QDir(second.DataFolder()).filePath(QStringLiteral("korvalin.lock"));
    ASSERT_TRUE(WaitUntilMs([&] { return QFile::exists(secondLock); }, TimeoutMs))
        << second.Log().toStdString();
    // Both hold their locks: a second start of either run finds its own first instance.
    auto again = second.StartWithoutRuntimeFolder();
    EXPECT_EQ(again->WaitForExit(TimeoutMs), 0) << second.Log().toStdString();
    EXPECT_NE(second.Log().indexOf(QStringLiteral("already running")), -1);
    firstProgram->Kill(SIGTERM);
    secondProgram->Kill(SIGTERM);
    EXPECT_EQ(firstProgram->WaitForExit(TimeoutMs), 0);
    EXPECT_EQ(secondProgram->WaitForExit(TimeoutMs), 0);
}

}  // namespace
}  // namespace korvalin::testing
