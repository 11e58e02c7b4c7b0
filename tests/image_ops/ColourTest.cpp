#include <gtest/gtest.h>

#include <set>

#include "OpsTestSupport.h"
#include "image/ops/KxImageOps.h"

using namespace opstest;

namespace {

uint32_t Key(RGBQUAD c) {
    return (uint32_t(c.rgbRed) << 16) | (c.rgbGreen << 8) | c.rgbBlue;
}

TEST(Depth, DecreaseToEightWithAPaletteUsesOnlyThatPalette) {
    std::vector<RGBQUAD> palette;
    for (int i = 0; i < 40; ++i)
        palette.push_back(KxRGB(uint8_t(i * 6), uint8_t(255 - i * 5), uint8_t((i * 37) % 256)));
    std::set<uint32_t> allowed;
    for (RGBQUAD c : palette)
        allowed.insert(Key(c));
    for (bool diffusion : {false, true}) {
        KxImage img = Smooth24(64, 48);
        ASSERT_TRUE(kxops::DecreaseBpp(img, 8, diffusion, palette.data(), 40));
        ASSERT_EQ(img.GetBpp(), 8);
        for (int32_t y = 0; y < 48; ++y)
            for (int32_t x = 0; x < 64; ++x) {
                ASSERT_LT(img.GetPixelIndex(x, y), 40);
                ASSERT_TRUE(allowed.count(Key(img.GetPixelColor(x, y, false))));
            }
    }
}

TEST(Depth, IncreaseKeepsColoursAndRefusesWrongTargets) {
    KxImage img = Random24(20, 10);
    ASSERT_TRUE(kxops::DecreaseBpp(img, 4, false));
    const KxImage four(img);
    ASSERT_TRUE(kxops::IncreaseBpp(img, 8));
    EXPECT_EQ(img.GetBpp(), 8);
    EXPECT_TRUE(SameColours(img, img));
    EXPECT_EQ(MaxDifference(img, four), 0);
    ASSERT_TRUE(kxops::IncreaseBpp(img, 24));
    EXPECT_EQ(MaxDifference(img, four), 0);
    EXPECT_FALSE(kxops::IncreaseBpp(img, 8));
    EXPECT_FALSE(kxops::DecreaseBpp(img, 24, false));
    EXPECT_FALSE(kxops::DecreaseBpp(img, 3, false));
    ASSERT_TRUE(kxops::DecreaseBpp(img, 1, false));
    EXPECT_EQ(img.GetBpp(), 1);
}

TEST(Depth, EveryDitherIsBlackAndWhiteAndKeepsTheBrightness) {
    KxImage grey = Grey8(64, 64, [](uint32_t x, uint32_t y) { return (x * 4 + y) % 256; });
    const float mean = kxops::Mean(grey);
    for (int method = 0; method <= 7; ++method) {
        KxImage img(grey);
        ASSERT_TRUE(kxops::Dither(img, method)) << method;
        ASSERT_EQ(img.GetBpp(), 1);
        EXPECT_NEAR(kxops::Mean(img), mean, 0.1 * 255) << method;
    }
    EXPECT_FALSE(kxops::Dither(grey, 8));
}

TEST(Depth, OctreeFindsTheColoursOfAFewColourPicture) {
    const RGBQUAD colours[5] = {KxRGB(255, 0, 0), KxRGB(0, 128, 0), KxRGB(10, 20, 250),
                                KxRGB(200, 200, 200), KxRGB(0, 0, 0)};
    KxImage img(30, 20, 24);
    for (int32_t y = 0; y < 20; ++y)
        for (int32_t x = 0; x < 30; ++x)
            img.SetPixelColor(x, y, colours[(x / 6 + y) % 5]);
    std::vector<RGBQUAD> palette;
    ASSERT_TRUE(kxops::OctreeQuantize(img, 16, 8, palette));
    ASSERT_EQ(palette.size(), 5u);
    std::set<uint32_t> found;
    for (RGBQUAD c : palette)
        found.insert(Key(c));
    for (RGBQUAD c : colours)
        EXPECT_TRUE(found.count(Key(c)));
    // Fewer entries than leaves: groups are averaged down to the count.
    ASSERT_TRUE(kxops::OctreeQuantize(img, 2, 8, palette));
    EXPECT_EQ(palette.size(), 2u);
    KxImage many = Random24(64, 64);
    ASSERT_TRUE(kxops::OctreeQuantize(many, 256, 7, palette));
    EXPECT_LE(palette.size(), 256u);
    EXPECT_GT(palette.size(), 16u);
}

TEST(Channels, SplitThenCombineRestoresThePicture) {
    const KxImage img = Smooth24(48, 32);
    struct Case {
        int space;
        bool (*split)(KxImage&, KxImage*, KxImage*, KxImage*);
        int tolerance;
    };
    // RGB is exact and YUV within one level. HSL carries hue in 8 bits and the XYZ/YIQ
    // matrices amplify rounding, so those come back within a few levels.
    const Case cases[] = {{0, kxops::SplitRGB, 0},
                          {2, kxops::SplitYUV, 1},
                          {1, kxops::SplitHSL, 4},
                          {3, kxops::SplitYIQ, 2},
                          {4, kxops::SplitXYZ, 3}};
    for (const Case& c : cases) {
        KxImage source(img), a, b, d;
        ASSERT_TRUE(c.split(source, &a, &b, &d)) << c.space;
        EXPECT_EQ(a.GetBpp(), 8);
        EXPECT_TRUE(a.IsGrayScale());
        KxImage combined;
        ASSERT_TRUE(kxops::Combine(combined, &a, &b, &d, nullptr, c.space)) << c.space;
        EXPECT_EQ(combined.GetBpp(), 24);
        EXPECT_LE(MaxDifference(combined, img), c.tolerance) << c.space;
    }
    KxImage source(img), c, m, y, k;
    ASSERT_TRUE(kxops::SplitCMYK(source, &c, &m, &y, &k));
    const RGBQUAD p = img.GetPixelColor(5, 5);
    const int kk = 255 - std::max({p.rgbRed, p.rgbGreen, p.rgbBlue});
    EXPECT_EQ(Grey(k, 5, 5), kk);
    EXPECT_EQ(Grey(c, 5, 5), 255 - p.rgbRed - kk);
    KxImage combined, small(3, 3, 8);
    EXPECT_FALSE(kxops::Combine(combined, &c, &m, &small, nullptr, 0));
    EXPECT_FALSE(kxops::Combine(combined, &c, nullptr, &y, nullptr, 0));
    ASSERT_TRUE(kxops::Combine(combined, &c, &m, &y, &k, 0));
    EXPECT_TRUE(combined.AlphaIsValid());
}

TEST(MixOps, EveryOperationCombinesAsNamed) {
    KxImage dst(10, 10, 24), src(4, 4, 24);
    dst.Clear(100);
    src.Clear(200);
    struct Case {
        ImageOpType op;
        int expected;
    };
    const Case cases[] = {{OpAdd, 255},       {OpAnd, 100 & 200},
                          {OpXor, 100 ^ 200}, {OpOr, 100 | 200},
                          {OpMask, 100},      {OpSrcCopy, 200},
                          {OpDstCopy, 100},   {OpSub, 0},
                          {OpSrcBlend, 200},  {OpScreen, 255 - (155 * 55 + 127) / 255}};
    for (const Case& c : cases) {
        KxImage img(dst);
        ASSERT_TRUE(kxops::Mix(img, src, c.op, 3, 2, false)) << c.op;
        EXPECT_EQ(img.GetPixelColor(3, 2).rgbRed, c.expected) << c.op;
        EXPECT_EQ(img.GetPixelColor(6, 5).rgbGreen, c.expected) << c.op;
        EXPECT_EQ(img.GetPixelColor(7, 5).rgbGreen, 100) << c.op;
        EXPECT_EQ(img.GetPixelColor(2, 2).rgbBlue, 100) << c.op;
    }
    KxImage img(dst);
    src.AlphaCreate();
    ASSERT_TRUE(kxops::Mix(img, src, OpSrcCopy, -2, -2, true));
    EXPECT_TRUE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 200);
    EXPECT_FALSE(kxops::Mix(img, src, static_cast<ImageOpType>(12)));
}

}  // namespace

namespace {

TEST(Depth, ErrorDiffusionKeepsTheAverageColour) {
    // A gentle ramp between two palette colours: nearest matching bands it, diffusion mixes.
    const RGBQUAD two[2] = {KxRGB(0, 0, 0), KxRGB(255, 255, 255)};
    KxImage ramp = Grey8(128, 32, [](uint32_t x, uint32_t) { return 60 + x / 4; });
    ASSERT_TRUE(kxops::IncreaseBpp(ramp, 24));
    const float mean = kxops::Mean(ramp);
    KxImage plain(ramp), diffused(ramp);
    ASSERT_TRUE(kxops::DecreaseBpp(plain, 1, false, two, 2));
    ASSERT_TRUE(kxops::DecreaseBpp(diffused, 1, true, two, 2));
    EXPECT_EQ(kxops::Mean(plain), 0.0f);
    EXPECT_NEAR(kxops::Mean(diffused), mean, 3.0);
}

TEST(Depth, FewEntriesAverageGroupsOfLeaves) {
    KxImage img(8, 2, 24);
    for (int32_t x = 0; x < 8; ++x) {
        img.SetPixelColor(x, 0, KxRGB(uint8_t(x * 32), 0, 0));
        img.SetPixelColor(x, 1, KxRGB(uint8_t(x * 32), 0, 0));
    }
    std::vector<RGBQUAD> palette;
    ASSERT_TRUE(kxops::OctreeQuantize(img, 2, 8, palette));
    ASSERT_EQ(palette.size(), 2u);
    // Leaves in tree order are the reds 0 ... 224; the two groups average 48 and 176.
    EXPECT_EQ(palette[0].rgbRed, 48);
    EXPECT_EQ(palette[1].rgbRed, 176);
    EXPECT_FALSE(kxops::OctreeQuantize(KxImage(), 16, 8, palette));
}

TEST(Channels, HistogramSpacesSeeKnownColours) {
    KxImage red(4, 4, 24);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            red.SetPixelColor(x, y, KxRGB(255, 0, 0));
    int32_t a[256], b[256], c[256];
    EXPECT_EQ(kxops::Histogram(red, a, b, c, nullptr, 1), 16);  // HSL
    EXPECT_EQ(a[0], 16);                                        // hue of red
    EXPECT_EQ(b[255], 16);                                      // full saturation
    EXPECT_EQ(c[128], 16);                                      // half lightness
    kxops::Histogram(red, a, b, c, nullptr, 2);                 // YUV
    EXPECT_EQ(a[76], 16);
    EXPECT_EQ(c[255], 16);
}

TEST(MixOps, APaletteDestinationBecomesColour) {
    KxImage dst = Grey8(6, 6, [](uint32_t, uint32_t) { return 50; });
    KxImage src(3, 3, 24);
    src.Clear(100);
    ASSERT_TRUE(kxops::Mix(dst, src, OpAdd, 1, 1, false));
    EXPECT_EQ(dst.GetBpp(), 24);
    EXPECT_EQ(dst.GetPixelColor(2, 2).rgbGreen, 150);
    EXPECT_EQ(dst.GetPixelColor(0, 0).rgbGreen, 50);
}

}  // namespace
