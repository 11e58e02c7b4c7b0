#include "document/RectTracker.h"

#include <QPainter>
#include <QPen>

#include <algorithm>

namespace korvel::document {

namespace {
// The rectangle whose opposite corners are `a` and `b`, both inside it.
QRect spanning(QPoint a, QPoint b) {
    return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                 QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}
}  // namespace

QRect RectTracker::handleRect(Hit hit) const {
    // Handles sit outside the rectangle, touching its outline.
    const int h = kHandleSize;
    const int left = rect_.left() - h;
    const int right = rect_.right() + 1;
    const int top = rect_.top() - h;
    const int bottom = rect_.bottom() + 1;
    const int midX = rect_.center().x() - h / 2;
    const int midY = rect_.center().y() - h / 2;
    switch (hit) {
        case kTopLeft:
            return {left, top, h, h};
        case kTopRight:
            return {right, top, h, h};
        case kBottomRight:
            return {right, bottom, h, h};
        case kBottomLeft:
            return {left, bottom, h, h};
        case kTop:
            return {midX, top, h, h};
        case kRight:
            return {right, midY, h, h};
        case kBottom:
            return {midX, bottom, h, h};
        case kLeft:
            return {left, midY, h, h};
        default:
            return {};
    }
}

RectTracker::Hit RectTracker::hitTest(QPoint point) const {
    if (rect_.isEmpty()) {
        return kNothing;
    }
    for (int i = kTopLeft; i <= kLeft; ++i) {
        if (handleRect(Hit(i)).contains(point)) {
            return Hit(i);
        }
    }
    return rect_.contains(point) ? kInside : kNothing;
}

void RectTracker::press(QPoint point) {
    tracking_ = true;
    pressPoint_ = point;
    grabbed_ = hitTest(point);
    if (grabbed_ == kNothing) {
        rect_ = QRect();
    }
    startRect_ = rect_;
}

void RectTracker::drag(QPoint point) {
    if (!tracking_) {
        return;
    }
    if (grabbed_ == kNothing) {
        // A rubber band from the press point; either direction is allowed.
        rect_ = spanning(pressPoint_, point);
        return;
    }
    const QPoint d = point - pressPoint_;
    if (grabbed_ == kInside) {
        rect_ = startRect_.translated(d);
        return;
    }
    // Edges as coordinates of the pixel lines around the rectangle.
    int left = startRect_.left();
    int top = startRect_.top();
    int right = startRect_.right() + 1;
    int bottom = startRect_.bottom() + 1;
    const bool movesLeft = grabbed_ == kTopLeft || grabbed_ == kBottomLeft || grabbed_ == kLeft;
    const bool movesRight = grabbed_ == kTopRight || grabbed_ == kBottomRight || grabbed_ == kRight;
    const bool movesTop = grabbed_ == kTopLeft || grabbed_ == kTopRight || grabbed_ == kTop;
    const bool movesBottom =
        grabbed_ == kBottomLeft || grabbed_ == kBottomRight || grabbed_ == kBottom;
    left += movesLeft ? d.x() : 0;
    right += movesRight ? d.x() : 0;
    top += movesTop ? d.y() : 0;
    bottom += movesBottom ? d.y() : 0;
    // Dragging a handle across the opposite edge turns the rectangle over.
    rect_ = QRect(QPoint(std::min(left, right), std::min(top, bottom)),
                  QPoint(std::max(left, right) - 1, std::max(top, bottom) - 1));
}

QRect RectTracker::release(QPoint point) {
    drag(point);
    tracking_ = false;
    grabbed_ = kNothing;
    return rect_;
}

void RectTracker::draw(QPainter& painter) const {
    if (rect_.isEmpty()) {
        return;
    }
    painter.save();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(rect_.adjusted(0, 0, -1, -1));
    for (int i = kTopLeft; i <= kLeft; ++i) {
        painter.fillRect(handleRect(Hit(i)), Qt::black);
    }
    painter.restore();
}

}  // namespace korvel::document
