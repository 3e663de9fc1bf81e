#include "platform/qt/QtShell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "platform/linux/LinuxShell.h"

namespace korvalin {
namespace {

// Sets an environment variable for one test and puts the old value back.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<std::string>& value) : name_(name) {
        if (const char* old = std::getenv(name)) {
            old_ = old;
        }
        if (value) {
            setenv(name, value->c_str(), 1);
        } else {
            unsetenv(name);
        }
    }
    ~ScopedEnvironment() {
        if (old_) {
            setenv(name_, old_->c_str(), 1);
        } else {
            unsetenv(name_);
        }
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The shell as the program composes it: the Linux shell beneath the Qt one.
class ComposedShell {
public:
    ComposedShell() : shell_(system_) {}
    QtShell* operator->() { return &shell_; }
    QtShell& operator*() { return shell_; }

private:
    LinuxShell system_;
    QtShell shell_;
};

// The outcome of one Open, with the thread it was reported on.
struct Outcome {
    bool opened = false;
    bool onThisThread = false;
};

// Opens the target and runs the event loop until the outcome arrives (or a generous
// deadline passes, giving nothing).
std::optional<Outcome> OpenAndWait(Shell& shell, const std::string& target) {
    std::optional<Outcome> outcome;
    const QThread* self = QThread::currentThread();
    shell.Open(target, [&outcome, self](bool opened) {
        outcome = Outcome{opened, QThread::currentThread() == self};
    });
    QElapsedTimer waited;
    waited.start();
    while (!outcome && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return outcome;
}

struct FolderCase {
    std::optional<std::string> configHome;
    std::string expected;
};

class QtShellAppData : public ::testing::TestWithParam<FolderCase> {};

TEST_P(QtShellAppData, FollowsTheBaseDirectoryRules) {
    ScopedEnvironment home("HOME", std::string("/home/anna"));
    ScopedEnvironment config("XDG_CONFIG_HOME", GetParam().configHome);
    EXPECT_EQ(ComposedShell()->AppDataFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, QtShellAppData,
                         ::testing::Values(FolderCase{std::nullopt, "/home/anna/.config"},
                                           FolderCase{std::string("/srv/conf"), "/srv/conf"},
                                           FolderCase{std::string("/srv/conf/"), "/srv/conf"},
                                           // Relative values are ignored by the rules.
                                           FolderCase{std::string("conf"), "/home/anna/.config"},
                                           FolderCase{std::string(""), "/home/anna/.config"}));

TEST(QtShellProgramPath, IsTheRunningProgram) {
    const std::string path = ComposedShell()->ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(
        std::filesystem::equivalent(path, QCoreApplication::applicationFilePath().toStdString()));
}

// A stand-in for the desktop's opener: records what it was asked to open, chatters on
// both output streams as the real one does when it finds no browser, and ends with the
// exit status the test chose.
class QtShellOpen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        record_ = folder_.filePath(QStringLiteral("opened.txt")).toStdString();
        UseOpenerExitingWith(0);
        const char* oldPath = std::getenv("PATH");
        path_.emplace("PATH", folder_.path().toStdString() + ":" + (oldPath ? oldPath : ""));
    }

    void UseOpenerExitingWith(int status) {
        const std::string opener = folder_.filePath(QStringLiteral("xdg-open")).toStdString();
        std::ofstream(opener) << "#!/bin/sh\n"
                              << "printf '%s\\n' \"$1\" >> '" << record_ << "'\n"
                              << "echo 'opener noise on stdout'\n"
                              << "echo 'opener noise on stderr' >&2\n"
                              << "exit " << status << "\n";
        chmod(opener.c_str(), 0755);
    }

    std::string Opened() const {
        std::ifstream in(record_);
        std::string line;
        std::getline(in, line);
        return line;
    }

    QTemporaryDir folder_;
    std::string record_;
    std::optional<ScopedEnvironment> path_;
};

TEST_F(QtShellOpen, OpensAnExistingFileWithTheDesktopsOpener) {
    const QString manual = folder_.filePath(QStringLiteral("manual.htm"));
    QFile file(manual);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<html></html>");
    file.close();

    ComposedShell shell;
    const std::optional<Outcome> outcome = OpenAndWait(*shell, manual.toStdString());
    ASSERT_TRUE(outcome);
    EXPECT_TRUE(outcome->opened);
    EXPECT_EQ(Opened(), manual.toStdString());
}

struct OpenerCase {
    int exitStatus;
    bool opened;
};

class QtShellOpenerOutcome : public QtShellOpen,
                             public ::testing::WithParamInterface<OpenerCase> {};

// The outcome is the opener's exit status, reported on the calling (user-interface)
// thread, and what the opener prints never reaches the program's own output.
TEST_P(QtShellOpenerOutcome, IsTheOpenersExitStatusAndItsOutputIsKeptAway) {
    UseOpenerExitingWith(GetParam().exitStatus);
    ComposedShell shell;
    ::testing::internal::CaptureStdout();
    ::testing::internal::CaptureStderr();
    const std::optional<Outcome> outcome = OpenAndWait(*shell, "https://korvalin.example/");
    const std::string out = ::testing::internal::GetCapturedStdout();
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_TRUE(outcome) << "no outcome reported";
    EXPECT_EQ(outcome->opened, GetParam().opened);
    EXPECT_TRUE(outcome->onThisThread);
    EXPECT_EQ(Opened(), "https://korvalin.example/");
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
}

INSTANTIATE_TEST_SUITE_P(ExitStatus, QtShellOpenerOutcome,
                         ::testing::Values(OpenerCase{0, true}, OpenerCase{1, false},
                                           OpenerCase{3, false}, OpenerCase{4, false}),
                         [](const auto& info) { return std::to_string(info.param.exitStatus); });

TEST_F(QtShellOpen, ReportsFailureWhenNoOpenerIsInstalled) {
    const QTemporaryDir empty;
    ScopedEnvironment path("PATH", empty.path().toStdString());
    ComposedShell shell;
    const std::optional<Outcome> outcome = OpenAndWait(*shell, "https://korvalin.example/");
    ASSERT_TRUE(outcome);
    EXPECT_FALSE(outcome->opened);
    EXPECT_TRUE(outcome->onThisThread);
}

TEST_F(QtShellOpen, RefusesWhatCannotBeOpenedAtOnceWithoutStartingAnything) {
    ComposedShell shell;
    for (const std::string& target :
         {std::string(), folder_.filePath(QStringLiteral("missing.htm")).toStdString(),
          std::string("manual.htm"), std::string("not an address")}) {
        SCOPED_TRACE(target);
        std::optional<bool> outcome;
        shell->Open(target, [&outcome](bool opened) { outcome = opened; });
        EXPECT_EQ(outcome, std::optional<bool>(false));
    }
    // The one target that is opened tells when the opener would have run for the others.
    ASSERT_TRUE(OpenAndWait(*shell, "https://korvalin.example/"));
    EXPECT_EQ(Opened(), "https://korvalin.example/");
    std::ifstream in(record_);
    EXPECT_EQ(
        std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n'), 1);
}

}  // namespace
}  // namespace korvalin
