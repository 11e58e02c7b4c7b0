#pragma once

// Plane geometry of the measurement items, in picture pixels. Plain functions without a
// window so that every figure can be checked on known shapes.

#include <QPointF>

#include <optional>
#include <vector>

namespace krvmeasure {

struct Circle {
    QPointF centre;
    double radius = 0;
};

// A circular arc from a start point through a middle point to an end point; angles in
// degrees, counter-clockwise in a y-up frame as QPainter::drawArc expects them.
struct ArcGeometry {
    Circle circle;
    double startDegrees = 0;
    double sweepDegrees = 0;  // signed; its magnitude is the central angle
};

double distance(QPointF a, QPointF b);

// Distance from p to the infinite line through a and b (0 when a == b is not guarded: the
// callers refuse such lines first).
double distanceToLine(QPointF p, QPointF a, QPointF b);

// The foot of the perpendicular from p on the infinite line through a and b.
QPointF footOnLine(QPointF p, QPointF a, QPointF b);

// Distance from p to the segment a-b.
double distanceToSegment(QPointF p, QPointF a, QPointF b);

// The circle through three points; none when they are (nearly) collinear or coincide.
std::optional<Circle> circleThrough(QPointF a, QPointF b, QPointF c);

// The arc from a through m to b; none when the points are (nearly) collinear.
std::optional<ArcGeometry> arcThrough(QPointF a, QPointF m, QPointF b);

// Area enclosed by a closed polygon (shoelace formula, absolute value).
double polygonArea(const std::vector<QPointF>& points);

// Length of the closed outline, including the closing edge.
double polygonPerimeter(const std::vector<QPointF>& points);

// The angle a-vertex-b in degrees, 0 to 180.
double angleDegrees(QPointF a, QPointF vertex, QPointF b);

// Whether the point has finite coordinates.
bool isFinite(QPointF p);

}  // namespace krvmeasure
