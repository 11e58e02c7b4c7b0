#include "camera/SelectionTracker.h"

#include <algorithm>
#include <cstdlib>

namespace korvel::camera {

namespace {
constexpr int kFirstSize = 80;
constexpr int kMinimumSize = 6;
}  // namespace

QRect SelectionTracker::selection() const {
    if (!selected_) {
        return {};
    }
    return QRect(QPoint(std::min(left_, right_), std::min(top_, bottom_)),
                 QPoint(std::max(left_, right_) - 1, std::max(top_, bottom_) - 1));
}

QPoint SelectionTracker::clamp(QPoint p) const {
    return {std::clamp(p.x(), bounds_.left(), bounds_.left() + bounds_.width()),
            std::clamp(p.y(), bounds_.top(), bounds_.top() + bounds_.height())};
}

void SelectionTracker::clear() {
    left_ = top_ = right_ = bottom_ = -1;
    selected_ = false;
    buttonsVisible_ = false;
    mode_ = Mode::None;
}

int SelectionTracker::hitHandle(QPoint p) const {
    const QRect r = selection();
    const int near = kHandleSize / 2 + 1;
    int edges = 0;
    const bool insideX = p.x() >= r.left() - near && p.x() <= r.right() + 1 + near;
    const bool insideY = p.y() >= r.top() - near && p.y() <= r.bottom() + 1 + near;
    if (!insideX || !insideY) {
        return 0;
    }
    const bool midX = std::abs(p.x() - (r.left() + r.width() / 2)) <= near;
    const bool midY = std::abs(p.y() - (r.top() + r.height() / 2)) <= near;
    const bool atLeft = std::abs(p.x() - r.left()) <= near;
    const bool atRight = std::abs(p.x() - (r.right() + 1)) <= near;
    const bool atTop = std::abs(p.y() - r.top()) <= near;
    const bool atBottom = std::abs(p.y() - (r.bottom() + 1)) <= near;
    if ((atLeft || atRight) && (atTop || atBottom || midY)) {
        edges |= atLeft ? 1 : 4;
    }
    if ((atTop || atBottom) && (atLeft || atRight || midX)) {
        edges |= atTop ? 2 : 8;
    }
    return edges;
}

void SelectionTracker::leftPress(QPoint point) {
    if (!bounds_.contains(point) || outcome_ != Outcome::Running) {
        return;
    }
    buttonsVisible_ = false;
    if (selected_) {
        const QRect r = selection();
        if (const int edges = hitHandle(point)) {
            mode_ = Mode::Resize;
            edges_ = edges;
        } else if (r.contains(point)) {
            mode_ = Mode::Move;
        }
        if (mode_ != Mode::None) {
            press_ = point;
            startRect_ = QRect(QPoint(left_, top_), QPoint(right_, bottom_));
            return;
        }
        // A press away from the selection starts a new one.
    }
    press_ = point;
    mode_ = Mode::NewSelection;
    selected_ = true;
    const QRect first =
        QRect(point.x() - kFirstSize / 2, point.y() - kFirstSize / 2, kFirstSize, kFirstSize)
            .intersected(bounds_);
    left_ = first.left();
    top_ = first.top();
    right_ = first.left() + first.width();
    bottom_ = first.top() + first.height();
}

void SelectionTracker::mouseMove(QPoint point) {
    const QPoint p = clamp(point);
    switch (mode_) {
        case Mode::NewSelection:
            left_ = press_.x() + 4;
            top_ = press_.y() + 4;
            right_ = p.x();
            bottom_ = p.y();
            break;
        case Mode::Move: {
            const int w = startRect_.right() - startRect_.left();
            const int h = startRect_.bottom() - startRect_.top();
            const int boundsRight = bounds_.left() + bounds_.width();
            const int boundsBottom = bounds_.top() + bounds_.height();
            left_ = std::clamp(startRect_.left() + p.x() - press_.x(), bounds_.left(),
                               std::max(bounds_.left(), boundsRight - w));
            top_ = std::clamp(startRect_.top() + p.y() - press_.y(), bounds_.top(),
                              std::max(bounds_.top(), boundsBottom - h));
            right_ = left_ + w;
            bottom_ = top_ + h;
            break;
        }
        case Mode::Resize:
            if (edges_ & 1)
                left_ = p.x();
            if (edges_ & 2)
                top_ = p.y();
            if (edges_ & 4)
                right_ = p.x();
            if (edges_ & 8)
                bottom_ = p.y();
            break;
        case Mode::None:
            break;
    }
}

void SelectionTracker::leftRelease(QPoint point) {
    if (mode_ == Mode::None) {
        return;
    }
    mouseMove(point);
    mode_ = Mode::None;
    if (std::abs(right_ - left_) < kMinimumSize || std::abs(bottom_ - top_) < kMinimumSize) {
        buttonsVisible_ = false;
        return;
    }
    const QRect r = selection();
    left_ = r.left();
    top_ = r.top();
    right_ = r.left() + r.width();
    bottom_ = r.top() + r.height();
    buttonsVisible_ = true;
}

void SelectionTracker::leftDoubleClick(QPoint point) {
    if (selected_ && selection().contains(point)) {
        mode_ = Mode::None;
        outcome_ = Outcome::Accepted;
    }
}

void SelectionTracker::rightPress() {
    if (selected_) {
        clear();
    } else {
        outcome_ = Outcome::Accepted;
    }
}

void SelectionTracker::escape() {
    if (selected_) {
        clear();
    } else {
        outcome_ = Outcome::Cancelled;
    }
}

void SelectionTracker::okButton() {
    outcome_ = Outcome::Accepted;
}

void SelectionTracker::cancelButton() {
    clear();
}

QRect SelectionTracker::cancelButtonRect() const {
    return {right_ - 90, bottom_ + 2, 34, 23};
}

QRect SelectionTracker::okButtonRect() const {
    return {right_ - 57, bottom_ + 2, 58, 23};
}

std::optional<QRect> SelectionTracker::result() const {
    const QRect r = selection();
    if (outcome_ != Outcome::Accepted || !selected_ || r.isEmpty()) {
        return std::nullopt;
    }
    return r;
}

}  // namespace korvel::camera
