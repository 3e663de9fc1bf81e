#include "display/ByteMeter.h"

#include <gtest/gtest.h>

#include <QFont>
#include <QFontMetrics>
#include <QImage>

namespace korvalin {
namespace {

const QColor Background(128, 128, 128);
const QColor Axis(0, 128, 0);
const QColor Graph(0, 0, 255);

// A graph as the large status window sets it up, with an axis colour that differs from
// the polygon's black outline so the frame and the plot can be told apart.
class ByteMeterImage : public ::testing::Test {
protected:
    void SetUp() override {
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(11);
        meter.setFont(font);
        meter.resize(267, 108);
        meter.SetBorderWidth(5);
        meter.SetCaption(QStringLiteral("Empfang %s/Sek.; aktuell %s"));
        meter.SetColor(Background);
        meter.SetAxisColor(Axis);
        meter.SetGraphColor(Graph);
        meter.SetValueRange(5);
        const QFontMetrics metrics(font);
        plotLeft = metrics.horizontalAdvance(QStringLiteral("9999")) + 10;
        plotTop = metrics.height() + 10;
        quarter = (108 - 5 - plotTop) / 4;
    }

    QColor At(const QImage& image, int x, int y) const { return image.pixelColor(x, y); }

    bool RowHasColour(const QImage& image, int y, int fromX, int toX, const QColor& colour) const {
        for (int x = fromX; x < toX; ++x) {
            if (image.pixelColor(x, y) == colour) {
                return true;
            }
        }
        return false;
    }

    bool AreaIsBackground(const QImage& image, const QRect& area) const {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                if (image.pixelColor(x, y) != Background) {
                    return false;
                }
            }
        }
        return true;
    }

    bool HasGraphColour(const QImage& image) const {
        for (int y = 0; y < image.height(); ++y) {
            if (RowHasColour(image, y, 0, image.width(), Graph)) {
                return true;
            }
        }
        return false;
    }

    ByteMeter meter;
    int plotLeft = 0;
    int plotTop = 0;
    int quarter = 0;
    static constexpr int FrameRight = 262;   // W - B, exclusive
    static constexpr int FrameBottom = 103;  // H - B, exclusive
    static constexpr int Baseline = 102;
};

TEST_F(ByteMeterImage, EmptyGraphShowsFrameGridAndScaleButNoValues) {
    const QImage& image = meter.Render();
    ASSERT_EQ(image.size(), QSize(267, 108));
    // Frame corners, right and bottom edges exclusive.
    EXPECT_EQ(At(image, plotLeft, plotTop), Axis);
    EXPECT_EQ(At(image, FrameRight - 1, plotTop), Axis);
    EXPECT_EQ(At(image, plotLeft, FrameBottom - 1), Axis);
    EXPECT_EQ(At(image, FrameRight - 1, FrameBottom - 1), Axis);
    EXPECT_EQ(At(image, FrameRight, FrameBottom), Background);
    EXPECT_EQ(At(image, FrameRight, plotTop), Background);
    EXPECT_EQ(At(image, plotLeft - 1, plotTop), Background);
    // Grid lines at the three inner quarters, none between them.
    for (int row = 1; row <= 3; ++row) {
        EXPECT_EQ(At(image, plotLeft + 10, plotTop + row * quarter), Axis) << row;
        EXPECT_EQ(At(image, plotLeft + 10, plotTop + row * quarter + 1), Background) << row;
    }
    EXPECT_FALSE(HasGraphColour(image));
    // The labels 12, 9, 6, 3 sit in the column left of the plot; there is none at the bottom.
    for (int row = 0; row < 4; ++row) {
        const int y = plotTop + row * quarter;
        bool inked = false;
        for (int dy = -3; dy <= 3 && !inked; ++dy) {
            inked = !AreaIsBackground(image, QRect(5, y + dy, plotLeft - 10, 1));
        }
        EXPECT_TRUE(inked) << "label row " << row;
    }
    EXPECT_TRUE(AreaIsBackground(image, QRect(0, plotTop + 3 * quarter + 8, plotLeft, 10)));
}

TEST_F(ByteMeterImage, GraphOfZerosIsAFlatLineOnTheBaseline) {
    for (int i = 0; i < 20; ++i) {
        meter.AddValue(0);
    }
    const QImage& image = meter.Render();
    const int newestX = FrameRight - 5;
    const int oldestX = FrameRight - 20 * 5;
    for (int x = oldestX; x <= newestX; x += 7) {
        EXPECT_EQ(At(image, x, Baseline), Qt::black) << x;
        EXPECT_NE(At(image, x, Baseline - 1), Qt::black) << x;
    }
    // The baseline is the frame's bottom edge; left of the oldest value the frame shows.
    EXPECT_EQ(At(image, oldestX - 5, Baseline), Axis);
    EXPECT_FALSE(HasGraphColour(image));
}

TEST_F(ByteMeterImage, FixedScaleClipsLargeValuesOnePixelBelowTheTop) {
    meter.SetUserMaxY(2000);
    for (int i = 0; i < 20; ++i) {
        meter.AddValue(1000000);
    }
    const QImage& image = meter.Render();
    const int x = FrameRight - 50;
    EXPECT_EQ(At(image, x, plotTop), Axis);           // the frame's top edge stays
    EXPECT_EQ(At(image, x, plotTop + 1), Qt::black);  // the polygon's clipped top
    EXPECT_EQ(At(image, x, plotTop + 2), Graph);      // filled below it
    EXPECT_EQ(At(image, x, Baseline - 1), Graph);
    EXPECT_EQ(At(image, x, plotTop - 1), Background);
}

TEST_F(ByteMeterImage, LineGraphDrawsInTheGraphColourWithoutFill) {
    meter.SetFillGraph(false);
    meter.SetUserMaxY(2000);
    for (int i = 0; i < 20; ++i) {
        meter.AddValue(1000000);
    }
    const QImage& image = meter.Render();
    const int x = FrameRight - 50;
    EXPECT_EQ(At(image, x, plotTop + 1), Graph);
    EXPECT_EQ(At(image, x, plotTop + 10), Background);
}

TEST_F(ByteMeterImage, PaintTrimsTheHistoryToTheWidthForGood) {
    for (int i = 0; i < 60; ++i) {
        meter.AddValue(i);
    }
    meter.Render();
    const auto fitting5 = meter.History().size();
    EXPECT_LT(fitting5, 60u);
    EXPECT_EQ(meter.History().back(), 59u);
    meter.SetValueRange(12);
    meter.Render();
    EXPECT_LT(meter.History().size(), fitting5);
    meter.SetValueRange(5);
    meter.Render();
    EXPECT_LT(meter.History().size(), fitting5);  // widening brings nothing back
}

TEST(ByteMeterHistory, KeepsTheLow32BitsAndAtMostOneHundredThousandValues) {
    ByteMeter meter;
    meter.AddValue(0x100000005LL);
    meter.AddValue(-1);
    EXPECT_EQ(meter.History().front(), 5u);
    EXPECT_EQ(meter.History().back(), 4294967295u);
    EXPECT_EQ(meter.GetMaxY(), 4294967295);
    for (int i = 0; i < 100000; ++i) {
        meter.AddValue(i);
    }
    ASSERT_EQ(meter.History().size(), 100000u);
    EXPECT_EQ(meter.History().front(), 0u);
    EXPECT_EQ(meter.History().back(), 99999u);
}

TEST(ByteMeterHistory, NewControlHasTheDefaults) {
    ByteMeter meter;
    EXPECT_EQ(meter.AxisColor(), QColor(Qt::black));
    EXPECT_EQ(meter.GraphColor(), QColor(0, 0, 255));
    EXPECT_EQ(meter.ValueRange(), 10);
    EXPECT_EQ(meter.UserMaxY(), 0);
    EXPECT_FALSE(meter.Bits);
    EXPECT_TRUE(meter.FillGraph());
    EXPECT_EQ(meter.Color(), QColor(Qt::white));
    EXPECT_EQ(meter.BorderWidth(), 2);
    EXPECT_EQ(meter.GetMaxY(), 12);
}

}  // namespace
}  // namespace korvalin
