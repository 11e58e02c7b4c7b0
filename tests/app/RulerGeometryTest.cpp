#include "app/RulerGeometry.h"

#include <gtest/gtest.h>

using namespace korvel::app;

TEST(RulerGeometry, OriginIsTheClientStartPlusTheImageOffsetLessTheScroll) {
    RulerInput in;
    in.clientStart = 28;
    in.imageStart = 40;
    in.scrollPosition = 10;
    EXPECT_EQ(rulerOrigin(in), 28 + 40 - 10);
}

TEST(RulerGeometry, MinorEveryFiveMajorAndLabelEveryHundredImagePixels) {
    RulerInput in;
    in.clientStart = 21;
    in.imageStart = 0;
    in.imageEnd = 250;  // a 250-pixel image at zoom 1
    const RulerLayout layout = layoutRuler(in);
    ASSERT_EQ(layout.ticks.size(), 51u);  // 0, 5, ..., 250
    EXPECT_EQ(layout.ticks[0].position, 21);
    EXPECT_EQ(layout.ticks[0].length, 10);
    EXPECT_EQ(layout.ticks[1].position, 26);
    EXPECT_EQ(layout.ticks[1].length, 3);
    EXPECT_EQ(layout.ticks[20].length, 10);
    EXPECT_EQ(layout.ticks[20].position, 121);
    ASSERT_EQ(layout.labels.size(), 3u);
    EXPECT_EQ(layout.labels[0].text, "   0");
    EXPECT_EQ(layout.labels[1].text, " 100");
    EXPECT_EQ(layout.labels[1].position, 121 - 12);
    EXPECT_EQ(layout.labels[2].text, " 200");
}

TEST(RulerGeometry, ZoomScalesTheSpacingAndTheLabelsKeepImageCoordinates) {
    RulerInput in;
    in.orientation = RulerOrientation::Vertical;
    in.clientStart = 1;
    in.imageEnd = 400;  // 200 image pixels at zoom 2
    in.zoom = 2.0;
    const RulerLayout layout = layoutRuler(in);
    ASSERT_EQ(layout.ticks.size(), 41u);
    EXPECT_EQ(layout.ticks[1].position - layout.ticks[0].position, 10);
    ASSERT_EQ(layout.labels.size(), 3u);
    EXPECT_EQ(layout.labels[2].text, "200");
    EXPECT_EQ(layout.labels[2].position, 1 + 400 - 12);
    EXPECT_EQ(rulerTickEnd(RulerOrientation::Vertical), 27);
    EXPECT_EQ(rulerTickEnd(RulerOrientation::Horizontal), 25);
}

TEST(RulerGeometry, NothingIsDrawnWithoutAnImage) {
    RulerInput in;
    EXPECT_TRUE(layoutRuler(in).ticks.empty());
    in.imageEnd = 100;
    in.zoom = 0.0;
    EXPECT_TRUE(layoutRuler(in).ticks.empty());
}
