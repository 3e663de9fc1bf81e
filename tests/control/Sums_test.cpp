#include <ostream>

#include "ControllerFixture.h"

namespace korvalin::testing {
namespace {

class SumsTest : public ControllerFixture {};

struct SumsCase {
    const char* name;
    std::int32_t sumSend;
    std::int32_t sumReceive;
    std::int64_t received;
    std::int64_t sent;
    std::int32_t expectSend;
    std::int32_t expectReceive;
};

const SumsCase SumsCases[] = {
    {"BelowTheBoundBothGrow", 1000, 2000, 300, 400, 1400, 2300},
    {"CombinedTotalPastTheBoundResetsBoth", 2000000000, 147483000, 1000, 0, 0, 0},
    {"CombinedTotalExactlyAtTheBoundStays", 2000000000, 147483000, 647, 0, 2000000000, 147483647},
    {"SentSumWrappingBelowZeroRestartsAlone", 2147483000, 5, 0, 1000, 0, 5},
    {"ReceivedSumWrappingBelowZeroRestartsAlone", 3, 2147483000, 1000, 0, 3, 0},
    {"FullThirtyTwoBitIntervalWrapsToTheSameSum", 10, 10, 4294967295, 0, 10, 9},
};

void PrintTo(const SumsCase& sumsCase, std::ostream* out) {
    *out << sumsCase.name;
}

class SumsBoundTest : public SumsTest, public ::testing::WithParamInterface<SumsCase> {};

TEST_P(SumsBoundTest, EverySampleKeepsTheSumsWithinTwoGigabytes) {
    const SumsCase& scenario = GetParam();
    const std::string sums = "sumSend=" + std::to_string(scenario.sumSend) +
                             "\nsumReceive=" + std::to_string(scenario.sumReceive) + "\n";
    for (const bool routerSource : {false, true}) {
        SCOPED_TRACE(routerSource ? "router" : "adapter");
        StartSettled(routerSource ? "MonLAN=0\nSNMPInterval=1\n" : "", sums);
        const TrafficSample sample{scenario.received, scenario.sent, scenario.received,
                                   scenario.sent};
        if (routerSource) {
            router->Tick(sample);
        } else {
            adapter->Tick(sample);
        }
        EXPECT_EQ(controller->Settings().sumSend, scenario.expectSend);
        EXPECT_EQ(controller->Settings().sumReceive, scenario.expectReceive);
        ASSERT_FALSE(figures.sums.empty());
        EXPECT_EQ(figures.sums.back().sent, scenario.expectSend);
        EXPECT_EQ(figures.sums.back().received, scenario.expectReceive);
        controller.reset();
        figures.sums.clear();
    }
}

INSTANTIATE_TEST_SUITE_P(Sums, SumsBoundTest, ::testing::ValuesIn(SumsCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SumsTest, TotalIsTheThirtyTwoBitSumOfBoth) {
    StartSettled("AllInByte=1\n", "sumSend=512\nsumReceive=1536\n");
    ASSERT_FALSE(figures.sums.empty());
    EXPECT_EQ(figures.sums.back(), (SumFigures{512, 1536, 2048, true}));
}

TEST_F(SumsTest, NegativeStoredSumShowsAndSavesAsZero) {
    StartSettled("", "sumSend=-1\nsumReceive=5\n");
    ASSERT_FALSE(figures.sums.empty());
    EXPECT_EQ(figures.sums.back().sent, 0);
    EXPECT_EQ(figures.sums.back().received, 5);
    controller.reset();
    EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "0");
    EXPECT_EQ(ReadIni()["Sums"]["sumReceive"], "5");
}

struct ResetCase {
    const char* name;
    int answer;
    bool reset;
    std::int32_t expectSend;
    std::int32_t expectReceive;
};

void PrintTo(const ResetCase& resetCase, std::ostream* out) {
    *out << resetCase.name;
}

class ResetTest : public SumsTest, public ::testing::WithParamInterface<ResetCase> {};

TEST_P(ResetTest, AsksBeforeResettingTheSums) {
    StartSettled("", "sumSend=700\nsumReceive=900\n");
    figures.sums.clear();
    dialogs.answers.push_back(GetParam().answer);
    EXPECT_EQ(controller->ResetSums(), GetParam().reset);
    ASSERT_EQ(dialogs.messages.size(), 1U);
    EXPECT_EQ(LastMessage().text,
              "Sind Sie sicher, dass Sie die Summen auf 0 Byte setzen möchten?");
    EXPECT_EQ(LastMessage().caption, "Bestätigung");
    EXPECT_EQ(LastMessage().style,
              Dialogs::SetForeground | Dialogs::IconQuestion | Dialogs::StyleYesNo);
    EXPECT_EQ(controller->Settings().sumSend, GetParam().expectSend);
    EXPECT_EQ(controller->Settings().sumReceive, GetParam().expectReceive);
    // A reset shows the sums at once; declining shows nothing new.
    EXPECT_EQ(figures.sums.size(), GetParam().reset ? 1U : 0U);
    // The sums reach the file at the next save, not at the reset.
    EXPECT_EQ(ReadIni()["Sums"]["sumSend"], "700");
}

INSTANTIATE_TEST_SUITE_P(Confirmation, ResetTest,
                         ::testing::Values(ResetCase{"Yes", IdYes, true, 0, 0},
                                           ResetCase{"No", IdNo, false, 700, 900}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SumsTest, PeriodicSaveWritesTheSumsAloneAndOnlyWhenChanged) {
    StartSettled("AllInByte=1\n");
    adapter->Tick({4000, 100, 4000, 100});
    EXPECT_EQ(ReadIni()["Sums"].count("sumReceive"), 0U);
    // An option changed behind the controller's back is not part of the sums' save.
    controller->Settings().allInByte = false;
    controller->SaveSums();
    IniMap saved = ReadIni();
    EXPECT_EQ(saved["Sums"]["sumReceive"], "4000");
    EXPECT_EQ(saved["Sums"]["sumSend"], "100");
    EXPECT_EQ(saved["Options"]["AllInByte"], "1");

    // Unchanged sums are not written again.
    WriteIni("[Options]\nNew=0\n");
    controller->SaveSums();
    EXPECT_EQ(ReadIniText(), "[Options]\nNew=0\n");
    adapter->Tick({1, 0, 4001, 100});
    controller->SaveSums();
    EXPECT_EQ(ReadIni()["Sums"]["sumReceive"], "4001");
}

TEST_F(SumsTest, AFullSaveCountsAsSavedSums) {
    StartSettled();
    adapter->Tick({10, 0, 10, 0});
    controller->SaveSettings();
    WriteIni("[Options]\nNew=0\n");
    controller->SaveSums();
    EXPECT_EQ(ReadIniText(), "[Options]\nNew=0\n");
}

TEST_F(SumsTest, NothingIsSavedWhileLoading) {
    StartSettled();
    controller->SetLoading(true);
    adapter->Tick({0, 1234, 0, 1234});
    controller->SaveSettings();
    controller->SaveSums();
    EXPECT_EQ(ReadIni()["Sums"].count("sumSend"), 0U);
    controller->SetLoading(false);
}

}  // namespace
}  // namespace korvalin::testing
