#include "app/SystemIntegration.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/TextTools.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeShell.h"

namespace korvalin {
namespace {

using testing::FakeDialogs;
using testing::FakeShell;

const char* const HelpMessage = "Konnte Standard-Browser mit Datei manual.htm nicht öffnen.";
const char* const BrowserMessage = "Konnte Standard-Browser nicht öffnen.";

// A program installed below a temporary prefix: <prefix>/bin/korvalin.
class HelpButton : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(prefix_.isValid());
        root = prefix_.path().toStdString();
        std::filesystem::create_directories(root + "/bin");
        std::filesystem::create_directories(root + "/share/korvalin");
        shell.programPath = root + "/bin/korvalin";
    }

    void WriteManual(const std::string& path) { std::ofstream(path) << "<html></html>\n"; }

    void ExpectOneMessage(const char* text) {
        ASSERT_EQ(dialogs.messages.size(), 1U);
        EXPECT_EQ(dialogs.messages[0].text, text);
        EXPECT_EQ(dialogs.messages[0].caption, "Fehler");
        EXPECT_EQ(dialogs.messages[0].style, MsgBoxStyle(mkError, {btnOK}));
    }

    QTemporaryDir prefix_;
    std::string root;
    FakeShell shell;
    FakeDialogs dialogs;
    SystemIntegration integration{shell, dialogs};
};

TEST_F(HelpButton, OpensTheManualBesideTheProgram) {
    WriteManual(root + "/bin/manual.htm");
    WriteManual(root + "/share/korvalin/manual.htm");
    integration.HelpBtnClick();
    ASSERT_EQ(shell.opened.size(), 1U);
    EXPECT_EQ(shell.opened[0], root + "/bin/manual.htm");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpButton, OpensTheInstalledManualWhenNoneIsBesideTheProgram) {
    WriteManual(root + "/share/korvalin/manual.htm");
    integration.HelpBtnClick();
    ASSERT_EQ(shell.opened.size(), 1U);
    EXPECT_EQ(shell.opened[0], root + "/share/korvalin/manual.htm");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpButton, WithoutAManualShowsTheHelpMessageAndOpensNothing) {
    // A folder of that name is no manual.
    std::filesystem::create_directories(root + "/bin/manual.htm");
    integration.HelpBtnClick();
    EXPECT_TRUE(shell.opened.empty());
    ExpectOneMessage(HelpMessage);
}

TEST_F(HelpButton, AShellThatCannotOpenTheManualShowsTheHelpMessage) {
    WriteManual(root + "/bin/manual.htm");
    shell.openSucceeds = false;
    integration.HelpBtnClick();
    ExpectOneMessage(HelpMessage);
}

TEST_F(HelpButton, AnUnknownProgramPathShowsTheHelpMessage) {
    shell.programPath.clear();
    integration.HelpBtnClick();
    EXPECT_TRUE(shell.opened.empty());
    ExpectOneMessage(HelpMessage);
}

TEST_F(HelpButton, TheWebPageButtonOpensTheWebPage) {
    integration.MySpeedButton1Click();
    ASSERT_EQ(shell.opened.size(), 1U);
    EXPECT_EQ(shell.opened[0], WebPageAddress);
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(HelpButton, AShellThatCannotOpenTheWebPageShowsTheBrowserMessage) {
    shell.openSucceeds = false;
    integration.MySpeedButton1Click();
    ExpectOneMessage(BrowserMessage);
}

TEST(ManualFile, TheShippedManualDescribesTheWindows) {
    std::ifstream in(std::string(KORVALIN_SOURCE_DIR) + "/resources/manual.htm");
    ASSERT_TRUE(in);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("charset=utf-8"), std::string::npos);
    for (const char* name : {"Konfiguration", "Beenden", "Großes Statusfenster",
                             "Kleines Statusfenster", "Angaben in Titelzeile anzeigen",
                             "Netzwerkadapter", "SNMP", "Summen auf 0 Byte setzen"}) {
        EXPECT_NE(text.find(name), std::string::npos) << name;
    }
}

}  // namespace
}  // namespace korvalin
