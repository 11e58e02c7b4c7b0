// Figures of every kind on shapes whose answers are known, in pixels and after a calibration
// of 100 pixels = 10 µm; degenerate shapes are refused.

#include "krvmeasure/Calibration.h"
#include "krvmeasure/Geometry.h"
#include "krvmeasure/MeasureItem.h"
#include "krvmeasure/Units.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <numbers>

using namespace krvmeasure;

namespace {

const Calibration kTenMicrometres{QStringLiteral("10x"), 10.0, Unit::Micrometre};
constexpr double kPi = std::numbers::pi;

std::map<QString, double> figures(const MeasureItem& item,
                                  const Calibration& c = pixelCalibration()) {
    EXPECT_TRUE(whyDegenerate(item).isEmpty()) << whyDegenerate(item).toStdString();
    std::map<QString, double> named;
    for (const Figure& f : figuresOf(item)) {
        named[f.name] = calibrated(f.value, f.dimension, c);
    }
    return named;
}

TEST(Figures, LineOfATriangle345) {
    const MeasureItem line{ItemKind::Line, {{10, 20}, {310, 420}}, {}};
    EXPECT_DOUBLE_EQ(figures(line).at("Length"), 500.0);
    EXPECT_DOUBLE_EQ(figures(line, kTenMicrometres).at("Length"), 50.0);
}

TEST(Figures, RectangleWidthHeightAreaPerimeter) {
    const MeasureItem rect{ItemKind::Rectangle, {{300, 400}, {0, 0}}, {}};
    auto px = figures(rect);
    EXPECT_DOUBLE_EQ(px.at("Width"), 300);
    EXPECT_DOUBLE_EQ(px.at("Height"), 400);
    EXPECT_DOUBLE_EQ(px.at("Area"), 120000);
    EXPECT_DOUBLE_EQ(px.at("Perimeter"), 1400);
    auto um = figures(rect, kTenMicrometres);
    EXPECT_DOUBLE_EQ(um.at("Width"), 30);
    EXPECT_DOUBLE_EQ(um.at("Area"), 1200);  // areas go by the square of the scale
    EXPECT_DOUBLE_EQ(um.at("Perimeter"), 140);
}

TEST(Figures, CircleKindsAgreeOnOneCircle) {
    // The circle of centre (100, 100) and radius 50, three ways.
    const MeasureItem three{ItemKind::Circle3, {{150, 100}, {100, 150}, {50, 100}}, {}};
    const MeasureItem two{ItemKind::Circle2, {{100, 100}, {130, 140}}, {}};
    const MeasureItem diameter{ItemKind::DiameterCircle, {{70, 60}, {130, 140}}, {}};
    for (const auto& item : {three, two, diameter}) {
        auto px = figures(item);
        EXPECT_NEAR(px.at("Radius"), 50, 1e-9) << kindName(item.kind).toStdString();
        EXPECT_NEAR(px.at("Diameter"), 100, 1e-9);
        EXPECT_NEAR(px.at("Circumference"), 100 * kPi, 1e-9);
        EXPECT_NEAR(px.at("Area"), 2500 * kPi, 1e-6);
        auto um = figures(item, kTenMicrometres);
        EXPECT_NEAR(um.at("Radius"), 5, 1e-9);
        EXPECT_NEAR(um.at("Area"), 25 * kPi, 1e-9);
    }
    const auto circle = circleThrough({150, 100}, {100, 150}, {50, 100});
    ASSERT_TRUE(circle);
    EXPECT_NEAR(circle->centre.x(), 100, 1e-9);
    EXPECT_NEAR(circle->centre.y(), 100, 1e-9);
}

TEST(Figures, ConcentricRingsEach) {
    const MeasureItem rings{ItemKind::Concentric, {{0, 0}, {10, 0}, {0, 20}, {-30, 40}}, {}};
    auto px = figures(rings);
    EXPECT_DOUBLE_EQ(px.at("Radius 1"), 10);
    EXPECT_DOUBLE_EQ(px.at("Radius 2"), 20);
    EXPECT_DOUBLE_EQ(px.at("Radius 3"), 50);
    EXPECT_DOUBLE_EQ(px.at("Diameter 3"), 100);
    EXPECT_NEAR(px.at("Circumference 2"), 40 * kPi, 1e-9);
    EXPECT_NEAR(px.at("Area 1"), 100 * kPi, 1e-9);
    EXPECT_EQ(figuresOf(rings).size(), 12u);
}

TEST(Figures, PolygonOfKnownArea) {
    // An L shape: a 40 × 30 rectangle less a 20 × 20 corner = 800 px², perimeter 140.
    const MeasureItem l{
        ItemKind::Polygon, {{0, 0}, {40, 0}, {40, 10}, {20, 10}, {20, 30}, {0, 30}}, {}};
    auto px = figures(l);
    EXPECT_DOUBLE_EQ(px.at("Area"), 800);
    EXPECT_DOUBLE_EQ(px.at("Perimeter"), 140);
    EXPECT_DOUBLE_EQ(figures(l, kTenMicrometres).at("Area"), 8);
    // Clockwise or counter-clockwise, the area is the same.
    MeasureItem reversed = l;
    std::reverse(reversed.points.begin(), reversed.points.end());
    EXPECT_DOUBLE_EQ(figures(reversed).at("Area"), 800);
}

TEST(Figures, AngleOfThirtyDegrees) {
    const MeasureItem angle{ItemKind::Angle,
                            {{100, 0}, {0, 0}, {100 * std::cos(kPi / 6), -100 * std::sin(kPi / 6)}},
                            {}};
    EXPECT_NEAR(figures(angle).at("Angle"), 30, 1e-9);
    // Angles do not change with the calibration.
    EXPECT_NEAR(figures(angle, kTenMicrometres).at("Angle"), 30, 1e-9);
    const MeasureItem straight{ItemKind::Angle, {{-5, 0}, {0, 0}, {7, 0}}, {}};
    EXPECT_NEAR(figures(straight).at("Angle"), 180, 1e-9);
}

TEST(Figures, ParallelAndPerpendicularDistances) {
    const MeasureItem parallel{ItemKind::Parallel, {{0, 0}, {100, 0}, {37, 25}}, {}};
    EXPECT_DOUBLE_EQ(figures(parallel).at("Distance"), 25);
    // The 3-4-5 triangle scaled by 100: the line through (0, 300) and (400, 0) lies 240 from
    // the origin (300 × 400 ÷ 500).
    const MeasureItem perpendicular{ItemKind::Perpendicular, {{0, 300}, {400, 0}, {0, 0}}, {}};
    EXPECT_NEAR(figures(perpendicular).at("Distance"), 240, 1e-9);
    EXPECT_NEAR(figures(perpendicular, kTenMicrometres).at("Distance"), 24, 1e-9);
    // The foot may lie beyond the drawn line.
    const MeasureItem beyond{ItemKind::Perpendicular, {{0, 0}, {10, 0}, {50, 30}}, {}};
    EXPECT_DOUBLE_EQ(figures(beyond).at("Distance"), 30);
}

TEST(Figures, ArcRadiusAngleLength) {
    // A quarter of the circle of radius 100 about (200, 200), counter-clockwise on screen.
    const double r = 100;
    const MeasureItem arc{
        ItemKind::Arc,
        {{300, 200}, {200 + r * std::cos(kPi / 4), 200 - r * std::sin(kPi / 4)}, {200, 100}},
        {}};
    auto px = figures(arc);
    EXPECT_NEAR(px.at("Radius"), 100, 1e-9);
    EXPECT_NEAR(px.at("Angle"), 90, 1e-9);
    EXPECT_NEAR(px.at("Length"), 50 * kPi, 1e-9);
    // The same ends through the far side: three quarters.
    const MeasureItem longWay{ItemKind::Arc, {{300, 200}, {100, 200}, {200, 100}}, {}};
    EXPECT_NEAR(figures(longWay).at("Angle"), 270, 1e-9);
    EXPECT_NEAR(figures(longWay, kTenMicrometres).at("Length"), 15 * kPi, 1e-9);
}

TEST(Figures, CountIsTheNumberOfPoints) {
    const MeasureItem count{ItemKind::Count, {{1, 1}, {5, 5}, {9, 9}}, {}};
    EXPECT_DOUBLE_EQ(figures(count, kTenMicrometres).at("Count"), 3);
}

TEST(Figures, DegenerateItemsAreRefused) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<MeasureItem> bad{
        {ItemKind::Line, {{5, 5}, {5, 5}}, {}},
        {ItemKind::Line, {{5, 5}}, {}},
        {ItemKind::Line, {{nan, 5}, {5, 9}}, {}},
        {ItemKind::Rectangle, {{0, 0}, {10, 0}}, {}},
        {ItemKind::Circle2, {{3, 3}, {3, 3}}, {}},
        {ItemKind::Circle3, {{0, 0}, {10, 10}, {20, 20}}, {}},
        {ItemKind::Circle3, {{0, 0}, {10, 10}, {0, 0}}, {}},
        {ItemKind::Arc, {{0, 0}, {1e3, 1e-6}, {2e3, 0}}, {}},
        {ItemKind::Parallel, {{0, 0}, {10, 0}, {20, 0}}, {}},
        {ItemKind::Perpendicular, {{1, 1}, {1, 1}, {4, 5}}, {}},
        {ItemKind::Polygon, {{0, 0}, {10, 0}}, {}},
        {ItemKind::Polygon, {{0, 0}, {10, 0}, {20, 0}, {5, 0}}, {}},
        {ItemKind::Angle, {{0, 0}, {0, 0}, {5, 5}}, {}},
        {ItemKind::Concentric, {{0, 0}}, {}},
        {ItemKind::Concentric, {{0, 0}, {5, 0}, {0, 0}}, {}},
        {ItemKind::Count, {}, {}},
        {ItemKind::Remark, {{0, 0}, {10, 10}}, QStringLiteral("  ")},
    };
    for (const MeasureItem& item : bad) {
        EXPECT_FALSE(whyDegenerate(item).isEmpty()) << kindName(item.kind).toStdString();
    }
}

TEST(Units, ScaleLineLengthsFollowTheOneTwoFiveSeries) {
    EXPECT_DOUBLE_EQ(roundScaleLength(150), 100);
    EXPECT_DOUBLE_EQ(roundScaleLength(100), 100);
    EXPECT_DOUBLE_EQ(roundScaleLength(99), 50);
    EXPECT_DOUBLE_EQ(roundScaleLength(37.5), 20);
    EXPECT_DOUBLE_EQ(roundScaleLength(1.9), 1);
    EXPECT_NEAR(roundScaleLength(0.03), 0.02, 1e-15);
    EXPECT_DOUBLE_EQ(roundScaleLength(0), 0);
    EXPECT_DOUBLE_EQ(roundScaleLength(-4), 0);
    EXPECT_DOUBLE_EQ(roundScaleLength(std::numeric_limits<double>::infinity()), 0);
}

TEST(Units, NamesAndUnitTexts) {
    EXPECT_EQ(unitNames(), QStringList({"nm", "µm", "mm", "cm", "inch", "pixel"}));
    EXPECT_EQ(unitFromName(QStringLiteral("um")), Unit::Micrometre);
    EXPECT_EQ(unitFromName(QStringLiteral("INCH")), Unit::Inch);
    EXPECT_FALSE(unitFromName(QStringLiteral("furlong")));
    EXPECT_EQ(unitText(Dimension::Area, Unit::Micrometre), QStringLiteral("µm²"));
    EXPECT_EQ(unitText(Dimension::Length, Unit::Pixel), QStringLiteral("px"));
    EXPECT_EQ(unitText(Dimension::Angle, Unit::Millimetre), QStringLiteral("°"));
}

}  // namespace
