#include "platform/qt/QtShell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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
QtShell ComposedShell() {
    static LinuxShell system;
    return QtShell(system);
}

struct FolderCase {
    std::optional<std::string> configHome;
    std::string expected;
};

class QtShellAppData : public ::testing::TestWithParam<FolderCase> {};

TEST_P(QtShellAppData, FollowsTheBaseDirectoryRules) {
    ScopedEnvironment home("HOME", std::string("/home/anna"));
    ScopedEnvironment config("XDG_CONFIG_HOME", GetParam().configHome);
    EXPECT_EQ(ComposedShell().AppDataFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Values, QtShellAppData,
                         ::testing::Values(FolderCase{std::nullopt, "/home/anna/.config"},
                                           FolderCase{std::string("/srv/conf"), "/srv/conf"},
                                           FolderCase{std::string("/srv/conf/"), "/srv/conf"},
                                           // Relative values are ignored by the rules.
                                           FolderCase{std::string("conf"), "/home/anna/.config"},
                                           FolderCase{std::string(""), "/home/anna/.config"}));

TEST(QtShellProgramPath, IsTheRunningProgram) {
    const std::string path = ComposedShell().ProgramPath();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(path.front(), '/');
    EXPECT_TRUE(
        std::filesystem::equivalent(path, QCoreApplication::applicationFilePath().toStdString()));
}

// A stand-in for the desktop's opener: records what it was asked to open.
class QtShellOpen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        record_ = folder_.filePath(QStringLiteral("opened.txt")).toStdString();
        const std::string opener = folder_.filePath(QStringLiteral("xdg-open")).toStdString();
        std::ofstream(opener) << "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" << record_ << "'\n";
        chmod(opener.c_str(), 0755);
        const char* oldPath = std::getenv("PATH");
        path_.emplace("PATH", folder_.path().toStdString() + ":" + (oldPath ? oldPath : ""));
    }

    // What the opener received, once it has run (it starts detached).
    std::string Opened() const {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < 5000) {
            std::ifstream in(record_);
            std::string line;
            if (std::getline(in, line)) {
                return line;
            }
            QThread::msleep(20);
        }
        return {};
    }

    bool NothingOpened() const { return !std::filesystem::exists(record_); }

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

    EXPECT_TRUE(ComposedShell().Open(manual.toStdString()));
    const std::string opened = Opened();
    EXPECT_TRUE(opened == manual.toStdString() || opened == "file://" + manual.toStdString())
        << opened;
}

TEST_F(QtShellOpen, OpensAnAddress) {
    EXPECT_TRUE(ComposedShell().Open("https://korvalin.example/"));
    EXPECT_EQ(Opened(), "https://korvalin.example/");
}

TEST_F(QtShellOpen, RefusesWhatCannotBeOpenedWithoutStartingAnything) {
    for (const std::string& target :
         {std::string(), folder_.filePath(QStringLiteral("missing.htm")).toStdString(),
          std::string("manual.htm"), std::string("not an address")}) {
        EXPECT_FALSE(ComposedShell().Open(target)) << target;
    }
    QThread::msleep(100);
    EXPECT_TRUE(NothingOpened());
}

}  // namespace
}  // namespace korvalin
