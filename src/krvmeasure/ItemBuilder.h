#pragma once

// Builds one item from the mouse, in picture pixels: a press-drag-release or clicks for
// the first segment, further clicks for the remaining points, and a double-click to end
// the kinds with any number of points (polygon, concentric circles).

#include "krvmeasure/MeasureItem.h"

namespace krvmeasure {

class ItemBuilder {
public:
    enum class Outcome { None, Changed, Finished };

    explicit ItemBuilder(ItemKind kind);

    ItemKind kind() const { return item_.kind; }
    bool active() const { return fixed_ > 0; }
    // The item as drawn while building: the fixed points and the point under the mouse.
    const MeasureItem& preview() const { return item_; }
    // After `Finished`: the item with its fixed points only.
    MeasureItem result() const;

    // `clickTolerance`: presses and releases closer than this (in picture pixels) are clicks.
    Outcome press(QPointF p, double clickTolerance);
    Outcome move(QPointF p);
    Outcome release(QPointF p, double clickTolerance);
    Outcome doubleClick(QPointF p, double clickTolerance);
    void reset();

private:
    Outcome fix(QPointF p);

    MeasureItem item_;
    int fixed_ = 0;
    bool pressed_ = false;
    QPointF pressPoint_;
};

}  // namespace krvmeasure
