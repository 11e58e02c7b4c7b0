// The histogram window: plot geometry on both scales, counting on first sight, and what
// is drawn without a picture or without channels.

#include "browser/CHistogramWnd.h"
#include "browser/HistogramPlot.h"
#include "image/KxImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QImage>
#include <QTest>

#include <cmath>

namespace korvel::browser {
namespace {

constexpr int kTop = 0;
constexpr int kBottom = 187;
constexpr int kBaseline = kBottom - 10;
constexpr int kHeight = kBottom - kTop - 50;

TEST(HistogramPlotTest, GridAndFrameWithoutCounts) {
    const HistogramPlotLines lines = histogramPlot(kTop, kBottom, nullptr, 0, {});
    // Seven verticals from 41 in steps of 32, then horizontals every (b - 40) / 10.
    ASSERT_GE(lines.grid.size(), 7u);
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(lines.grid[i], QLine(41 + 32 * i, 40, 41 + 32 * i, kBottom - 6));
    }
    const int step = (kBottom - 40) / 10;
    EXPECT_EQ(lines.grid[7], QLine(8, kBottom - 9, 268, kBottom - 9));
    EXPECT_EQ(lines.grid[8], QLine(8, kBottom - 9 - step, 268, kBottom - 9 - step));
    EXPECT_EQ(lines.grid.size(), 7u + static_cast<size_t>((kBottom - 40 + step - 1) / step));
    EXPECT_EQ(lines.frame, QPolygon({QPoint(9, 38), QPoint(9, kBottom - 9),
                                     QPoint(266, kBottom - 9), QPoint(266, 38)}));
    for (const QPolygon& curve : lines.curves) {
        EXPECT_TRUE(curve.isEmpty());
    }
    // A short window still ends its grid.
    EXPECT_FALSE(histogramPlot(0, 45, nullptr, 0, {}).grid.empty());
}

TEST(HistogramPlotTest, LogarithmicScaleFromBaselineToTheTop) {
    HistogramCounts counts{};
    counts[kRed][0] = 0;
    counts[kRed][100] = 99;
    counts[kRed][200] = 5000;
    counts[kGrey][7] = 5000;
    const HistogramPlotLines lines = histogramPlot(kTop, kBottom, &counts, 5000, {});
    const QPolygon& red = lines.curves[kRed];
    ASSERT_EQ(red.size(), 256);
    EXPECT_EQ(red[0], QPoint(10, kBaseline));
    EXPECT_EQ(red[200], QPoint(210, kBaseline - kHeight));
    const float k = kHeight / std::log10(5001.0f);
    EXPECT_EQ(red[100].y(), static_cast<int>(kBaseline - 2.0f * k));
    EXPECT_EQ(lines.curves[kGrey][7].y(), kBaseline - kHeight);
}

TEST(HistogramPlotTest, LinearScaleAndHiddenChannels) {
    HistogramCounts counts{};
    counts[kGreen][50] = 400;
    counts[kGreen][51] = 100;
    HistogramOptions options;
    options.logarithmic = false;
    options.show = {false, true, false, false};
    const HistogramPlotLines lines = histogramPlot(kTop, kBottom, &counts, 400, options);
    EXPECT_TRUE(lines.curves[kRed].isEmpty());
    EXPECT_TRUE(lines.curves[kBlue].isEmpty());
    EXPECT_TRUE(lines.curves[kGrey].isEmpty());
    EXPECT_EQ(lines.curves[kGreen][50].y(), kBaseline - kHeight);
    EXPECT_EQ(lines.curves[kGreen][51].y(), static_cast<int>(kBaseline - kHeight / 4.0f));
    EXPECT_EQ(lines.curves[kGreen][0].y(), kBaseline);
}

// Counts the pixels of the curve colours in the plot area of a rendering of the window.
int curvePixels(QWidget& window) {
    const QImage image = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int pixels = 0;
    for (int y = 38; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const unsigned rgb = image.pixel(x, y) & 0xFFFFFF;
            for (unsigned colour : kHistogramColours) {
                pixels += rgb == colour;
            }
        }
    }
    return pixels;
}

class HistogramWndTest : public ::testing::Test {
protected:
    void SetUp() override {
        picture.Create(64, 32, 24);
        for (uint32_t y = 0; y < 32; ++y) {
            uint8_t* row = picture.GetBits(y);
            for (uint32_t x = 0; x < 64; ++x) {
                row[3 * x] = static_cast<uint8_t>(x * 4);
                row[3 * x + 1] = static_cast<uint8_t>(y * 8);
                row[3 * x + 2] = static_cast<uint8_t>(255 - x);
            }
        }
        window.setSourceProvider([this] {
            return active ? HistogramSource{&picture, &counts, &maximum} : HistogramSource{};
        });
    }

    KxImage picture;
    HistogramCounts counts{};
    int maximum = 0;
    bool active = true;
    CHistogramWnd window;
};

TEST_F(HistogramWndTest, StartsWithEveryChannelOnALogScale) {
    EXPECT_EQ(window.size(), QSize(CHistogramWnd::kClientWidth, CHistogramWnd::kClientHeight));
    const char* texts[] = {"R", "G", "B", "gray"};
    const QRect rects[] = {QRect(10, 8, 49, 27), QRect(60, 8, 49, 27), QRect(110, 8, 49, 27),
                           QRect(160, 8, 49, 27)};
    for (int channel = 0; channel < kChannelCount; ++channel) {
        QAbstractButton* button = window.channelButton(channel);
        EXPECT_EQ(button->text(), texts[channel]);
        EXPECT_TRUE(button->isChecked());
        EXPECT_EQ(button->geometry(), rects[channel]);
        EXPECT_TRUE(window.options().show[channel]);
    }
    EXPECT_TRUE(window.logCheckBox()->isChecked());
    EXPECT_EQ(window.logCheckBox()->text(), "log");
    EXPECT_TRUE(window.options().logarithmic);
}

TEST_F(HistogramWndTest, FirstPaintCountsAndTheNextDrawsTheCurves) {
    window.show();
    EXPECT_EQ(curvePixels(window), 0);
    EXPECT_GT(maximum, 0);
    int expected[256] = {};
    picture.Histogram(nullptr, nullptr, expected, nullptr, 0);
    EXPECT_EQ(counts[kBlue][0], expected[0]);
    EXPECT_GT(curvePixels(window), 0);
}

TEST_F(HistogramWndTest, ReleasedButtonsAndTheCameraWindowLeaveGridAndFrame) {
    window.show();
    window.grab();
    ASSERT_GT(curvePixels(window), 0);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        QTest::mouseClick(window.channelButton(channel), Qt::LeftButton);
        EXPECT_FALSE(window.options().show[channel]);
    }
    EXPECT_EQ(curvePixels(window), 0);

    QTest::mouseClick(window.channelButton(kGrey), Qt::LeftButton);
    QTest::mouseClick(window.logCheckBox(), Qt::LeftButton);
    EXPECT_FALSE(window.options().logarithmic);
    EXPECT_GT(curvePixels(window), 0);

    active = false;  // the camera window is the active one
    EXPECT_EQ(curvePixels(window), 0);
}

TEST_F(HistogramWndTest, PictureWithNothingCountedKeepsOnlyGridAndFrame) {
    picture.SelectionCreate();  // an empty selection: no pixel counts
    window.show();
    EXPECT_EQ(curvePixels(window), 0);
    EXPECT_EQ(maximum, 0);
    EXPECT_EQ(curvePixels(window), 0);
}

}  // namespace
}  // namespace korvel::browser
