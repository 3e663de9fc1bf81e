// A settings file that is there but cannot be read: the program starts with the factory
// settings, leaves the file alone and says once why, with the path.
#include <filesystem>
#include <functional>

#include "ControllerFixture.h"

namespace korvalin::testing {
namespace {

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

class UnreadableSettingsTest : public ControllerFixture {};

TEST_F(UnreadableSettingsTest, StartsWithFactorySettingsAndSaysWhyOnce) {
    namespace fs = std::filesystem;
    const struct {
        const char* name;
        std::function<void(const std::string& path)> make;
    } cases[] = {
        {"a folder in the file's place",
         [](const std::string& path) { fs::create_directories(path); }},
        {"a file over the size limit",
         [](const std::string& path) {
             TempFolder::WriteFile(path, "[Options]\nNew=0\nAllInByte=1\n");
             fs::resize_file(path, 64 * 1024 * 1024 + 1);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(IniPath());
        fs::create_directories(fs::path(IniPath()).parent_path());
        c.make(IniPath());
        const bool wasFolder = fs::is_directory(IniPath());
        const auto size = wasFolder ? 0 : fs::file_size(IniPath());
        diagnostics.str("");
        dialogs.messages.clear();

        ASSERT_TRUE(Start());
        EXPECT_TRUE(controller->FirstStart());
        EXPECT_FALSE(controller->Settings().allInByte);
        EXPECT_EQ(Count(diagnostics.str(), "cannot read the settings file " + IniPath()), 1u)
            << diagnostics.str();
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_NE(dialogs.messages[0].text.find(IniPath()), std::string::npos)
            << dialogs.messages[0].text;
        EXPECT_NE(dialogs.messages[0].text.find("Werkseinstellungen"), std::string::npos);

        controller->SaveSettings();
        controller.reset();
        EXPECT_EQ(fs::is_directory(IniPath()), wasFolder);
        if (!wasFolder) {
            EXPECT_EQ(fs::file_size(IniPath()), size) << "the file is left as it was";
        }
        EXPECT_EQ(dialogs.messages.size(), 1u) << "no message box per save";
    }
}

TEST_F(UnreadableSettingsTest, ReadableOrMissingFileSaysNothing) {
    for (const bool exists : {false, true}) {
        SCOPED_TRACE(exists ? "readable" : "missing");
        std::filesystem::remove_all(IniPath());
        if (exists) {
            WriteIni("[Options]\nNew=0\n");
        }
        diagnostics.str("");
        dialogs.messages.clear();
        ASSERT_TRUE(Start());
        EXPECT_EQ(diagnostics.str(), "");
        EXPECT_TRUE(dialogs.messages.empty());
        controller.reset();
    }
}

}  // namespace
}  // namespace korvalin::testing
