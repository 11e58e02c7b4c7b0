#pragma once

// The tracker tool's rectangle: drawn as a dotted outline with eight resize handles just
// outside it. A press inside moves it, a press on a handle resizes it from that corner or
// edge, and a press anywhere else draws a new rubber band. Client coordinates throughout.

#include <QPoint>
#include <QRect>

#include <array>

class QPainter;

namespace korvel::document {

class RectTracker {
public:
    // What a point hits; the handles are numbered clockwise from the top-left corner.
    enum Hit {
        kNothing = -1,
        kTopLeft,
        kTopRight,
        kBottomRight,
        kBottomLeft,
        kTop,
        kRight,
        kBottom,
        kLeft,
        kInside
    };
    static constexpr int kHandleSize = 6;

    // The rectangle; empty when there is none.
    QRect rect() const { return rect_; }
    void setRect(const QRect& rect) { rect_ = rect; }
    void clear() { rect_ = QRect(); }
    bool isEmpty() const { return rect_.isEmpty(); }

    Hit hitTest(QPoint point) const;
    // The square of handle `hit` (kTopLeft ... kLeft).
    QRect handleRect(Hit hit) const;

    // A press: moves or resizes the rectangle when `point` hits it, else starts a rubber
    // band there.
    void press(QPoint point);
    void drag(QPoint point);
    // The end of a drag; the rectangle as it now stands.
    QRect release(QPoint point);
    bool tracking() const { return tracking_; }

    void draw(QPainter& painter) const;

private:
    QRect rect_;
    bool tracking_ = false;
    Hit grabbed_ = kNothing;
    QPoint pressPoint_;
    QRect startRect_;
};

}  // namespace korvel::document
