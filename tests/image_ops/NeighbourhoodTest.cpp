#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>
#include <vector>

#include "OpsTestSupport.h"
#include "image/ops/KxImageOps.h"

using namespace opstest;

namespace {

TEST(Median, RemovesIsolatedSaltAndPepper) {
    KxImage img = Grey8(60, 40, [](uint32_t, uint32_t) { return 90; });
    for (uint32_t y = 1; y < 40; y += 3)
        for (uint32_t x = (y % 2) + 1; x < 60; x += 4)
            img.GetBits(y)[x] = (x + y) % 2 ? 255 : 0;
    KxImage colour(img);
    ASSERT_TRUE(kxops::IncreaseBpp(colour, 24));
    for (KxImage* p : {&img, &colour}) {
        ASSERT_TRUE(kxops::Median(*p, 3));
        for (int32_t y = 0; y < 40; ++y)
            for (int32_t x = 0; x < 60; ++x)
                ASSERT_EQ(Grey(*p, x, y), 90) << x << "," << y;
    }
    KxImage five(colour);
    EXPECT_TRUE(kxops::Median(five, 5));
    EXPECT_FALSE(kxops::Median(five, 0));
}

TEST(Median, EqualsTheMedianOfEachWindowWithReplicatedEdges) {
    const KxImage colour = Random24(37, 23, 4);
    KxImage grey(colour);
    ASSERT_TRUE(kxops::GrayScale(grey));
    for (int32_t size : {3, 5})
        for (const KxImage* original : {&colour, static_cast<const KxImage*>(&grey)}) {
            KxImage img(*original);
            ASSERT_TRUE(kxops::Median(img, size));
            const int32_t w = 37, h = 23, r = size / 2;
            for (int32_t y = 0; y < h; ++y)
                for (int32_t x = 0; x < w; ++x) {
                    std::vector<int> reds;
                    for (int32_t dy = -r; dy <= r; ++dy)
                        for (int32_t dx = -r; dx <= r; ++dx)
                            reds.push_back(original
                                               ->GetPixelColor(std::clamp(x + dx, 0, w - 1),
                                                               std::clamp(y + dy, 0, h - 1))
                                               .rgbRed);
                    std::nth_element(reds.begin(), reds.begin() + reds.size() / 2, reds.end());
                    ASSERT_EQ(img.GetPixelColor(x, y).rgbRed, reds[reds.size() / 2])
                        << size << " " << x << "," << y;
                }
        }
}

TEST(Filters, KernelsActAsConvolutions) {
    const KxImage original = Random24(31, 17);
    const int32_t identity[9] = {0, 0, 0, 0, 1, 0, 0, 0, 0};
    KxImage img(original);
    ASSERT_TRUE(kxops::Filter(img, identity, 3, 1, 0));
    EXPECT_TRUE(SameColours(img, original));
    // The top kernel row weighs the row above: shifting down copies each row from above.
    const int32_t fromAbove[9] = {0, 1, 0, 0, 0, 0, 0, 0, 0};
    ASSERT_TRUE(kxops::Filter(img, fromAbove, 3, 1, 0));
    EXPECT_EQ(img.GetPixelColor(4, 5).rgbRed, original.GetPixelColor(4, 6).rgbRed);
    KxImage flat(20, 20, 24);
    flat.Clear(77);
    const int32_t gauss5[25] = {0, 1, 2, 1, 0, 1, 3, 4, 3, 1, 2, 4, 8,
                                4, 2, 1, 3, 4, 3, 1, 0, 1, 2, 1, 0};
    ASSERT_TRUE(kxops::Filter(flat, gauss5, 5, 52, 0));
    EXPECT_EQ(flat.GetPixelColor(0, 0).rgbGreen, 77);
    EXPECT_EQ(flat.GetPixelColor(10, 10).rgbRed, 77);
    const int32_t edge[9] = {-1, -1, -1, -1, 8, -1, -1, -1, -1};
    ASSERT_TRUE(kxops::Filter(flat, edge, 3, -1, 255));
    EXPECT_EQ(flat.GetPixelColor(5, 5).rgbRed, 255);
    EXPECT_FALSE(kxops::Filter(flat, edge, 4, 1, 0));
    EXPECT_FALSE(kxops::Filter(flat, nullptr, 3, 1, 0));
}

TEST(Morphology, ErodeDilateEdgeAndContour) {
    auto dot = [] {
        KxImage img = Grey8(9, 9, [](uint32_t, uint32_t) { return 10; });
        img.GetBits(4)[4] = 200;
        return img;
    };
    KxImage eroded = dot(), dilated = dot(), edge = dot(), contour = dot();
    ASSERT_TRUE(kxops::Erode(eroded, 3));
    EXPECT_EQ(Grey(eroded, 4, 4), 10);
    ASSERT_TRUE(kxops::Dilate(dilated, 3));
    for (int32_t y = 0; y < 9; ++y)
        for (int32_t x = 0; x < 9; ++x)
            EXPECT_EQ(Grey(dilated, x, y), std::abs(x - 4) <= 1 && std::abs(y - 4) <= 1 ? 200 : 10);
    ASSERT_TRUE(kxops::Edge(edge, 3));
    EXPECT_EQ(Grey(edge, 3, 3), 190);
    EXPECT_EQ(Grey(edge, 0, 0), 0);
    ASSERT_TRUE(kxops::Contour(contour));
    EXPECT_EQ(Grey(contour, 0, 0), 255);
    EXPECT_FALSE(kxops::Erode(contour, -1));
}

TEST(Filters, NoiseJitterAndRepairKeepThePictureValid) {
    KxImage img = Smooth24(50, 40);
    const KxImage original(img);
    ASSERT_TRUE(kxops::Noise(img, 50));
    EXPECT_FALSE(SameColours(img, original));
    EXPECT_LE(MaxDifference(img, original), 25);
    KxImage jitter(original);
    ASSERT_TRUE(kxops::Jitter(jitter, 2));
    for (int space = 0; space <= 4; ++space) {
        KxImage repaired(img);
        ASSERT_TRUE(kxops::Repair(repaired, 0.25f, 2, space)) << space;
    }
    EXPECT_FALSE(kxops::Repair(img, 0.25f, 0, 0));
    EXPECT_FALSE(kxops::Noise(img, -5));
}

TEST(Threads, TwoThreadsGiveTheSameResultAsOne) {
    const KxImage original = Random24(700, 500);
    const int32_t sharpen[9] = {-1, -1, -1, -1, 15, -1, -1, -1, -1};
    auto run = [&](const char* threads) {
        setenv("KORVEL_IMAGE_THREADS", threads, 1);
        std::vector<KxImage> out(5, original);
        EXPECT_TRUE(kxops::Filter(out[0], sharpen, 3, 7, 0));
        EXPECT_TRUE(kxops::Median(out[1], 3));
        EXPECT_TRUE(kxops::Jitter(out[2], 2));
        EXPECT_TRUE(kxops::Resample2(out[3], 901, 333, IM_BICUBIC, OM_REPEAT));
        EXPECT_TRUE(kxops::Rotate2(out[4], 12.0f, nullptr, IM_BILINEAR, OM_BACKGROUND));
        unsetenv("KORVEL_IMAGE_THREADS");
        return out;
    };
    const auto one = run("1"), two = run("2");
    for (size_t i = 0; i < one.size(); ++i)
        EXPECT_TRUE(SameColours(one[i], two[i])) << i;
}

TEST(Cancellation, EscapeStopsAnOperationAndLeavesAValidPicture) {
    KxImage img = Smooth24(400, 300);
    img.SetEscape(1);
    EXPECT_FALSE(kxops::Median(img, 5));
    EXPECT_STREQ(img.GetLastError(), "Cancelled");
    EXPECT_FALSE(kxops::Resample2(img, 800, 600));
    EXPECT_FALSE(kxops::Rotate2(img, 10.0f));
    EXPECT_FALSE(kxops::Mirror(img));
    EXPECT_TRUE(img.IsValid());
    EXPECT_EQ(img.GetWidth(), 400u);

    // Set from another thread once the work is under way.
    img.SetEscape(0);
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        while (!done && img.GetProgress() < 5)
            std::this_thread::yield();
        img.SetEscape(1);
    });
    const bool ok = kxops::Repair(img, 0.25f, 40, 1);
    done = true;
    watcher.join();
    EXPECT_FALSE(ok);
    EXPECT_TRUE(img.IsValid());
    EXPECT_LT(img.GetProgress(), 100);
}

TEST(Progress, EndsAtOneHundred) {
    KxImage img = Smooth24(64, 48);
    img.SetProgress(42);
    ASSERT_TRUE(kxops::Median(img, 3));
    EXPECT_EQ(img.GetProgress(), 100);
    img.SetProgress(0);
    ASSERT_TRUE(kxops::Resample(img, 30, 30, 0));
    EXPECT_EQ(img.GetProgress(), 100);
    img.SetProgress(0);
    ASSERT_TRUE(kxops::DecreaseBpp(img, 8, true));
    EXPECT_EQ(img.GetProgress(), 100);
}

}  // namespace
