#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTimer>
#include <functional>
#include <ostream>

#include "MainFixture.h"
#include "widgets/FlatButton.h"
#include "widgets/RadioCheckList.h"
#include "widgets/SpinEdit.h"

namespace korvalin::testing {
namespace {

struct LoadCase {
    const char* name;
    const char* ini;  // nullptr: no settings file at all
    std::function<void(ConfigurationWindow&, const FakeAdapterSource&, const FakeRouterSource&)>
        check;
};

// Keeps test listings readable: a case prints as its name, not as its bytes.
void PrintTo(const LoadCase& loadCase, std::ostream* out) {
    *out << loadCase.name;
}

const LoadCase LoadCases[] = {
    {"NoFileGivesFactorySettingsAndTheFirstRealAdapter", nullptr,
     [](ConfigurationWindow& main, const FakeAdapterSource& adapter,
        const FakeRouterSource& router) {
         EXPECT_TRUE(main.Control().FirstStart());
         EXPECT_TRUE(main.RB1->isChecked());
         EXPECT_EQ(main.LB->CheckedText().toStdString(), "eth0");
         EXPECT_EQ(adapter.adapterName, "eth0");
         EXPECT_TRUE(adapter.active);
         EXPECT_FALSE(router.active);
         for (QCheckBox* option :
              {main.AllInByteChkBox, main.ShowInTitleBar, main.BigWindowChkBox, main.MiniChkBox,
               main.ExchangeSendAndReceiveRateChkBox, main.CorrectUpDownRateChkBox}) {
             EXPECT_FALSE(option->isChecked()) << option->objectName().toStdString();
         }
         EXPECT_EQ(main.SNMPIPEdit->text().toStdString(), "192.168.0.1");
         EXPECT_EQ(main.SNMPCommunityEdit->text().toStdString(), "vindra");
         EXPECT_EQ(main.SNMPIntervalEdit->Value(), 5);
         EXPECT_EQ(main.CorrectUpEdit->Value(), 1);
         EXPECT_EQ(main.CorrectDownEdit->Value(), 1);
         EXPECT_EQ(main.Control().Settings().sumSend, 0);
         EXPECT_EQ(main.Control().Settings().sumReceive, 0);
         EXPECT_TRUE(main.isVisible());
     }},
    {"NewStoredAsYesCountsAsMissing", "[Options]\nNew=yes\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_TRUE(main.Control().FirstStart());
         EXPECT_TRUE(main.isVisible());
     }},
    {"NewStoredAsZeroStaysInTheNotificationArea", "[Options]\nNew=0\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_FALSE(main.Control().FirstStart());
         EXPECT_FALSE(main.isVisible());
     }},
    {"UnknownAdapterFallsBackToAllAdapters", "[Options]\nNew=0\nMonitor=tun7\n",
     [](ConfigurationWindow& main, const FakeAdapterSource& adapter, const FakeRouterSource&) {
         EXPECT_EQ(main.LB->CheckedIndex(), 0);
         // What is checked is what the next save stores.
         EXPECT_EQ(main.Control().Settings().monitor, "Alle Netzwerkadapter");
         EXPECT_EQ(adapter.adapterName, "Alle Netzwerkadapter");
     }},
    {"StoredAdapterIsChecked", "[Options]\nNew=0\nMonitor=wlan0\n",
     [](ConfigurationWindow& main, const FakeAdapterSource& adapter, const FakeRouterSource&) {
         EXPECT_EQ(main.LB->CheckedText().toStdString(), "wlan0");
         EXPECT_EQ(adapter.adapterName, "wlan0");
     }},
    {"RouterSourceStartsPollingAtOnce",
     "[Options]\nNew=0\nMonLAN=0\nSNMPRequest=0\nSNMPIP=10.1.2.3\nSNMPCommunity=c1\n"
     "SNMPMonIntf=eth1\nSNMPInterval=7\n",
     [](ConfigurationWindow& main, const FakeAdapterSource& adapter,
        const FakeRouterSource& router) {
         EXPECT_TRUE(main.RB2->isChecked());
         EXPECT_FALSE(adapter.active);
         EXPECT_TRUE(router.active);
         EXPECT_EQ(router.host, "10.1.2.3");
         EXPECT_EQ(router.community, "c1");
         EXPECT_EQ(router.interfaceName, "eth1");
         EXPECT_EQ(router.interval, 7000);
         EXPECT_EQ(main.SNMPIntfCB->currentText().toStdString(), "eth1");
         EXPECT_FALSE(main.SNMPStartBtn->isEnabled());
     }},
    {"RouterRequestWithoutStoredInterfaceTakesTheFirst",
     "[Options]\nNew=0\nMonLAN=1\nSNMPRequest=1\n",
     [](ConfigurationWindow& main, const FakeAdapterSource& adapter,
        const FakeRouterSource& router) {
         EXPECT_TRUE(main.RB2->isChecked());
         EXPECT_FALSE(adapter.active);
         EXPECT_TRUE(router.active);
         EXPECT_EQ(main.Control().Settings().snmpMonIntf, "ppp0");
         EXPECT_EQ(router.interfaceName, "ppp0");
     }},
    {"SpinValuesAreBroughtIntoTheirBounds",
     "[Options]\nNew=0\nSNMPInterval=0\nCorrectUpValue=5000\nCorrectDownValue=-3\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_EQ(main.SNMPIntervalEdit->Value(), 1);
         EXPECT_EQ(main.CorrectUpEdit->Value(), 1024);
         EXPECT_EQ(main.CorrectDownEdit->Value(), 1);
     }},
    {"SpinValueAboveTheIntervalBound", "[Options]\nNew=0\nSNMPInterval=70000\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_EQ(main.SNMPIntervalEdit->Value(), 60000);
     }},
    {"NonNumericIntegersTakeTheirDefault",
     "[Options]\nNew=0\nSNMPInterval=abc\nCorrectUpValue=12a\n[Sums]\nsumSend=abc\n"
     "sumReceive=77\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_EQ(main.SNMPIntervalEdit->Value(), 5);
         EXPECT_EQ(main.CorrectUpEdit->Value(), 1);
         EXPECT_EQ(main.sumSendLabel->text().toStdString(), "0 Byte");
         EXPECT_EQ(main.sumReceiveLabel->text().toStdString(), "77 Byte");
     }},
    {"BooleansAreTrueOnlyForOne",
     "[Options]\nNew=0\nAllInByte=2\nShowInTitleBar=1\nExchangeSendAndReceiveRate=abc\n"
     "CorrectUpDownRate=1\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource& router) {
         EXPECT_FALSE(main.AllInByteChkBox->isChecked());
         EXPECT_TRUE(main.ShowInTitleBar->isChecked());
         EXPECT_TRUE(main.Control().CaptionText().Enabled());
         EXPECT_FALSE(main.ExchangeSendAndReceiveRateChkBox->isChecked());
         EXPECT_TRUE(main.CorrectUpDownRateChkBox->isChecked());
         EXPECT_TRUE(main.CorrectUpEdit->isEnabled());
         EXPECT_TRUE(router.correctRates);
     }},
    {"NegativeSumLoadsAndShowsAsZero", "[Options]\nNew=0\n[Sums]\nsumSend=-1\nsumReceive=1536\n",
     [](ConfigurationWindow& main, const FakeAdapterSource&, const FakeRouterSource&) {
         EXPECT_EQ(main.Control().Settings().sumSend, 0);
         EXPECT_EQ(main.sumSendLabel->text().toStdString(), "0 Byte");
         EXPECT_EQ(main.sumReceiveLabel->text().toStdString(), "1,50 KB");
     }},
};

class WindowLoadSettingsTest : public MainFixture,
                               public ::testing::WithParamInterface<LoadCase> {};

TEST_P(WindowLoadSettingsTest, FeedsTheControls) {
    const LoadCase& scenario = GetParam();
    if (scenario.ini != nullptr) {
        WriteIni(scenario.ini);
    }
    ASSERT_TRUE(Start());
    scenario.check(*main, *adapter, *router);
    // Whatever was read, the next start is not the first one any more.
    EXPECT_EQ(ReadIni()["Options"]["New"], "0");
}

INSTANTIATE_TEST_SUITE_P(Schema, WindowLoadSettingsTest, ::testing::ValuesIn(LoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

class WindowSaveSettingsTest : public MainFixture {};

TEST_F(WindowSaveSettingsTest, WritesTheWholeSchemaBackAsLoaded) {
    const std::string stored = EverySettingSet;
    WriteIni(stored);
    ASSERT_TRUE(Start());
    // Nothing was polled, so the interface box is empty: the chosen interface is kept.
    controller->SaveSettings();
    EXPECT_EQ(ReadIni(), ParseIni(stored));
    EXPECT_EQ(controller->Settings().snmpMonIntf, "eth1");
}

TEST_F(WindowSaveSettingsTest, FactorySettingsAreWrittenInFull) {
    ASSERT_TRUE(Start());
    controller->SaveSettings();
    const IniMap expected{
        {"Graphs",
         {{"DoubleByteMeterMaxY", "0"}, {"RcvByteMeterMaxY", "0"}, {"SendByteMeterMaxY", "0"}}},
        {"Options",
         {{"New", "0"},
          {"AllInByte", "0"},
          {"ShowInTitleBar", "0"},
          {"ShowBigWindow", "0"},
          {"ShowMiniWindow", "0"},
          {"MiniBarWindowVisible", "0"},
          {"Monitor", "eth0"},
          {"MonLAN", "1"},
          {"SNMPIP", "192.168.0.1"},
          {"SNMPCommunity", "vindra"},
          {"SNMPRequest", "0"},
          {"SNMPMonIntf", ""},
          {"SNMPInterval", "5"},
          {"ExchangeSendAndReceiveRate", "0"},
          {"CorrectUpDownRate", "0"},
          {"CorrectUpValue", "1"},
          {"CorrectDownValue", "1"}}},
        {"Sums", {{"sumSend", "0"}, {"sumReceive", "0"}}},
    };
    EXPECT_EQ(ReadIni(), expected);
}

TEST_F(WindowSaveSettingsTest, AnOptionChangeWritesTheWholeFileSumsIncluded) {
    WriteIni(SettledIni);
    ASSERT_TRUE(Start());
    adapter->Tick({3000, 1000, 3000, 1000});
    main->AllInByteChkBox->setChecked(true);
    IniMap saved = ReadIni();
    EXPECT_EQ(saved["Options"]["AllInByte"], "1");
    EXPECT_EQ(saved["Sums"]["sumSend"], "1000");
    EXPECT_EQ(saved["Sums"]["sumReceive"], "3000");
}

TEST_F(WindowSaveSettingsTest, SumsReachTheFileBetweenSavesWhileTheyChange) {
    WriteIni(SettledIni);
    ASSERT_TRUE(Start());
    adapter->Tick({4000, 100, 4000, 100});
    EXPECT_EQ(ReadIni()["Sums"].count("sumReceive"), 0U);
    // The window's clock has the controller write them at least once a minute.
    auto* timer = main->findChild<QTimer*>(QStringLiteral("SumsTimer"));
    ASSERT_NE(timer, nullptr);
    EXPECT_TRUE(timer->isActive());
    EXPECT_LE(timer->interval(), 60000);
    timer->start(1);
    QElapsedTimer waited;
    waited.start();
    while (ReadIni()["Sums"].count("sumReceive") == 0 && waited.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(ReadIni()["Sums"]["sumReceive"], "4000");
    EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "100");
}

TEST_F(WindowSaveSettingsTest, InitialisationFailureEndsWithoutSaving) {
    WriteIni(SettledIni);
    adapterLoads = false;
    EXPECT_FALSE(Start());
    EXPECT_EQ(quits, 1);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().text.rfind("Fehler beim Initialisieren", 0), 0U);
    main.reset();
    EXPECT_EQ(ReadIniText(), SettledIni);
}

}  // namespace
}  // namespace korvalin::testing
