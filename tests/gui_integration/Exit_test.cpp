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

}  // namespace
}  // namespace korvalin::testing
