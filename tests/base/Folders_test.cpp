#include "base/Folders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>

#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

fs::perms Permissions(const std::string& path) {
    return fs::status(path).permissions() & fs::perms::all;
}

TEST(CreateParentFolders, CreatesTheMissingParentsPrivatelyAndNotTheFile) {
    TempFolder folder;
    ASSERT_EQ(CreateParentFolders(folder / "a/b/entry.desktop"), 0);
    EXPECT_TRUE(fs::is_directory(folder / "a/b"));
    EXPECT_FALSE(fs::exists(folder / "a/b/entry.desktop"));
    EXPECT_EQ(Permissions(folder / "a"), fs::perms::owner_all);
    EXPECT_EQ(Permissions(folder / "a/b"), fs::perms::owner_all);
}

TEST(CreateParentFolders, AFinalSlashNamesAFolderThatIsCreatedToo) {
    TempFolder folder;
    ASSERT_EQ(CreateParentFolders(folder / "Korvalin/"), 0);
    EXPECT_TRUE(fs::is_directory(folder / "Korvalin"));
}

TEST(CreateParentFolders, LeavesExistingFoldersAsTheyAre) {
    TempFolder folder;
    fs::create_directory(folder / "shared");
    ::chmod((folder / "shared").c_str(), 0755);
    ASSERT_EQ(CreateParentFolders(folder / "shared/own/file"), 0);
    EXPECT_EQ(Permissions(folder / "shared"), fs::perms(0755));
    EXPECT_TRUE(fs::is_directory(folder / "shared/own"));
}

TEST(CreateParentFolders, AFileInTheWayIsReportedWithItsErrno) {
    TempFolder folder;
    TempFolder::WriteFile(folder / "blocker", "a file, not a folder");
    EXPECT_EQ(CreateParentFolders(folder / "blocker/inner/file"), ENOTDIR);
    EXPECT_FALSE(fs::exists(folder / "blocker/inner"));
}

}  // namespace
}  // namespace korvalin
