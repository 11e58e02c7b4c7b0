#include "krvmeasure/MeasureItem.h"

#include "krvmeasure/Geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace krvmeasure {

namespace {

// Below this a length counts as zero: points closer than a thousandth of a pixel coincide.
constexpr double kMinimumLength = 1e-3;
// Coordinates beyond this cannot come from a picture and overflow the painter.
constexpr double kLargestCoordinate = 1e7;

Figure length(const QString& name, double value) {
    return {name, value, Dimension::Length};
}

Figure area(const QString& name, double value) {
    return {name, value, Dimension::Area};
}

void appendCircleFigures(std::vector<Figure>& figures, double radius, const QString& suffix = {}) {
    figures.push_back(length(QStringLiteral("Radius") + suffix, radius));
    figures.push_back(length(QStringLiteral("Diameter") + suffix, 2 * radius));
    figures.push_back(
        length(QStringLiteral("Circumference") + suffix, 2 * std::numbers::pi * radius));
    figures.push_back(area(QStringLiteral("Area") + suffix, std::numbers::pi * radius * radius));
}

// The circle of a circle kind (not concentric rings).
std::optional<Circle> circleOf(const MeasureItem& item) {
    const auto& p = item.points;
    switch (item.kind) {
        case ItemKind::Circle2:
            return Circle{p[0], distance(p[0], p[1])};
        case ItemKind::DiameterCircle:
            return Circle{(p[0] + p[1]) / 2, distance(p[0], p[1]) / 2};
        case ItemKind::Circle3:
            return circleThrough(p[0], p[1], p[2]);
        default:
            return std::nullopt;
    }
}

double polylineDistance(const std::vector<QPointF>& points, QPointF p, bool closed) {
    double best = std::numeric_limits<double>::max();
    const size_t edges = closed ? points.size() : points.size() - 1;
    for (size_t i = 0; i < edges; ++i) {
        best = std::min(best, distanceToSegment(p, points[i], points[(i + 1) % points.size()]));
    }
    return best;
}

QRectF pointBounds(const std::vector<QPointF>& points) {
    double left = points[0].x(), right = left, top = points[0].y(), bottom = top;
    for (const QPointF& q : points) {
        left = std::min(left, q.x());
        right = std::max(right, q.x());
        top = std::min(top, q.y());
        bottom = std::max(bottom, q.y());
    }
    return QRectF(QPointF(left, top), QPointF(right, bottom));
}

QRectF circleBounds(const Circle& c) {
    return QRectF(c.centre.x() - c.radius, c.centre.y() - c.radius, 2 * c.radius, 2 * c.radius);
}

}  // namespace

QString kindName(ItemKind kind) {
    switch (kind) {
        case ItemKind::Line:
            return QStringLiteral("Line");
        case ItemKind::Parallel:
            return QStringLiteral("Parallel");
        case ItemKind::Perpendicular:
            return QStringLiteral("Perpendicular");
        case ItemKind::Rectangle:
            return QStringLiteral("Rectangle");
        case ItemKind::Circle2:
            return QStringLiteral("Two Point Circle");
        case ItemKind::Circle3:
            return QStringLiteral("Three Point Circle");
        case ItemKind::DiameterCircle:
            return QStringLiteral("Diameter Circle");
        case ItemKind::Concentric:
            return QStringLiteral("Concentric Circle");
        case ItemKind::Polygon:
            return QStringLiteral("Polygon");
        case ItemKind::Angle:
            return QStringLiteral("Angle");
        case ItemKind::Count:
            return QStringLiteral("Count");
        case ItemKind::Remark:
            return QStringLiteral("Remark");
        case ItemKind::Arc:
            break;
    }
    return QStringLiteral("Arc");
}

int fixedPointCount(ItemKind kind) {
    switch (kind) {
        case ItemKind::Line:
        case ItemKind::Rectangle:
        case ItemKind::Circle2:
        case ItemKind::DiameterCircle:
        case ItemKind::Remark:
            return 2;
        case ItemKind::Parallel:
        case ItemKind::Perpendicular:
        case ItemKind::Circle3:
        case ItemKind::Angle:
        case ItemKind::Arc:
            return 3;
        case ItemKind::Concentric:
        case ItemKind::Polygon:
        case ItemKind::Count:
            break;
    }
    return 0;
}

QString whyDegenerate(const MeasureItem& item) {
    const auto& p = item.points;
    const int fixed = fixedPointCount(item.kind);
    if (fixed > 0 && int(p.size()) != fixed) {
        return QStringLiteral("%1 needs %2 points.").arg(kindName(item.kind)).arg(fixed);
    }
    for (const QPointF& q : p) {
        if (!isFinite(q) || std::abs(q.x()) > kLargestCoordinate ||
            std::abs(q.y()) > kLargestCoordinate) {
            return QStringLiteral("A point lies outside any picture.");
        }
    }
    switch (item.kind) {
        case ItemKind::Line:
        case ItemKind::Circle2:
        case ItemKind::DiameterCircle:
            if (distance(p[0], p[1]) < kMinimumLength) {
                return QStringLiteral("The two points coincide.");
            }
            break;
        case ItemKind::Remark:
            if (item.text.trimmed().isEmpty()) {
                return QStringLiteral("A remark needs a text.");
            }
            break;
        case ItemKind::Parallel:
            if (distance(p[0], p[1]) < kMinimumLength) {
                return QStringLiteral("The first line has no length.");
            }
            if (distanceToLine(p[2], p[0], p[1]) < kMinimumLength) {
                return QStringLiteral("The parallel line lies on the first one.");
            }
            break;
        case ItemKind::Perpendicular:
            if (distance(p[0], p[1]) < kMinimumLength) {
                return QStringLiteral("The line has no length.");
            }
            break;
        case ItemKind::Rectangle:
            if (std::abs(p[0].x() - p[1].x()) < kMinimumLength ||
                std::abs(p[0].y() - p[1].y()) < kMinimumLength) {
                return QStringLiteral("The rectangle has no width or no height.");
            }
            break;
        case ItemKind::Circle3:
        case ItemKind::Arc:
            if (!circleThrough(p[0], p[1], p[2]) ||
                circleThrough(p[0], p[1], p[2])->radius > kLargestCoordinate) {
                return QStringLiteral("The three points lie on one line.");
            }
            break;
        case ItemKind::Angle:
            if (distance(p[0], p[1]) < kMinimumLength || distance(p[2], p[1]) < kMinimumLength) {
                return QStringLiteral("An arm of the angle has no length.");
            }
            break;
        case ItemKind::Concentric:
            if (p.size() < 2) {
                return QStringLiteral("Concentric circles need a centre and a ring.");
            }
            for (size_t i = 1; i < p.size(); ++i) {
                if (distance(p[0], p[i]) < kMinimumLength) {
                    return QStringLiteral("A ring has no radius.");
                }
            }
            break;
        case ItemKind::Polygon:
            if (p.size() < 3) {
                return QStringLiteral("A polygon needs at least three corners.");
            }
            if (polygonArea(p) < kMinimumLength * kMinimumLength) {
                return QStringLiteral("The polygon encloses no area.");
            }
            break;
        case ItemKind::Count:
            if (p.empty()) {
                return QStringLiteral("Nothing is counted.");
            }
            break;
    }
    return {};
}

std::vector<Figure> figuresOf(const MeasureItem& item) {
    const auto& p = item.points;
    std::vector<Figure> figures;
    switch (item.kind) {
        case ItemKind::Line:
            figures.push_back(length(QStringLiteral("Length"), distance(p[0], p[1])));
            break;
        case ItemKind::Parallel:
        case ItemKind::Perpendicular:
            figures.push_back(length(QStringLiteral("Distance"), distanceToLine(p[2], p[0], p[1])));
            break;
        case ItemKind::Rectangle: {
            const double width = std::abs(p[1].x() - p[0].x());
            const double height = std::abs(p[1].y() - p[0].y());
            figures.push_back(length(QStringLiteral("Width"), width));
            figures.push_back(length(QStringLiteral("Height"), height));
            figures.push_back(area(QStringLiteral("Area"), width * height));
            figures.push_back(length(QStringLiteral("Perimeter"), 2 * (width + height)));
            break;
        }
        case ItemKind::Circle2:
        case ItemKind::Circle3:
        case ItemKind::DiameterCircle:
            if (const auto circle = circleOf(item)) {
                appendCircleFigures(figures, circle->radius);
            }
            break;
        case ItemKind::Concentric:
            for (size_t i = 1; i < p.size(); ++i) {
                appendCircleFigures(figures, distance(p[0], p[i]), QStringLiteral(" %1").arg(i));
            }
            break;
        case ItemKind::Polygon:
            figures.push_back(area(QStringLiteral("Area"), polygonArea(p)));
            figures.push_back(length(QStringLiteral("Perimeter"), polygonPerimeter(p)));
            break;
        case ItemKind::Angle:
            figures.push_back(
                {QStringLiteral("Angle"), angleDegrees(p[0], p[1], p[2]), Dimension::Angle});
            break;
        case ItemKind::Count:
            figures.push_back({QStringLiteral("Count"), double(p.size()), Dimension::Count});
            break;
        case ItemKind::Remark:
            break;
        case ItemKind::Arc:
            if (const auto arc = arcThrough(p[0], p[1], p[2])) {
                const double sweep = std::abs(arc->sweepDegrees);
                figures.push_back(length(QStringLiteral("Radius"), arc->circle.radius));
                figures.push_back({QStringLiteral("Angle"), sweep, Dimension::Angle});
                figures.push_back(length(QStringLiteral("Length"),
                                         arc->circle.radius * sweep * std::numbers::pi / 180));
            }
            break;
    }
    return figures;
}

QRectF outlineBounds(const MeasureItem& item) {
    const auto& p = item.points;
    if (p.empty()) {
        return {};
    }
    QRectF bounds = pointBounds(p);
    switch (item.kind) {
        case ItemKind::Circle2:
        case ItemKind::Circle3:
        case ItemKind::DiameterCircle:
            if (const auto circle = circleOf(item)) {
                bounds = bounds.united(circleBounds(*circle));
            }
            break;
        case ItemKind::Arc:
            if (const auto arc = arcThrough(p[0], p[1], p[2])) {
                bounds = bounds.united(circleBounds(arc->circle));
            }
            break;
        case ItemKind::Concentric:
            for (size_t i = 1; i < p.size(); ++i) {
                bounds = bounds.united(circleBounds({p[0], distance(p[0], p[i])}));
            }
            break;
        case ItemKind::Parallel: {
            // The parallel line runs through p[2] with the first line's direction and length.
            const QPointF shift = p[2] - footOnLine(p[2], p[0], p[1]);
            bounds = bounds.united(pointBounds({p[0] + shift, p[1] + shift}));
            break;
        }
        default:
            break;
    }
    return bounds;
}

double distanceToOutline(const MeasureItem& item, QPointF q) {
    const auto& p = item.points;
    if (p.empty()) {
        return std::numeric_limits<double>::max();
    }
    switch (item.kind) {
        case ItemKind::Line:
        case ItemKind::Remark:
            return distanceToSegment(q, p[0], p[1]);
        case ItemKind::Parallel: {
            const QPointF shift = p[2] - footOnLine(p[2], p[0], p[1]);
            return std::min(distanceToSegment(q, p[0], p[1]),
                            distanceToSegment(q, p[0] + shift, p[1] + shift));
        }
        case ItemKind::Perpendicular:
            return std::min(distanceToSegment(q, p[0], p[1]),
                            distanceToSegment(q, p[2], footOnLine(p[2], p[0], p[1])));
        case ItemKind::Rectangle:
            return polylineDistance({p[0], {p[1].x(), p[0].y()}, p[1], {p[0].x(), p[1].y()}}, q,
                                    true);
        case ItemKind::Circle2:
        case ItemKind::Circle3:
        case ItemKind::DiameterCircle:
            if (const auto circle = circleOf(item)) {
                return std::abs(distance(q, circle->centre) - circle->radius);
            }
            break;
        case ItemKind::Arc:
            if (const auto arc = arcThrough(p[0], p[1], p[2])) {
                return std::abs(distance(q, arc->circle.centre) - arc->circle.radius);
            }
            break;
        case ItemKind::Concentric: {
            double best = distance(q, p[0]);
            for (size_t i = 1; i < p.size(); ++i) {
                best = std::min(best, std::abs(distance(q, p[0]) - distance(p[0], p[i])));
            }
            return best;
        }
        case ItemKind::Polygon:
            return polylineDistance(p, q, true);
        case ItemKind::Angle:
            return polylineDistance(p, q, false);
        case ItemKind::Count: {
            double best = std::numeric_limits<double>::max();
            for (const QPointF& point : p) {
                best = std::min(best, distance(q, point));
            }
            return best;
        }
    }
    return std::numeric_limits<double>::max();
}

QPointF labelAnchor(const MeasureItem& item) {
    const auto& p = item.points;
    if (p.empty()) {
        return {};
    }
    switch (item.kind) {
        case ItemKind::Line:
            return (p[0] + p[1]) / 2;
        case ItemKind::Parallel:
            return (p[2] + footOnLine(p[2], p[0], p[1])) / 2;
        case ItemKind::Perpendicular:
            return (p[2] + footOnLine(p[2], p[0], p[1])) / 2;
        case ItemKind::Rectangle:
            return QPointF(std::max(p[0].x(), p[1].x()), std::min(p[0].y(), p[1].y()));
        case ItemKind::Circle2:
        case ItemKind::Circle3:
        case ItemKind::DiameterCircle:
            if (const auto circle = circleOf(item)) {
                return circle->centre;
            }
            break;
        case ItemKind::Polygon: {
            QPointF sum;
            for (const QPointF& q : p) {
                sum += q;
            }
            return sum / double(p.size());
        }
        case ItemKind::Angle:
        case ItemKind::Arc:
            return p[1];
        case ItemKind::Remark:
            return p[1];
        case ItemKind::Count:
            // Below the counted points, clear of their numbers.
            return pointBounds(p).bottomLeft();
        case ItemKind::Concentric:
            return p[0];
    }
    return p[0];
}

MeasureItem translated(const MeasureItem& item, QPointF offset) {
    MeasureItem moved = item;
    for (QPointF& p : moved.points) {
        p += offset;
    }
    return moved;
}

}  // namespace krvmeasure
