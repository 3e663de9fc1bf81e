#include "base/AtomicFile.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Who may steer a write where: each row prepares files as root, then a child process that
// dropped to the unprivileged user "nobody" writes "new" through the row's path.
struct LinkRow {
    const char* name;
    // Prepares the row in folder (owned by nobody) and returns the path to write.
    std::string (*prepare)(const std::string& folder, uid_t nobody, gid_t group);
    int error;                    // what the write returns
    const char* reason;           // part of the failure text when refused
    const char* watched;          // file below folder whose content must end as expected
    const char* expectedContent;  // nullptr: the file must not exist
    uid_t watchedOwner;           // 0: root, else nobody
};

void Own(const std::string& path, uid_t user, gid_t group) {
    ASSERT_EQ(::lchown(path.c_str(), user, group), 0) << path;
}

std::string OwnFile(const std::string& path, uid_t user, gid_t group) {
    TempFolder::WriteFile(path, "old\n");
    Own(path, user, group);
    return path;
}

const LinkRow kLinkRows[] = {
    {"own link to own file",
     [](const std::string& folder, uid_t user, gid_t group) {
         OwnFile(folder + "/real.ini", user, group);
         std::filesystem::create_symlink("real.ini", folder + "/korvalin.ini");
         Own(folder + "/korvalin.ini", user, group);
         return folder + "/korvalin.ini";
     },
     0, "", "real.ini", "new\n", 1},
    {"own link to another user's file",
     [](const std::string& folder, uid_t user, gid_t group) {
         // Writable by all and in a folder nobody owns: only the ownership rule stops it.
         TempFolder::WriteFile(folder + "/passwd", "old\n");
         ::chmod((folder + "/passwd").c_str(), 0666);
         std::filesystem::create_symlink(folder + "/passwd", folder + "/korvalin.ini");
         Own(folder + "/korvalin.ini", user, group);
         return folder + "/korvalin.ini";
     },
     EPERM, "belongs to another user", "passwd", "old\n", 0},
    {"another user's link to own file",
     [](const std::string& folder, uid_t user, gid_t group) {
         OwnFile(folder + "/real.ini", user, group);
         std::filesystem::create_symlink("real.ini", folder + "/registry.ini");
         return folder + "/registry.ini";
     },
     EPERM, "belongs to another user", "real.ini", "old\n", 1},
    {"own link through another user's link",
     [](const std::string& folder, uid_t user, gid_t group) {
         OwnFile(folder + "/real.ini", user, group);
         std::filesystem::create_symlink("real.ini", folder + "/middle.ini");
         std::filesystem::create_symlink("middle.ini", folder + "/korvalin.ini");
         Own(folder + "/korvalin.ini", user, group);
         return folder + "/korvalin.ini";
     },
     EPERM, "belongs to another user", "real.ini", "old\n", 1},
    {"own link to a file that does not exist",
     [](const std::string& folder, uid_t user, gid_t group) {
         std::filesystem::create_symlink("missing.ini", folder + "/korvalin.ini");
         Own(folder + "/korvalin.ini", user, group);
         return folder + "/korvalin.ini";
     },
     EPERM, "does not exist", "missing.ini", nullptr, 1},
    {"own file in a folder all may write to",
     [](const std::string& folder, uid_t user, gid_t group) {
         std::filesystem::create_directory(folder + "/shared");
         ::chown((folder + "/shared").c_str(), 0, 0);
         ::chmod((folder + "/shared").c_str(), 0777);
         return OwnFile(folder + "/shared/korvalin.ini", user, group);
     },
     EPERM, "can be written by other users", "shared/korvalin.ini", "old\n", 1},
    {"own file in a folder its group may write to",
     [](const std::string& folder, uid_t user, gid_t group) {
         std::filesystem::create_directory(folder + "/group");
         ::chown((folder + "/group").c_str(), user, group);
         ::chmod((folder + "/group").c_str(), 0770);
         return OwnFile(folder + "/group/korvalin.ini", user, group);
     },
     EPERM, "can be written by other users", "group/korvalin.ini", "old\n", 1},
    {"own file in a sticky folder",
     [](const std::string& folder, uid_t user, gid_t group) {
         std::filesystem::create_directory(folder + "/sticky");
         ::chown((folder + "/sticky").c_str(), 0, 0);
         ::chmod((folder + "/sticky").c_str(), 01777);
         return OwnFile(folder + "/sticky/korvalin.ini", user, group);
     },
     0, "", "sticky/korvalin.ini", "new\n", 1},
};

struct ChildWrite {
    int error = -1;
    std::string failure;
};

// Runs AtomicFile::Write in a child process with the identity of user and group.
ChildWrite WriteAs(uid_t user, gid_t group, const std::string& path) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {};
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ChildWrite result;
        if (::setgroups(0, nullptr) == 0 && ::setresgid(group, group, group) == 0 &&
            ::setresuid(user, user, user) == 0) {
            result.error = AtomicFile::Write(path, "new\n", result.failure);
        }
        const std::string message = std::to_string(result.error) + " " + result.failure;
        [[maybe_unused]] const ssize_t written =
            ::write(channel[1], message.data(), message.size());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string message;
    char buffer[512];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        message.append(buffer, static_cast<std::size_t>(count));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    ChildWrite result;
    const std::size_t space = message.find(' ');
    if (space != std::string::npos) {
        result.error = std::stoi(message.substr(0, space));
        result.failure = message.substr(space + 1);
    }
    return result;
}

TEST(AtomicFile, WritesThroughLinksAndFoldersOnlyTheUserControls) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to prepare files of two users and drop to nobody";
    }
    const struct passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
        GTEST_SKIP() << "no user nobody";
    }
    const uid_t user = nobody->pw_uid;
    const gid_t group = nobody->pw_gid;
    TempFolder base;
    ASSERT_EQ(::chmod(base.Path().c_str(), 0755), 0);
    int number = 0;
    for (const LinkRow& row : kLinkRows) {
        SCOPED_TRACE(row.name);
        const std::string folder = base / std::to_string(++number);
        std::filesystem::create_directory(folder);
        ASSERT_EQ(::chown(folder.c_str(), user, group), 0);
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        const std::string path = row.prepare(folder, user, group);
        const bool wasLink = std::filesystem::is_symlink(path);

        const ChildWrite result = WriteAs(user, group, path);

        EXPECT_EQ(result.error, row.error) << result.failure;
        if (row.error != 0) {
            EXPECT_NE(result.failure.find(path), std::string::npos) << result.failure;
            EXPECT_NE(result.failure.find(row.reason), std::string::npos) << result.failure;
        }
        const std::string watched = folder + "/" + row.watched;
        if (row.expectedContent == nullptr) {
            EXPECT_FALSE(std::filesystem::exists(watched));
        } else {
            EXPECT_EQ(TempFolder::ReadFile(watched), row.expectedContent);
            struct stat info {};
            ASSERT_EQ(::stat(watched.c_str(), &info), 0);
            EXPECT_EQ(info.st_uid, row.watchedOwner == 0 ? 0 : user);
        }
        EXPECT_EQ(std::filesystem::is_symlink(path), wasLink) << "the link itself stays";
    }
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
