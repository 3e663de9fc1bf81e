#include "platform/linux/LinuxRegistry.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "base/IniDocument.h"
#include "fakes/FakeShell.h"
#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using testing::TempFolder;

const std::string kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class LinuxRegistryTest : public ::testing::Test {
protected:
    static testing::FakeShell ShellIn(const TempFolder& folder) {
        testing::FakeShell shell;
        shell.appDataFolder = folder / "config";
        return shell;
    }

    std::string EntryPath() const { return folder / "config/autostart/korvalin.desktop"; }
    std::string StorePath() const { return folder / "config/Korvalin/registry.ini"; }

    TempFolder folder;
    testing::FakeShell shell = ShellIn(folder);
    LinuxRegistry registry{shell};
};

TEST_F(LinuxRegistryTest, WritesACompleteDesktopEntry) {
    ASSERT_EQ(registry.WriteString(kRunKey, "Korvalin", "/opt/korvalin/bin/korvalin"), 0);
    EXPECT_EQ(TempFolder::ReadFile(EntryPath()),
              "[Desktop Entry]\nType=Application\nName=Korvalin\n"
              "Exec=/opt/korvalin/bin/korvalin\nX-GNOME-Autostart-enabled=true\n");
    EXPECT_EQ(registry.ReadString(kRunKey, "Korvalin"), "/opt/korvalin/bin/korvalin");
    EXPECT_FALSE(std::filesystem::exists(StorePath())) << "the autostart value is not stored there";
}

TEST_F(LinuxRegistryTest, RunKeyAndValueNameIgnoreCaseAndBackslashes) {
    ASSERT_EQ(registry.WriteString("\\software\\microsoft\\windows\\currentversion\\run\\",
                                   "KORVALIN", "/usr/bin/korvalin"),
              0);
    EXPECT_TRUE(std::filesystem::exists(EntryPath()));
    EXPECT_EQ(registry.ReadString(kRunKey, "korvalin"), "/usr/bin/korvalin");
}

TEST_F(LinuxRegistryTest, DeleteRemovesTheEntry) {
    EXPECT_EQ(registry.DeleteValue(kRunKey, "Korvalin"), ENOENT);
    ASSERT_EQ(registry.WriteString(kRunKey, "Korvalin", "/usr/bin/korvalin"), 0);
    EXPECT_EQ(registry.DeleteValue(kRunKey, "Korvalin"), 0);
    EXPECT_FALSE(std::filesystem::exists(EntryPath()));
    EXPECT_EQ(registry.ReadString(kRunKey, "Korvalin"), std::nullopt);
}

TEST_F(LinuxRegistryTest, RunKeyAlwaysExists) {
    EXPECT_TRUE(registry.KeyExists(kRunKey));
    EXPECT_TRUE(registry.KeyExists("Software\\Microsoft\\Windows"));
    EXPECT_EQ(registry.CreateKey(kRunKey), 0);
    EXPECT_FALSE(registry.KeyExists("Software\\Microsoft\\Win"));
}

TEST_F(LinuxRegistryTest, OtherValuesGoToTheStore) {
    ASSERT_EQ(registry.WriteString(kRunKey, "Other", "/usr/bin/other"), 0);
    ASSERT_EQ(registry.WriteString("Software\\Halvesund Software\\Korvalin\\MiniBarPosition",
                                   "Left", "10"),
              0);
    EXPECT_FALSE(std::filesystem::exists(EntryPath()));
    const IniDocument store = IniDocument::Parse(TempFolder::ReadFile(StorePath()));
    EXPECT_EQ(store.Value(kRunKey, "Other"), "/usr/bin/other");
    EXPECT_EQ(
        registry.ReadString("software\\halvesund software\\korvalin\\minibarposition", "left"),
        "10");
}

struct ExecCase {
    const char* name;
    const char* program;
    const char* execLine;
};

class LinuxRegistryExec : public LinuxRegistryTest,
                          public ::testing::WithParamInterface<ExecCase> {};

TEST_P(LinuxRegistryExec, QuotesThePathAsDesktopEntriesAskAndReadsItBack) {
    ASSERT_EQ(registry.WriteString(kRunKey, "Korvalin", GetParam().program), 0);
    const IniDocument entry = IniDocument::Parse(TempFolder::ReadFile(EntryPath()));
    EXPECT_EQ(entry.Value("Desktop Entry", "Exec"), GetParam().execLine);
    EXPECT_EQ(registry.ReadString(kRunKey, "Korvalin"), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinuxRegistryExec,
    ::testing::Values(ExecCase{"Plain", "/usr/bin/korvalin", "/usr/bin/korvalin"},
                      ExecCase{"Blank", "/opt/Program Files/korvalin",
                               "\"/opt/Program Files/korvalin\""},
                      ExecCase{"Percent", "/opt/100%/korvalin", "/opt/100%%/korvalin"},
                      ExecCase{"Dollar", "/opt/$HOME/k", "\"/opt/\\\\$HOME/k\""},
                      ExecCase{"Backslash", "/opt/a\\b/k", "\"/opt/a\\\\\\\\b/k\""},
                      ExecCase{"QuoteAndBacktick", "/opt/\"x`/k", "\"/opt/\\\\\"x\\\\`/k\""},
                      ExecCase{"Umlaut", "/home/jürgen/korvalin", "/home/jürgen/korvalin"},
                      ExecCase{"BlankAndPercent", "/opt/a b%/k", "\"/opt/a b%%/k\""}),
    [](const auto& info) { return std::string(info.param.name); });

struct EntryCase {
    const char* name;
    const char* content;
    std::optional<std::string> program;
};

class LinuxRegistryEntries : public LinuxRegistryTest,
                             public ::testing::WithParamInterface<EntryCase> {};

TEST_P(LinuxRegistryEntries, ReadsTheProgramOfEntriesWrittenElsewhere) {
    std::filesystem::create_directories(folder / "config/autostart");
    TempFolder::WriteFile(EntryPath(), GetParam().content);
    EXPECT_EQ(registry.ReadString(kRunKey, "Korvalin"), GetParam().program);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinuxRegistryEntries,
    ::testing::Values(
        EntryCase{"WithArguments", "[Desktop Entry]\nExec=/usr/bin/korvalin --minimized %U\n",
                  "/usr/bin/korvalin"},
        EntryCase{"QuotedWithArguments",
                  "[Desktop Entry]\nType=Application\nExec=\"/opt/my apps/korvalin\" -x\n",
                  "/opt/my apps/korvalin"},
        EntryCase{"EscapedBlank", "[Desktop Entry]\nExec=/opt/my\\sapps/korvalin\n", "/opt/my"},
        EntryCase{"Crlf", "[Desktop Entry]\r\nExec=/usr/bin/korvalin\r\n", "/usr/bin/korvalin"},
        EntryCase{"Hidden", "[Desktop Entry]\nExec=/usr/bin/korvalin\nHidden=true\n", std::nullopt},
        EntryCase{"Disabled",
                  "[Desktop Entry]\nExec=/usr/bin/korvalin\nX-GNOME-Autostart-enabled=false\n",
                  std::nullopt},
        EntryCase{"NoExec", "[Desktop Entry]\nType=Application\n", std::nullopt},
        EntryCase{"ExecInAnotherGroup",
                  "[Desktop Action New]\nExec=/usr/bin/other\n[Desktop Entry]\n", std::nullopt},
        EntryCase{"Garbage", "\x7f\x45LF\x01\x00 garbage", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LinuxRegistryTest, WriteThatCannotCreateTheFolderGivesTheErrorNumber) {
    std::filesystem::create_directories(folder / "config");
    TempFolder::WriteFile(folder / "config/autostart", "a file in the way");
    EXPECT_EQ(registry.WriteString(kRunKey, "Korvalin", "/usr/bin/korvalin"), ENOTDIR);
    EXPECT_EQ(registry.DeleteValue(kRunKey, "Korvalin"), ENOTDIR);
}

}  // namespace
}  // namespace korvalin
