#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

#include "OpsTestSupport.h"
#include "image/ops/KxImageOps.h"

using namespace opstest;

namespace {

TEST(Fourier, ForwardThenInverseRestoresThePicture) {
    // Unitary scaling: the spectrum of a dim picture fits the 8-bit store.
    std::mt19937 random(5);
    for (auto [w, h, force] : {std::tuple{16u, 16u, true}, {12u, 10u, false}}) {
        KxImage img = Grey8(w, h, [&](uint32_t, uint32_t) { return random() % 12; });
        KxImage real(img), imag = Grey8(w, h, [](uint32_t, uint32_t) { return 0; });
        KxImage host;
        ASSERT_TRUE(kxops::FFT2(host, &real, &imag, nullptr, nullptr, 1, force, false));
        ASSERT_EQ(real.GetWidth(), w);
        ASSERT_TRUE(kxops::FFT2(host, &real, &imag, nullptr, nullptr, -1, force, false));
        EXPECT_LE(MaxDifference(real, img), 1) << w;
        EXPECT_EQ(host.GetProgress(), 100);
    }
}

TEST(Fourier, AWaveShowsAtItsFrequencyForAnySize) {
    // Three periods across 12 columns; 10 rows (neither a power of two).
    KxImage wave = Grey8(12, 10, [](uint32_t x, uint32_t) {
        return static_cast<int>(std::lround(8 + 6 * std::cos(2 * M_PI * 3 * x / 12.0)));
    });
    for (bool realRows : {true, false}) {
        KxImage real(wave), mag, phase, host;
        KxImage zero = Grey8(12, 10, [](uint32_t, uint32_t) { return 0; });
        ASSERT_TRUE(
            kxops::FFT2(host, &real, realRows ? nullptr : &zero, &mag, &phase, 1, false, true));
        ASSERT_EQ(mag.GetWidth(), 12u);
        // 6 / 2 x sqrt(120) at the wave's frequency and its mirror, 8 x sqrt(120) at zero.
        EXPECT_NEAR(Grey(mag, 3, 0), 33, 1);
        EXPECT_NEAR(Grey(mag, 9, 0), 33, 1);
        EXPECT_NEAR(Grey(mag, 0, 0), 88, 1);
        for (auto [x, y] : {std::pair{2, 0}, {4, 0}, {3, 1}, {5, 5}})
            EXPECT_LE(Grey(mag, x, y), 1) << x << "," << y;
    }
}

TEST(Fourier, MatchesTheDefinitionOnWidePictures) {
    // Wider than one strip of columns, power-of-two and other heights: every coefficient
    // equals a directly summed separable transform.
    std::mt19937 random(9);
    for (auto [w, h] : {std::pair{200u, 64u}, {70u, 36u}}) {
        KxImage img = Grey8(w, h, [&](uint32_t, uint32_t) { return random() % 4; });
        std::vector<std::complex<double>> a(size_t(w) * h), b(size_t(w) * h);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                a[size_t(y) * w + x] = Grey(img, x, y);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t k = 0; k < w; ++k) {
                std::complex<double> sum;
                for (uint32_t x = 0; x < w; ++x)
                    sum += a[size_t(y) * w + x] * std::polar(1.0, -2 * M_PI * k * x / w);
                b[size_t(y) * w + k] = sum;
            }
        for (uint32_t x = 0; x < w; ++x)
            for (uint32_t k = 0; k < h; ++k) {
                std::complex<double> sum;
                for (uint32_t y = 0; y < h; ++y)
                    sum += b[size_t(y) * w + x] * std::polar(1.0, -2 * M_PI * k * y / h);
                a[size_t(k) * w + x] = sum / std::sqrt(double(w) * h);
            }
        KxImage host, real, imag;
        ASSERT_TRUE(kxops::FFT2(host, &img, nullptr, &real, &imag, 1, false, false));
        int worst = 0;
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) {
                const auto level = [](double v) {
                    return int(std::clamp(v + 128.0, 0.0, 255.0) + 0.5);
                };
                const std::complex<double> z = a[size_t(y) * w + x];
                worst = std::max({worst, std::abs(Grey(real, x, y) - level(z.real())),
                                  std::abs(Grey(imag, x, y) - level(z.imag()))});
            }
        EXPECT_LE(worst, 1) << w << "x" << h;
    }
}

TEST(Fourier, MagnitudeOfAFlatPictureIsAllInTheMean) {
    KxImage flat = Grey8(8, 8, [](uint32_t, uint32_t) { return 10; });
    KxImage mag, phase;
    KxImage host;
    ASSERT_TRUE(kxops::FFT2(host, &flat, nullptr, &mag, &phase, 1, true, true));
    EXPECT_EQ(Grey(mag, 0, 0), 80);  // 10 x sqrt(64)
    EXPECT_EQ(Grey(mag, 3, 5), 0);
    // Force FFT takes other sizes to powers of two.
    KxImage odd = Grey8(12, 5, [](uint32_t x, uint32_t) { return x; });
    ASSERT_TRUE(kxops::FFT2(host, &odd, nullptr, nullptr, nullptr, 1, true, false));
    EXPECT_EQ(odd.GetWidth(), 16u);
    EXPECT_EQ(odd.GetHeight(), 8u);
    EXPECT_FALSE(kxops::FFT2(host, nullptr, nullptr, nullptr, nullptr, 1, true, false));
    EXPECT_FALSE(kxops::FFT2(host, &flat, nullptr, nullptr, nullptr, 0, true, false));
}

TEST(SelectionMask, RectanglesPolygonsAndTheBox) {
    KxImage img(40, 30, 24);
    RECT box;
    EXPECT_FALSE(kxops::SelectionGetBox(img, box));
    ASSERT_TRUE(kxops::SelectionAddRect(img, RECT{5, 20, 15, 10}));
    ASSERT_TRUE(kxops::SelectionGetBox(img, box));
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 15);
    EXPECT_EQ(box.bottom, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_FALSE(kxops::SelectionAddRect(img, RECT{50, 60, 70, 80}));
    ASSERT_TRUE(kxops::SelectionClear(img));
    EXPECT_TRUE(img.SelectionIsValid());
    EXPECT_FALSE(kxops::SelectionGetBox(img, box));

    // A pentagram: even-odd filling leaves its centre out.
    const POINT star[5] = {{20, 28}, {8, 2}, {38, 18}, {2, 18}, {32, 2}};
    ASSERT_TRUE(kxops::SelectionAddPolygon(img, star, 5));
    const uint8_t* mask = img.SelectionGetPointer();
    EXPECT_EQ(mask[13 * 40 + 20], 0);
    EXPECT_EQ(mask[24 * 40 + 20], 255);
    EXPECT_EQ(mask[0], 0);
    ASSERT_TRUE(kxops::SelectionGetBox(img, box));
    EXPECT_GE(box.left, 2);
    EXPECT_LE(box.right, 38);
    EXPECT_FALSE(kxops::SelectionAddPolygon(img, star, 2));
}

TEST(AlphaPlane, InvertStripSplitAndSet) {
    KxImage img(6, 4, 24);
    img.Clear(0);
    ASSERT_TRUE(img.AlphaCreate());
    img.AlphaSet(1, 1, 0);
    img.AlphaSet(2, 1, 128);
    ASSERT_TRUE(kxops::AlphaInvert(img));
    EXPECT_EQ(img.AlphaGet(1, 1), 255);
    EXPECT_EQ(img.AlphaGet(0, 0), 0);
    ASSERT_TRUE(kxops::AlphaInvert(img));

    KxImage plane;
    ASSERT_TRUE(kxops::AlphaSplit(img, &plane));
    EXPECT_EQ(Grey(plane, 2, 1), 128);
    KxImage other(6, 4, 24);
    ASSERT_TRUE(kxops::AlphaSet(other, plane));
    EXPECT_EQ(other.AlphaGet(2, 1), 128);
    KxImage wrong(5, 4, 8);
    EXPECT_FALSE(kxops::AlphaSet(other, wrong));

    img.SetTransColor(KxRGB(255, 255, 255));
    ASSERT_TRUE(kxops::AlphaStrip(img));
    EXPECT_FALSE(img.AlphaIsValid());
    EXPECT_EQ(img.GetPixelColor(1, 1).rgbRed, 255);  // fully transparent: the background
    EXPECT_EQ(img.GetPixelColor(2, 1).rgbRed, 127);
    EXPECT_EQ(img.GetPixelColor(0, 0).rgbRed, 0);

    KxImage pal(4, 4, 8);
    pal.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});  // transparent black
    pal.SetPaletteColor(1, RGBQUAD{0, 0, 0, 255});
    pal.AlphaPaletteEnable(true);
    pal.SetTransColor(KxRGB(255, 255, 255));
    ASSERT_TRUE(kxops::AlphaStrip(pal));
    EXPECT_FALSE(pal.AlphaPaletteIsEnabled());
    EXPECT_EQ(pal.GetPixelColor(0, 0).rgbRed, 255);
    KxImage none(3, 3, 24);
    EXPECT_FALSE(kxops::AlphaInvert(none));
}

TEST(BadInput, EveryOperationRefusesAnEmptyPicture) {
    const int32_t kernel[9] = {};
    const std::vector<std::function<bool(KxImage&)>> ops = {
        [](KxImage& i) { return kxops::Flip(i); },
        [](KxImage& i) { return kxops::Mirror(i); },
        [](KxImage& i) { return kxops::RotateLeft(i); },
        [](KxImage& i) { return kxops::Rotate2(i, 10.0f); },
        [](KxImage& i) { return kxops::Resample(i, 4, 4, 0); },
        [](KxImage& i) { return kxops::Resample2(i, 4, 4); },
        [](KxImage& i) {
            return kxops::Crop(i, RECT{0, 1, 1, 0});
        },
        [](KxImage& i) { return kxops::CropRotatedRectangle(i, 0, 0, 1, 1, 0.0f); },
        [](KxImage& i) { return kxops::Skew(i, 0.1f, 0.1f); },
        [](KxImage& i) { return kxops::CircleTransform(i, 0); },
        [](KxImage& i) { return kxops::IncreaseBpp(i, 24); },
        [](KxImage& i) { return kxops::DecreaseBpp(i, 8, false); },
        [](KxImage& i) { return kxops::Dither(i, 0); },
        [](KxImage& i) { return kxops::Threshold(i, 1); },
        [](KxImage& i) { return kxops::Colorize(i, 1, 1); },
        [](KxImage& i) { return kxops::ShiftRGB(i, 1, 1, 1); },
        [](KxImage& i) { return kxops::Light(i, 1); },
        [](KxImage& i) { return kxops::Gamma(i, 1.0f); },
        [](KxImage& i) { return kxops::Negative(i); },
        [](KxImage& i) { return kxops::GrayScale(i); },
        [](KxImage& i) { return kxops::HistogramStretch(i, 0); },
        [](KxImage& i) { return kxops::HistogramEqualize(i); },
        [](KxImage& i) { return kxops::HistogramNormalize(i); },
        [](KxImage& i) { return kxops::HistogramLog(i); },
        [](KxImage& i) { return kxops::HistogramRoot(i); },
        [&](KxImage& i) { return kxops::Filter(i, kernel, 3, 1, 0); },
        [](KxImage& i) { return kxops::Erode(i, 3); },
        [](KxImage& i) { return kxops::Dilate(i, 3); },
        [](KxImage& i) { return kxops::Edge(i, 3); },
        [](KxImage& i) { return kxops::Median(i, 3); },
        [](KxImage& i) { return kxops::Contour(i); },
        [](KxImage& i) { return kxops::Noise(i, 3); },
        [](KxImage& i) { return kxops::Jitter(i, 3); },
        [](KxImage& i) { return kxops::Repair(i); },
        [](KxImage& i) { return kxops::SplitRGB(i, nullptr, nullptr, nullptr); },
        [](KxImage& i) { return kxops::SplitCMYK(i, nullptr, nullptr, nullptr, nullptr); },
        [](KxImage& i) { return kxops::Mix(i, KxImage(2, 2, 24), OpAdd); },
        [](KxImage& i) { return kxops::AlphaStrip(i); },
        [](KxImage& i) {
            return kxops::SelectionAddRect(i, RECT{0, 1, 1, 0});
        },
    };
    for (size_t k = 0; k < ops.size(); ++k) {
        KxImage empty;
        EXPECT_FALSE(ops[k](empty)) << k;
        EXPECT_FALSE(empty.IsValid()) << k;
    }
    KxImage empty;
    EXPECT_EQ(kxops::Mean(empty), 0.0f);
}

}  // namespace
