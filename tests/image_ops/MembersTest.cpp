// The processing operations as members of the picture.

#include "image/KxImage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

KxImage pattern(uint32_t w, uint32_t h) {
    KxImage image(w, h, 24);
    for (uint32_t y = 0; y < h; ++y) {
        for (uint32_t x = 0; x < w; ++x) {
            image.SetPixelColor(int(x), int(y), RGBQUAD{uint8_t(x * 9), uint8_t(y * 13), 77, 0});
        }
    }
    return image;
}

bool samePixels(const KxImage& a, const KxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) {
        return false;
    }
    for (uint32_t y = 0; y < a.GetHeight(); ++y) {
        for (uint32_t x = 0; x < a.GetWidth(); ++x) {
            const RGBQUAD p = a.GetPixelColor(int(x), int(y));
            const RGBQUAD q = b.GetPixelColor(int(x), int(y));
            if (p.rgbRed != q.rgbRed || p.rgbGreen != q.rgbGreen || p.rgbBlue != q.rgbBlue) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

TEST(Members, GeometryRoundTripsThroughTheMembers) {
    const KxImage original = pattern(13, 7);
    KxImage image(original);
    ASSERT_TRUE(image.Mirror());
    ASSERT_TRUE(image.Mirror());
    ASSERT_TRUE(image.RotateLeft());
    EXPECT_EQ(image.GetWidth(), 7u);
    ASSERT_TRUE(image.RotateRight());
    EXPECT_TRUE(samePixels(image, original));
    EXPECT_EQ(image.GetProgress(), 100);
}

TEST(Members, SelectionBoxIsKeptWithThePicture) {
    KxImage image = pattern(20, 10);
    ASSERT_TRUE(image.SelectionAddRect(RECT{2, 8, 6, 3}));
    RECT box{};
    ASSERT_TRUE(image.SelectionGetBox(box));
    EXPECT_EQ(box.left, 2);
    EXPECT_EQ(box.right, 6);
    ASSERT_TRUE(image.SelectionIsValid());
    // An in-place tone operation changes only the selected pixels.
    const RGBQUAD outside = image.GetPixelColor(10, 5);
    ASSERT_TRUE(image.Negative());
    EXPECT_EQ(image.GetPixelColor(10, 5).rgbRed, outside.rgbRed);
    EXPECT_EQ(image.GetPixelColor(3, 5).rgbBlue, uint8_t(255 - 3 * 9));
}

TEST(Members, HistogramAndMixUseTheSharedEnumerations) {
    KxImage image = pattern(8, 8);
    std::vector<int32_t> red(256), green(256), blue(256), grey(256);
    image.Histogram(red.data(), green.data(), blue.data(), grey.data(), KX_SPACE_RGB);
    int64_t total = 0;
    for (const int32_t count : grey) {
        total += count;
    }
    EXPECT_EQ(total, 64);
    KxImage source = pattern(4, 4);
    EXPECT_TRUE(image.Mix(source, OpSrcCopy, 2, 2, false));
    EXPECT_EQ(image.GetPixelColor(2, 2).rgbRed, source.GetPixelColor(0, 0).rgbRed);
}
