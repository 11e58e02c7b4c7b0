#include "camera/FrameExchange.h"
#include "camera/FrameSurface.h"

#include <gtest/gtest.h>

using namespace korvel::camera;

namespace {

FrameExchange::Buffer frame(std::uint8_t tag) {
    return FrameExchange::Buffer(4, tag);
}

}  // namespace

TEST(FrameExchange, TheNewestFrameWinsAndReplacedFramesAreNeverTaken) {
    FrameExchange exchange;
    FrameExchange::Buffer grab, decode;
    exchange.reset(4, grab, decode);
    EXPECT_FALSE(exchange.take(decode));

    grab = frame(1);
    exchange.publish(grab);
    grab = frame(2);
    exchange.publish(grab);  // frame 1 is replaced before anyone took it
    grab = frame(3);
    exchange.publish(grab);
    ASSERT_TRUE(exchange.take(decode));
    EXPECT_EQ(decode, frame(3));
    // Each frame is taken once: nothing new, nothing taken, the decoded frame stays.
    EXPECT_FALSE(exchange.take(decode));
    EXPECT_EQ(decode, frame(3));

    // The grab side gets back the buffers the frames travelled in, never the one the decode
    // side holds.
    grab = frame(4);
    exchange.publish(grab);
    EXPECT_NE(grab, frame(3));
    ASSERT_TRUE(exchange.take(decode));
    EXPECT_EQ(decode, frame(4));
}

TEST(FrameExchange, BuffersAreSwappedNotCopied) {
    FrameExchange exchange;
    FrameExchange::Buffer grab, decode;
    exchange.reset(8, grab, decode);
    const std::uint8_t* published = grab.data();
    exchange.publish(grab);
    ASSERT_TRUE(exchange.take(decode));
    EXPECT_EQ(decode.data(), published);
    EXPECT_EQ(decode.size(), 8u);
}

TEST(FrameSurface, EachPublishedPictureIsPaintedAtMostOnceAndTheNewestWins) {
    FrameSurface surface;
    int notified = 0;
    surface.setPublishedCallback([&] { ++notified; });
    surface.setTargetSize(QSize(2, 1));
    EXPECT_EQ(surface.targetSize(), QSize(2, 1));
    EXPECT_EQ(surface.takeNewest().serial, 0u);

    for (int i = 0; i < 3; ++i) {
        surface.backBuffer().resize(2, 1);
        surface.backBuffer().pixels[0] = static_cast<std::uint8_t>(10 + i);
        surface.publish();
    }
    // One repaint request until the painter takes a picture.
    EXPECT_EQ(notified, 1);
    const SurfacePicture& newest = surface.takeNewest();
    EXPECT_EQ(newest.serial, 3u);
    EXPECT_EQ(newest.pixels[0], 12);
    // Nothing new: the same picture again.
    EXPECT_EQ(surface.takeNewest().serial, 3u);
    surface.backBuffer().resize(2, 1);
    surface.publish();
    EXPECT_EQ(notified, 2);
    EXPECT_EQ(surface.takeNewest().serial, 4u);
    EXPECT_EQ(surface.publishedCount(), 4u);
}

TEST(FrameScaling, SameSizeCopiesAndFlipsToTopDown) {
    // 2 x 2 bottom-up image: bottom row first.
    const std::vector<std::uint8_t> image{1, 2, 3, 4,  5,  6,  // bottom row
                                          7, 8, 9, 10, 11, 12};
    SurfacePicture out;
    out.resize(2, 2);
    scaleRegion(image.data(), 2, 2, {0, 0, 2, 2}, out);
    EXPECT_EQ(out.stride, 8);
    EXPECT_EQ(std::vector<std::uint8_t>(out.pixels.begin(), out.pixels.begin() + 6),
              (std::vector<std::uint8_t>{7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(std::vector<std::uint8_t>(out.pixels.begin() + 8, out.pixels.begin() + 14),
              (std::vector<std::uint8_t>{1, 2, 3, 4, 5, 6}));
    const QImage view = out.image();
    EXPECT_EQ(view.pixel(0, 0), qRgb(9, 8, 7));
}

TEST(FrameScaling, UniformImagesStayUniformAtAnyScale) {
    const int width = 37, height = 23;
    std::vector<std::uint8_t> image(width * height * 3);
    for (std::size_t i = 0; i < image.size(); i += 3) {
        image[i] = 10;
        image[i + 1] = 128;
        image[i + 2] = 250;
    }
    for (const QSize size : {QSize(5, 3), QSize(37, 23), QSize(100, 61), QSize(1, 1)}) {
        SurfacePicture out;
        out.resize(size.width(), size.height());
        scaleRegion(image.data(), width, height, {3, 2, 30, 20}, out);
        for (int y = 0; y < out.height; ++y) {
            for (int x = 0; x < out.width; ++x) {
                const std::uint8_t* p = &out.pixels[y * out.stride + x * 3];
                ASSERT_EQ(p[0], 10);
                ASSERT_EQ(p[1], 128);
                ASSERT_EQ(p[2], 250);
            }
        }
    }
}

TEST(FrameScaling, TheRegionIsWhatIsShownAndBadRegionsDrawNothing) {
    // 8 x 4 image, left half black, right half white.
    const int width = 8, height = 4;
    std::vector<std::uint8_t> image(width * height * 3, 0);
    for (int y = 0; y < height; ++y) {
        std::fill_n(&image[(y * width + 4) * 3], 12, 255);
    }
    SurfacePicture out;
    out.resize(4, 4);
    scaleRegion(image.data(), width, height, {4, 0, 8, 4}, out);
    EXPECT_EQ(out.pixels[0], 255);
    std::fill(out.pixels.begin(), out.pixels.end(), 7);
    scaleRegion(image.data(), width, height, {4, 0, 9, 4}, out);  // past the right edge
    EXPECT_EQ(out.pixels[0], 7);
}

TEST(FrameScaling, MatchesAPlainBilinearReference) {
    // A reference in floating point: centre-aligned bilinear over the region, clamped at
    // its edges. The fixed-point scaler may round each pass differently: at most 2 apart.
    const int width = 41, height = 29;
    std::vector<std::uint8_t> image(width * height * 3);
    std::uint32_t seed = 12345;
    for (auto& byte : image) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<std::uint8_t>(seed >> 24);
    }
    const Region region{3, 2, 38, 27};
    const auto at = [&](int x, int yFromTop, int c) {
        return image[((height - 1 - yFromTop) * width + x) * 3 + c];
    };
    const auto coordinate = [](int i, int source, int destination) {
        const double s = (i + 0.5) * source / destination - 0.5;
        return std::clamp(s, 0.0, static_cast<double>(source - 1));
    };
    for (const QSize size : {QSize(70, 50), QSize(35, 25), QSize(12, 9), QSize(35, 60)}) {
        SurfacePicture out;
        out.resize(size.width(), size.height());
        scaleRegion(image.data(), width, height, region, out);
        for (int y = 0; y < out.height; ++y) {
            const double sy = coordinate(y, region.height(), out.height);
            const int y0 = static_cast<int>(sy);
            const int y1 = std::min(y0 + 1, region.height() - 1);
            const double fy = sy - y0;
            for (int x = 0; x < out.width; ++x) {
                const double sx = coordinate(x, region.width(), out.width);
                const int x0 = static_cast<int>(sx);
                const int x1 = std::min(x0 + 1, region.width() - 1);
                const double fx = sx - x0;
                for (int c = 0; c < 3; ++c) {
                    const auto v = [&](int xx, int yy) {
                        return double(at(region.left + xx, region.top + yy, c));
                    };
                    const double expected = (v(x0, y0) * (1 - fx) + v(x1, y0) * fx) * (1 - fy) +
                                            (v(x0, y1) * (1 - fx) + v(x1, y1) * fx) * fy;
                    const int got = out.pixels[y * out.stride + x * 3 + c];
                    ASSERT_NEAR(got, expected, 2.0)
                        << size.width() << "x" << size.height() << " at " << x << "," << y;
                }
            }
        }
    }
}
