#include "BackgroundField.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace bc {
namespace {

// An evenly lit field with the lens's gentle fall-off and a little noise, bytes blue,
// green, red at different levels as a lamp would give them.
struct Field {
    int width = 160;
    int height = 120;
    std::vector<float> values;

    explicit Field(float level = 140.0f, float noise = 0.5f) {
        values.resize(static_cast<std::size_t>(width) * height * 3);
        std::mt19937 random(7);
        std::normal_distribution<float> normal(0.0f, noise);
        const float colour[3] = {0.6f, 0.85f, 1.0f};
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const float dx = (x - width / 2.0f) / width;
                const float dy = (y - height / 2.0f) / height;
                const float falloff = 1.0f - 0.6f * (dx * dx + dy * dy);
                for (int b = 0; b < 3; ++b) {
                    at(x, y, b) = level * colour[b] * falloff + normal(random);
                }
            }
        }
    }
    float& at(int x, int y, int b) {
        return values[(static_cast<std::size_t>(y) * width + x) * 3 + b];
    }
    void scalePixel(int x, int y, float factor) {
        for (int b = 0; b < 3; ++b) {
            at(x, y, b) *= factor;
        }
    }
};

const CorrectionRecord* recordAt(const std::vector<CorrectionRecord>& records, int x, int y) {
    for (const CorrectionRecord& r : records) {
        if (r.x == x && r.y == y) {
            return &r;
        }
    }
    return nullptr;
}

TEST(Detection, FindsPlantedHotDeadAndDimPixelsAndNothingElse) {
    Field field;
    field.scalePixel(20, 30, 2.0f);   // hot
    field.scalePixel(100, 60, 0.1f);  // dead
    field.at(5, 5, 1) *= 0.8f;        // one dim byte near the corner
    field.scalePixel(0, 119, 1.25f);  // on the very edge
    field.scalePixel(80, 61, 0.97f);  // within the tolerance: left alone

    const std::vector<CorrectionRecord> records =
        findDeviatingPixels(field.values, field.width, field.height);
    ASSERT_EQ(records.size(), 4u);

    const CorrectionRecord* hot = recordAt(records, 20, 30);
    ASSERT_NE(hot, nullptr);
    for (int b = 0; b < 3; ++b) {
        EXPECT_NEAR(hot->percent[b], 200, 3) << b;
    }
    const CorrectionRecord* dead = recordAt(records, 100, 60);
    ASSERT_NE(dead, nullptr);
    for (int b = 0; b < 3; ++b) {
        EXPECT_NEAR(dead->percent[b], 10, 1) << b;
    }
    const CorrectionRecord* dim = recordAt(records, 5, 5);
    ASSERT_NE(dim, nullptr);
    EXPECT_NEAR(dim->percent[0], 100, 2);
    EXPECT_NEAR(dim->percent[1], 80, 2);
    EXPECT_NEAR(dim->percent[2], 100, 2);
    const CorrectionRecord* edge = recordAt(records, 0, 119);
    ASSERT_NE(edge, nullptr);
    EXPECT_NEAR(edge->percent[2], 125, 3);
}

TEST(Detection, PercentagesStayWithinTheByteAndNeverZero) {
    Field field;
    field.scalePixel(40, 40, 4.0f);  // would be 400 %
    field.scalePixel(60, 40, 0.0f);  // gives nothing at all
    const std::vector<CorrectionRecord> records =
        findDeviatingPixels(field.values, field.width, field.height);
    ASSERT_EQ(records.size(), 2u);
    const CorrectionRecord* bright = recordAt(records, 40, 40);
    const CorrectionRecord* black = recordAt(records, 60, 40);
    ASSERT_TRUE(bright && black);
    for (int b = 0; b < 3; ++b) {
        EXPECT_EQ(bright->percent[b], 255);
        EXPECT_EQ(black->percent[b], 1);
    }
}

TEST(Detection, RecordsComeInMemoryOrderAndAClusterIsFoundWhole) {
    Field field;
    // A hot pixel spilt into its neighbours by the colour interpolation.
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            field.scalePixel(50 + dx, 50 + dy, dx == 0 && dy == 0 ? 2.0f : 1.3f);
        }
    }
    const std::vector<CorrectionRecord> records =
        findDeviatingPixels(field.values, field.width, field.height);
    ASSERT_EQ(records.size(), 9u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_LT(std::make_pair(records[i - 1].y, records[i - 1].x),
                  std::make_pair(records[i].y, records[i].x));
    }
    EXPECT_NEAR(recordAt(records, 50, 50)->percent[1], 200, 3);
    EXPECT_NEAR(recordAt(records, 49, 51)->percent[1], 130, 3);
}

TEST(Detection, ImpossibleInputGivesNoRecords) {
    Field field;
    EXPECT_TRUE(findDeviatingPixels(field.values, 0, 10).empty());
    EXPECT_TRUE(findDeviatingPixels(field.values, -5, 10).empty());
    EXPECT_TRUE(findDeviatingPixels(field.values, field.width, field.height + 1).empty());
    EXPECT_TRUE(findDeviatingPixels({}, 4, 4).empty());
    std::vector<float> tiny(3, 100.0f);
    EXPECT_TRUE(findDeviatingPixels(tiny, 1, 1).empty());
}

TEST(FieldLevel, TooDarkTooBrightAndUnevenFieldsAreRefused) {
    std::vector<CorrectionRecord> records{{1, 1, {50, 50, 50}}};
    Field dark(30.0f);
    dark.scalePixel(10, 10, 2.0f);
    EXPECT_EQ(measureField(dark.values, dark.width, dark.height, records), FieldVerdict::TooDark);
    EXPECT_TRUE(records.empty());

    Field bright(300.0f);
    for (float& v : bright.values) {
        v = std::min(v, 255.0f);
    }
    EXPECT_EQ(judgeFieldLevel(bright.values), FieldVerdict::TooBright);

    // A specimen in the way: stripes everywhere.
    Field striped;
    for (int y = 0; y < striped.height; ++y) {
        for (int x = 0; x < striped.width; x += 3) {
            striped.scalePixel(x, y, 0.5f);
        }
    }
    EXPECT_EQ(measureField(striped.values, striped.width, striped.height, records),
              FieldVerdict::Uneven);
    EXPECT_TRUE(records.empty());

    Field usable;
    usable.scalePixel(10, 10, 2.0f);
    EXPECT_EQ(measureField(usable.values, usable.width, usable.height, records),
              FieldVerdict::Usable);
    EXPECT_EQ(records.size(), 1u);
    EXPECT_EQ(judgeFieldLevel({}), FieldVerdict::TooDark);
}

TEST(Averaging, AveragesEveryByteOverTheFramesAdded) {
    FieldAverager averager(2, 1);
    EXPECT_TRUE(averager.average().empty());
    const std::uint8_t a[6] = {0, 10, 255, 1, 2, 3};
    const std::uint8_t b[6] = {0, 20, 255, 2, 2, 4};
    ASSERT_TRUE(averager.add(a));
    ASSERT_TRUE(averager.add(b));
    EXPECT_FALSE(averager.add(nullptr));
    const std::vector<float> mean = averager.average();
    const std::vector<float> expected = {0.0f, 15.0f, 255.0f, 1.5f, 2.0f, 3.5f};
    EXPECT_EQ(mean, expected);
    EXPECT_EQ(averager.frames(), 2);

    FieldAverager full(1, 1);
    const std::uint8_t white[3] = {255, 255, 255};
    for (int i = 0; i < FieldAverager::kMaximumFrames; ++i) {
        ASSERT_TRUE(full.add(white));
    }
    EXPECT_FALSE(full.add(white)) << "more frames would overflow the sums";
    EXPECT_EQ(full.average()[0], 255.0f);
}

}  // namespace
}  // namespace bc
