#include "ControllerFixture.h"
#include "core/SettingsFile.h"

namespace korvalin::testing {
namespace {

class StartUpTest : public ControllerFixture {};

TEST_F(StartUpTest, FirstStartMonitorsTheFirstRealAdapter) {
    ASSERT_TRUE(Start());
    EXPECT_TRUE(controller->FirstStart());
    EXPECT_TRUE(controller->Initialized());
    EXPECT_FALSE(controller->Loading());
    EXPECT_EQ(adapter->adapterName, "eth0");
    EXPECT_TRUE(adapter->active);
    EXPECT_FALSE(router->active);
    EXPECT_EQ(ReadIni()["Options"]["New"], "0");
}

TEST_F(StartUpTest, NoAdapterChoiceMonitorsAllAdapters) {
    adapters.clear();
    ASSERT_TRUE(Start());
    EXPECT_EQ(adapter->selectedPosition, -1);
    EXPECT_TRUE(adapter->active);
}

TEST_F(StartUpTest, RouterSourceStartsPollingWithTheStoredParameters) {
    WriteIni(
        "[Options]\nNew=0\nMonLAN=0\nSNMPRequest=0\nSNMPIP=10.1.2.3\nSNMPCommunity=c1\n"
        "SNMPMonIntf=eth1\nSNMPInterval=7\nExchangeSendAndReceiveRate=1\nCorrectUpDownRate=1\n"
        "CorrectUpValue=3\nCorrectDownValue=4\n");
    ASSERT_TRUE(Start());
    EXPECT_FALSE(adapter->active);
    EXPECT_TRUE(router->active);
    EXPECT_EQ(router->host, "10.1.2.3");
    EXPECT_EQ(router->community, "c1");
    EXPECT_EQ(router->interfaceName, "eth1");
    EXPECT_EQ(router->interval, 7000);
    EXPECT_TRUE(router->exchangeRates);
    EXPECT_TRUE(router->correctRates);
    EXPECT_EQ(router->correctUp, 3);
    EXPECT_EQ(router->correctDown, 4);
    EXPECT_EQ(shownInterfaces, (std::vector<std::string>{"ppp0", "eth1"}));
    EXPECT_EQ(selectedInterface, 1);
}

TEST_F(StartUpTest, PermanentRequestWithoutStoredInterfaceTakesTheFirst) {
    WriteIni("[Options]\nNew=0\nMonLAN=1\nSNMPRequest=1\n");
    ASSERT_TRUE(Start());
    EXPECT_FALSE(controller->Settings().monLAN);
    EXPECT_FALSE(adapter->active);
    EXPECT_TRUE(router->active);
    EXPECT_EQ(controller->Settings().snmpMonIntf, "ppp0");
    EXPECT_EQ(router->interfaceName, "ppp0");
    EXPECT_EQ(selectedInterface, 0);
}

TEST_F(StartUpTest, StatusDisplaysAsChosenTheStripBeforeTheSmallWindow) {
    WriteIni("[Options]\nNew=0\nShowMiniWindow=1\nMiniBarWindowVisible=1\nShowBigWindow=1\n");
    ASSERT_TRUE(Start());
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowBar", "ShowBig"}));
}

TEST_F(StartUpTest, WindowOptionsWaitForTheEndOfStartUp) {
    WriteIni("[Options]\nNew=0\n");
    ASSERT_TRUE(Open());
    controller->SetShowBigWindow(true);
    controller->SetShowMiniWindow(true);
    EXPECT_TRUE(status.calls.empty());
    controller->StartSource();
    controller->FinishStartUp();
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowSmall", "ShowBig"}));
    status.calls.clear();
    controller->EndLoading();
    controller->SetShowBigWindow(false);
    controller->SetShowMiniWindow(false);
    EXPECT_EQ(status.calls, (std::vector<std::string>{"CloseBig", "CloseSmall"}));
    EXPECT_EQ(ReadIni()["Options"]["ShowBigWindow"], "0");
}

TEST_F(StartUpTest, InitialisationFailureSaysSoAndNeverSaves) {
    WriteIni("[Options]\nNew=0\n");
    adapterLoads = false;
    EXPECT_FALSE(Open());
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().text.rfind("Fehler beim Initialisieren", 0), 0U);
    EXPECT_EQ(LastMessage().caption, "Korvalin");
    EXPECT_TRUE(controller->Loading());
    controller->SaveSettings();
    controller.reset();
    EXPECT_EQ(ReadIniText(), "[Options]\nNew=0\n");
}

class SourceSwitchTest : public ControllerFixture {};

TEST_F(SourceSwitchTest, ChoosingTheRouterOnlyRemembersIt) {
    StartSettled();
    const int activations = adapter->activations;
    controller->ChooseSource(false);
    EXPECT_TRUE(adapter->active);
    EXPECT_EQ(adapter->activations, activations);
    EXPECT_FALSE(router->active);
    EXPECT_FALSE(controller->Settings().monLAN);
}

TEST_F(SourceSwitchTest, StartingPollingNeedsAnInterface) {
    StartSettled();
    controller->ChooseSource(false);
    EXPECT_FALSE(controller->StartPolling());
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().text,
              "Wählen Sie zuerst ein Interface, das überwacht werden soll.\r\rKlicken Sie dazu "
              "auf \"Testen\" und wählen Sie danach das Interface.");
    EXPECT_EQ(LastMessage().caption, "Fehler");
    EXPECT_FALSE(controller->Settings().snmpRequest);
    EXPECT_TRUE(adapter->active);
    EXPECT_FALSE(router->active);
}

TEST_F(SourceSwitchTest, TestThenStartPollsTheChosenInterfaceUntilTheAdapterIsChosen) {
    StartSettled();
    controller->ChooseSource(false);
    controller->Settings().snmpIP = "127.0.0.1";
    controller->Settings().snmpCommunity = "public";
    std::vector<bool> answers;
    controller->TestConnection([&](bool answered) { answers.push_back(answered); });
    ASSERT_EQ(router->tests.size(), 1U);
    EXPECT_EQ(router->tests[0], std::make_pair(std::string("127.0.0.1"), std::string("public")));
    EXPECT_EQ(answers, std::vector<bool>{true});
    EXPECT_EQ(LastMessage().text, "Der Test war erfolgreich.");
    EXPECT_EQ(LastMessage().caption, "Information");
    EXPECT_EQ(router->host, "127.0.0.1");
    EXPECT_EQ(shownInterfaces, (std::vector<std::string>{"ppp0", "eth1"}));
    // After a test the first entry is only shown, not remembered.
    EXPECT_EQ(controller->Settings().snmpMonIntf, "");

    controller->SetShownInterface("eth1");
    controller->Settings().snmpInterval = 10;
    controller->Settings().exchangeSendAndReceiveRate = true;
    EXPECT_TRUE(controller->StartPolling());
    EXPECT_TRUE(controller->Settings().snmpRequest);
    EXPECT_FALSE(adapter->active);
    EXPECT_TRUE(router->active);
    EXPECT_EQ(router->interfaceName, "eth1");
    EXPECT_EQ(router->interval, 10000);
    EXPECT_TRUE(router->exchangeRates);
    EXPECT_EQ(ReadIni()["Options"]["SNMPRequest"], "1");
    EXPECT_EQ(ReadIni()["Options"]["SNMPMonIntf"], "eth1");
    EXPECT_EQ(ReadIni()["Options"]["MonLAN"], "0");

    controller->ChooseSource(true);
    EXPECT_FALSE(controller->Settings().snmpRequest);
    EXPECT_TRUE(adapter->active);
    EXPECT_FALSE(router->active);
    EXPECT_EQ(ReadIni()["Options"]["MonLAN"], "1");
    EXPECT_EQ(ReadIni()["Options"]["SNMPRequest"], "0");
}

TEST_F(SourceSwitchTest, ASecondTestRemembersTheShownInterface) {
    StartSettled();
    controller->TestConnection({});
    controller->SetShownInterface("eth1");
    controller->TestConnection({});
    EXPECT_EQ(controller->Settings().snmpMonIntf, "eth1");
    EXPECT_EQ(selectedInterface, 1);
}

TEST_F(SourceSwitchTest, FailedTestChangesNothing) {
    StartSettled();
    controller->ChooseSource(false);
    router->testSucceeds = false;
    std::vector<bool> answers;
    controller->TestConnection([&](bool answered) { answers.push_back(answered); });
    EXPECT_EQ(answers, std::vector<bool>{false});
    EXPECT_EQ(LastMessage().text, "Der Test war NICHT erfolgreich.");
    EXPECT_EQ(LastMessage().caption, "Fehler");
    EXPECT_EQ(router->refreshes, 0);
    EXPECT_TRUE(router->host.empty());
}

TEST_F(SourceSwitchTest, SuccessfulTestWithoutInterfacesShowsAnEmptyList) {
    StartSettled();
    router->agentInterfaces.clear();
    controller->TestConnection({});
    EXPECT_TRUE(shownInterfaces.empty());
    EXPECT_EQ(selectedInterface, -1);
    EXPECT_FALSE(controller->StartPolling());
}

TEST_F(SourceSwitchTest, CorrectionIsHandedToTheRouter) {
    StartSettled("MonLAN=0\nCorrectUpDownRate=1\n");
    controller->Settings().correctDownValue = 300;
    controller->ApplyCorrection();
    EXPECT_EQ(router->correctDown, 300);
    EXPECT_EQ(router->correctUp, 1);
    EXPECT_TRUE(router->correctRates);
}

TEST_F(SourceSwitchTest, ChoosingAnAdapterRestartsTheMonitorAndSaves) {
    StartSettled();
    const int before = adapter->activations;
    controller->SetCheckedAdapter("Alle Netzwerkadapter");
    controller->ChooseAdapter();
    EXPECT_EQ(adapter->adapterName, "Alle Netzwerkadapter");
    EXPECT_EQ(adapter->activations, before + 1);
    EXPECT_EQ(ReadIni()["Options"]["Monitor"], "Alle Netzwerkadapter");
}

TEST_F(SourceSwitchTest, ChoosingAnAdapterWhileTheRouterIsTheSourceOnlyStopsTheAdapter) {
    StartSettled("MonLAN=0\n");
    controller->SetCheckedAdapter("wlan0");
    controller->ChooseAdapter();
    EXPECT_FALSE(adapter->active);
    EXPECT_TRUE(router->active);
}

class BackgroundDisplaysTest : public ControllerFixture {};

TEST_F(BackgroundDisplaysTest, HidingShowsTheChosenDisplaysAndRestoringClosesThem) {
    StartSettled("ShowMiniWindow=1\nMiniBarWindowVisible=1\nShowBigWindow=1\nShowInTitleBar=1\n");
    status.calls.clear();
    controller->HideBackgroundDisplays();
    EXPECT_FALSE(controller->CaptionText().Enabled());
    EXPECT_EQ(status.calls, (std::vector<std::string>{"CloseSmall", "CloseBig"}));
    status.calls.clear();
    controller->ShowBackgroundDisplays();
    EXPECT_TRUE(controller->CaptionText().Enabled());
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowBar", "ShowBig"}));
}

class ShutdownTest : public ControllerFixture {};

TEST_F(ShutdownTest, SavesTheSumsAndReleasesOnce) {
    StartSettled();
    adapter->Tick({500, 200, 500, 200});
    controller->Shutdown();
    EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "200");
    EXPECT_EQ(ReadIni()["Sums"]["sumReceive"], "500");
    EXPECT_EQ(status.calls, std::vector<std::string>{"Release"});
    controller.reset();
    EXPECT_EQ(status.calls, std::vector<std::string>{"Release"});
}

// Releasing the router source may wait for the agent; the settings are on disk by then.
TEST_F(ShutdownTest, SavesBeforeTheRouterSourceIsReleased) {
    StartSettled("MonLAN=0\n");
    router->Tick({7000, 3000, 7000, 3000});
    std::string savedAtRelease;
    router->onRelease = [&] { savedAtRelease = ReadIni()["Sums"]["sumReceive"]; };
    controller.reset();
    EXPECT_EQ(savedAtRelease, "7000");
}

}  // namespace
}  // namespace korvalin::testing
