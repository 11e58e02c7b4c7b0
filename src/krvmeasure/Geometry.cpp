#include "krvmeasure/Geometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace krvmeasure {

namespace {

double cross(QPointF u, QPointF v) {
    return u.x() * v.y() - u.y() * v.x();
}

double dot(QPointF u, QPointF v) {
    return u.x() * v.x() + u.y() * v.y();
}

double degrees(double radians) {
    return radians * 180.0 / std::numbers::pi;
}

}  // namespace

double distance(QPointF a, QPointF b) {
    return std::hypot(b.x() - a.x(), b.y() - a.y());
}

double distanceToLine(QPointF p, QPointF a, QPointF b) {
    const double length = distance(a, b);
    if (length <= 0) {
        return distance(p, a);
    }
    return std::abs(cross(b - a, p - a)) / length;
}

QPointF footOnLine(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double lengthSquared = dot(d, d);
    if (lengthSquared <= 0) {
        return a;
    }
    return a + d * (dot(p - a, d) / lengthSquared);
}

double distanceToSegment(QPointF p, QPointF a, QPointF b) {
    const QPointF d = b - a;
    const double lengthSquared = dot(d, d);
    if (lengthSquared <= 0) {
        return distance(p, a);
    }
    const double t = std::clamp(dot(p - a, d) / lengthSquared, 0.0, 1.0);
    return distance(p, a + d * t);
}

std::optional<Circle> circleThrough(QPointF a, QPointF b, QPointF c) {
    const double longest = std::max({distance(a, b), distance(b, c), distance(a, c)});
    const double twiceArea = cross(b - a, c - a);
    // Collinear within a relative tolerance: the circle would be huge or undefined.
    if (longest <= 0 || std::abs(twiceArea) <= 1e-6 * longest * longest) {
        return std::nullopt;
    }
    const double d = 2 * twiceArea;
    const QPointF ab = b - a;
    const QPointF ac = c - a;
    const double ab2 = dot(ab, ab);
    const double ac2 = dot(ac, ac);
    const QPointF offset((ac.y() * ab2 - ab.y() * ac2) / d, (ab.x() * ac2 - ac.x() * ab2) / d);
    return Circle{a + offset, std::hypot(offset.x(), offset.y())};
}

std::optional<ArcGeometry> arcThrough(QPointF a, QPointF m, QPointF b) {
    const auto circle = circleThrough(a, m, b);
    if (!circle) {
        return std::nullopt;
    }
    // Angles in a y-up frame (picture rows grow downwards).
    auto angleOf = [&](QPointF p) {
        return degrees(std::atan2(-(p.y() - circle->centre.y()), p.x() - circle->centre.x()));
    };
    auto normalise = [](double angle) {
        angle = std::fmod(angle, 360.0);
        return angle < 0 ? angle + 360.0 : angle;
    };
    const double start = angleOf(a);
    const double toMiddle = normalise(angleOf(m) - start);
    const double toEnd = normalise(angleOf(b) - start);
    // Counter-clockwise reaches the middle before the end, or else the arc runs clockwise.
    const double sweep = toMiddle <= toEnd ? toEnd : toEnd - 360.0;
    return ArcGeometry{*circle, start, sweep};
}

double polygonArea(const std::vector<QPointF>& points) {
    double twice = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        twice += cross(points[i], points[(i + 1) % points.size()]);
    }
    return std::abs(twice) / 2;
}

double polygonPerimeter(const std::vector<QPointF>& points) {
    double length = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        length += distance(points[i], points[(i + 1) % points.size()]);
    }
    return points.size() < 2 ? 0 : length;
}

double angleDegrees(QPointF a, QPointF vertex, QPointF b) {
    const QPointF u = a - vertex;
    const QPointF v = b - vertex;
    return degrees(std::atan2(std::abs(cross(u, v)), dot(u, v)));
}

bool isFinite(QPointF p) {
    return std::isfinite(p.x()) && std::isfinite(p.y());
}

}  // namespace krvmeasure
