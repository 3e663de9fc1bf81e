#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "base/IniDocument.h"
#include "core/SettingsFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeShell.h"
#include "fakes/TempFolder.h"

namespace korvalin {
namespace {

using testing::TempFolder;

struct Key {
    const char* section;
    std::string name;
};

// About as many keys as the real settings file has.
std::vector<Key> SettingsKeys() {
    std::vector<Key> keys;
    for (int i = 0; i < 8; ++i) {
        keys.push_back({"Graphs", "Graph" + std::to_string(i)});
    }
    for (int i = 0; i < 14; ++i) {
        keys.push_back({"Options", "Option" + std::to_string(i)});
    }
    for (const char* name : {"Sent", "Received", "Counter"}) {
        keys.push_back({"Sums", name});
    }
    return keys;
}

[[noreturn]] void WriteForever(const std::string& path) {
    testing::FakeDialogs dialogs;
    testing::FakeShell shell;
    SettingsFile ini{dialogs, shell};
    ini.SetIniFileName(path);
    ini.SetIniLocation(loUser);
    ini.SetSection("Options");
    ini.SetOpen(true);
    const std::vector<Key> keys = SettingsKeys();
    for (std::int32_t round = 1;; ++round) {
        for (const Key& key : keys) {
            ini.SetSection(key.section);
            ini.WriteInteger(key.name, round);
        }
    }
}

std::string SeededFile() {
    std::string text = "; written by hand\n[Future]\nunknown=keep me\n\n";
    const char* section = "";
    for (const Key& key : SettingsKeys()) {
        if (std::string(section) != key.section) {
            section = key.section;
            text += std::string("[") + section + "]\n";
        }
        text += key.name + "=0\n";
    }
    return text;
}

constexpr int kKills = 20;

TEST(SettingsFileKilledWriter, LeavesAWholeFileAfterEverySigkill) {
    TempFolder folder;
    const std::string path = folder / "korvalin.ini";
    TempFolder::WriteFile(path, SeededFile());
    std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<int> delay(1, 60);
    long long highestValue = 0;
    for (int kill = 0; kill < kKills; ++kill) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteForever(path);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay(random)));
        ASSERT_EQ(::kill(child, SIGKILL), 0);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));

        const std::string text = TempFolder::ReadFile(path);
        ASSERT_FALSE(text.empty()) << "after kill " << kill;
        EXPECT_EQ(text.back(), '\n') << "after kill " << kill;
        const IniDocument document = IniDocument::Parse(text);
        EXPECT_EQ(document.Value("Future", "unknown"), "keep me");
        EXPECT_EQ(text.rfind("; written by hand\n", 0), 0U);
        for (const Key& key : SettingsKeys()) {
            const auto value = document.Value(key.section, key.name);
            ASSERT_TRUE(value.has_value())
                << key.section << "/" << key.name << " after kill " << kill;
            EXPECT_FALSE(value->empty());
            ASSERT_EQ(value->find_first_not_of("0123456789"), std::string::npos) << *value;
            highestValue = std::max(highestValue, std::stoll(*value));
        }
    }
    EXPECT_GT(highestValue, 0) << "the writer never got to write";
    // A killed writer may leave at most its one temporary file behind.
    std::size_t leftovers = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder.Path())) {
        leftovers += entry.path().filename() != "korvalin.ini" ? 1 : 0;
    }
    EXPECT_LE(leftovers, static_cast<std::size_t>(kKills));
}

}  // namespace
}  // namespace korvalin
