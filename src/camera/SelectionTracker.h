#pragma once

// The mouse and key rules of the rectangle-selection overlay, without the window: a
// selection is started, dragged, moved or resized with a tracker, cleared and confirmed.
// Coordinates are those of the overlay (the screen).

#include <QPoint>
#include <QRect>

#include <optional>

namespace korvel::camera {

class SelectionTracker {
public:
    // How the overlay ends.
    enum class Outcome { Running, Accepted, Cancelled };

    explicit SelectionTracker(QRect bounds) : bounds_(bounds) {}

    void leftPress(QPoint point);
    void mouseMove(QPoint point);
    void leftRelease(QPoint point);
    void leftDoubleClick(QPoint point);
    void rightPress();
    void escape();
    void okButton();
    void cancelButton();

    // The selection as drawn (normalised); empty when there is none.
    QRect selection() const;
    bool hasSelection() const { return selected_; }
    bool dragging() const { return mode_ != Mode::None; }
    bool buttonsVisible() const { return buttonsVisible_; }
    QRect cancelButtonRect() const;
    QRect okButtonRect() const;
    Outcome outcome() const { return outcome_; }
    // The result once accepted: the selection, or nothing when none was drawn.
    std::optional<QRect> result() const;

    // Tracker handles: the corners and edge midpoints of the selection.
    static constexpr int kHandleSize = 7;

private:
    enum class Mode { None, NewSelection, Move, Resize };
    // Edges a resize drags, as a bit set of left 1, top 2, right 4, bottom 8.
    int hitHandle(QPoint point) const;
    QPoint clamp(QPoint point) const;
    void clear();

    QRect bounds_;
    // Left, top, right, bottom as dragged (not normalised while a new selection is drawn).
    int left_ = -1, top_ = -1, right_ = -1, bottom_ = -1;
    bool selected_ = false;
    bool buttonsVisible_ = false;
    Mode mode_ = Mode::None;
    int edges_ = 0;
    QPoint press_;
    QRect startRect_;
    Outcome outcome_ = Outcome::Running;
};

}  // namespace korvel::camera
