#include "document/SelectionOutline.h"

#include <cmath>

namespace korvel::document {

void SelectionOutline::clear() {
    points_.clear();
    rectangle_ = false;
}

void SelectionOutline::append(QPoint point) {
    if (static_cast<int>(points_.size()) < kAppendLimit) {
        points_.push_back(point);
    }
}

void SelectionOutline::dragRectangle(QPoint point) {
    if (points_.empty()) {
        points_.push_back(point);
        return;
    }
    const QPoint corner = points_.front();
    points_ = {corner, QPoint(point.x(), corner.y()), point, QPoint(corner.x(), point.y()), corner};
    rectangle_ = true;
}

void SelectionOutline::close() {
    if (!points_.empty() && !rectangle_ && static_cast<int>(points_.size()) < kCapacity) {
        points_.push_back(points_.front());
    }
}

void SelectionOutline::translate(QPoint delta) {
    for (QPoint& p : points_) {
        p += delta;
    }
}

void SelectionOutline::rotate(double cx, double cy, double angle, const double (&corners)[5][2]) {
    if (!rectangle_ || points_.size() != 5) {
        return;
    }
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (int i = 0; i < 5; ++i) {
        const double dx = corners[i][0] - cx;
        const double dy = corners[i][1] - cy;
        points_[static_cast<std::size_t>(i)] =
            QPoint(static_cast<int>(cx + dx * c - dy * s), static_cast<int>(cy + dx * s + dy * c));
    }
}

std::vector<QPoint> SelectionOutline::bottomUp(int pictureHeight) const {
    std::vector<QPoint> result;
    result.reserve(points_.size());
    for (const QPoint& p : points_) {
        result.emplace_back(p.x(), pictureHeight - 1 - p.y());
    }
    return result;
}

}  // namespace korvel::document
