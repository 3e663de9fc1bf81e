#include "display/ByteMeterGeometry.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <deque>
#include <string>

namespace korvalin::bytemeter {
namespace {

struct ScaleCase {
    std::int64_t maxY;
    std::int64_t userMaxY;  // 0: the maximum comes from the history
    const char* unit;
    std::int64_t step;
    std::array<std::int64_t, 4> labels;
    std::int64_t fullHeightBytes;
};

// The worked scale examples, plus the unit boundaries on either side.
const ScaleCase ScaleCases[] = {
    {12, 0, "Byte", 3, {12, 9, 6, 3}, 12},
    {1000, 0, "Byte", 250, {1000, 750, 500, 250}, 1000},
    {1024, 0, "KByte", 1, {4, 3, 2, 1}, 4096},
    {2000, 2000, "KByte", 1, {4, 3, 2, 1}, 4096},
    {5000, 0, "KByte", 2, {8, 6, 4, 2}, 8192},
    {100000, 100000, "KByte", 25, {100, 75, 50, 25}, 102400},
    {3000000, 0, "MByte", 1, {4, 3, 2, 1}, 4194304},
    {1023, 0, "Byte", 256, {1024, 768, 512, 256}, 1024},
    {1048575, 0, "KByte", 256, {1024, 768, 512, 256}, 1048576},
    {1048576, 0, "MByte", 1, {4, 3, 2, 1}, 4194304},
    {4294967295, 0, "MByte", 1024, {4096, 3072, 2048, 1024}, 4294967296},
};

constexpr TextMetrics Metrics{30, 24, 13, 13};

Input MeterOf(std::int64_t userMaxY = 0) {
    Input input;
    input.width = 267;
    input.height = 108;
    input.border = 5;
    input.valueRange = 5;
    input.userMaxY = userMaxY;
    return input;
}

TEST(ByteMeterScale, FollowsTheWorkedExamples) {
    for (const auto& c : ScaleCases) {
        SCOPED_TRACE(c.maxY);
        std::deque<std::uint32_t> history;
        if (c.userMaxY == 0 && c.maxY != 12) {
            history = {0, static_cast<std::uint32_t>(c.maxY), 7};
        } else if (c.userMaxY != 0) {
            history = {static_cast<std::uint32_t>(c.maxY * 3)};
        }
        EXPECT_EQ(MaxY(history, c.userMaxY), c.maxY);
        const auto layout = Compute(MeterOf(c.userMaxY), Metrics, history);
        EXPECT_EQ(layout.unit.name, c.unit);
        EXPECT_EQ(layout.step, c.step);
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(layout.labels[row].value, c.labels[row]) << "row " << row;
        }
        EXPECT_EQ(static_cast<double>(layout.scaleTop) * layout.unit.divisor,
                  static_cast<double>(c.fullHeightBytes));
    }
}

TEST(ByteMeterScale, UnitNamesForBitRatesKeepTheByteScale) {
    EXPECT_EQ(ChooseUnit(1023, true).name, "Bit/s");
    EXPECT_EQ(ChooseUnit(1024, true).name, "KBit/s");
    EXPECT_EQ(ChooseUnit(1048576, true).name, "MBit/s");
    EXPECT_EQ(ChooseUnit(1048576, true).divisor, 1048576.0);
    Input bits = MeterOf();
    bits.bits = true;
    const std::deque<std::uint32_t> history{5000};
    EXPECT_EQ(Compute(bits, Metrics, history).step, Compute(MeterOf(), Metrics, history).step);
}

TEST(ByteMeterScale, MaximumOfTheHistory) {
    EXPECT_EQ(MaxY({}, 0), 12);
    EXPECT_EQ(MaxY({0, 0, 0}, 0), 12);
    EXPECT_EQ(MaxY({3, 4294967295u, 9}, 0), 4294967295);
    // A fixed maximum wins over larger values; a negative one selects the variable scale.
    EXPECT_EQ(MaxY({500000}, 2000), 2000);
    EXPECT_EQ(MaxY({500000}, -5), 500000);
    EXPECT_EQ(MaxY({}, -5), 12);
}

TEST(ByteMeterScale, StepRoundsUpToAWholeUnitAndIsAtLeastOne) {
    EXPECT_EQ(ScaleStep(0.0), 1);
    EXPECT_EQ(ScaleStep(0.5), 1);
    EXPECT_EQ(ScaleStep(4.0), 1);
    EXPECT_EQ(ScaleStep(4.01), 2);
    EXPECT_EQ(ScaleStep(1000.0), 250);
}

TEST(ByteMeterLayout, RowsFrameAndGridLines) {
    const auto layout = Compute(MeterOf(), Metrics, {});
    EXPECT_EQ(layout.plotLeft, 34);  // TextWidth("9999") + 2 * B
    EXPECT_EQ(layout.plotTop, 23);   // TextHeight(line) + 2 * B
    EXPECT_EQ(layout.plotHeight, 80);
    EXPECT_EQ(layout.frameRight, 262);
    EXPECT_EQ(layout.frameBottom, 103);
    EXPECT_EQ(layout.quarter, 20);
    EXPECT_EQ(layout.halfDigit, 6);
    EXPECT_EQ(layout.baseline, 102);
    const std::array<TickLabel, 4> labels{{{23, 12}, {43, 9}, {63, 6}, {83, 3}}};
    EXPECT_EQ(layout.labels, labels);
    const std::array<int, 3> grid{43, 63, 83};
    EXPECT_EQ(layout.gridLines, grid);
    EXPECT_TRUE(layout.points.empty());
}

TEST(ByteMeterLayout, PointsRunFromBottomRightThroughNewestToOldestAndBack) {
    const auto layout = Compute(MeterOf(), Metrics, {0, 500, 1000});
    const std::vector<Point> expected{
        {261, 102},  // bottom right
        {257, 24},   // 1000 of 1000 reaches the top: clipped one pixel inside the frame
        {252, 62},   // 500 of 1000: half of 80 pixels
        {247, 102},  // 0 lies on the baseline
        {247, 102},  // back to the baseline under the oldest
    };
    EXPECT_EQ(layout.points, expected);
}

TEST(ByteMeterLayout, ValuesAboveAFixedScaleAreClippedBelowTheTopEdge) {
    const auto layout = Compute(MeterOf(2000), Metrics, {4294967295u, 4096, 2048});
    // 2000 bytes rounds up to 4 KByte; 4096 bytes reach the top and 2048 half of it.
    EXPECT_EQ(layout.points[1], (Point{257, 62}));
    EXPECT_EQ(layout.points[2], (Point{252, 24}));
    EXPECT_EQ(layout.points[3], (Point{247, 24}));
}

TEST(ByteMeterLayout, PointsPastTheLeftEdgeCollectJustInsideIt) {
    Input input = MeterOf();
    input.valueRange = 100;
    const auto layout = Compute(input, Metrics, {1, 2, 3, 4});
    ASSERT_EQ(layout.points.size(), 6u);
    EXPECT_EQ(layout.points[1].x, 162);
    EXPECT_EQ(layout.points[2].x, 62);
    EXPECT_EQ(layout.points[3].x, 35);
    EXPECT_EQ(layout.points[4].x, 35);
    EXPECT_EQ(layout.points[5], (Point{35, 102}));
}

TEST(ByteMeterLayout, ColumnTopsFollowTheLineBetweenThePoints) {
    // Bottom right, three values newest to oldest, back to the baseline.
    const std::vector<Point> points{{20, 100}, {16, 60}, {12, 80}, {8, 100}, {8, 100}};
    const auto tops = ColumnTops(points, 6, 21, 100);
    const std::vector<int> expected{100, 100, 100, 95, 90, 85, 80,  75,
                                    70,  65,  60,  70, 80, 90, 100, 100};
    EXPECT_EQ(tops, expected);
}

TEST(ByteMeterLayout, ColumnTopsTakeTheHighestOfPointsInOneColumn) {
    // Points collected at the plot's left edge share one column.
    const std::vector<Point> points{{20, 100}, {10, 50}, {5, 90}, {5, 30}, {5, 70}, {5, 100}};
    const auto tops = ColumnTops(points, 5, 6, 100);
    EXPECT_EQ(tops, (std::vector<int>{30, 82}));
    EXPECT_TRUE(ColumnTops(points, 7, 6, 100).empty());
}

TEST(ByteMeterLayout, FitToWidthDropsTheOldestForGood) {
    // 30 + n * 5 + 10 <= 267 holds for n up to 45.
    std::deque<std::uint32_t> history;
    for (std::uint32_t i = 0; i < 60; ++i) {
        history.push_back(i);
    }
    FitToWidth(history, 267, 5, 5, 30);
    ASSERT_EQ(history.size(), 45u);
    EXPECT_EQ(history.front(), 15u);
    EXPECT_EQ(history.back(), 59u);
    FitToWidth(history, 267, 5, 12, 30);  // 30 + n * 12 + 10 <= 267: 18 values
    EXPECT_EQ(history.size(), 18u);
    FitToWidth(history, 30, 5, 12, 30);  // nothing fits
    EXPECT_TRUE(history.empty());
}

struct CaptionCase {
    std::uint32_t maxY;
    std::optional<std::uint32_t> newest;
    bool bits;
    const char* line;
};

TEST(ByteMeterCaption, LinesOfTheReceivedGraph) {
    const CaptionCase cases[] = {
        {5000, 5000, false, "Empfang KByte/Sek.; aktuell 4,9 KByte"},
        {12, std::nullopt, false, "Empfang Byte/Sek.; aktuell 0 Byte"},
        {12, 0, false, "Empfang Byte/Sek.; aktuell 0,0 Byte"},
        {1000, 1000, true, "Empfang Bit/s/Sek.; aktuell 8000,0 Bit/s"},
        {3000000, 1572864, false, "Empfang MByte/Sek.; aktuell 1,5 MByte"},
        {4294967295u, 4294967295u, false, "Empfang MByte/Sek.; aktuell 4096,0 MByte"},
    };
    for (const auto& c : cases) {
        const auto unit = ChooseUnit(c.maxY, c.bits);
        EXPECT_EQ(CaptionLine("Empfang %s/Sek.; aktuell %s", unit, c.newest, c.bits), c.line);
    }
}

TEST(ByteMeterCaption, TemplatesWithFewerPlaceholdersOrPercentSigns) {
    EXPECT_EQ(FormatCaption("", "a", "b"), "");
    EXPECT_EQ(FormatCaption("%s", "a", "b"), "a");
    EXPECT_EQ(FormatCaption("%s %s %s", "a", "b"), "a b %s");
    EXPECT_EQ(FormatCaption("100%% %s", "a", "b"), "100% a");
    EXPECT_EQ(FormatCaption("trailing %", "a", "b"), "trailing %");
}

TEST(ByteMeterCaption, DecimalsWithAComma) {
    EXPECT_EQ(FormatDecimal(0), "0,0");
    EXPECT_EQ(FormatDecimal(4.8828125), "4,9");
    EXPECT_EQ(FormatDecimal(123456789.04), "123456789,0");
}

}  // namespace
}  // namespace korvalin::bytemeter
