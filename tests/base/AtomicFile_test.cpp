#include "base/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using testing::TempFolder;

std::size_t EntriesIn(const std::string& folder) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) {
        ++count;
    }
    return count;
}

TEST(AtomicFile, WritesANewPrivateFileAndReadsItBack) {
    TempFolder folder;
    const std::string path = folder / "new.ini";
    ASSERT_EQ(AtomicFile::Write(path, std::string("a\0b\n", 4)), 0);
    std::string content;
    ASSERT_EQ(AtomicFile::Read(path, content), 0);
    EXPECT_EQ(content, std::string("a\0b\n", 4));
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600U);
    EXPECT_EQ(EntriesIn(folder.Path()), 1U) << "no temporary file may stay behind";
}

TEST(AtomicFile, ReplacesTheFileAsAWholeAndKeepsItsPermissions) {
    TempFolder folder;
    const std::string path = folder / "settings.ini";
    TempFolder::WriteFile(path, "old content that is longer than the new one\n");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    ASSERT_EQ(AtomicFile::Write(path, "new\n"), 0);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "the file must be replaced, not rewritten";
    EXPECT_EQ(after.st_mode & 07777, 0640U);
    EXPECT_EQ(TempFolder::ReadFile(path), "new\n");
    EXPECT_EQ(EntriesIn(folder.Path()), 1U);
}

TEST(AtomicFile, FollowsASymbolicLink) {
    TempFolder folder;
    std::filesystem::create_directories(folder / "real");
    TempFolder::WriteFile(folder / "real/settings.ini", "old\n");
    std::filesystem::create_symlink(folder / "real/settings.ini", folder / "link.ini");
    ASSERT_EQ(AtomicFile::Write(folder / "link.ini", "new\n"), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(folder / "link.ini"));
    EXPECT_EQ(TempFolder::ReadFile(folder / "real/settings.ini"), "new\n");
}

TEST(AtomicFile, ReportsErrorsAndLeavesNothingBehind) {
    TempFolder folder;
    std::string content = "unchanged";
    EXPECT_EQ(AtomicFile::Read(folder / "missing", content), ENOENT);
    EXPECT_TRUE(content.empty());
    EXPECT_EQ(AtomicFile::Read(folder.Path(), content), EISDIR);
    EXPECT_EQ(AtomicFile::Write(folder / "missing/file", "x"), ENOENT);
    std::filesystem::create_directories(folder / "folder");
    EXPECT_EQ(AtomicFile::Write(folder / "folder", "x"), EISDIR);
    EXPECT_TRUE(std::filesystem::is_directory(folder / "folder"));
    EXPECT_EQ(EntriesIn(folder.Path()), 1U);
}

TEST(AtomicFile, RefusesFilesAboveTheSizeLimit) {
    TempFolder folder;
    const std::string path = folder / "huge";
    {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        ASSERT_NE(file, nullptr);
        ASSERT_EQ(::ftruncate(::fileno(file), AtomicFile::MaximumSize + 1), 0);
        std::fclose(file);
    }
    std::string content;
    EXPECT_EQ(AtomicFile::Read(path, content), EFBIG);
    EXPECT_TRUE(content.empty());
}

}  // namespace
}  // namespace korvalin
