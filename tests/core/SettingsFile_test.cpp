#include "core/SettingsFile.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "base/IniDocument.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeShell.h"
#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using namespace std::string_literals;
using testing::TempFolder;

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() {
        std::filesystem::create_directories(folder / "etc");
        std::filesystem::create_directories(folder / "bin");
    }

    static testing::FakeShell ShellIn(const TempFolder& folder) {
        testing::FakeShell shell;
        shell.programPath = folder / "bin/korvalin";
        return shell;
    }

    // Opens path as the configuration window does: full path, loUser.
    void OpenAt(const std::string& path, const std::string& section = "Options") {
        ini.SetIniFileName(path);
        ini.SetIniLocation(loUser);
        ini.SetSection(section);
        ini.SetOpen(true);
    }

    std::string Path() const { return folder / "korvalin.ini"; }

    TempFolder folder;
    testing::FakeDialogs dialogs;
    testing::FakeShell shell = ShellIn(folder);
    SettingsFile ini{dialogs, shell, folder / "etc"};
};

TEST_F(SettingsFileTest, NewComponentIsClosedAtTheSystemFolder) {
    EXPECT_FALSE(ini.Open());
    EXPECT_EQ(ini.IniLocation(), loWinDir);
    EXPECT_EQ(ini.ErrorCode(), 0);
}

struct NotReadyCase {
    const char* name;
    const char* section;
    bool withFileName;
    bool open;
};

class SettingsFileNotReady : public SettingsFileTest,
                             public ::testing::WithParamInterface<NotReadyCase> {};

TEST_P(SettingsFileNotReady, EveryOperationGivesTheDefaultAndMinusOne) {
    const NotReadyCase& c = GetParam();
    TempFolder::WriteFile(Path(), "[Options]\nk=stored\n");
    if (c.withFileName) {
        OpenAt(Path(), c.section);
        ini.SetOpen(c.open);
    } else {
        ini.SetSection(c.section);
        ini.SetOpen(c.open);
    }
    EXPECT_EQ(ini.ReadString("k", "def"), "def");
    EXPECT_EQ(ini.ErrorCode(), -1);
    EXPECT_EQ(ini.ReadInteger("k", 7), 7);
    EXPECT_EQ(ini.ErrorCode(), -1);
    EXPECT_TRUE(ini.ReadBool("k", true));
    EXPECT_EQ(ini.ErrorCode(), -1);
    ini.WriteString("k", "changed");
    EXPECT_EQ(ini.ErrorCode(), -1);
    ini.WriteInteger("k", 1);
    ini.WriteBool("k", true);
    EXPECT_EQ(TempFolder::ReadFile(Path()), "[Options]\nk=stored\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileNotReady,
                         ::testing::Values(NotReadyCase{"NotOpen", "Options", true, false},
                                           NotReadyCase{"NoSection", "", true, true},
                                           NotReadyCase{"NoFileName", "Options", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsFileTest, FreshUserOpensWithTwoReadsDefaultsAndTheFirstWriteCreatesTheFile) {
    OpenAt(Path());
    EXPECT_TRUE(ini.Open());
    EXPECT_EQ(ini.ErrorCode(), 2);
    EXPECT_FALSE(std::filesystem::exists(Path())) << "the probe file must be removed again";
    EXPECT_EQ(ini.ReadInteger("Refresh", 5), 5);
    EXPECT_EQ(ini.ErrorCode(), -1);
    ini.WriteInteger("Refresh", 10);
    EXPECT_EQ(ini.ErrorCode(), 0);
    EXPECT_EQ(TempFolder::ReadFile(Path()), "[Options]\nRefresh=10\n");
    EXPECT_EQ(ini.ReadInteger("Refresh", 5), 10);
}

TEST_F(SettingsFileTest, ExistingFileOpensWithZero) {
    TempFolder::WriteFile(Path(), "[Options]\n");
    OpenAt(Path());
    EXPECT_TRUE(ini.Open());
    EXPECT_EQ(ini.ErrorCode(), 0);
}

struct LocationCase {
    TIniLocation location;
    const char* fileName;
    const char* expectedBelowFolder;  // relative to the temporary folder
};

class SettingsFileLocation : public SettingsFileTest,
                             public ::testing::WithParamInterface<LocationCase> {};

TEST_P(SettingsFileLocation, ComposesThePath) {
    const LocationCase& c = GetParam();
    std::filesystem::create_directories(folder / "defuser");
    ini.SetDefFilePath(folder / "defuser");  // no final slash: one is added
    ini.SetIniLocation(c.location);
    ini.SetIniFileName(c.location == loUser ? folder / c.fileName : c.fileName);
    ini.SetSection("S");
    ini.SetOpen(true);
    ASSERT_TRUE(ini.Open()) << ini.ErrorCode();
    EXPECT_EQ(ini.FilePath(), folder / c.expectedBelowFolder);
    ini.WriteString("k", "v");
    EXPECT_EQ(TempFolder::ReadFile(folder / c.expectedBelowFolder), "[S]\nk=v\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsFileLocation,
                         ::testing::Values(LocationCase{loWinDir, "a.ini", "etc/a.ini"},
                                           LocationCase{loProgDir, "b.ini", "bin/b.ini"},
                                           LocationCase{loUser, "c.ini", "c.ini"},
                                           LocationCase{loDefUser, "d.ini", "defuser/d.ini"}));

TEST_F(SettingsFileTest, DefFilePathGetsAFinalSlash) {
    ini.SetDefFilePath("/some/folder");
    EXPECT_EQ(ini.DefFilePath(), "/some/folder/");
    ini.SetDefFilePath("/other/");
    EXPECT_EQ(ini.DefFilePath(), "/other/");
}

TEST_F(SettingsFileTest, ChangingTheFileNameClosesAndTheLocationDoesNotReopen) {
    TempFolder::WriteFile(Path(), "[Options]\nk=1\n");
    OpenAt(Path());
    ASSERT_TRUE(ini.Open());
    ini.SetIniLocation(loDefUser);
    EXPECT_TRUE(ini.Open());
    EXPECT_EQ(ini.ReadString("k", ""), "1") << "storing the location must not reopen";
    ini.SetIniFileName(Path());
    EXPECT_TRUE(ini.Open()) << "the same name changes nothing";
    ini.SetIniFileName(folder / "other.ini");
    EXPECT_FALSE(ini.Open());
    EXPECT_EQ(ini.ReadString("k", "def"), "def");
    EXPECT_EQ(ini.ErrorCode(), -1);
}

struct ReadCase {
    const char* stored;  // nullptr: no such key
    const char* asString;
    int stringError;
    std::int32_t asInteger;
    int integerError;
    bool asBool;
    int boolError;
};

class SettingsFileRead : public SettingsFileTest, public ::testing::WithParamInterface<ReadCase> {};

// Defaults: "def", 99 and true.
TEST_P(SettingsFileRead, InterpretsTheStoredText) {
    const ReadCase& c = GetParam();
    TempFolder::WriteFile(Path(), c.stored == nullptr
                                      ? "[Options]\nother=1\n"
                                      : "[Options]\nk=" + std::string(c.stored) + "\n");
    OpenAt(Path());
    EXPECT_EQ(ini.ReadString("k", "def"), c.asString);
    EXPECT_EQ(ini.ErrorCode(), c.stringError);
    EXPECT_EQ(ini.ReadInteger("k", 99), c.asInteger);
    EXPECT_EQ(ini.ErrorCode(), c.integerError);
    EXPECT_EQ(ini.ReadBool("k", true), c.asBool);
    EXPECT_EQ(ini.ErrorCode(), c.boolError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFileRead,
    ::testing::Values(
        ReadCase{nullptr, "def", -1, 99, -1, true, -1},
        ReadCase{"INIERROR", "def", -1, 99, -1, true, -1}, ReadCase{"1", "1", 0, 1, 0, true, 0},
        ReadCase{"0", "0", 0, 0, 0, false, 0}, ReadCase{"2", "2", 0, 2, 0, false, 0},
        ReadCase{"-1", "-1", 0, -1, 0, false, 0}, ReadCase{"yes", "yes", 0, 99, -2, true, 0},
        ReadCase{"12a", "12a", 0, 99, -2, true, 0}, ReadCase{"", "", 0, 99, -2, true, 0},
        ReadCase{"+7", "+7", 0, 7, 0, false, 0},
        ReadCase{"2147483647", "2147483647", 0, 2147483647, 0, false, 0},
        ReadCase{"-2147483648", "-2147483648", 0, -2147483647 - 1, 0, false, 0},
        ReadCase{"2147483648", "2147483648", 0, 99, -2, true, 0},
        ReadCase{"1.5", "1.5", 0, 99, -2, true, 0}, ReadCase{"+-1", "+-1", 0, 99, -2, true, 0}));

TEST_F(SettingsFileTest, EmptyNameReadsEmptyAndWritesNothing) {
    TempFolder::WriteFile(Path(), "[Options]\n=x\n");
    OpenAt(Path());
    EXPECT_EQ(ini.ReadString("", "def"), "");
    EXPECT_EQ(ini.ErrorCode(), 0);
    ini.WriteString("", "v");
    EXPECT_EQ(ini.ErrorCode(), 0);
    EXPECT_EQ(TempFolder::ReadFile(Path()), "[Options]\n=x\n");
}

TEST_F(SettingsFileTest, WritesIntegersAndBooleansAsDigits) {
    OpenAt(Path());
    ini.WriteInteger("Negative", -42);
    ini.WriteBool("On", true);
    ini.WriteBool("Off", false);
    ini.SetSection("Sums");
    ini.WriteString("Text", "Alle Netzwerkadapter");
    EXPECT_EQ(TempFolder::ReadFile(Path()),
              "[Options]\nNegative=-42\nOn=1\nOff=0\n\n[Sums]\nText=Alle Netzwerkadapter\n");
    ini.SetSection("options");
    EXPECT_EQ(ini.ReadInteger("NEGATIVE", 0), -42);
    EXPECT_TRUE(ini.ReadBool("on", false));
    EXPECT_FALSE(ini.ReadBool("off", true));
}

// Opening makes only the user's own file writable: a read-only file behind a link, or
// one of another user, keeps its mode, and the atomic write refuses what it must.
TEST_F(SettingsFileTest, OpeningChangesNoModeThroughALinkOrOfAnotherUsersFile) {
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to own a file as another user";
    }
    const std::string foreign = folder / "foreign.ini";
    TempFolder::WriteFile(foreign, "[Options]\nk=1\n");
    ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(foreign.c_str(), 0444), 0);
    const std::string own = folder / "own.ini";
    TempFolder::WriteFile(own, "[Options]\nk=1\n");
    ASSERT_EQ(::chmod(own.c_str(), 0444), 0);
    for (const std::string& target : {foreign, own}) {
        SCOPED_TRACE(target);
        std::filesystem::remove(Path());
        std::filesystem::create_symlink(target, Path());
        OpenAt(Path());
        ini.Open();
        ini.WriteInteger("k", 2);
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0444U);
        ini.SetOpen(false);
    }
    EXPECT_EQ(TempFolder::ReadFile(foreign), "[Options]\nk=1\n");
    std::filesystem::remove(Path());
    TempFolder::WriteFile(Path(), "[Options]\nk=1\n");
    ASSERT_EQ(::chown(Path().c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    OpenAt(Path());
    ini.Open();
    struct stat info {};
    ASSERT_EQ(::stat(Path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0444U) << "another user's file keeps its mode";
}

TEST_F(SettingsFileTest, ReadOnlyFileIsMadeWritableSilently) {
    TempFolder::WriteFile(Path(), "[Options]\nk=1\n");
    ASSERT_EQ(::chmod(Path().c_str(), 0444), 0);
    OpenAt(Path());
    EXPECT_TRUE(ini.Open());
    EXPECT_EQ(ini.ErrorCode(), 0);
    EXPECT_TRUE(dialogs.messages.empty());
    struct stat info {};
    ASSERT_EQ(::stat(Path().c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0U);
    ini.WriteInteger("k", 2);
    EXPECT_EQ(ini.ErrorCode(), 0);
}

TEST_F(SettingsFileTest, FolderWhereTheFileShouldBeFailsToOpen) {
    std::filesystem::create_directories(Path());
    OpenAt(Path());
    EXPECT_FALSE(ini.Open());
    EXPECT_EQ(ini.ErrorCode(), EISDIR);
    EXPECT_EQ(ini.ReadString("k", "def"), "def");
    EXPECT_EQ(ini.ErrorCode(), -1);
}

// The system says ENOENT, which is 2 and would pass for "new file, open": a missing
// folder must read as the missing path it is.
TEST_F(SettingsFileTest, MissingFolderFailsToOpenWithThreeNotWithTheNewFileCode) {
    TempFolder::WriteFile(folder / "blocker", "a file where the folder should be");
    const std::string paths[] = {folder / "missing/korvalin.ini",
                                 folder / "missing/deeper/korvalin.ini",
                                 folder / "blocker/korvalin.ini"};
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        OpenAt(path);
        EXPECT_FALSE(ini.Open());
        EXPECT_EQ(ini.ErrorCode(), 3);
        EXPECT_EQ(ini.ReadString("k", "def"), "def");
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
}

TEST_F(SettingsFileTest, WriteThatCannotReachTheDiskIsReported) {
    std::filesystem::create_directories(folder / "sub");
    OpenAt(folder / "sub/korvalin.ini");
    ASSERT_TRUE(ini.Open());
    std::filesystem::remove_all(folder / "sub");
    ini.WriteString("k", "v");
    EXPECT_EQ(ini.ErrorCode(), 3) << "the folder is gone";
}

TEST_F(SettingsFileTest, SeesWhatAnotherInstanceWrote) {
    OpenAt(Path());
    SettingsFile other{dialogs, shell};
    other.SetIniFileName(Path());
    other.SetIniLocation(loUser);
    other.SetSection("Options");
    other.SetOpen(true);
    ini.WriteInteger("Mine", 1);
    EXPECT_EQ(other.ReadInteger("Mine", 0), 1);
    other.WriteInteger("Theirs", 2);
    EXPECT_EQ(ini.ReadInteger("Theirs", 0), 2);
    ini.WriteInteger("Mine", 3);
    EXPECT_EQ(other.ReadInteger("Theirs", 0), 2);
    EXPECT_EQ(other.ReadInteger("Mine", 0), 3);
}

TEST_F(SettingsFileTest, FileChangedBehindItsBackIsReadAgain) {
    TempFolder::WriteFile(Path(), "[Options]\nk=1\n");
    OpenAt(Path());
    EXPECT_EQ(ini.ReadInteger("k", 0), 1);
    // Same size, rewritten in place: the change time tells.
    TempFolder::WriteFile(Path(), "[Options]\nk=2\n");
    struct timespec times[2] = {{0, UTIME_OMIT}, {1, 0}};
    ::utimensat(AT_FDCWD, Path().c_str(), times, 0);
    EXPECT_EQ(ini.ReadInteger("k", 0), 2);
}

TEST_F(SettingsFileTest, UnreadableFileReportsWhyAndIsReadOnceItIsFixed) {
    TempFolder::WriteFile(Path(), "[Options]\nk=1\n");
    std::filesystem::resize_file(Path(), 64 * 1024 * 1024 + 1);
    OpenAt(Path());
    EXPECT_EQ(ini.ReadFailure(), EFBIG);
    EXPECT_EQ(ini.ReadInteger("k", 7), 7);
    ini.WriteInteger("k", 2);
    EXPECT_EQ(ini.ErrorCode(), EFBIG) << "an unreadable file is never overwritten";
    TempFolder::WriteFile(Path(), "[Options]\nk=3\n");
    EXPECT_EQ(ini.ReadFailure(), 0);
    EXPECT_EQ(ini.ReadInteger("k", 7), 3);

    std::filesystem::remove(Path());
    std::filesystem::create_directories(Path());
    OpenAt(Path());
    EXPECT_FALSE(ini.Open());
    EXPECT_EQ(ini.ReadFailure(), EISDIR);
    std::filesystem::remove(Path());
    OpenAt(Path());
    EXPECT_EQ(ini.ReadFailure(), 0) << "a missing file is a new one, not an unreadable one";
}

TEST_F(SettingsFileTest, BatchReachesTheFileOnceAtTheEnd) {
    TempFolder::WriteFile(Path(), "; mine\n[Options]\nk=0\n");
    OpenAt(Path());
    ini.BeginUpdate();
    ini.WriteInteger("k", 1);
    ini.BeginUpdate();
    ini.SetSection("Sums");
    ini.WriteString("Sent", "12");
    ini.EndUpdate();
    EXPECT_EQ(TempFolder::ReadFile(Path()), "; mine\n[Options]\nk=0\n") << "inner end is no end";
    EXPECT_EQ(ini.ReadString("Sent", ""), "12") << "reads see the collected values";
    ini.SetSection("Options");
    EXPECT_EQ(ini.ReadInteger("k", 9), 1);
    ini.EndUpdate();
    EXPECT_EQ(ini.ErrorCode(), 0);
    EXPECT_EQ(TempFolder::ReadFile(Path()), "; mine\n[Options]\nk=1\n\n[Sums]\nSent=12\n");
}

TEST_F(SettingsFileTest, BatchKeepsWhatOthersWroteMeanwhile) {
    OpenAt(Path());
    SettingsFile other{dialogs, shell};
    other.SetIniFileName(Path());
    other.SetIniLocation(loUser);
    other.SetSection("Graphs");
    other.SetOpen(true);
    ini.BeginUpdate();
    ini.WriteInteger("Mine", 1);
    other.WriteInteger("Theirs", 2);
    ini.EndUpdate();
    const IniDocument document = IniDocument::Parse(TempFolder::ReadFile(Path()));
    EXPECT_EQ(document.Value("Options", "Mine"), "1");
    EXPECT_EQ(document.Value("Graphs", "Theirs"), "2");
}

TEST_F(SettingsFileTest, ClosingOrDestroyingEndsAnOpenBatch) {
    OpenAt(Path());
    ini.BeginUpdate();
    ini.WriteInteger("k", 1);
    ini.SetOpen(false);
    EXPECT_EQ(IniDocument::Parse(TempFolder::ReadFile(Path())).Value("Options", "k"), "1");
    ini.SetOpen(true);
    ini.WriteInteger("k", 2);
    EXPECT_EQ(IniDocument::Parse(TempFolder::ReadFile(Path())).Value("Options", "k"), "2")
        << "a reopened file writes at once again";
    {
        SettingsFile scoped{dialogs, shell};
        scoped.SetIniFileName(Path());
        scoped.SetIniLocation(loUser);
        scoped.SetSection("Options");
        scoped.SetOpen(true);
        scoped.BeginUpdate();
        scoped.WriteInteger("k", 3);
    }
    EXPECT_EQ(IniDocument::Parse(TempFolder::ReadFile(Path())).Value("Options", "k"), "3");
}

TEST_F(SettingsFileTest, BatchEndReportsAFailedReplacement) {
    std::filesystem::create_directories(folder / "sub");
    OpenAt(folder / "sub/korvalin.ini");
    ini.BeginUpdate();
    ini.WriteInteger("k", 1);
    EXPECT_EQ(ini.ErrorCode(), 0);
    std::filesystem::remove_all(folder / "sub");
    ini.EndUpdate();
    EXPECT_EQ(ini.ErrorCode(), 3) << "the folder is gone";
}

// A batch whose writes were all refused has nothing to replace the file with; its end
// must still report the failure, or a caller takes a lost save for a good one.
TEST_F(SettingsFileTest, BatchEndReportsRefusedWrites) {
    const struct {
        const char* name;
        bool open;
        std::int32_t expected;
    } cases[] = {{"the file could not be opened", false, -1},
                 {"a folder took the file's place", true, EISDIR}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(Path());
        OpenAt(Path());
        if (!c.open) {
            ini.SetOpen(false);
        } else {
            std::filesystem::create_directories(Path());
        }
        ini.BeginUpdate();
        ini.WriteInteger("k", 1);
        ini.WriteInteger("l", 2);
        ini.EndUpdate();
        EXPECT_EQ(ini.ErrorCode(), c.expected);
        std::filesystem::remove_all(Path());
        OpenAt(Path());
        ini.BeginUpdate();
        ini.WriteInteger("k", 1);
        ini.EndUpdate();
        EXPECT_EQ(ini.ErrorCode(), 0) << "the next batch starts clean";
    }
}

// A batch whose only write was refused holds a view of the file but nothing to write;
// once the file is closed that view must not answer for the next one.
TEST_F(SettingsFileTest, RefusedWriteInAnUnfinishedBatchLeavesNoViewOfTheClosedFile) {
    const std::string other = folder / "other.ini";
    const struct {
        const char* name;
        std::string reopened;
    } cases[] = {{"another file", other}, {"the same file, changed meanwhile", Path()}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder::WriteFile(Path(), "[Options]\nk=old\n");
        TempFolder::WriteFile(other, "[Options]\nk=other\n");
        OpenAt(Path());
        ini.BeginUpdate();
        ini.WriteString("bad=name", "v");
        EXPECT_EQ(ini.ErrorCode(), EINVAL);
        if (c.reopened == Path()) {
            TempFolder::WriteFile(Path(), "[Options]\nk=changed\n");
        }
        OpenAt(c.reopened);
        ASSERT_TRUE(ini.Open());
        const std::string expected = c.reopened == Path() ? "changed" : "other";
        EXPECT_EQ(ini.ReadString("k", "def"), expected);
        ini.WriteString("k", "written");
        EXPECT_EQ(ini.ErrorCode(), 0);
        EXPECT_EQ(TempFolder::ReadFile(c.reopened), "[Options]\nk=written\n")
            << "the batch ended with the file";
        ini.SetOpen(false);
    }
}

struct BadFileCase {
    const char* name;
    std::string content;
    std::optional<std::string> keyValue;  // the value of Options/k, if one can be found
};

class SettingsFileBadInput : public SettingsFileTest,
                             public ::testing::WithParamInterface<BadFileCase> {};

TEST_P(SettingsFileBadInput, ReadsWhatItCanAndAWriteKeepsTheRest) {
    const BadFileCase& c = GetParam();
    TempFolder::WriteFile(Path(), c.content);
    OpenAt(Path());
    ASSERT_TRUE(ini.Open());
    if (c.keyValue) {
        EXPECT_EQ(ini.ReadString("k", "def"), *c.keyValue);
        EXPECT_EQ(ini.ErrorCode(), 0);
    } else {
        EXPECT_EQ(ini.ReadString("k", "def"), "def");
        EXPECT_EQ(ini.ErrorCode(), -1);
    }
    EXPECT_EQ(ini.ReadInteger("Unknown", 3), 3);
    ini.WriteInteger("Written", 5);
    ASSERT_EQ(ini.ErrorCode(), 0);
    const std::string after = TempFolder::ReadFile(Path());
    // Everything the file held is still there, line by line.
    std::string_view rest = c.content;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        EXPECT_NE(after.find(line), std::string::npos)
            << "lost line of " << line.size() << " bytes";
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    }
    EXPECT_EQ(IniDocument::Parse(after).Value("Options", "Written"), "5");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsFileBadInput,
    ::testing::Values(
        BadFileCase{"Garbage", "this is not\nan ini file at all }{ \n[Options\nk=v\n",
                    std::nullopt},
        BadFileCase{"BinaryJunk",
                    "\x7f"
                    "ELF\x02\x01\x01\x00\x00\xff\xfe\n[Options]\nk=v\n\xc3\x28\n"s,
                    "v"},
        BadFileCase{"NulBytes", "[Options]\n\x00\x00\x00\nk=v\x00\n"s, "v\x00"s},
        BadFileCase{"NoFinalNewline", "[Graphs]\nBig=1\n[Options]\nk=v", "v"},
        BadFileCase{"CrlfLineEnds", "[Options]\r\nk=v\r\n[Sums]\r\nSent=1\r\n", "v"},
        BadFileCase{"DuplicateKeys", "[Options]\nk=first\nk=second\n[options]\nk=third\n", "first"},
        BadFileCase{"VeryLongLine", "[Options]\nlong=" + std::string(4 << 20, 'y') + "\nk=v\n",
                    "v"},
        BadFileCase{"UnknownSectionsAndComments",
                    "; Korvalin\n\n[Future]\nfeature=on\n\n[Options]\n# note\nk=v\n", "v"},
        BadFileCase{"Empty", "", std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

// Runs body in a child process and expects it to exit with 0; body reports failures on
// stderr and exits with 1. Root runs the child as "nobody", so that permission bits count.
template <class Body>
void InChildWithoutRoot(Body body) {
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
                std::fprintf(stderr, "cannot drop root\n");
                std::_Exit(2);
            }
            std::_Exit(body() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(SettingsFileUnreadable, ReadsDefaultsAndRefusesToOverwrite) {
    InChildWithoutRoot([] {
        TempFolder folder;
        const std::string path = folder / "korvalin.ini";
        TempFolder::WriteFile(path, "[Options]\nk=1\nunknown=keep\n");
        ::chmod(path.c_str(), 0000);
        testing::FakeDialogs dialogs;
        testing::FakeShell shell;
        SettingsFile ini{dialogs, shell};
        ini.SetIniFileName(path);
        ini.SetIniLocation(loUser);
        ini.SetSection("Options");
        ini.SetOpen(true);
        bool ok = ini.Open();
        ok = ok && ini.ReadInteger("k", 9) == 9 && ini.ErrorCode() == -1;
        ini.WriteInteger("k", 2);
        ok = ok && ini.ErrorCode() == EACCES;
        ::chmod(path.c_str(), 0600);
        ok = ok && TempFolder::ReadFile(path) == "[Options]\nk=1\nunknown=keep\n";
        if (!ok) {
            std::fprintf(stderr, "open %d error %d\n", ini.Open(), ini.ErrorCode());
        }
        return ok;
    });
}

// Enters a private mount namespace; without root first a user namespace in which this
// user is root.
bool EnterMountNamespace() {
    const uid_t uid = ::geteuid();
    const gid_t gid = ::getegid();
    if (uid == 0) {
        return ::unshare(CLONE_NEWNS) == 0;
    }
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
        return false;
    }
    const auto write = [](const char* file, const std::string& text) {
        std::FILE* stream = std::fopen(file, "w");
        const bool ok = stream != nullptr && std::fputs(text.c_str(), stream) >= 0;
        return stream != nullptr && std::fclose(stream) == 0 && ok;
    };
    return write("/proc/self/setgroups", "deny") &&
           write("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") &&
           write("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1");
}

bool MountNamespaceAvailable() {
    const pid_t child = ::fork();
    if (child == 0) {
        std::_Exit(EnterMountNamespace() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

// Runs body in a child process with a private mount namespace, where folder is a file
// system that body can make read-only.
template <class Body>
void WithReadOnlyMount(Body body) {
    if (!MountNamespaceAvailable()) {
        GTEST_SKIP() << "no private mount namespace available";
    }
    EXPECT_EXIT(
        {
            if (!EnterMountNamespace()) {
                std::_Exit(3);
            }
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
            bool ok = false;
            {
                TempFolder folder;
                if (::mount("korvalin", folder.Path().c_str(), "tmpfs", 0, "mode=0755") != 0) {
                    std::fprintf(stderr, "cannot mount a tmpfs\n");
                    std::_Exit(4);
                }
                ok = body(folder);
                ::umount(folder.Path().c_str());
            }
            std::_Exit(ok ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

bool MakeReadOnly(const TempFolder& folder) {
    return ::mount("korvalin", folder.Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) ==
           0;
}

TEST(SettingsFileReadOnlyMedium, ReadOnlyFileThatStaysReadOnlyShowsTheMessageAndFailsWithFive) {
    WithReadOnlyMount([](const TempFolder& folder) {
        const std::string path = folder / "korvalin.ini";
        TempFolder::WriteFile(path, "[Options]\nk=1\n");
        ::chmod(path.c_str(), 0444);
        if (!MakeReadOnly(folder)) {
            return false;
        }
        testing::FakeDialogs dialogs;
        testing::FakeShell shell;
        SettingsFile ini{dialogs, shell};
        ini.SetIniFileName(path);
        ini.SetIniLocation(loUser);
        ini.SetSection("Options");
        ini.SetOpen(true);
        const bool ok =
            !ini.Open() && ini.ErrorCode() == 5 && dialogs.messages.size() == 1 &&
            dialogs.messages[0].text ==
                "Kann Schreibschutz von " + path + " nicht entfernen! / Can't remove R/W flag." &&
            dialogs.messages[0].caption == "Korvalin" && dialogs.messages[0].style == 0 &&
            ini.ReadInteger("k", 9) == 9;
        if (!ok) {
            std::fprintf(stderr, "open %d error %d messages %zu\n", ini.Open(), ini.ErrorCode(),
                         dialogs.messages.size());
        }
        return ok;
    });
}

TEST(SettingsFileReadOnlyMedium, NewFileThatCannotBeCreatedFailsWithTheErrorNumber) {
    WithReadOnlyMount([](const TempFolder& folder) {
        if (!MakeReadOnly(folder)) {
            return false;
        }
        testing::FakeDialogs dialogs;
        testing::FakeShell shell;
        SettingsFile ini{dialogs, shell};
        ini.SetIniFileName(folder / "korvalin.ini");
        ini.SetIniLocation(loUser);
        ini.SetSection("Options");
        ini.SetOpen(true);
        const bool ok = !ini.Open() && ini.ErrorCode() == EROFS && dialogs.messages.empty();
        if (!ok) {
            std::fprintf(stderr, "open %d error %d\n", ini.Open(), ini.ErrorCode());
        }
        return ok;
    });
}

}  // namespace
}  // namespace korvalin
