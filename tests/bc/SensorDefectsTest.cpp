// The simulated sensor's flaws: fixed per model, in the raw frames, unmoved by mirroring.

#include "krvcamera/KRVCamera.h"
#include "krvcamera/KRVCameraSimulator.h"
#include "krvcamera/SensorDefects.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using krvcamera::makeSensorDefects;

int countIf(const krvcamera::SensorDefects& defects, bool (*kind)(int)) {
    return static_cast<int>(std::ranges::count_if(
        defects.pixels, [&](const krvcamera::SensorDefect& d) { return kind(d.factor); }));
}

TEST(SensorDefects, EachModelHasItsOwnFixedSetOfHotDeadAndUnevenPixels) {
    const auto a = makeSensorDefects(13, 1024, 768);
    const auto again = makeSensorDefects(13, 1024, 768);
    const auto other = makeSensorDefects(11, 1024, 768);
    ASSERT_EQ(a->pixels.size(), again->pixels.size());
    EXPECT_TRUE(std::ranges::equal(a->pixels, again->pixels, [](const auto& x, const auto& y) {
        return x.offset == y.offset && x.factor == y.factor;
    }));
    EXPECT_FALSE(std::ranges::equal(a->pixels, other->pixels, [](const auto& x, const auto& y) {
        return x.offset == y.offset;
    }));
    EXPECT_EQ(countIf(*a, [](int f) { return f > krvcamera::kHotFactorBound; }), 12);
    EXPECT_EQ(countIf(*a, [](int f) { return f < krvcamera::kDeadFactorBound; }), 8);
    EXPECT_GT(a->pixels.size(), 1024u * 768u / 3000u);
    EXPECT_TRUE(std::ranges::is_sorted(a->pixels, {}, &krvcamera::SensorDefect::offset));
    EXPECT_TRUE(makeSensorDefects(13, 4, 4)->pixels.empty());
}

TEST(SensorDefects, RawFramesCarryThemWhereverTheReadoutIsMirrored) {
    krvcamera::resetLibrary();
    krvcamera::useVirtualClock(true);
    setenv("KRVCAMERA", "sim:12", 1);  // monochrome: a raw sample is a decoded pixel
    KRVCamera_ReflashCamera();
    ASSERT_EQ(KRVCameraInit(1, nullptr, nullptr), 1);
    KRVCameraSimulatorSetSlide(0);
    int width = 0;
    int height = 0;
    ASSERT_EQ(KRVCameraGetImageSize(&width, &height), 1);
    const auto defects = makeSensorDefects(12, width, height);
    std::vector<std::uint8_t> raw(static_cast<std::size_t>(width) * height);
    for (const int mirror : {0, 1}) {
        ASSERT_EQ(KRVCameraSetMirror(0, mirror), 1);
        while (KRVCameraGrabFrame(raw.data()) != 1) {
        }
        for (const krvcamera::SensorDefect& d : defects->pixels) {
            if (d.factor <= krvcamera::kHotFactorBound && d.factor >= krvcamera::kDeadFactorBound) {
                continue;
            }
            // Against its left and right neighbours, which are ordinary pixels.
            const double around = (raw[d.offset - 1] + raw[d.offset + 1]) / 2.0;
            const double ratio = raw[d.offset] / around;
            EXPECT_NEAR(ratio, d.factor / 256.0, 0.1 + 2.0 / around)
                << "mirror " << mirror << " offset " << d.offset;
        }
    }
    KRVCameraUnInit();
    krvcamera::resetLibrary();
    setenv("KRVCAMERA", "none", 1);
}

}  // namespace
