#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStackedWidget>

#include "MainFixture.h"
#include "app/AutoStart.h"
#include "widgets/FlatButton.h"
#include "widgets/RadioCheckList.h"
#include "widgets/SpinEdit.h"

namespace korvalin::testing {
namespace {

std::string Text(const QLabel* label) {
    return label->text().toStdString();
}

class WindowTest : public MainFixture {
protected:
    void StartSettled(const std::string& extraOptions = "", const std::string& sums = "") {
        WriteIni("[Options]\nNew=0\n" + extraOptions + "[Sums]\n" + sums);
        ASSERT_TRUE(Start());
    }
};

// The controller's figures in the window's labels; what the figures are is the
// controller's part (tests/control).
TEST_F(WindowTest, AdapterSampleFillsTheLabels) {
    StartSettled();
    adapter->Tick({1536, 512, 123456789, 5000000});
    EXPECT_EQ(Text(main->Label5), "0,50 KB");
    EXPECT_EQ(Text(main->Label6), "1,50 KB");
    EXPECT_EQ(Text(main->Label7), "4,77 MB");
    EXPECT_EQ(Text(main->Label8), "117,74 MB");
    EXPECT_EQ(Text(main->sumSendLabel), "0,50 KB");
    EXPECT_EQ(Text(main->sumReceiveLabel), "1,50 KB");
    EXPECT_EQ(Text(main->sumLabel), "2,00 KB");
}

TEST_F(WindowTest, TotalsBeyondThirtyTwoBitsStayWhole) {
    StartSettled();
    adapter->Tick({0, 0, 5000000000, 2147483648});
    EXPECT_EQ(Text(main->Label8), "4,66 GB");
    EXPECT_EQ(Text(main->Label7), "2,00 GB");
}

TEST_F(WindowTest, AllInByteShowsPlainBytes) {
    StartSettled("AllInByte=1\n");
    adapter->Tick({0, 0, 0, 1234567});
    EXPECT_EQ(Text(main->Label7), "1.234.567 Byte");
}

TEST_F(WindowTest, TheCaptionTextOptionSwitchesTheDisplay) {
    StartSettled("ShowInTitleBar=1\n");
    EXPECT_TRUE(controller->CaptionText().Enabled());
    main->ShowInTitleBar->setChecked(false);
    EXPECT_FALSE(controller->CaptionText().Enabled());
    EXPECT_EQ(ReadIni()["Options"]["ShowInTitleBar"], "0");
}

TEST_F(WindowTest, RouterSampleShowsRatesButSumsBytesInTheLabels) {
    StartSettled("MonLAN=0\nSNMPInterval=5\n");
    ASSERT_TRUE(router->active);
    router->Tick({50000, 450, 50000, 450});
    EXPECT_EQ(Text(main->Label6), "9,77 KB");  // 10 000 bytes per second
    EXPECT_EQ(Text(main->Label5), "90 Byte");
    EXPECT_EQ(Text(main->Label8), "48,83 KB");
    EXPECT_EQ(Text(main->sumReceiveLabel), "48,83 KB");
    EXPECT_EQ(Text(main->sumSendLabel), "0,44 KB");
}

struct ResetCase {
    const char* name;
    int answer;
    std::int32_t expectSend;
    std::int32_t expectReceive;
};

class ResetButtonTest : public WindowTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetButtonTest, TheResetButtonAsksAndShowsTheSums) {
    StartSettled("", "sumSend=700\nsumReceive=900\n");
    dialogs.answers.push_back(GetParam().answer);
    main->Button4->click();
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().caption, "Bestätigung");
    EXPECT_EQ(controller->Settings().sumSend, GetParam().expectSend);
    EXPECT_EQ(controller->Settings().sumReceive, GetParam().expectReceive);
    EXPECT_EQ(Text(main->sumLabel), GetParam().expectSend == 0 ? "0 Byte" : "1,56 KB");
}

INSTANTIATE_TEST_SUITE_P(Confirmation, ResetButtonTest,
                         ::testing::Values(ResetCase{"Yes", IdYes, 0, 0},
                                           ResetCase{"No", IdNo, 700, 900}),
                         [](const auto& info) { return std::string(info.param.name); });

// The router page's three states and the ways between them.
class WindowSourceSwitchTest : public WindowTest {
protected:
    void ExpectRouterControlsLocked(bool locked) {
        for (QWidget* control :
             {static_cast<QWidget*>(main->SNMPStartBtn), static_cast<QWidget*>(main->SNMPTestBtn),
              static_cast<QWidget*>(main->SNMPIPEdit),
              static_cast<QWidget*>(main->SNMPCommunityEdit),
              static_cast<QWidget*>(main->SNMPIntfCB),
              static_cast<QWidget*>(main->SNMPIntervalEdit), static_cast<QWidget*>(main->Label11),
              static_cast<QWidget*>(main->Label12), static_cast<QWidget*>(main->Label13)}) {
            EXPECT_EQ(control->isEnabled(), !locked) << control->objectName().toStdString();
        }
        // The exchange and correction controls and the info button are never locked.
        EXPECT_TRUE(main->ExchangeSendAndReceiveRateChkBox->isEnabled());
        EXPECT_TRUE(main->SNMPInfoBtn->isEnabled());
    }

    void ExpectState(bool locked, bool request, bool adapterOn, bool routerOn, int page) {
        ExpectRouterControlsLocked(locked);
        EXPECT_EQ(controller->Settings().snmpRequest, request);
        EXPECT_EQ(adapter->active, adapterOn);
        EXPECT_EQ(router->active, routerOn);
        EXPECT_EQ(main->Notebook->currentIndex(), page);
    }
};

TEST_F(WindowSourceSwitchTest, ChoosingTheRouterOnlyShowsItsPage) {
    StartSettled();
    ExpectState(false, false, true, false, 0);
    main->RB2->click();
    ExpectState(false, false, true, false, 1);
}

TEST_F(WindowSourceSwitchTest, StartingPollingNeedsAnInterface) {
    StartSettled();
    main->RB2->click();
    main->SNMPStartBtnClick();
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().text,
              "Wählen Sie zuerst ein Interface, das überwacht werden soll.\r\rKlicken Sie dazu "
              "auf \"Testen\" und wählen Sie danach das Interface.");
    EXPECT_EQ(LastMessage().caption, "Fehler");
    ExpectState(false, false, true, false, 1);
}

TEST_F(WindowSourceSwitchTest, TestThenStartPollsTheChosenInterface) {
    StartSettled();
    main->RB2->click();
    main->SNMPIPEdit->setText(QStringLiteral("127.0.0.1"));
    main->SNMPCommunityEdit->setText(QStringLiteral("public"));
    main->SNMPTestBtnClick();
    ASSERT_EQ(router->tests.size(), 1U);
    EXPECT_EQ(router->tests[0], std::make_pair(std::string("127.0.0.1"), std::string("public")));
    EXPECT_EQ(LastMessage().text, "Der Test war erfolgreich.");
    EXPECT_EQ(LastMessage().caption, "Information");
    ASSERT_EQ(main->SNMPIntfCB->count(), 2);
    main->SNMPIntfCB->setCurrentIndex(1);
    main->SNMPIntervalEdit->SetValue(10);
    main->ExchangeSendAndReceiveRateChkBox->setChecked(true);
    main->SNMPStartBtnClick();
    ExpectState(true, true, false, true, 1);
    EXPECT_EQ(router->interfaceName, "eth1");
    EXPECT_EQ(router->interval, 10000);
    EXPECT_TRUE(router->exchangeRates);
    EXPECT_EQ(ReadIni()["Options"]["SNMPRequest"], "1");
    EXPECT_EQ(ReadIni()["Options"]["SNMPMonIntf"], "eth1");

    main->RB1->click();
    ExpectState(false, false, true, false, 0);
    EXPECT_EQ(ReadIni()["Options"]["MonLAN"], "1");
}

TEST_F(WindowSourceSwitchTest, FailedTestChangesNothing) {
    StartSettled();
    main->RB2->click();
    router->testSucceeds = false;
    main->SNMPTestBtnClick();
    EXPECT_EQ(LastMessage().text, "Der Test war NICHT erfolgreich.");
    EXPECT_EQ(LastMessage().caption, "Fehler");
    EXPECT_EQ(main->SNMPIntfCB->count(), 0);
    EXPECT_EQ(router->refreshes, 0);
}

TEST_F(WindowSourceSwitchTest, SuccessfulTestWithoutInterfacesLeavesTheListEmpty) {
    StartSettled();
    main->RB2->click();
    router->agentInterfaces.clear();
    main->SNMPTestBtnClick();
    EXPECT_EQ(main->SNMPIntfCB->count(), 0);
    main->SNMPStartBtnClick();
    EXPECT_EQ(LastMessage().text.rfind("Wählen Sie zuerst ein Interface", 0), 0U);
    EXPECT_FALSE(controller->Settings().snmpRequest);
}

TEST_F(WindowSourceSwitchTest, CorrectionChangeAppliesWhilePolling) {
    StartSettled("MonLAN=0\nCorrectUpDownRate=1\n");
    main->CorrectDownEdit->SetValue(300);
    EXPECT_EQ(router->correctDown, 300);
    EXPECT_EQ(router->correctUp, 1);
    EXPECT_TRUE(router->correctRates);
}

TEST_F(WindowSourceSwitchTest, CheckingAllAdaptersRestartsTheMonitorAndSaves) {
    StartSettled();
    const int before = adapter->activations;
    main->LB->UserCheck(0);
    EXPECT_EQ(adapter->adapterName, "Alle Netzwerkadapter");
    EXPECT_EQ(adapter->activations, before + 1);
    EXPECT_EQ(ReadIni()["Options"]["Monitor"], "Alle Netzwerkadapter");
}

class WindowLifeTest : public WindowTest {};

TEST_F(WindowLifeTest, CloseBoxHidesToTheNotificationArea) {
    WriteIni(SettledIni);
    ASSERT_TRUE(Start());
    main->Konfiguration1Click();
    ASSERT_TRUE(main->isVisible());
    EXPECT_FALSE(main->close());
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(quits, 0);
}

TEST_F(WindowLifeTest, OkHidesAndShowsTheChosenStatusWindows) {
    StartSettled("ShowMiniWindow=1\nMiniBarWindowVisible=1\nShowBigWindow=1\nShowInTitleBar=1\n");
    // Start-up shows the strip, not the small window, and the large window.
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowBar", "ShowBig"}));
    main->Konfiguration1Click();
    main->WMSysCommand(SC_RESTORE);
    EXPECT_FALSE(controller->CaptionText().Enabled());
    status.calls.clear();
    main->Button1Click();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(controller->CaptionText().Enabled());
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowBar", "ShowBig"}));
}

TEST_F(WindowLifeTest, RestoreClosesTheStatusWindows) {
    StartSettled("ShowMiniWindow=1\n");
    status.calls.clear();
    main->WMSysCommand(SC_RESTORE);
    EXPECT_TRUE(main->isVisible());
    EXPECT_EQ(status.calls, (std::vector<std::string>{"CloseSmall", "CloseBig"}));
}

TEST_F(WindowLifeTest, BigWindowOptionActsAtOnce) {
    StartSettled();
    status.calls.clear();
    main->BigWindowChkBox->setChecked(true);
    main->BigWindowChkBox->setChecked(false);
    EXPECT_EQ(status.calls, (std::vector<std::string>{"ShowBig", "CloseBig"}));
    EXPECT_EQ(ReadIni()["Options"]["ShowBigWindow"], "0");
}

TEST_F(WindowLifeTest, ReopeningRefillsTheAdapterListWithoutRestartingTheMonitor) {
    StartSettled("Monitor=wlan0\n");
    main->Konfiguration1Click();
    main->Button1Click();
    const int activations = adapter->activations;
    adapter->adapters = {"usb0", "wlan0"};
    main->Konfiguration1Click();
    EXPECT_EQ(adapter->checkAdapterListCalls, 1);
    ASSERT_EQ(main->LB->Count(), 3);
    EXPECT_EQ(main->LB->ItemText(1).toStdString(), "usb0");
    EXPECT_EQ(main->LB->CheckedText().toStdString(), "wlan0");
    EXPECT_EQ(adapter->activations, activations);
}

TEST_F(WindowLifeTest, ProgramEndSavesAndReleases) {
    StartSettled();
    adapter->Tick({10, 20, 10, 20});
    main->Button5Click();
    EXPECT_EQ(quits, 1);
    main.reset();
    EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "20");
    EXPECT_EQ(status.calls.back(), "Release");
}

TEST_F(WindowLifeTest, WithoutNotificationAreaTheWindowOpensAndMinimises) {
    trayAvailable = false;
    StartSettled();
    EXPECT_TRUE(main->isVisible());
    main->Button1Click();
    EXPECT_TRUE(main->isMinimized());
    main->showNormal();
    EXPECT_FALSE(main->close());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(main->isMinimized());
    EXPECT_EQ(quits, 0);
}

TEST_F(WindowLifeTest, AutostartClickTogglesTheRegistryEntry) {
    StartSettled();
    EXPECT_FALSE(main->AutoStartChkBox->isChecked());
    main->AutoStartChkBox->click();
    EXPECT_TRUE(main->AutoStartChkBox->isChecked());
    EXPECT_TRUE(registry.ReadString(RunKeyPath, AutoStartValueName).has_value());
    main->AutoStartChkBox->click();
    EXPECT_FALSE(main->AutoStartChkBox->isChecked());
    EXPECT_FALSE(registry.ReadString(RunKeyPath, AutoStartValueName).has_value());
}

}  // namespace
}  // namespace korvalin::testing
