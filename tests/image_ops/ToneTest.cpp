#include <gtest/gtest.h>

#include <cmath>

#include "OpsTestSupport.h"
#include "image/ops/KxImageOps.h"

using namespace opstest;

namespace {

TEST(PixelTone, NegativeTwiceIsIdentityAtEveryDepth) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        KxImage original = Random24(17, 9, bpp);
        if (bpp < 24) {
            ASSERT_TRUE(kxops::DecreaseBpp(original, bpp, false));
        }
        KxImage img(original);
        ASSERT_TRUE(kxops::Negative(img));
        const RGBQUAD a = original.GetPixelColor(3, 4), b = img.GetPixelColor(3, 4);
        EXPECT_EQ(a.rgbRed + b.rgbRed, 255);
        ASSERT_TRUE(kxops::Negative(img));
        EXPECT_TRUE(SameColours(img, original)) << bpp;
    }
}

TEST(PixelTone, GrayScaleUsesTheHouseWeights) {
    KxImage img(4, 2, 24);
    img.SetPixelColor(1, 1, KxRGB(200, 100, 50));
    ASSERT_TRUE(kxops::GrayScale(img));
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_TRUE(img.IsGrayScale());
    EXPECT_EQ(img.GetPixelIndex(1, 1), (601 * 100 + 306 * 200 + 117 * 50) >> 10);
    EXPECT_EQ(img.GetProgress(), 100);
}

TEST(PixelTone, GreyAndChannelRowsAreExactAcrossWholeRows) {
    const KxImage colour = Random24(67, 5);
    KxImage grey(colour), source(colour), r, g, b;
    ASSERT_TRUE(kxops::GrayScale(grey));
    ASSERT_TRUE(kxops::SplitRGB(source, &r, &g, &b));
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 67; ++x) {
            const RGBQUAD c = colour.GetPixelColor(x, y);
            ASSERT_EQ(grey.GetPixelIndex(x, y),
                      (601 * c.rgbGreen + 306 * c.rgbRed + 117 * c.rgbBlue) >> 10);
            ASSERT_EQ(r.GetPixelIndex(x, y), c.rgbRed);
            ASSERT_EQ(g.GetPixelIndex(x, y), c.rgbGreen);
            ASSERT_EQ(b.GetPixelIndex(x, y), c.rgbBlue);
        }
}

TEST(PixelTone, NeutralSettingsChangeNothingAndBadGammaFails) {
    const KxImage original = Random24(20, 10);
    KxImage img(original);
    ASSERT_TRUE(kxops::Light(img, 0, 0));
    ASSERT_TRUE(kxops::Gamma(img, 1.0f));
    ASSERT_TRUE(kxops::ShiftRGB(img, 0, 0, 0));
    ASSERT_TRUE(kxops::Colorize(img, 12, 50, 0.0f));
    EXPECT_TRUE(SameColours(img, original));
    EXPECT_FALSE(kxops::Gamma(img, 0.0f));
    EXPECT_FALSE(kxops::Gamma(img, -1.0f));
    ASSERT_TRUE(kxops::Light(img, 20, 0));
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed,
              std::min(255, original.GetPixelColor(0, 0).rgbRed + 20));
}

TEST(PixelTone, ThresholdMakesBlackAndWhite) {
    KxImage img = Grey8(10, 3, [](uint32_t x, uint32_t) { return x * 25; });
    ASSERT_TRUE(kxops::Threshold(img, 100));
    EXPECT_EQ(img.GetBpp(), 1);
    for (int x = 0; x < 10; ++x)
        EXPECT_EQ(Grey(img, x, 1), x * 25 > 100 ? 255 : 0) << x;
    // Colour pictures of odd widths: every bit of every packed byte, padding left clear.
    const KxImage colour = Random24(45, 7, 3);
    KxImage bits(colour);
    ASSERT_TRUE(kxops::Threshold(bits, 120));
    for (int32_t y = 0; y < 7; ++y) {
        for (int32_t x = 0; x < 45; ++x)
            ASSERT_EQ(Grey(bits, x, y), Grey(colour, x, y) > 120 ? 255 : 0) << x << "," << y;
        EXPECT_EQ(bits.GetBits(y)[5] & 0x07, 0);
    }
}

TEST(PixelTone, TablesGiveTheSameBytesAtEveryRowLength) {
    // Lookups run eight bytes at a time; odd widths take the rest one by one.
    for (uint32_t w : {1u, 7u, 9u, 33u}) {
        const KxImage original = Random24(w, 3, w);
        KxImage img(original);
        ASSERT_TRUE(kxops::Gamma(img, 2.0f));
        for (int32_t y = 0; y < 3; ++y)
            for (int32_t x = 0; x < int32_t(w); ++x) {
                const int before = original.GetPixelColor(x, y).rgbBlue;
                const int expected = int(std::floor(255.0 * std::pow(before / 255.0, 0.5) + 0.5));
                ASSERT_NEAR(img.GetPixelColor(x, y).rgbBlue, expected, 1) << w << " " << x;
            }
    }
}

TEST(PixelTone, ColorizeTintsPaletteAndPixels) {
    KxImage img = Smooth24(12, 12);
    ASSERT_TRUE(kxops::Colorize(img, 0, 255, 1.0f));
    const RGBQUAD c = img.GetPixelColor(6, 6);
    EXPECT_GE(c.rgbRed, c.rgbGreen);
    EXPECT_GE(c.rgbRed, c.rgbBlue);
}

TEST(Selections, PixelOperationsChangeOnlySelectedPixels) {
    using Op = std::function<bool(KxImage&)>;
    const int32_t blur[9] = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    const std::vector<std::pair<const char*, Op>> ops = {
        {"Negative", [](KxImage& i) { return kxops::Negative(i); }},
        {"Light", [](KxImage& i) { return kxops::Light(i, 40, 10); }},
        {"GrayScale", [](KxImage& i) { return kxops::GrayScale(i); }},
        {"Threshold", [](KxImage& i) { return kxops::Threshold(i, 128); }},
        {"Colorize", [](KxImage& i) { return kxops::Colorize(i, 100, 200, 0.7f); }},
        {"Equalize", [](KxImage& i) { return kxops::HistogramEqualize(i); }},
        {"Filter", [&](KxImage& i) { return kxops::Filter(i, blur, 3, 9, 0); }},
        {"Median", [](KxImage& i) { return kxops::Median(i, 5); }},
        {"Erode", [](KxImage& i) { return kxops::Erode(i, 3); }},
        {"Noise", [](KxImage& i) { return kxops::Noise(i, 80); }},
        {"Jitter", [](KxImage& i) { return kxops::Jitter(i, 3); }},
        {"Repair", [](KxImage& i) { return kxops::Repair(i, 0.5f, 2, 2); }},
        {"Mix",
         [](KxImage& i) {
             KxImage src(40, 30, 24);
             src.Clear(255);
             return kxops::Mix(i, src, OpSrcCopy, 0, 0, false);
         }},
    };
    for (const auto& [name, op] : ops) {
        KxImage original = Random24(40, 30);
        ASSERT_TRUE(kxops::SelectionAddRect(original, RECT{10, 20, 30, 5}));
        KxImage img(original);
        ASSERT_TRUE(op(img)) << name;
        int changedInside = 0;
        for (int32_t y = 0; y < 30; ++y)
            for (int32_t x = 0; x < 40; ++x) {
                const bool inside = x >= 10 && x < 30 && y >= 5 && y < 20;
                const RGBQUAD a = img.GetPixelColor(x, y, false),
                              b = original.GetPixelColor(x, y, false);
                const bool same =
                    a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
                if (!inside)
                    ASSERT_TRUE(same) << name << " changed " << x << "," << y;
                else
                    changedInside += !same;
            }
        EXPECT_GT(changedInside, 100) << name;
    }
}

TEST(Histograms, CountsSumToThePixelCountInEveryColourSpace) {
    KxImage img = Random24(37, 23);
    for (int space = 0; space <= 4; ++space) {
        int32_t r[256], g[256], b[256], grey[256];
        const int32_t largest = kxops::Histogram(img, r, g, b, grey, space);
        int64_t sums[4] = {0, 0, 0, 0};
        int32_t top = 0;
        for (int v = 0; v < 256; ++v) {
            sums[0] += r[v];
            sums[1] += g[v];
            sums[2] += b[v];
            sums[3] += grey[v];
            top = std::max({top, r[v], g[v], b[v], grey[v]});
        }
        for (int64_t s : sums)
            EXPECT_EQ(s, 37 * 23) << space;
        EXPECT_EQ(largest, top);
    }
    EXPECT_EQ(kxops::Histogram(img, nullptr, nullptr, nullptr, nullptr, 9), 0);
    KxImage empty;
    int32_t r[256];
    EXPECT_EQ(kxops::Histogram(empty, r), 0);
}

TEST(Histograms, EqualizeFlattensTheCumulativeHistogram) {
    // Levels crowded towards the dark end.
    KxImage img = Grey8(256, 64, [](uint32_t x, uint32_t y) {
        const double t = (x + 256.0 * y) / (256.0 * 64.0);
        return static_cast<int>(255 * t * t * t);
    });
    ASSERT_TRUE(kxops::HistogramEqualize(img));
    int32_t grey[256];
    kxops::Histogram(img, nullptr, nullptr, nullptr, grey, 0);
    // Above the darkest level (a spike no mapping can split) the cumulative histogram
    // rises in step with the level.
    const int64_t total = 256 * 64, floor = grey[0];
    int64_t cdf = 0;
    double worst = 0;
    for (int v = 0; v < 256; ++v) {
        cdf += grey[v];
        if (grey[v] != 0)
            worst = std::max(worst, std::fabs(double(cdf - floor) / (total - floor) - v / 255.0));
    }
    EXPECT_LT(worst, 0.03);
    EXPECT_GT(grey[255], 0);
}

TEST(Histograms, StretchNormalizeLogAndRootSpreadTheRange) {
    KxImage dim = Grey8(64, 64, [](uint32_t x, uint32_t y) { return 60 + (x + y) % 60; });
    for (int method = 0; method <= 2; ++method) {
        KxImage img(dim);
        ASSERT_TRUE(kxops::HistogramStretch(img, method));
        int32_t grey[256];
        kxops::Histogram(img, nullptr, nullptr, nullptr, grey, 0);
        EXPECT_GT(grey[0], 0) << method;
        EXPECT_GT(grey[255], 0) << method;
    }
    KxImage img(dim);
    ASSERT_TRUE(kxops::HistogramNormalize(img));
    EXPECT_GT(kxops::Mean(img), 100.0f);
    KxImage log(dim), root(dim);
    ASSERT_TRUE(kxops::HistogramLog(log));
    ASSERT_TRUE(kxops::HistogramRoot(root));
    EXPECT_GT(kxops::Mean(log), kxops::Mean(dim));
    EXPECT_GT(kxops::Mean(root), kxops::Mean(dim));
    EXPECT_FALSE(kxops::HistogramStretch(img, 3));
}

}  // namespace
