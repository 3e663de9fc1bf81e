#include "app/AutoStart.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "core/TextTools.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeOsVersion.h"
#include "fakes/FakeRegistry.h"
#include "fakes/FakeShell.h"
#include "platform/linux/LinuxRegistry.h"

namespace korvalin {
namespace {

using testing::FakeDialogs;
using testing::FakeOsVersion;
using testing::FakeRegistry;
using testing::FakeShell;

const std::string OwnPath = "/home/jürgen/Programme/Korvalin/korvalin";

class AutoStartFixture : public ::testing::Test {
protected:
    AutoStartFixture() { shell.programPath = OwnPath; }

    std::optional<std::string> Entry() const {
        return registry.ReadString(RunKeyPath, AutoStartValueName);
    }

    FakeRegistry registry;
    FakeShell shell;
    FakeDialogs dialogs;
};

struct EntryCase {
    const char* name;
    std::optional<std::string> entry;
    bool present;
};

class IsAutoStartEntries : public AutoStartFixture,
                           public ::testing::WithParamInterface<EntryCase> {};

TEST_P(IsAutoStartEntries, CountsOnlyAnEntryNamingThisProgram) {
    if (GetParam().entry) {
        registry.WriteString(RunKeyPath, AutoStartValueName, *GetParam().entry);
    }
    EXPECT_EQ(IsAutoStart(registry, shell), GetParam().present);
    EXPECT_TRUE(dialogs.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Entries, IsAutoStartEntries,
    ::testing::Values(
        EntryCase{"none", std::nullopt, false}, EntryCase{"exact", OwnPath, true},
        EntryCase{"lowerCase", "/home/jürgen/programme/korvalin/korvalin", true},
        EntryCase{"upperCaseWithUmlaut", "/HOME/JÜRGEN/PROGRAMME/KORVALIN/KORVALIN", true},
        EntryCase{"otherCopy", "/opt/korvalin/bin/korvalin", false},
        EntryCase{"otherProgramSameFolder", "/home/jürgen/Programme/Korvalin/nload", false},
        EntryCase{"empty", std::string(), false}, EntryCase{"trailingBlank", OwnPath + " ", false},
        EntryCase{"overlong", std::string(512, 'x'), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutoStartFixture, AnEntryIsNeverCountedWhenTheOwnPathIsUnknown) {
    shell.programPath.clear();
    registry.WriteString(RunKeyPath, AutoStartValueName, "");
    EXPECT_FALSE(IsAutoStart(registry, shell));
}

TEST_F(AutoStartFixture, EnablingWritesTheRealPathUnchangedInCase) {
    SetAutoStart(true, registry, shell, dialogs);
    // The file system is case-sensitive: an upper-cased path would start nothing.
    EXPECT_EQ(Entry(), OwnPath);
    EXPECT_TRUE(IsAutoStart(registry, shell));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutoStartFixture, EnablingOverwritesAnEntryOfAnotherCopy) {
    registry.WriteString(RunKeyPath, AutoStartValueName, "/opt/korvalin/bin/korvalin");
    SetAutoStart(true, registry, shell, dialogs);
    EXPECT_EQ(Entry(), OwnPath);
}

TEST_F(AutoStartFixture, DisablingDeletesTheOwnEntryEvenInAnotherCase) {
    registry.WriteString(RunKeyPath, AutoStartValueName,
                         "/HOME/JÜRGEN/PROGRAMME/KORVALIN/KORVALIN");
    SetAutoStart(false, registry, shell, dialogs);
    EXPECT_EQ(Entry(), std::nullopt);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutoStartFixture, DisablingLeavesAnEntryOfAnotherCopyAlone) {
    registry.WriteString(RunKeyPath, AutoStartValueName, "/opt/korvalin/bin/korvalin");
    SetAutoStart(false, registry, shell, dialogs);
    EXPECT_EQ(Entry(), "/opt/korvalin/bin/korvalin");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutoStartFixture, DisablingWithoutEntryChangesAndReportsNothing) {
    SetAutoStart(false, registry, shell, dialogs);
    EXPECT_EQ(registry.ValueCount(RunKeyPath), 0U);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutoStartFixture, AFailingWriteIsReportedWithTheErrorNumber) {
    registry.failWrites = EACCES;
    SetAutoStart(true, registry, shell, dialogs);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(dialogs.messages[0].text,
              "Kann Autostartwert nicht setzen " + std::to_string(EACCES));
    EXPECT_EQ(dialogs.messages[0].caption, "Korvalin");
    EXPECT_EQ(dialogs.messages[0].style, MsgBoxStyle(mkError, {btnOK}));
}

TEST_F(AutoStartFixture, AFailingDeletionIsReportedWithTheErrorNumber) {
    registry.WriteString(RunKeyPath, AutoStartValueName, OwnPath);
    registry.failWrites = EROFS;
    SetAutoStart(false, registry, shell, dialogs);
    EXPECT_EQ(Entry(), OwnPath);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(dialogs.messages[0].text,
              "Kann Autostarteintrag nicht löschen " + std::to_string(EROFS));
    EXPECT_EQ(dialogs.messages[0].caption, "Korvalin");
    EXPECT_EQ(dialogs.messages[0].style, MsgBoxStyle(mkError, {btnOK}));
}

struct VersionCase {
    bool ntFamily;
    int major;
    int minor;
    bool shadow;
};

class ShadowRule : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ShadowRule, NeedsMajorFiveAndMinorOneOrMore) {
    const OsVersionInfo info{GetParam().ntFamily, GetParam().major, GetParam().minor, ""};
    EXPECT_EQ(ShadowSupportedBy(info), GetParam().shadow);

    FakeOsVersion os;
    os.info = info;
    CheckOperatingSystem(os);
    EXPECT_EQ(ShadowSupported(), GetParam().shadow);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, ShadowRule,
    ::testing::Values(VersionCase{true, 5, 1, true}, VersionCase{true, 5, 2, true},
                      VersionCase{true, 6, 1, true}, VersionCase{true, 6, 18, true},
                      VersionCase{true, 5, 0, false}, VersionCase{true, 6, 0, false},
                      VersionCase{true, 4, 10, false}, VersionCase{false, 4, 10, false},
                      VersionCase{false, 5, 1, false}));

TEST(ShadowRule, AFailingQueryLeavesTheFlagFalse) {
    FakeOsVersion os;
    CheckOperatingSystem(os);
    ASSERT_TRUE(ShadowSupported());
    os.succeeds = false;
    CheckOperatingSystem(os);
    EXPECT_FALSE(ShadowSupported());
}

}  // namespace
}  // namespace korvalin

namespace korvalin {
namespace {

// The desktop's own store: the entry is the XDG autostart file.
class AutoStartOnTheDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        shell.appDataFolder = folder_.path().toStdString();
        shell.programPath = folder_.path().toStdString() + "/Meine Programme/Jürgen's/korvalin";
    }

    std::string EntryFile() const { return shell.appDataFolder + "/autostart/korvalin.desktop"; }

    QTemporaryDir folder_;
    testing::FakeShell shell;
    testing::FakeDialogs dialogs;
};

TEST_F(AutoStartOnTheDesktop, EnablingWritesAnEntryThatReadsBackAsThisProgram) {
    {
        LinuxRegistry registry(shell);
        SetAutoStart(true, registry, shell, dialogs);
    }
    EXPECT_TRUE(dialogs.messages.empty());
    ASSERT_TRUE(std::filesystem::exists(EntryFile()));
    std::ifstream in(EntryFile());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("Exec="), std::string::npos);

    // A later run, with a fresh view of the store, still finds its own entry.
    LinuxRegistry later(shell);
    EXPECT_TRUE(IsAutoStart(later, shell));
    EXPECT_EQ(later.ReadString(RunKeyPath, AutoStartValueName), shell.programPath);

    SetAutoStart(false, later, shell, dialogs);
    EXPECT_FALSE(std::filesystem::exists(EntryFile()));
    EXPECT_FALSE(IsAutoStart(later, shell));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AutoStartOnTheDesktop, AnEntryOfAnotherCopyStaysUntilThisCopyIsEnabled) {
    LinuxRegistry registry(shell);
    ASSERT_EQ(registry.WriteString(RunKeyPath, AutoStartValueName, "/opt/korvalin/bin/korvalin"),
              0);
    EXPECT_FALSE(IsAutoStart(registry, shell));
    SetAutoStart(false, registry, shell, dialogs);
    EXPECT_EQ(registry.ReadString(RunKeyPath, AutoStartValueName), "/opt/korvalin/bin/korvalin");
    SetAutoStart(true, registry, shell, dialogs);
    EXPECT_TRUE(IsAutoStart(registry, shell));
}

}  // namespace
}  // namespace korvalin
