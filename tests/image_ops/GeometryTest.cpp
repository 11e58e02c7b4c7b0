#include <gtest/gtest.h>

#include "OpsTestSupport.h"
#include "image/ops/KxImageOps.h"

using namespace opstest;

namespace {

KxImage WithPlanes(KxImage img) {
    img.AlphaCreate();
    for (uint32_t y = 0; y < img.GetHeight(); ++y)
        for (uint32_t x = 0; x < img.GetWidth(); ++x)
            img.AlphaSet(x, y, static_cast<uint8_t>(x * 7 + y));
    kxops::SelectionAddRect(img, RECT{1, 5, 4, 2});
    return img;
}

bool SamePlanes(const KxImage& a, const KxImage& b) {
    const size_t n = size_t(a.GetWidth()) * a.GetHeight();
    return a.AlphaIsValid() == b.AlphaIsValid() && a.SelectionIsValid() == b.SelectionIsValid() &&
           (!a.AlphaIsValid() ||
            std::equal(a.AlphaGetPointer(), a.AlphaGetPointer() + n, b.AlphaGetPointer())) &&
           (!a.SelectionIsValid() ||
            std::equal(a.SelectionGetPointer(), a.SelectionGetPointer() + n,
                       b.SelectionGetPointer()));
}

TEST(Flips, MirrorAndFlipTwiceAreIdentitiesAtEveryDepth) {
    for (uint32_t bpp : {1u, 4u, 8u, 24u}) {
        KxImage original = WithPlanes(Random24(13, 7, bpp));
        if (bpp < 24) {
            ASSERT_TRUE(kxops::DecreaseBpp(original, bpp, false));
        }
        KxImage img(original);
        ASSERT_TRUE(kxops::Mirror(img));
        EXPECT_EQ(img.GetPixelColor(0, 3).rgbRed, original.GetPixelColor(12, 3).rgbRed);
        EXPECT_EQ(img.AlphaGet(0, 3), original.AlphaGet(12, 3));
        ASSERT_TRUE(kxops::Mirror(img));
        EXPECT_TRUE(SameColours(img, original)) << bpp;
        ASSERT_TRUE(kxops::Flip(img));
        EXPECT_EQ(img.GetPixelColor(2, 0).rgbGreen, original.GetPixelColor(2, 6).rgbGreen);
        ASSERT_TRUE(kxops::Flip(img));
        EXPECT_TRUE(SameColours(img, original)) << bpp;
        EXPECT_TRUE(SamePlanes(img, original));
        EXPECT_EQ(img.GetProgress(), 100);
    }
}

TEST(RightAngles, LeftThenRightIsIdentityAndCornersMove) {
    for (uint32_t bpp : {4u, 8u, 24u}) {
        KxImage original = WithPlanes(Random24(13, 7, 3));
        if (bpp < 24) {
            ASSERT_TRUE(kxops::DecreaseBpp(original, bpp, false));
        }
        KxImage img(original);
        ASSERT_TRUE(kxops::RotateRight(img));
        ASSERT_EQ(img.GetWidth(), 7u);
        ASSERT_EQ(img.GetHeight(), 13u);
        // Turning clockwise brings the top-left corner to the top-right.
        EXPECT_EQ(img.GetPixelColor(6, 12).rgbBlue, original.GetPixelColor(0, 6).rgbBlue);
        EXPECT_EQ(img.AlphaGet(6, 12), original.AlphaGet(0, 6));
        ASSERT_TRUE(kxops::RotateLeft(img));
        EXPECT_TRUE(SameColours(img, original)) << bpp;
        EXPECT_TRUE(SamePlanes(img, original));
    }
}

TEST(RightAngles, DestinationLeavesTheSourceAlone) {
    KxImage img = Random24(9, 4);
    KxImage copy(img), turned;
    ASSERT_TRUE(kxops::RotateLeft(img, &turned));
    EXPECT_TRUE(SameColours(img, copy));
    EXPECT_EQ(turned.GetWidth(), 4u);
    EXPECT_EQ(turned.GetPixelColor(3, 0).rgbRed, img.GetPixelColor(0, 0).rgbRed);
}

TEST(Rotate2, NinetyDegreesEqualsRightAngleTurns) {
    const KxImage original = Random24(21, 12);
    KxImage right(original), left(original);
    ASSERT_TRUE(kxops::RotateRight(right));
    ASSERT_TRUE(kxops::RotateLeft(left));
    for (bool optimise : {true, false}) {
        KxImage a(original), b(original);
        ASSERT_TRUE(kxops::Rotate2(a, 90.0f, nullptr, IM_NEAREST_NEIGHBOUR, OM_BACKGROUND, nullptr,
                                   optimise, false));
        EXPECT_TRUE(SameColours(a, right)) << optimise;
        ASSERT_TRUE(kxops::Rotate2(b, -90.0f, nullptr, IM_BILINEAR, OM_BACKGROUND, nullptr,
                                   optimise, false));
        EXPECT_LE(MaxDifference(b, left), optimise ? 0 : 1) << optimise;
    }
}

TEST(Rotate2, ThirtyDegreesEnlargesAndFillsTheCorners) {
    KxImage img(100, 60, 24);
    img.Clear(200);
    RGBQUAD red{0, 0, 255, 0};
    for (InterpolationMethod m : {IM_NEAREST_NEIGHBOUR, IM_BILINEAR, IM_BSPLINE, IM_BICUBIC,
                                  IM_BICUBIC2, IM_LANCZOS, IM_HERMITE}) {
        KxImage r(img);
        ASSERT_TRUE(kxops::Rotate2(r, 30.0f, nullptr, m, OM_BACKGROUND, &red, true, false)) << m;
        EXPECT_EQ(r.GetWidth(), 117u);   // ceil(100 cos 30 + 60 sin 30)
        EXPECT_EQ(r.GetHeight(), 102u);  // ceil(100 sin 30 + 60 cos 30)
        for (auto [x, y] : {std::pair{0, 0}, {116, 0}, {0, 101}, {116, 101}}) {
            const RGBQUAD c = r.GetPixelColor(x, y);
            EXPECT_EQ(c.rgbRed, 255) << m;
            EXPECT_EQ(c.rgbGreen, 0) << m;
        }
        EXPECT_EQ(r.GetPixelColor(58, 51).rgbGreen, 200) << m;
    }
}

TEST(Rotate2, OverflowMethodsAndKeptSize) {
    const KxImage original = Smooth24(40, 30);
    for (OverflowMethod om :
         {OM_COLOR, OM_BACKGROUND, OM_TRANSPARENT, OM_WRAP, OM_REPEAT, OM_MIRROR}) {
        KxImage r(original);
        ASSERT_TRUE(kxops::Rotate2(r, 17.0f, nullptr, IM_BICUBIC, om, nullptr, true, true)) << om;
        EXPECT_EQ(r.GetWidth(), 40u);
        EXPECT_EQ(r.GetHeight(), 30u);
        if (om == OM_TRANSPARENT) {
            ASSERT_TRUE(r.AlphaIsValid());
            EXPECT_EQ(r.AlphaGet(0, 0), 0);
            EXPECT_EQ(r.AlphaGet(20, 15), 255);
        }
    }
    KxImage grey = Grey8(20, 20, [](uint32_t x, uint32_t) { return x * 10; });
    ASSERT_TRUE(kxops::Rotate2(grey, 45.0f, nullptr, IM_BILINEAR, OM_REPEAT));
    EXPECT_EQ(grey.GetBpp(), 8);
    EXPECT_TRUE(grey.IsGrayScale());
}

TEST(Resample, DoubleThenHalfKeepsTheSmoothPicture) {
    const KxImage original = Smooth24(160, 120);
    for (InterpolationMethod m :
         {IM_BICUBIC, IM_BICUBIC2, IM_LANCZOS, IM_BSPLINE, IM_BILINEAR, IM_HERMITE}) {
        KxImage img(original);
        ASSERT_TRUE(kxops::Resample2(img, 320, 240, m, OM_REPEAT));
        ASSERT_EQ(img.GetWidth(), 320u);
        ASSERT_TRUE(kxops::Resample2(img, 160, 120, m, OM_REPEAT));
        const double psnr = Psnr(img, original);
        if (m == IM_BICUBIC || m == IM_BICUBIC2 || m == IM_LANCZOS)
            EXPECT_GE(psnr, 35.0) << m;
        else
            EXPECT_GE(psnr, 30.0) << m;
    }
}

TEST(Resample, ModesSizesAndDepths) {
    KxImage img = Random24(50, 40);
    KxImage half;
    ASSERT_TRUE(kxops::Resample(img, 25, 20, 0, &half));
    EXPECT_EQ(half.GetWidth(), 25u);
    EXPECT_EQ(img.GetWidth(), 50u);
    ASSERT_TRUE(kxops::Resample(img, 100, 7, 1));
    EXPECT_EQ(img.GetWidth(), 100u);
    EXPECT_EQ(img.GetHeight(), 7u);
    KxImage pal = Random24(30, 30);
    ASSERT_TRUE(kxops::DecreaseBpp(pal, 4, false));
    KxImage nearest(pal), smooth(pal);
    ASSERT_TRUE(kxops::Resample(nearest, 61, 17, 1));
    EXPECT_EQ(nearest.GetBpp(), 4);
    ASSERT_TRUE(kxops::Resample2(smooth, 61, 17, IM_LANCZOS, OM_MIRROR));
    EXPECT_EQ(smooth.GetBpp(), 24);
}

TEST(Resample, BadSizesFailCleanly) {
    KxImage img = Random24(10, 10);
    const KxImage copy(img);
    EXPECT_FALSE(kxops::Resample(img, 0, 10, 0));
    EXPECT_FALSE(kxops::Resample2(img, 10, -3));
    EXPECT_FALSE(kxops::Resample2(img, 100000, 100000));
    EXPECT_STREQ(img.GetLastError(), "KXIMAGE_MAX_MEMORY exceeded");
    EXPECT_FALSE(kxops::Resample(img, 10, 10, 7));
    EXPECT_TRUE(SameColours(img, copy));
}

TEST(Crop, RectangleAndRotatedRectangle) {
    KxImage img = WithPlanes(Random24(30, 20));
    KxImage cut;
    ASSERT_TRUE(kxops::Crop(img, RECT{5, 15, 12, 3}, &cut));
    ASSERT_EQ(cut.GetWidth(), 7u);
    ASSERT_EQ(cut.GetHeight(), 12u);
    EXPECT_EQ(cut.GetPixelColor(0, 0).rgbRed, img.GetPixelColor(5, 3).rgbRed);
    EXPECT_EQ(cut.AlphaGet(6, 11), img.AlphaGet(11, 14));
    // The same block measured from the top with no turn.
    KxImage turned;
    ASSERT_TRUE(kxops::CropRotatedRectangle(img, 5, 20 - 15, 7, 12, 0.0f, &turned));
    EXPECT_TRUE(SameColours(turned, cut));
    EXPECT_FALSE(kxops::Crop(img, RECT{40, 50, 60, 70}));
    EXPECT_FALSE(kxops::CropRotatedRectangle(img, 0, 0, 0, 5, 0.0f));
}

TEST(Distortions, SkewAndCircleTransforms) {
    const KxImage original = Smooth24(40, 30);
    KxImage img(original);
    ASSERT_TRUE(kxops::Skew(img, 0.0f, 0.0f, 0, 0, true));
    EXPECT_TRUE(SameColours(img, original));
    ASSERT_TRUE(kxops::Skew(img, 0.2f, -0.1f, 5, 5, false));
    EXPECT_FALSE(SameColours(img, original));
    for (int type = 0; type <= 4; ++type) {
        KxImage c(original);
        ASSERT_TRUE(kxops::CircleTransform(c, type, 0, type == 4 ? 1.0f : 100.0f)) << type;
        EXPECT_EQ(c.GetWidth(), 40u);
        EXPECT_EQ(c.GetProgress(), 100);
    }
    KxImage c(original);
    EXPECT_FALSE(kxops::CircleTransform(c, 5, 0, 1.0f));
}

}  // namespace

namespace {

TEST(Resample, NearestUpscaleRepeatsEveryPixel) {
    const KxImage original = Random24(5, 4);
    KxImage img(original);
    ASSERT_TRUE(kxops::Resample2(img, 15, 8, IM_NEAREST_NEIGHBOUR, OM_REPEAT));
    for (int32_t y = 0; y < 8; ++y)
        for (int32_t x = 0; x < 15; ++x) {
            const RGBQUAD a = img.GetPixelColor(x, y), b = original.GetPixelColor(x / 3, y / 2);
            ASSERT_EQ(a.rgbRed, b.rgbRed);
            ASSERT_EQ(a.rgbBlue, b.rgbBlue);
        }
}

TEST(Resample, OverflowDecidesWhatTheEdgesSee) {
    // A bright left column and a dark rest: wrapping brings the bright column to the right
    // edge, repeating does not.
    KxImage img = Grey8(8, 4, [](uint32_t x, uint32_t) { return x == 0 ? 240 : 10; });
    KxImage wrap(img), repeat(img);
    ASSERT_TRUE(kxops::Resample2(wrap, 16, 4, IM_BICUBIC2, OM_WRAP));
    ASSERT_TRUE(kxops::Resample2(repeat, 16, 4, IM_BICUBIC2, OM_REPEAT));
    EXPECT_GT(Grey(wrap, 15, 1), Grey(repeat, 15, 1) + 10);
}

TEST(Crop, PackedDepthsKeepTheirIndices) {
    KxImage img = Random24(21, 9);
    ASSERT_TRUE(kxops::DecreaseBpp(img, 4, false));
    KxImage cut;
    ASSERT_TRUE(kxops::Crop(img, RECT{3, 8, 16, 1}, &cut));
    EXPECT_EQ(cut.GetBpp(), 4);
    for (int32_t y = 0; y < 7; ++y)
        for (int32_t x = 0; x < 13; ++x)
            ASSERT_EQ(cut.GetPixelIndex(x, y), img.GetPixelIndex(x + 3, y + 1));
}

TEST(Distortions, SkewShiftsRowsByTheirDistanceFromThePivot) {
    const KxImage original = Random24(30, 10);
    KxImage img(original);
    ASSERT_TRUE(kxops::Skew(img, 1.0f, 0.0f, 0, 4, false));
    // Row 6 reads two pixels to its right; the pivot row stays.
    EXPECT_EQ(img.GetPixelColor(5, 6).rgbRed, original.GetPixelColor(7, 6).rgbRed);
    EXPECT_EQ(img.GetPixelColor(5, 4).rgbRed, original.GetPixelColor(5, 4).rgbRed);
}

TEST(Distortions, CircleTransformsKeepTheCentreAndTheCorners) {
    const KxImage original = Random24(41, 41);
    for (int type : {0, 1, 2}) {
        KxImage img(original);
        ASSERT_TRUE(kxops::CircleTransform(img, type, 15, 100.0f));
        EXPECT_EQ(img.GetPixelColor(20, 20).rgbGreen, original.GetPixelColor(20, 20).rgbGreen);
        EXPECT_EQ(img.GetPixelColor(0, 0).rgbGreen, original.GetPixelColor(0, 0).rgbGreen);
        EXPECT_EQ(img.GetPixelColor(40, 40).rgbRed, original.GetPixelColor(40, 40).rgbRed);
    }
}

TEST(Geometry, AGhostRefusesToBeReplaced) {
    KxImage img = Random24(10, 10);
    KxImage ghost;
    ASSERT_TRUE(ghost.Ghost(&img));
    EXPECT_FALSE(kxops::Resample(ghost, 5, 5, 1));
    EXPECT_FALSE(kxops::RotateLeft(ghost));
    EXPECT_EQ(img.GetWidth(), 10u);
    EXPECT_TRUE(img.IsValid());
}

}  // namespace
