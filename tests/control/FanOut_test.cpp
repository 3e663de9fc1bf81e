#include "ControllerFixture.h"

namespace korvalin::testing {
namespace {

class FanOutTest : public ControllerFixture {};

TEST_F(FanOutTest, AdapterSampleReachesEverySinkAndTheSums) {
    StartSettled("ShowInTitleBar=1\n");
    adapter->Tick({1536, 512, 123456789, 5000000});
    ASSERT_EQ(figures.traffic.size(), 1U);
    EXPECT_EQ(figures.traffic[0], (TrafficFigures{1536, 512, 123456789, 5000000, false}));
    ASSERT_EQ(status.samples.size(), 1U);
    EXPECT_EQ(status.samples[0], (std::vector<std::int64_t>{1536, 512, 123456789, 5000000}));
    EXPECT_EQ(controller->CaptionText().TextToAdd(), "E: 1 KB; G: 0 KB; GE: 117 MB; GG: 4 MB");
    EXPECT_EQ(figures.sums.back(), (SumFigures{512, 1536, 2048, false}));
}

TEST_F(FanOutTest, RouterSampleShowsRatesButSumsBytes) {
    StartSettled("MonLAN=0\nSNMPInterval=5\n");
    ASSERT_TRUE(router->active);
    router->Tick({50000, 450, 50000, 450});
    ASSERT_EQ(figures.traffic.size(), 1U);
    EXPECT_EQ(figures.traffic[0], (TrafficFigures{10000, 90, 50000, 450, false}));
    EXPECT_EQ(status.samples.back(), (std::vector<std::int64_t>{10000, 90, 50000, 450}));
    EXPECT_EQ(controller->Settings().sumReceive, 50000);
    EXPECT_EQ(controller->Settings().sumSend, 450);
}

TEST_F(FanOutTest, TotalsBeyondThirtyTwoBitsStayWhole) {
    StartSettled("ShowInTitleBar=1\n");
    adapter->Tick({0, 0, 5000000000, 2147483648});
    EXPECT_EQ(figures.traffic.back().totalReceived, 5000000000);
    EXPECT_EQ(figures.traffic.back().totalSent, 2147483648);
    EXPECT_EQ(status.samples.back()[2], 5000000000);
    EXPECT_EQ(status.samples.back()[3], 2147483648);
    EXPECT_EQ(controller->CaptionText().TextToAdd(), "E: 0 Byte; G: 0 Byte; GE: 4 GB; GG: 2 GB");
}

TEST_F(FanOutTest, TheUnitChoiceTravelsWithTheFigures) {
    StartSettled("AllInByte=1\nShowInTitleBar=1\n");
    adapter->Tick({0, 0, 0, 1234567});
    EXPECT_TRUE(figures.traffic.back().allInByte);
    EXPECT_TRUE(figures.sums.back().allInByte);
    EXPECT_EQ(controller->CaptionText().TextToAdd(),
              "E: 0 Byte; G: 0 Byte; GE: 0 Byte; GG: 1234567 Byte");
    controller->SetAllInByte(false);
    adapter->Tick({0, 0, 0, 1234567});
    EXPECT_FALSE(figures.traffic.back().allInByte);
    EXPECT_EQ(ReadIni()["Options"]["AllInByte"], "0");
}

TEST_F(FanOutTest, CaptionTextOnlyWhileTheDisplayIsEnabled) {
    StartSettled("ShowInTitleBar=1\n");
    EXPECT_TRUE(controller->CaptionText().Enabled());
    adapter->Tick({2048, 0, 2048, 0});
    EXPECT_EQ(controller->CaptionText().TextToAdd(), "E: 2 KB; G: 0 Byte; GE: 2 KB; GG: 0 Byte");
    controller->SetShowInTitleBar(false);
    EXPECT_FALSE(controller->CaptionText().Enabled());
    adapter->Tick({4096, 0, 6144, 0});
    EXPECT_EQ(controller->CaptionText().TextToAdd(), "E: 2 KB; G: 0 Byte; GE: 2 KB; GG: 0 Byte");
    EXPECT_EQ(ReadIni()["Options"]["ShowInTitleBar"], "0");
}

TEST_F(FanOutTest, WithoutFigureDisplayTheOtherSinksStillGetTheSample) {
    StartSettled();
    controller->SetFigureDisplay(nullptr);
    adapter->Tick({10, 20, 10, 20});
    EXPECT_TRUE(figures.traffic.empty());
    EXPECT_EQ(status.samples.size(), 1U);
    EXPECT_EQ(controller->Settings().sumSend, 20);
}

}  // namespace
}  // namespace korvalin::testing
