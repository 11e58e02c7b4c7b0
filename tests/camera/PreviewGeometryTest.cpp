#include "camera/PreviewGeometry.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvel::camera;

TEST(PreviewBuffers, FixedModelSizesAndFrameSizesOtherwise) {
    EXPECT_EQ(previewBufferSize(14, 640, 480), 10'506'240u);
    EXPECT_EQ(previewBufferSize(17, 1360, 1024), 4'177'920u);
    EXPECT_EQ(previewBufferSize(23, 680, 512), 4'177'920u);
    EXPECT_EQ(previewBufferSize(21, 3032, 2016), 18'337'536u);
    EXPECT_EQ(previewBufferSize(25, 3264, 2448), 23'970'816u);
    EXPECT_EQ(previewBufferSize(13, 2048, 1536), 2048u * 1536 * 3);
    // A frame larger than the model's fixed size is never written past its buffer.
    EXPECT_EQ(previewBufferSize(17, 2048, 1536), 2048u * 1536 * 3);
    EXPECT_EQ(previewBufferSize(13, -1, 100), 0u);
}

TEST(PreviewRates, TickDifferencesAndTheRecordingRate) {
    EXPECT_FLOAT_EQ(frameRateFromTicks(1000, 1040), 25.0f);
    // The unsigned difference survives the wrap of the tick counter.
    EXPECT_FLOAT_EQ(frameRateFromTicks(0xFFFFFFF0u, 0x00000018u), 25.0f);
    EXPECT_FLOAT_EQ(frameRateFromTicks(5, 5), 1000.0f);

    EXPECT_EQ(recordingFrameRate(0.5f), 1);
    EXPECT_EQ(recordingFrameRate(0.0f), 1);
    EXPECT_EQ(recordingFrameRate(25.0f), 25);
    EXPECT_EQ(recordingFrameRate(29.97f), 29);
    EXPECT_EQ(recordingFrameRate(frameRateFromTicks(7, 7)), 1000);
}

TEST(PreviewBrightness, MeanOfTheFrameAtLeastOne) {
    std::vector<std::uint8_t> raw(4 * 2, 0);
    EXPECT_EQ(meanBrightness(raw, 4, 2, 13, 0), 1);
    raw = {10, 20, 30, 40, 50, 60, 70, 81};
    EXPECT_EQ(meanBrightness(raw, 4, 2, 13, 0), 45);  // 361 / 8, truncated
    // Bytes beyond width x height do not count.
    raw.push_back(255);
    EXPECT_EQ(meanBrightness(raw, 4, 2, 13, 0), 45);
}

TEST(PreviewBrightness, TypeFourteenAtHighResolutionMeasures2048By1536) {
    std::vector<std::uint8_t> raw(previewBufferSize(14, 640, 480), 0);
    std::fill(raw.begin(), raw.begin() + 2048 * 1536, 100);
    EXPECT_EQ(meanBrightness(raw, 640, 480, 14, 2), 100);
    EXPECT_EQ(meanBrightness(raw, 640, 480, 14, 3), 100);
    std::fill(raw.begin(), raw.begin() + 640 * 480, 200);
    EXPECT_EQ(meanBrightness(raw, 640, 480, 14, 0), 200);
    // A buffer shorter than the measured span is read only as far as it goes.
    EXPECT_EQ(meanBrightness(std::span(raw).first(1000), 640, 480, 14, 2), 200);
}

TEST(RegionOfInterest, AlignmentGrowsTheFreeEdge) {
    // Three pixels at the left edge of an image 1394 wide: the region grows to the right.
    EXPECT_EQ(alignRegion({0, 0, 3, 10}, 1394, 1040), (Region{0, 0, 4, 10}));
    // Elsewhere the left edge moves out first.
    EXPECT_EQ(alignRegion({10, 5, 13, 10}, 1394, 1040), (Region{9, 4, 13, 10}));
    // An odd height at the top grows downward.
    EXPECT_EQ(alignRegion({0, 0, 8, 3}, 1394, 1040), (Region{0, 0, 8, 4}));
}

TEST(RegionOfInterest, AlignmentGivesUpColumnsWhenNoEdgeCanMove) {
    // The whole of an image 1394 wide and 1041 high: no edge can move out.
    const Region r = alignRegion({0, 0, 1394, 1041}, 1394, 1041);
    EXPECT_EQ(r, (Region{0, 0, 1392, 1040}));
    EXPECT_TRUE(alignRegion({0, 0, 3, 1}, 3, 1).isEmpty());
    EXPECT_TRUE(alignRegion({5, 5, 2, 2}, 100, 100).isEmpty());
}

TEST(RegionOfInterest, SelectionsScaleToAlignedImageRegions) {
    for (const Region& selection :
         {Region{0, 0, 1, 1}, Region{13, 7, 211, 163}, Region{1, 1, 639, 479},
          Region{0, 0, 640, 480}, Region{600, 400, 640, 480}}) {
        const Region r = regionFromSelection(selection, 640, 1394, 1041);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(r.width() % 4, 0);
        EXPECT_EQ(r.height() % 2, 0);
        EXPECT_GE(r.left, 0);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.right, 1394);
        EXPECT_LE(r.bottom, 1041);
    }
    // k = 2048 / 640 = 3.2: (10, 10, 110, 60) -> (32, 32, 352, 192).
    EXPECT_EQ(regionFromSelection({10, 10, 110, 60}, 640, 2048, 1536), (Region{32, 32, 352, 192}));
    EXPECT_TRUE(regionFromSelection({10, 10, 10, 60}, 640, 2048, 1536).isEmpty());
    EXPECT_TRUE(regionFromSelection({10, 10, 20, 20}, 0, 2048, 1536).isEmpty());
}

TEST(SurfaceFit, KeepsTheAspectAndCentres) {
    EXPECT_EQ(fitSurface(800, 600, 2048, 1536), (SurfacePlacement{0, 0, 800, 600}));
    // A wide region in a tall window: the width decides.
    EXPECT_EQ(fitSurface(400, 600, 800, 200), (SurfacePlacement{0, 250, 400, 100}));
    // A tall region: the height decides.
    EXPECT_EQ(fitSurface(800, 600, 100, 300), (SurfacePlacement{300, 0, 200, 600}));
    // Small regions are enlarged to fill.
    EXPECT_EQ(fitSurface(640, 480, 64, 48), (SurfacePlacement{0, 0, 640, 480}));
    EXPECT_EQ(fitSurface(0, 480, 64, 48), SurfacePlacement{});
    EXPECT_EQ(fitSurface(640, 480, 0, 48), SurfacePlacement{});
}

TEST(RegionOfInterest, CropKeepsTheBottomUpOrder) {
    // A 4 x 3 bottom-up image whose pixel bytes say (column, row from the top, 0).
    const int width = 4, height = 3;
    std::vector<std::uint8_t> image(width * height * 3);
    for (int top = 0; top < height; ++top) {
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = &image[((height - 1 - top) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(x);
            p[1] = static_cast<std::uint8_t>(top);
            p[2] = 0;
        }
    }
    const Region region{1, 0, 3, 2};  // columns 1..2, rows 0..1 from the top
    std::vector<std::uint8_t> crop(2 * 2 * 3, 0xEE);
    cropRegion(image.data(), width, height, region, crop.data());
    // The crop is bottom-up too: its last row is the region's top row.
    const std::vector<std::uint8_t> expected{1, 1, 0, 2, 1, 0, 1, 0, 0, 2, 0, 0};
    EXPECT_EQ(crop, expected);
}

TEST(PixelCorrection, DividesByThePercentageAndSkipsBadRecords) {
    const int width = 3, height = 2;
    std::vector<std::uint8_t> image(width * height * 3, 100);
    const std::vector<PixelCorrection> corrections{
        {1, 1, {50, 80, 200}, 0},  // byte offset (1 x 3 + 1) x 3
        {2, 0, {10, 10, 10}, 0},   // 100 x 100 / 10 clamps at 255
        {3, 0, {50, 50, 50}, 0},   // outside the image
        {0, -1, {50, 50, 50}, 0},  // outside the image
        {0, 0, {0, 50, 50}, 0},    // a zero percentage would divide by zero
    };
    applyPixelCorrections(image.data(), width, height, corrections);
    const std::uint8_t* corrected = &image[(1 * width + 1) * 3];
    EXPECT_EQ(corrected[0], 200);
    EXPECT_EQ(corrected[1], 125);
    EXPECT_EQ(corrected[2], 50);
    EXPECT_EQ(image[(0 * width + 2) * 3], 255);
    EXPECT_EQ(image[0], 100);
    EXPECT_EQ(image[1], 100);
}
