#include "krvmeasure/ItemBuilder.h"

#include "krvmeasure/Geometry.h"

namespace krvmeasure {

namespace {

// Fewest points the kinds with any number of points need before a double-click ends them.
int minimumPoints(ItemKind kind) {
    return kind == ItemKind::Polygon ? 3 : 2;
}

}  // namespace

ItemBuilder::ItemBuilder(ItemKind kind) {
    item_.kind = kind;
}

MeasureItem ItemBuilder::result() const {
    MeasureItem finished = item_;
    finished.points.resize(fixed_);
    return finished;
}

void ItemBuilder::reset() {
    item_.points.clear();
    fixed_ = 0;
    pressed_ = false;
}

ItemBuilder::Outcome ItemBuilder::fix(QPointF p) {
    item_.points.back() = p;
    ++fixed_;
    const int needed = fixedPointCount(item_.kind);
    if (needed > 0 && fixed_ >= needed) {
        item_.points.resize(fixed_);
        return Outcome::Finished;
    }
    item_.points.push_back(p);  // the next point follows the mouse
    return Outcome::Changed;
}

ItemBuilder::Outcome ItemBuilder::press(QPointF p, double) {
    pressed_ = true;
    pressPoint_ = p;
    if (fixed_ == 0) {
        item_.points = {p, p};
        fixed_ = 1;
        return Outcome::Changed;
    }
    return fix(p);
}

ItemBuilder::Outcome ItemBuilder::move(QPointF p) {
    if (fixed_ == 0 || item_.points.size() <= size_t(fixed_)) {
        return Outcome::None;
    }
    item_.points.back() = p;
    return Outcome::Changed;
}

ItemBuilder::Outcome ItemBuilder::release(QPointF p, double clickTolerance) {
    const bool wasPressed = pressed_;
    pressed_ = false;
    // Only the first segment can be dragged out; a short press is a click.
    if (wasPressed && fixed_ == 1 && distance(p, pressPoint_) > clickTolerance) {
        return fix(p);
    }
    return Outcome::None;
}

ItemBuilder::Outcome ItemBuilder::doubleClick(QPointF p, double clickTolerance) {
    pressed_ = false;
    if (fixedPointCount(item_.kind) > 0 || fixed_ == 0) {
        // A quick second click of a fixed-size item is still a click.
        pressed_ = true;
        return press(p, clickTolerance);
    }
    // The double-click's first press already fixed its point; a moved one adds it.
    item_.points.resize(fixed_);
    if (distance(item_.points.back(), p) > clickTolerance) {
        item_.points.push_back(p);
        ++fixed_;
    }
    if (fixed_ < minimumPoints(item_.kind)) {
        item_.points.push_back(p);
        return Outcome::Changed;
    }
    return Outcome::Finished;
}

}  // namespace krvmeasure
