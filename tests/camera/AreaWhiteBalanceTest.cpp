#include "camera/AreaWhiteBalance.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvel::camera;

namespace {

constexpr std::uint8_t kRed = 200, kGreen = 100, kBlue = 50;

// The mosaic layouts written out site by site: 'R', 'B' or 'G' for rows and columns of
// each parity.
struct Layout {
    char evenEven, evenOdd, oddEven, oddOdd;
};
constexpr Layout kLayouts[4] = {
    {'R', 'G', 'G', 'B'},  // phase 0
    {'G', 'B', 'R', 'G'},  // phase 1
    {'G', 'R', 'B', 'G'},  // phase 2
    {'B', 'G', 'G', 'R'},  // phase 3
};

char siteOf(int phase, int y, int x) {
    const Layout& l = kLayouts[phase];
    if (y % 2 == 0) {
        return x % 2 == 0 ? l.evenEven : l.evenOdd;
    }
    return x % 2 == 0 ? l.oddEven : l.oddOdd;
}

std::vector<std::uint8_t> flatMosaic(int phase, int width, int height) {
    std::vector<std::uint8_t> raw(width * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const char c = siteOf(phase, y, x);
            raw[y * width + x] = c == 'R' ? kRed : c == 'B' ? kBlue : kGreen;
        }
    }
    return raw;
}

const std::uint8_t* pixel(const std::vector<std::uint8_t>& image, int width, int x, int y) {
    return &image[(y * width + x) * 3];
}

}  // namespace

TEST(Demosaic, SitesFollowEveryPhase) {
    for (int phase = 0; phase < 4; ++phase) {
        for (int y = 0; y < 2; ++y) {
            for (int x = 0; x < 2; ++x) {
                const char expected = siteOf(phase, y, x);
                const MosaicColour c = mosaicColour(phase, y, x);
                const char got = c == MosaicColour::Red ? 'R' : c == MosaicColour::Blue ? 'B' : 'G';
                EXPECT_EQ(got, expected) << "phase " << phase << " at " << y << "," << x;
            }
        }
    }
}

TEST(Demosaic, AFlatMosaicGivesItsColourInsideAndBlackOnTheBorder) {
    const int width = 6, height = 5;
    for (int phase = 0; phase < 4; ++phase) {
        const auto image =
            demosaicForBalance(flatMosaic(phase, width, height), width, height, phase);
        ASSERT_EQ(image.size(), std::size_t(width * height * 3));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = pixel(image, width, x, y);
                const bool border = x == 0 || y == 0 || x == width - 1 || y == height - 1;
                if (border) {
                    EXPECT_EQ(p[0] + p[1] + p[2], 0) << phase << " " << x << "," << y;
                } else {
                    EXPECT_EQ(p[0], kBlue) << phase << " " << x << "," << y;
                    EXPECT_EQ(p[1], kGreen) << phase << " " << x << "," << y;
                    EXPECT_EQ(p[2], kRed) << phase << " " << x << "," << y;
                }
            }
        }
    }
}

TEST(Demosaic, GreenComesFromTheFlatterDirection) {
    // Phase 0: (1, 1) is a blue site; its row neighbours differ by 20, its column ones by 0.
    std::vector<std::uint8_t> raw{
        8,  100, 12,  //
        10, 60,  30,  //
        4,  100, 16,  //
    };
    auto image = demosaicForBalance(raw, 3, 3, 0);
    const std::uint8_t* centre = pixel(image, 3, 1, 1);
    EXPECT_EQ(centre[0], 60);                     // its own blue
    EXPECT_EQ(centre[1], 100);                    // up/down: |10 - 30| is not below |100 - 100|
    EXPECT_EQ(centre[2], (8 + 12 + 4 + 16) / 4);  // red from the diagonals
    // Now the row is the flatter direction.
    raw = {8, 90, 12, 40, 60, 42, 4, 10, 16};
    image = demosaicForBalance(raw, 3, 3, 0);
    EXPECT_EQ(pixel(image, 3, 1, 1)[1], 41);
}

TEST(Demosaic, GreenSitesTakeRedAndBlueFromTheirNeighbours) {
    // Phase 1: (1, 1) is green, its row neighbours red, its column neighbours blue.
    const std::vector<std::uint8_t> raw{
        0,  20, 0,   //
        70, 50, 91,  //
        0,  31, 0,   //
    };
    const auto image = demosaicForBalance(raw, 3, 3, 1);
    const std::uint8_t* centre = pixel(image, 3, 1, 1);
    EXPECT_EQ(centre[0], (20 + 31) / 2);
    EXPECT_EQ(centre[1], 50);
    EXPECT_EQ(centre[2], (70 + 91) / 2);
}

TEST(Demosaic, TooSmallOrShortFramesGiveBlack) {
    EXPECT_EQ(demosaicForBalance(std::vector<std::uint8_t>(4, 9), 2, 2, 0),
              std::vector<std::uint8_t>(12, 0));
    EXPECT_EQ(demosaicForBalance(std::vector<std::uint8_t>(5, 9), 3, 3, 0),
              std::vector<std::uint8_t>(27, 0));
}

TEST(AreaBalance, NeutralGreyGivesUnityGains) {
    const int width = 16, height = 12;
    const std::vector<std::uint8_t> grey(width * height, 128);
    for (int phase = 0; phase < 4; ++phase) {
        const auto image = demosaicForBalance(grey, width, height, phase);
        EXPECT_EQ(balanceGains(image, width, height, {2, 2, 10, 8}), (ColourGainSet{64, 64, 64}));
    }
}

TEST(AreaBalance, GainsMakeTheAreaNeutral) {
    const int width = 10, height = 8;
    const auto image = demosaicForBalance(flatMosaic(0, width, height), width, height, 0);
    // Means blue 50, green 100, red 200: red gain 100 x 64 / 200, blue 100 x 64 / 50.
    EXPECT_EQ(balanceGains(image, width, height, {1, 1, 9, 7}), (ColourGainSet{32, 64, 128}));
    // A black area (the border) does not divide by zero.
    EXPECT_EQ(balanceGains(image, width, height, {0, 0, 1, 1}), (ColourGainSet{64, 64, 64}));
    EXPECT_EQ(balanceGains(image, width, height, {5, 5, 5, 5}), (ColourGainSet{64, 64, 64}));
}

TEST(AreaBalance, SelectionCornersScaleFromOnePastThem) {
    // k = 2: (c + 1) x 2.
    EXPECT_EQ(balanceAreaFromSelection({0, 0, 9, 4}, 320, 640, 480), (Region{2, 2, 20, 10}));
    EXPECT_EQ(balanceAreaFromSelection({300, 200, 320, 240}, 320, 640, 480),
              (Region{602, 402, 640, 480}));
    EXPECT_TRUE(balanceAreaFromSelection({5, 5, 5, 9}, 320, 640, 480).isEmpty());
}
