#include <functional>
#include <optional>
#include <ostream>
#include <set>

#include "ControllerFixture.h"
#include "core/SettingsFile.h"

namespace korvalin {

// Prints every member by its key, so a failing comparison says which value differs.
void PrintTo(const PersistentSettings& settings, std::ostream* out) {
    for (const SettingsKey& row : SettingsSchema()) {
        *out << "\n  " << row.key << "=";
        std::visit([&](auto member) { *out << settings.*member; }, row.member);
    }
}

namespace testing {
namespace {

class PersistentSettingsTest : public ControllerFixture {
protected:
    void SetUp() override {
        ControllerFixture::SetUp();
        // The controller's data folder makes the folder; the file class alone does not.
        std::filesystem::create_directories(shell.appDataFolder + "/Korvalin");
    }

    PersistentSettings Load(const std::vector<std::string>& adapterList = {"eth0", "wlan0"}) {
        SettingsFile ini(dialogs, shell);
        ini.SetIniLocation(loUser);
        ini.SetIniFileName(IniPath());
        return LoadSettings(ini, adapterList);
    }

    void Save(const PersistentSettings& settings) {
        SettingsFile ini(dialogs, shell);
        ini.SetIniLocation(loUser);
        ini.SetIniFileName(IniPath());
        SaveSettings(ini, settings);
    }
};

TEST_F(PersistentSettingsTest, SchemaNamesEveryKeyOnceInItsSectionWithinItsBounds) {
    std::set<std::string> keys;
    std::vector<std::string> sections;
    for (const SettingsKey& row : SettingsSchema()) {
        SCOPED_TRACE(row.key);
        EXPECT_TRUE(keys.insert(row.key).second);
        if (sections.empty() || sections.back() != row.section) {
            sections.push_back(row.section);
        }
        if (const auto* fallback = std::get_if<std::int32_t>(&row.defaultValue)) {
            EXPECT_LE(row.minimum, *fallback);
            EXPECT_GE(row.maximum, *fallback);
        }
    }
    // Each section's keys stand together, so each is selected once per load and save.
    EXPECT_EQ(sections, (std::vector<std::string>{"Graphs", "Options", "Sums"}));
    EXPECT_EQ(keys.size(), 22U);
}

struct LoadCase {
    const char* name;
    std::optional<std::string> ini;  // nothing: no settings file at all
    std::vector<std::string> adapters;
    // Applied to the factory settings: what the load must give.
    std::function<void(PersistentSettings&)> expect;
};

void PrintTo(const LoadCase& loadCase, std::ostream* out) {
    *out << loadCase.name;
}

const std::vector<std::string> TwoAdapters{"eth0", "wlan0"};

const LoadCase LoadCases[] = {
    {"NoFileGivesFactorySettingsAndTheFirstRealAdapter", std::nullopt, TwoAdapters,
     [](PersistentSettings& s) { s.monitor = "eth0"; }},
    {"NoFileAndNoAdaptersMonitorsNothing", std::nullopt, {}, [](PersistentSettings&) {}},
    {"NewStoredAsYesCountsAsMissing", "[Options]\nNew=yes\n", TwoAdapters,
     [](PersistentSettings& s) { s.monitor = "eth0"; }},
    {"NewStoredAsZeroIsNoFirstStart", "[Options]\nNew=0\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.firstStart = false;
         s.monitor = "eth0";
     }},
    {"StoredAdapterIsKeptEvenWhenUnknown", "[Options]\nNew=0\nMonitor=tun7\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.firstStart = false;
         s.monitor = "tun7";
     }},
    {"EmptyStoredAdapterIsAChoiceToo", "[Options]\nMonitor=\n", TwoAdapters,
     [](PersistentSettings&) {}},
    {"EveryValueAsStored",
     "[Graphs]\nDoubleByteMeterMaxY=1\nRcvByteMeterMaxY=2\nSendByteMeterMaxY=3\n"
     "[Options]\nNew=0\nAllInByte=1\nShowInTitleBar=1\nShowBigWindow=1\nShowMiniWindow=1\n"
     "MiniBarWindowVisible=1\nMonitor=wlan0\nMonLAN=0\nSNMPIP=10.1.2.3\nSNMPCommunity=c1\n"
     "SNMPRequest=1\nSNMPMonIntf=eth1\nSNMPInterval=7\nExchangeSendAndReceiveRate=1\n"
     "CorrectUpDownRate=1\nCorrectUpValue=12\nCorrectDownValue=1024\n"
     "[Sums]\nsumSend=1000\nsumReceive=2000\n",
     TwoAdapters,
     [](PersistentSettings& s) {
         s = {false,      1,    2,    3,      true, true, true, true, true, "wlan0", false,
              "10.1.2.3", "c1", true, "eth1", 7,    true, true, 12,   1024, 1000,    2000};
     }},
    {"SpinValuesAreBroughtIntoTheirBounds",
     "[Options]\nSNMPInterval=0\nCorrectUpValue=5000\nCorrectDownValue=-3\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.snmpInterval = 1;
         s.correctUpValue = 1024;
         s.correctDownValue = 1;
     }},
    {"IntervalAboveItsBound", "[Options]\nSNMPInterval=70000\nCorrectUpValue=0\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.snmpInterval = 60000;
         s.correctUpValue = 1;
     }},
    {"NonNumericIntegersTakeTheirDefault",
     "[Graphs]\nSendByteMeterMaxY=x\n[Options]\nSNMPInterval=abc\nCorrectUpValue=12a\n"
     "[Sums]\nsumSend=abc\nsumReceive=77\n",
     TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.sumReceive = 77;
     }},
    {"BooleansAreTrueOnlyForOneAndUnreadableOnesTakeTheirDefault",
     "[Options]\nAllInByte=2\nShowInTitleBar=1\nExchangeSendAndReceiveRate=abc\n"
     "CorrectUpDownRate=1\nMonLAN=abc\nSNMPRequest=01\n",
     TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.showInTitleBar = true;
         s.correctUpDownRate = true;
     }},
    {"StoredFalseSourceIsTheRouter", "[Options]\nMonLAN=0\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.monLAN = false;
     }},
    {"NegativeValuesAreReadWithTheirSign",
     "[Graphs]\nDoubleByteMeterMaxY=-20\nRcvByteMeterMaxY=5000\n[Sums]\nsumSend=-1\n", TwoAdapters,
     [](PersistentSettings& s) {
         s.monitor = "eth0";
         s.doubleByteMeterMaxY = -20;
         s.rcvByteMeterMaxY = 5000;
         s.sumSend = -1;
     }},
};

class LoadSettingsTest : public PersistentSettingsTest,
                         public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadSettingsTest, ReadsEveryKeyWithItsDefaultAndBounds) {
    const LoadCase& scenario = GetParam();
    if (scenario.ini) {
        WriteIni(*scenario.ini);
    }
    PersistentSettings expected;
    scenario.expect(expected);
    EXPECT_EQ(Load(scenario.adapters), expected);
    // Whatever was read, the next start is not the first one any more.
    EXPECT_EQ(ReadIni()["Options"]["New"], "0");
    EXPECT_FALSE(Load(scenario.adapters).firstStart);
}

INSTANTIATE_TEST_SUITE_P(Schema, LoadSettingsTest, ::testing::ValuesIn(LoadCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PersistentSettingsTest, SavingWhatWasLoadedLeavesTheFileAsItWas) {
    const std::string stored = EverySettingSet;
    WriteIni(stored);
    Save(Load());
    EXPECT_EQ(ReadIniText(), stored);
}

TEST_F(PersistentSettingsTest, FactorySettingsAreWrittenInFullInTheSchemaOrder) {
    PersistentSettings settings = Load();
    settings.monitor = "Alle Netzwerkadapter";
    Save(settings);
    EXPECT_EQ(ReadIniText(),
              "[Options]\nNew=0\nAllInByte=0\nShowInTitleBar=0\nShowBigWindow=0\n"
              "ShowMiniWindow=0\nMiniBarWindowVisible=0\nMonitor=Alle Netzwerkadapter\n"
              "MonLAN=1\nSNMPIP=192.168.0.1\nSNMPCommunity=vindra\nSNMPRequest=0\n"
              "SNMPMonIntf=\nSNMPInterval=5\nExchangeSendAndReceiveRate=0\n"
              "CorrectUpDownRate=0\nCorrectUpValue=1\nCorrectDownValue=1\n\n"
              "[Graphs]\nDoubleByteMeterMaxY=0\nRcvByteMeterMaxY=0\nSendByteMeterMaxY=0\n\n"
              "[Sums]\nsumSend=0\nsumReceive=0\n");
}

TEST_F(PersistentSettingsTest, SavingNeverWritesNew) {
    PersistentSettings settings;
    ASSERT_TRUE(settings.firstStart);
    Save(settings);
    EXPECT_EQ(ReadIni()["Options"].count("New"), 0U);
    WriteIni("[Options]\nNew=0\n");
    Save(settings);
    EXPECT_EQ(ReadIni()["Options"]["New"], "0");
}

TEST_F(PersistentSettingsTest, GraphValuesAreStoredAsTheirLowThirtyTwoBits) {
    PersistentSettings settings;
    settings.doubleByteMeterMaxY = 0x100000005;
    settings.rcvByteMeterMaxY = -20;
    settings.sendByteMeterMaxY = 0x80000000;
    Save(settings);
    IniMap saved = ReadIni();
    EXPECT_EQ(saved["Graphs"]["DoubleByteMeterMaxY"], "5");
    EXPECT_EQ(saved["Graphs"]["RcvByteMeterMaxY"], "-20");
    EXPECT_EQ(saved["Graphs"]["SendByteMeterMaxY"], "-2147483648");
}

TEST_F(PersistentSettingsTest, OneSectionAloneLeavesTheOthers) {
    WriteIni("[Options]\nNew=0\nAllInByte=1\n[Sums]\nsumSend=1\n");
    PersistentSettings settings;
    settings.sumSend = 300;
    settings.sumReceive = 400;
    SettingsFile ini(dialogs, shell);
    ini.SetIniLocation(loUser);
    ini.SetIniFileName(IniPath());
    SaveSettingsSection(ini, settings, "Sums");
    EXPECT_EQ(ReadIniText(),
              "[Options]\nNew=0\nAllInByte=1\n[Sums]\nsumSend=300\nsumReceive=400\n");
}

// The controller's save: the interface box's text replaces the remembered interface only
// when the box shows one.
TEST_F(PersistentSettingsTest, AnEmptyInterfaceBoxKeepsTheRememberedInterface) {
    WriteIni("[Options]\nNew=0\nSNMPMonIntf=eth1\n");
    ASSERT_TRUE(Start());
    controller->SetShownInterface("");
    controller->SaveSettings();
    EXPECT_EQ(ReadIni()["Options"]["SNMPMonIntf"], "eth1");
    controller->SetShownInterface("ppp0");
    controller->SaveSettings();
    EXPECT_EQ(ReadIni()["Options"]["SNMPMonIntf"], "ppp0");
    EXPECT_EQ(controller->Settings().snmpMonIntf, "ppp0");
}

}  // namespace
}  // namespace testing
}  // namespace korvalin
