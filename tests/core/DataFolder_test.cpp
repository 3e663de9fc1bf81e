#include "core/DataFolder.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "core/SettingsFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeShell.h"
#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using testing::TempFolder;

class DataFolderTest : public ::testing::Test {
protected:
    TempFolder folder;
    testing::FakeDialogs dialogs;
    testing::FakeShell shell;
};

TEST_F(DataFolderTest, FreshUserGetsTheFolderCreatedAndANewSettingsFile) {
    shell.appDataFolder = folder / "home/.config";
    shell.programPath = "/usr/bin/korvalin";
    const DataFolder dataFolder(shell, dialogs);
    const std::string settings = dataFolder.SettingsFilePath();
    EXPECT_EQ(settings, folder / "home/.config/Korvalin/korvalin.ini");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "home/.config/Korvalin"));
    EXPECT_EQ(std::filesystem::status(folder / "home/.config/Korvalin").permissions() &
                  std::filesystem::perms::all,
              std::filesystem::perms::owner_all);
    EXPECT_TRUE(dialogs.messages.empty());

    SettingsFile ini{dialogs, shell};
    ini.SetSection("Options");
    ini.SetIniFileName(settings);
    ini.SetIniLocation(loUser);
    ini.SetOpen(true);
    EXPECT_TRUE(ini.Open());
    EXPECT_EQ(ini.ErrorCode(), 2);
    EXPECT_EQ(ini.ReadInteger("Refresh", 5), 5);
    ini.WriteInteger("Refresh", 7);
    EXPECT_TRUE(std::filesystem::exists(settings));
}

TEST_F(DataFolderTest, ExistingFolderIsUsedAsItIs) {
    shell.appDataFolder = folder.Path() + "/";
    std::filesystem::create_directories(folder / "Korvalin");
    const DataFolder dataFolder(shell, dialogs);
    EXPECT_EQ(dataFolder.GetAppDataFolder(), folder.Path() + "/");
    EXPECT_EQ(dataFolder.GetDataFolder(), folder / "Korvalin/");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(DataFolderTest, FolderThatCannotBeCreatedIsReportedAndUsedAllTheSame) {
    TempFolder::WriteFile(folder / "blocker", "a file, not a folder");
    shell.appDataFolder = folder / "blocker";
    const DataFolder dataFolder(shell, dialogs);
    const std::string expected = folder / "blocker/Korvalin/";
    EXPECT_EQ(dataFolder.GetDataFolder(), expected);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(dialogs.messages[0].text, "Kann Ordner " + expected + " nicht anlegen.");
    EXPECT_EQ(dialogs.messages[0].caption, "Fehler");
    EXPECT_EQ(dialogs.messages[0].style, Dialogs::SetForeground + Dialogs::IconExclamation);
}

TEST_F(DataFolderTest, WithoutAnApplicationDataFolderTheProgramFolderServes) {
    shell.appDataFolder = "";
    shell.programPath = folder / "bin/korvalin";
    const DataFolder dataFolder(shell, dialogs);
    EXPECT_EQ(dataFolder.GetAppDataFolder(), folder / "bin/");
    EXPECT_EQ(dataFolder.GetDataFolder(), folder / "bin/Korvalin/");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "bin/Korvalin"));
}

struct SharedCase {
    unsigned mode;
    // The folder's group is one of other users (needs root to give it), not the user's
    // own private group.
    bool foreignGroup;
    bool refused;
};

class SharedDataFolderTable : public ::testing::TestWithParam<SharedCase> {};

TEST_P(SharedDataFolderTable, AFolderOthersMayWriteToIsReportedAndNotWrittenTo) {
    TempFolder folder;
    testing::FakeDialogs dialogs;
    testing::FakeShell shell;
    shell.appDataFolder = folder.Path();
    shell.programPath = "/usr/bin/korvalin";
    std::filesystem::create_directories(folder / "Korvalin");
    if (GetParam().foreignGroup || GetParam().mode == 0770) {
        const struct group* users = ::getgrnam("users");
        if (::geteuid() != 0 || users == nullptr) {
            GTEST_SKIP() << "needs root and the group users to set the folder's group";
        }
        // root's own group is private to root; "users" is shared.
        ASSERT_EQ(
            ::chown((folder / "Korvalin").c_str(), 0, GetParam().foreignGroup ? users->gr_gid : 0),
            0);
    }
    ASSERT_EQ(::chmod((folder / "Korvalin").c_str(), GetParam().mode), 0);
    const std::string settings = DataFolder(shell, dialogs).SettingsFilePath();

    SettingsFile ini{dialogs, shell};
    ini.SetSection("Options");
    ini.SetIniFileName(settings);
    ini.SetIniLocation(loUser);
    ini.SetOpen(true);
    ini.WriteInteger("Refresh", 7);
    if (GetParam().refused) {
        ASSERT_EQ(dialogs.messages.size(), 1U);
        EXPECT_EQ(dialogs.messages[0].text,
                  "Ordner " + folder / "Korvalin/" +
                      " ist für andere Benutzer beschreibbar; Einstellungen werden nicht "
                      "gespeichert.");
        EXPECT_NE(ini.ErrorCode(), 0);
        EXPECT_FALSE(std::filesystem::exists(settings));
    } else {
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(ini.ErrorCode(), 0);
        EXPECT_TRUE(std::filesystem::exists(settings));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, SharedDataFolderTable,
    ::testing::Values(SharedCase{0700, false, false}, SharedCase{0755, false, false},
                      SharedCase{0770, true, true}, SharedCase{0770, false, false},
                      SharedCase{0777, false, true}, SharedCase{01777, false, false}));

struct NameCase {
    const char* programPath;
    const char* settingsFile;
};

class SettingsFileNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(SettingsFileNameTable, ReplacesTheExtension) {
    EXPECT_EQ(DataFolder::SettingsFileName(GetParam().programPath), GetParam().settingsFile);
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileNameTable,
                         ::testing::Values(NameCase{"/usr/bin/korvalin", "korvalin.ini"},
                                           NameCase{"/opt/x.exe", "x.ini"},
                                           NameCase{"/opt/my.tool.bin", "my.tool.ini"},
                                           NameCase{"/a.b/korvalin", "korvalin.ini"},
                                           NameCase{"korvalin", "korvalin.ini"},
                                           NameCase{"/opt/.hidden", ".hidden.ini"}));

}  // namespace
}  // namespace korvalin
