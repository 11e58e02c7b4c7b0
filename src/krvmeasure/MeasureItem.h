#pragma once

// One measurement on a picture: its kind, its defining points in picture pixels and, for a
// remark, its text. Figures, validity, bounds and hit tests are plain functions of it.

#include "krvmeasure/Units.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <vector>

namespace krvmeasure {

// Point layout per kind:
//   Line, DiameterCircle: the two ends.       Rectangle: two opposite corners.
//   Parallel: the first line's ends, then a point on the parallel line.
//   Perpendicular: the line's ends, then the point whose distance is measured.
//   Circle2: centre, then a point on the circle.   Circle3: three points on the circle.
//   Concentric: centre, then one point per ring.   Polygon: the corners (at least three).
//   Angle: first arm's end, vertex, second arm's end.   Count: the counted points.
//   Remark: the point the leader marks, then the text's position.
//   Arc: start, a point on the arc, end.
enum class ItemKind {
    Line,
    Parallel,
    Perpendicular,
    Rectangle,
    Circle2,
    Circle3,
    DiameterCircle,
    Concentric,
    Polygon,
    Angle,
    Count,
    Remark,
    Arc,
};

struct MeasureItem {
    ItemKind kind = ItemKind::Line;
    std::vector<QPointF> points;
    QString text;

    bool operator==(const MeasureItem&) const = default;
};

// A figure in picture pixels (lengths in px, areas in px², angles in degrees).
struct Figure {
    QString name;
    double value = 0;
    Dimension dimension = Dimension::Length;
};

// The name shown for a kind: "Line", "Parallel", … "Arc".
QString kindName(ItemKind kind);

// Number of points a finished item of the kind has; 0 for kinds with a variable number.
int fixedPointCount(ItemKind kind);

// Why the item cannot be kept (a zero-length line, three collinear circle points, …), or an
// empty text when it is sound. Degenerate items never enter the measurement list.
QString whyDegenerate(const MeasureItem& item);

// The figures of a sound item, in pixels.
std::vector<Figure> figuresOf(const MeasureItem& item);

// The area the item's lines cover, in picture pixels (labels not included).
QRectF outlineBounds(const MeasureItem& item);

// Distance from p to the item's drawn outline (for picking), in picture pixels.
double distanceToOutline(const MeasureItem& item, QPointF p);

// The point near which the item's label is drawn.
QPointF labelAnchor(const MeasureItem& item);

// The item moved by an offset.
MeasureItem translated(const MeasureItem& item, QPointF offset);

}  // namespace krvmeasure
