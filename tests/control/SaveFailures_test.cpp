// Saves that cannot reach the disk: a folder made read-only and a file system that is
// full. Each needs root for a private mount namespace with a tmpfs of its own.
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>

#include "ControllerFixture.h"

namespace korvalin::testing {
namespace {

// The whole test program enters a private mount namespace once, so the mounts of these
// tests are seen by no one else and vanish with the process.
bool PrivateMounts() {
    static const bool entered = ::geteuid() == 0 && ::unshare(CLONE_NEWNS) == 0 &&
                                ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return entered;
}

// Fills the file system at folder until a write fails; removing the file gives the space
// back.
bool FillUp(const std::string& file) {
    std::FILE* stream = std::fopen(file.c_str(), "w");
    if (stream == nullptr) {
        return false;
    }
    const std::string block(4096, 'x');
    while (std::fwrite(block.data(), 1, block.size(), stream) == block.size() &&
           std::fflush(stream) == 0) {
    }
    std::fclose(stream);
    return true;
}

class SaveFailuresTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        if (!PrivateMounts()) {
            GTEST_SKIP() << "needs root for a private mount namespace";
        }
        mountPoint = shell.appDataFolder;
        ASSERT_EQ(::mount("korvalin", mountPoint.c_str(), "tmpfs", 0, "size=256k,mode=0755"), 0)
            << std::strerror(errno);
        mounted = true;
    }
    void TearDown() override {
        controller.reset();
        if (mounted) {
            ::umount2(mountPoint.c_str(), MNT_DETACH);
        }
    }

    bool Remount(bool readOnly) {
        return ::mount("korvalin", mountPoint.c_str(), "tmpfs",
                       MS_REMOUNT | (readOnly ? MS_RDONLY : 0), "size=256k") == 0;
    }

    std::string mountPoint;
    bool mounted = false;
};

TEST_F(SaveFailuresTest, FirstFailureIsReportedOnceAndSavingAgainIsReported) {
    const std::string filler = mountPoint + "/filler";
    const struct {
        const char* name;
        std::function<bool()> fail;
        std::function<bool()> heal;
    } cases[] = {
        {"read-only folder", [&] { return Remount(true); }, [&] { return Remount(false); }},
        {"full disk", [&] { return FillUp(filler); },
         [&] { return std::remove(filler.c_str()) == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        diagnostics.str("");
        saveReports.clear();
        StartSettled("AllInByte=0\n", "sumSend=100\nsumReceive=200\n");
        const std::string before = ReadIniText();
        ASSERT_TRUE(c.fail());

        adapter->Tick({1000, 500, 1000, 500});
        controller->SaveSettings();
        adapter->Tick({1000, 500, 2000, 1000});
        controller->PeriodicSave();
        controller->SaveSums();
        EXPECT_TRUE(controller->SaveFailing());
        ASSERT_EQ(saveReports.size(), 1u) << "one report for the failures of a run";
        EXPECT_TRUE(saveReports[0].failing);
        EXPECT_NE(saveReports[0].text.find(IniPath()), std::string::npos) << saveReports[0].text;
        EXPECT_NE(diagnostics.str().find(saveReports[0].text), std::string::npos);
        EXPECT_EQ(ReadIniText(), before) << "the old file stays as it was";

        ASSERT_TRUE(c.heal());
        controller->PeriodicSave();
        EXPECT_FALSE(controller->SaveFailing());
        ASSERT_EQ(saveReports.size(), 2u);
        EXPECT_FALSE(saveReports[1].failing);
        EXPECT_NE(diagnostics.str().find(saveReports[1].text), std::string::npos);
        EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "1100");
        EXPECT_EQ(ReadIni()["Sums"]["sumReceive"], "2200");
        controller.reset();
    }
}

TEST_F(SaveFailuresTest, ClockRetriesTheWholeSchemaAfterAFailedFullSave) {
    StartSettled();
    ASSERT_TRUE(Remount(true));
    controller->SetAllInByte(true);
    EXPECT_TRUE(controller->SaveFailing());
    ASSERT_TRUE(Remount(false));
    controller->PeriodicSave();
    EXPECT_FALSE(controller->SaveFailing());
    EXPECT_EQ(ReadIni()["Options"]["AllInByte"], "1") << "the option changed while failing";
}

TEST_F(SaveFailuresTest, SumsSaveOnExitTellsNoView) {
    StartSettled();
    ASSERT_TRUE(Remount(true));
    adapter->Tick({10, 20, 10, 20});
    controller->SaveSumsOnExit();
    EXPECT_TRUE(saveReports.empty());
    EXPECT_NE(diagnostics.str().find("Cannot save"), std::string::npos) << diagnostics.str();
}

}  // namespace
}  // namespace korvalin::testing
