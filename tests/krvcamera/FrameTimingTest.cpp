#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

using FrameTiming = SimulatorTest;

// Frames delivered over `spanMs` of the simulator's clock.
int framesOver(double spanMs, std::vector<std::uint8_t>& raw) {
    const double start = simulatorElapsedMs();
    int frames = 0;
    while (simulatorElapsedMs() - start < spanMs) {
        frames += KRVCameraGrabFrame(raw.data());
    }
    return frames;
}

TEST_F(FrameTiming, FrameRateFollowsExposure) {
    ASSERT_TRUE(open("sim:13", 1));
    std::vector<std::uint8_t> raw(1024 * 768);
    ASSERT_EQ(KRVCameraSetExposureTime(100), 1);
    EXPECT_DOUBLE_EQ(simulatorFrameIntervalMs(), 100.0);
    const int at100 = framesOver(2000, raw);
    ASSERT_EQ(KRVCameraSetExposureTime(200), 1);
    EXPECT_DOUBLE_EQ(simulatorFrameIntervalMs(), 200.0);
    const int at200 = framesOver(2000, raw);
    EXPECT_NEAR(at100, 20, 1);
    EXPECT_NEAR(at200, 10, 1);
}

TEST_F(FrameTiming, ShortExposuresAreLimitedBySpeedModeReadout) {
    ASSERT_TRUE(open("sim:13", 0));  // 2048 x 1536
    ASSERT_EQ(KRVCameraSetExposureTime(1), 1);
    double previous = 0;
    for (uint8_t mode = 0; mode <= 3; ++mode) {
        ASSERT_EQ(KRVCameraSetSpeedMode(mode), 1);
        const double interval = simulatorFrameIntervalMs();
        EXPECT_GT(interval, previous * 1.5) << int(mode);
        previous = interval;
    }
    uint8_t mode = 0;
    ASSERT_EQ(KRVCameraGetSpeedMode(&mode), 1);
    EXPECT_EQ(mode, 3);
    ASSERT_EQ(KRVCameraSetFrameSpeed(1), 1);
    EXPECT_LT(simulatorFrameIntervalMs(), previous);
}

TEST_F(FrameTiming, LongExposureGrabsReturnWithinABoundedWait) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetExposureTime(3599999), 1);
    int exposure = 0;
    ASSERT_EQ(KRVCameraGetExposureTime(&exposure), 1);
    EXPECT_EQ(exposure, 3599999);
    ASSERT_EQ(KRVCameraReStartLongExpTime(0), 1);
    std::vector<std::uint8_t> raw(1024 * 768);
    const double start = simulatorElapsedMs();
    EXPECT_EQ(KRVCameraGrabFrame(raw.data()), 0);
    const double waited = simulatorElapsedMs() - start;
    EXPECT_GT(waited, 0.0);
    EXPECT_LE(waited, 500.0);
    // A shorter exposure does not wait out the long one.
    ASSERT_EQ(KRVCameraSetExposureTime(20), 1);
    EXPECT_EQ(framesOver(200, raw) > 5, true);
}

TEST_F(FrameTiming, RestartBeginsANewFullExposure) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetExposureTime(1000), 1);
    std::vector<std::uint8_t> raw(1024 * 768);
    while (KRVCameraGrabFrame(raw.data()) != 1) {
    }
    const double restart = simulatorElapsedMs();
    ASSERT_EQ(KRVCameraReStartLongExpTime(0), 1);
    while (KRVCameraGrabFrame(raw.data()) != 1) {
    }
    EXPECT_NEAR(simulatorElapsedMs() - restart, 1000.0, 1.0);
}

TEST_F(FrameTiming, ExposureIsClampedToTheModelsRange) {
    ASSERT_TRUE(open("sim:1", 2));
    int exposure = 0;
    ASSERT_EQ(KRVCameraSetExposureTime(5000), 1);
    ASSERT_EQ(KRVCameraGetExposureTime(&exposure), 1);
    EXPECT_EQ(exposure, 304);
    ASSERT_EQ(KRVCameraSetExposureTime(0), 1);
    ASSERT_EQ(KRVCameraGetExposureTime(&exposure), 1);
    EXPECT_EQ(exposure, 1);
}

TEST_F(FrameTiming, RowTimeGivesTheLongestExposureOfTypeTwentyEight) {
    ASSERT_TRUE(open("sim:28", 3));
    int rowTime = 0;
    ASSERT_EQ(KRVCameraGetRowTime(&rowTime), 1);
    EXPECT_EQ(static_cast<int>(rowTime * 3000 * 0.001), 750);
    KRVCameraUnInit();
    resetLibrary();
    ASSERT_TRUE(open("sim:13", 1));
    EXPECT_EQ(KRVCameraGetRowTime(&rowTime), 0);
}

}  // namespace
}  // namespace krvcamera::test
