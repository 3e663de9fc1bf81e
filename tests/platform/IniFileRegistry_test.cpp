#include "platform/linux/IniFileRegistry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "base/IniDocument.h"
#include "fakes/FakeShell.h"
#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using testing::TempFolder;

const std::string kPlacementKey = "Software\\Halvesund Software\\Korvalin\\BigWindowPosition";

class IniFileRegistryTest : public ::testing::Test {
protected:
    static testing::FakeShell ShellIn(const TempFolder& folder) {
        testing::FakeShell shell;
        shell.appDataFolder = folder / "config";
        return shell;
    }

    std::string FilePath() const { return folder / "config/Korvalin/registry.ini"; }

    TempFolder folder;
    testing::FakeShell shell = ShellIn(folder);
    IniFileRegistry registry{shell};
};

TEST_F(IniFileRegistryTest, LivesInTheProgramsConfigurationFolder) {
    EXPECT_EQ(registry.FilePath(), FilePath());
    EXPECT_FALSE(std::filesystem::exists(FilePath())) << "nothing is written before a change";
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Left"), std::nullopt);
    EXPECT_FALSE(registry.KeyExists(kPlacementKey));
}

TEST_F(IniFileRegistryTest, StoresPlacementsInASectionPerKeyPath) {
    EXPECT_EQ(registry.CreateKey("Software\\Halvesund Software\\Korvalin\\"), 0);
    EXPECT_EQ(registry.WriteString(kPlacementKey, "Left", "528"), 0);
    EXPECT_EQ(registry.WriteString(kPlacementKey, "Top", "-12"), 0);
    EXPECT_EQ(TempFolder::ReadFile(FilePath()),
              "[Software\\Halvesund Software\\Korvalin]\n\n"
              "[Software\\Halvesund Software\\Korvalin\\BigWindowPosition]\nLeft=528\nTop=-12\n");
    struct stat info {};
    ASSERT_EQ(::stat((folder / "config/Korvalin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700U);
}

struct PathCase {
    const char* written;
    const char* read;
};

class IniFileRegistryPaths : public IniFileRegistryTest,
                             public ::testing::WithParamInterface<PathCase> {};

TEST_P(IniFileRegistryPaths, KeyPathsAndNamesIgnoreCaseAndOuterBackslashes) {
    ASSERT_EQ(registry.WriteString(GetParam().written, "Width", "300"), 0);
    EXPECT_EQ(registry.ReadString(GetParam().read, "WIDTH"), "300");
    EXPECT_TRUE(registry.KeyExists(GetParam().read));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, IniFileRegistryPaths,
    ::testing::Values(PathCase{"Software\\A\\B", "software\\a\\b"},
                      PathCase{"\\Software\\A\\B\\", "Software\\A\\B"},
                      PathCase{"Software\\A\\B", "\\SOFTWARE\\A\\B\\"},
                      PathCase{"Software\\Halvesund Software\\Korvalin\\MiniWindowPositionA",
                               "software\\halvesund software\\korvalin\\miniwindowpositiona\\"}));

TEST_F(IniFileRegistryTest, ParentsOfAStoredKeyExistButSiblingsDoNot) {
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Left", "1"), 0);
    EXPECT_TRUE(registry.KeyExists("Software\\Halvesund Software\\Korvalin"));
    EXPECT_TRUE(registry.KeyExists("software"));
    EXPECT_TRUE(registry.KeyExists(""));
    EXPECT_FALSE(registry.KeyExists("Software\\Halvesund"));
    EXPECT_FALSE(registry.KeyExists("Software\\Halvesund Software\\Korvalin\\Big"));
}

TEST_F(IniFileRegistryTest, CreateKeyMakesAnEmptyKeyOnce) {
    ASSERT_EQ(registry.CreateKey("Software\\X"), 0);
    EXPECT_TRUE(registry.KeyExists("software\\x"));
    const std::string once = TempFolder::ReadFile(FilePath());
    ASSERT_EQ(registry.CreateKey("SOFTWARE\\X\\"), 0);
    EXPECT_EQ(TempFolder::ReadFile(FilePath()), once);
    EXPECT_EQ(registry.ReadString("Software\\X", "Left"), std::nullopt);
}

TEST_F(IniFileRegistryTest, DeleteValueRemovesOnlyThatValue) {
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Left", "1"), 0);
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Top", "2"), 0);
    EXPECT_EQ(registry.DeleteValue(kPlacementKey, "left"), 0);
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Left"), std::nullopt);
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Top"), "2");
    EXPECT_EQ(registry.DeleteValue(kPlacementKey, "Left"), ENOENT);
    EXPECT_EQ(registry.DeleteValue("Software\\Missing", "Left"), ENOENT);
}

struct ValueCase {
    const char* name;
    std::string value;
};

class IniFileRegistryValues : public IniFileRegistryTest,
                              public ::testing::WithParamInterface<ValueCase> {};

TEST_P(IniFileRegistryValues, EveryTextComesBackAsItWasWritten) {
    ASSERT_EQ(registry.WriteString("Software\\V", "Value", GetParam().value), 0);
    ASSERT_EQ(registry.WriteString("Software\\V", "After", "still here"), 0);
    IniFileRegistry other{FilePath()};
    EXPECT_EQ(other.ReadString("Software\\V", "Value"), GetParam().value);
    EXPECT_EQ(other.ReadString("Software\\V", "After"), "still here");
    EXPECT_EQ(IniDocument::Parse(TempFolder::ReadFile(FilePath())).SectionNames().size(), 1U);
}

INSTANTIATE_TEST_SUITE_P(Cases, IniFileRegistryValues,
                         ::testing::Values(ValueCase{"Number", "528"}, ValueCase{"Empty", ""},
                                           ValueCase{"OuterBlanks", "  padded\t"},
                                           ValueCase{"LineBreaks", "one\ntwo\r\n[Injected]\nx=1"},
                                           ValueCase{"Quotes", "\"quoted\""},
                                           ValueCase{"LeadingQuote", "\"half"},
                                           ValueCase{"Backslashes", "C:\\Program Files\\x.exe"},
                                           ValueCase{"QuotedBackslashes", " \\\"\\n "},
                                           ValueCase{"EqualsAndBrackets", "a=b [c] ;d"},
                                           ValueCase{"Umlauts", "Größe über"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(IniFileRegistryTest, RefusesNamesTheFileCannotHold) {
    EXPECT_EQ(registry.WriteString("Software\\V", "a=b", "1"), EINVAL);
    EXPECT_EQ(registry.WriteString("Software\\V", "", "1"), EINVAL);
    EXPECT_EQ(registry.WriteString("Software\\V]", "a", "1"), EINVAL);
    EXPECT_EQ(registry.WriteString("", "a", "1"), EINVAL);
    EXPECT_EQ(registry.CreateKey("Soft\nware"), EINVAL);
    EXPECT_FALSE(std::filesystem::exists(FilePath()));
}

TEST_F(IniFileRegistryTest, SeveralObjectsShareTheFile) {
    IniFileRegistry other{shell};
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Left", "1"), 0);
    EXPECT_EQ(other.ReadString(kPlacementKey, "Left"), "1");
    ASSERT_EQ(other.WriteString(kPlacementKey, "Top", "2"), 0);
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Width", "3"), 0);
    EXPECT_EQ(other.ReadString(kPlacementKey, "Width"), "3");
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Top"), "2");
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Left"), "1");
}

TEST_F(IniFileRegistryTest, KeepsWhatItDoesNotKnow) {
    std::filesystem::create_directories(folder / "config/Korvalin");
    TempFolder::WriteFile(FilePath(), "; edited by hand\r\n[Other\\Key]\r\nkeep=1\r\n\x01\x02\r\n");
    ASSERT_EQ(registry.WriteString(kPlacementKey, "Left", "5"), 0);
    const std::string text = TempFolder::ReadFile(FilePath());
    EXPECT_EQ(text.rfind("; edited by hand\r\n[Other\\Key]\r\nkeep=1\r\n\x01\x02\r\n", 0), 0U);
    EXPECT_EQ(registry.ReadString("other\\key", "KEEP"), "1");
}

TEST_F(IniFileRegistryTest, FolderInTheWayFailsWithoutHarm) {
    std::filesystem::create_directories(FilePath());
    EXPECT_EQ(registry.WriteString(kPlacementKey, "Left", "5"), EISDIR);
    EXPECT_EQ(registry.ReadString(kPlacementKey, "Left"), std::nullopt);
    EXPECT_FALSE(registry.KeyExists(kPlacementKey));
    EXPECT_TRUE(std::filesystem::is_directory(FilePath()));
}

}  // namespace
}  // namespace korvalin
