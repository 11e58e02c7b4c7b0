#include <algorithm>
#include <cmath>
#include <numeric>

#include "SimulatorFixture.h"

namespace krvcamera::test {
namespace {

using Picture = SimulatorTest;

double spread(const std::array<double, 3>& means) {
    const auto [lo, hi] = std::minmax_element(means.begin(), means.end());
    return (*hi - *lo) / *hi;
}

double greyMean(const Frame& frame) {
    const auto m = frame.channelMeans();
    return (m[0] + m[1] + m[2]) / 3.0;
}

double greyStdDev(const Frame& frame) {
    const double mean = greyMean(frame);
    double sum = 0;
    for (std::size_t i = 0; i < frame.image.size(); i += 3) {
        const double v = (frame.image[i] + frame.image[i + 1] + frame.image[i + 2]) / 3.0;
        sum += (v - mean) * (v - mean);
    }
    return std::sqrt(sum / static_cast<double>(frame.image.size() / 3));
}

TEST_F(Picture, BrightnessFollowsExposureAndAnalogGain) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetExposureTime(10), 1);
    const double single = grab().rawMean();
    ASSERT_EQ(KRVCameraSetExposureTime(20), 1);
    const double doubled = grab().rawMean();
    EXPECT_GT(single, 15.0);
    EXPECT_NEAR(doubled / single, 2.0, 0.1);

    ASSERT_EQ(KRVCameraSetAnalogGain(171), 1);  // a step up from unity in this model's family
    const double gained = grab().rawMean();
    EXPECT_GT(gained, doubled * 1.5);

    // Far too much light clips at full scale.
    ASSERT_EQ(KRVCameraSetExposureTime(3000), 1);
    EXPECT_GT(grab().rawMean(), 250.0);
}

TEST_F(Picture, OneShotWhiteBalanceEvensOutTheLampColour) {
    ASSERT_TRUE(open("sim:13", 1));
    const auto before = grab().channelMeans();
    EXPECT_GT(spread(before), 0.2) << "the lamp should give the picture a colour cast";
    EXPECT_GT(before[2], before[0]);  // more red than blue

    ASSERT_EQ(KRVCameraSetAWBState(1), 1);
    const auto after = grab().channelMeans();
    EXPECT_LT(spread(after), 0.03);
    int r = 0, g = 0, b = 0;
    ASSERT_EQ(KRVCameraGetGain(&r, &g, &b), 1);
    EXPECT_LT(r, 64);
    EXPECT_EQ(g, 64);
    EXPECT_GT(b, 64);
}

TEST_F(Picture, ColourGainsChangeTheColour) {
    ASSERT_TRUE(open("sim:23", 1));
    const auto before = grab().channelMeans();
    ASSERT_EQ(KRVCameraSetGain(32, 64, 128), 1);
    const auto after = grab().channelMeans();
    EXPECT_NEAR(after[2] / before[2], 0.5, 0.05);  // red
    EXPECT_NEAR(after[1] / before[1], 1.0, 0.03);
    EXPECT_GT(after[0] / before[0], 1.8);  // blue
}

// Mean green value of each column, or of each row of the picture as seen (top row first).
std::vector<double> profile(const Frame& frame, bool columns) {
    std::vector<double> sums(columns ? frame.width : frame.height, 0.0);
    for (int y = 0; y < frame.height; ++y) {
        for (int x = 0; x < frame.width; ++x) {
            const int top = frame.height - 1 - y;  // the image is stored bottom-up
            sums[columns ? x : top] +=
                frame.image[(static_cast<std::size_t>(y) * frame.width + x) * 3 + 1];
        }
    }
    return sums;
}

double distance(const std::vector<double>& a, const std::vector<double>& b, bool reversed) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sum += std::abs(a[i] - b[reversed ? b.size() - 1 - i : i]);
    }
    return sum;
}

TEST_F(Picture, MirrorsFlipThePictureAndKeepItsColours) {
    ASSERT_TRUE(open("sim:13", 1));
    const Frame plain = grab();
    for (int axis : {0, 1}) {
        SCOPED_TRACE(axis);
        ASSERT_EQ(KRVCameraSetMirror(axis, 1), 1);
        const Frame mirrored = grab();
        const bool columns = axis == 0;
        EXPECT_LT(distance(profile(plain, columns), profile(mirrored, columns), true) * 5,
                  distance(profile(plain, columns), profile(mirrored, columns), false));
        const auto a = plain.channelMeans();
        const auto b = mirrored.channelMeans();
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(b[c] / a[c], 1.0, 0.02) << "channel " << c;
        }
        int on = 0;
        ASSERT_EQ(KRVCameraGetMirror(axis, &on), 1);
        EXPECT_EQ(on, 1);
        KRVCameraSetMirror(axis, 0);
    }
    EXPECT_EQ(KRVCameraSetMirror(2, 1), 0);
}

TEST_F(Picture, MonochromeSensorDecodesRawRowsBottomUpAsGrey) {
    ASSERT_TRUE(open("sim:12", 1));
    EXPECT_EQ(KRVCameraDecodeType(), KRVCAMERA_DECODE_MONO);
    const Frame frame = grab();
    for (int y = 0; y < frame.height; y += 97) {
        for (int x = 0; x < frame.width; x += 13) {
            const std::uint8_t raw = frame.raw[static_cast<std::size_t>(y) * frame.width + x];
            const std::size_t at =
                (static_cast<std::size_t>(frame.height - 1 - y) * frame.width + x) * 3;
            ASSERT_EQ(frame.image[at], raw);
            ASSERT_EQ(frame.image[at + 1], raw);
            ASSERT_EQ(frame.image[at + 2], raw);
        }
    }
}

TEST_F(Picture, MonochromeSwitchTurnsAColourPictureGrey) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetMonochrome(1), 1);
    const Frame frame = grab();
    for (std::size_t i = 0; i < frame.image.size(); i += 3) {
        ASSERT_EQ(frame.image[i], frame.image[i + 1]);
        ASSERT_EQ(frame.image[i + 1], frame.image[i + 2]);
    }
}

TEST_F(Picture, GammaContrastAndSaturationShapeTheDecodedPicture) {
    ASSERT_TRUE(open("sim:13", 1));
    KRVCameraSetAWBState(1);
    const Frame plain = grab();

    KRVCameraSetGamma(150);
    EXPECT_GT(greyMean(grab()), greyMean(plain) + 10);
    KRVCameraSetGamma(20);
    EXPECT_LT(greyMean(grab()), greyMean(plain) - 10);
    KRVCameraSetGamma(100);

    KRVCameraSetContrast(100);
    EXPECT_GT(greyStdDev(grab()), greyStdDev(plain) * 1.5);
    KRVCameraSetContrast(20);
    EXPECT_LT(greyStdDev(grab()), greyStdDev(plain) * 0.7);
    KRVCameraSetContrast(0);

    // Saturation: the colour of a stained cell against its luminance.
    auto colourfulness = [](const Frame& f) {
        double sum = 0;
        for (std::size_t i = 0; i < f.image.size(); i += 3) {
            sum += std::abs(f.image[i + 2] - f.image[i + 1]);
        }
        return sum;
    };
    const double normal = colourfulness(plain);
    KRVCameraSetSaturation(8);
    EXPECT_LT(colourfulness(grab()), normal * 0.3);
    KRVCameraSetSaturation(248);
    const double vivid = colourfulness(grab());
    EXPECT_GT(vivid, normal * 1.4);
    KRVCameraSetColorEnhancement(1);
    EXPECT_GT(colourfulness(grab()), vivid * 1.1);

    uint8_t raw = 0;
    ASSERT_EQ(KRVCameraGetSaturation(&raw), 1);
    EXPECT_EQ(raw, 248);
}

TEST_F(Picture, SharpInterpolationDiffersFromSmooth) {
    ASSERT_TRUE(open("sim:13", 1));
    Frame frame = grab();
    std::vector<std::uint8_t> smooth(frame.image.size());
    std::vector<std::uint8_t> sharp(frame.image.size());
    ASSERT_EQ(KRVCameraDecode(frame.raw.data(), smooth.data(), frame.width, frame.height), 1);
    ASSERT_EQ(KRVCameraSetB2RGBMode(1), 1);
    ASSERT_EQ(KRVCameraDecode(frame.raw.data(), sharp.data(), frame.width, frame.height), 1);
    EXPECT_NE(smooth, sharp);
    const double smoothSum = std::accumulate(smooth.begin(), smooth.end(), 0.0);
    const double sharpSum = std::accumulate(sharp.begin(), sharp.end(), 0.0);
    EXPECT_NEAR(sharpSum / smoothSum, 1.0, 0.02);
}

TEST_F(Picture, DecodeRefusesImpossibleSizes) {
    ASSERT_TRUE(open("sim:13", 1));
    std::vector<std::uint8_t> raw(16), image(48);
    EXPECT_EQ(KRVCameraDecode(raw.data(), image.data(), 1, 16), 0);
    EXPECT_EQ(KRVCameraDecode(raw.data(), image.data(), 4, 0), 0);
    EXPECT_EQ(KRVCameraDecode(nullptr, image.data(), 4, 4), 0);
    EXPECT_EQ(KRVCameraDecode(raw.data(), nullptr, 4, 4), 0);
    EXPECT_EQ(KRVCameraDecode(raw.data(), image.data(), 4, 4), 1);
    // Odd sizes decode too: the edges reflect onto samples of the right colour.
    std::vector<std::uint8_t> odd(5 * 3, 100), oddImage(5 * 3 * 3);
    EXPECT_EQ(KRVCameraDecode(odd.data(), oddImage.data(), 5, 3), 1);
    EXPECT_EQ(std::count(oddImage.begin(), oddImage.end(), 100), 45);
}

// Largest relative difference between the row means of two frames.
double rowRipple(const Frame& a, const Frame& b) {
    double worst = 0;
    for (int y = 0; y < a.height; ++y) {
        double sa = 0, sb = 0;
        for (int x = 0; x < a.width; ++x) {
            sa += a.raw[static_cast<std::size_t>(y) * a.width + x];
            sb += b.raw[static_cast<std::size_t>(y) * b.width + x];
        }
        worst = std::max(worst, std::abs(sa - sb) / sa);
    }
    return worst;
}

TEST_F(Picture, MainsFlickerShowsOnlyAtTheWrongLightFrequency) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetExposureTime(12), 1);
    ASSERT_EQ(KRVCameraSetLightFrquency(0), 1);
    const Frame a = grab();
    const Frame b = grab();
    EXPECT_LT(rowRipple(a, b), 0.03);
    ASSERT_EQ(KRVCameraSetLightFrquency(1), 1);
    const Frame c = grab();
    const Frame d = grab();
    EXPECT_GT(rowRipple(c, d), 0.06);
}

TEST_F(Picture, CameraAutoExposureReachesItsTarget) {
    ASSERT_TRUE(open("sim:13", 1));
    ASSERT_EQ(KRVCameraSetExposureTime(2), 1);
    ASSERT_EQ(KRVCameraSetAeTarget(120), 1);
    ASSERT_EQ(KRVCameraSetAeState(1), 1);
    for (int i = 0; i < 15; ++i) {
        grab();
    }
    EXPECT_NEAR(grab().rawMean(), 120.0, 8.0);
    int exposure = 0;
    ASSERT_EQ(KRVCameraGetExposureTime(&exposure), 1);
    EXPECT_GT(exposure, 10);
    int state = 0;
    ASSERT_EQ(KRVCameraGetAeState(&state), 1);
    EXPECT_EQ(state, 1);
}

}  // namespace
}  // namespace krvcamera::test
