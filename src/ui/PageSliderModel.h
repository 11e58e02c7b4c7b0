#pragma once

// The rules of the page slider, free of any window: the range and the clamped position,
// the mapping between a position and the thumb centre in pixels, the mouse drag with its
// jump rule, and the keys. The widget feeds it events and posts what it reports.

#include <optional>

namespace korvel::ui {

enum class SliderKey { PageUp, PageDown, Home, End, Left, Up, Right, Down, Other };

class PageSliderModel {
public:
    static constexpr int kPageStep = 20;
    // Pixels kept free left and right of the thumb's travel.
    static constexpr int kMargin = 2;

    // An inverted range is taken as an empty one at `minimum`; the position is clamped.
    void setRange(int minimum, int maximum);
    int minimum() const { return minimum_; }
    int maximum() const { return maximum_; }

    void setPosition(int position);
    int position() const { return position_; }

    // Disabling ends a drag in progress.
    void setEnabled(bool enabled);
    bool isEnabled() const { return enabled_; }

    // L, the control's width, and t, the thumb's width, in pixels.
    void setGeometry(int width, int thumbWidth);
    int width() const { return width_; }
    int thumbWidth() const { return thumbWidth_; }

    // The thumb centre the position `position` is drawn at.
    int thumbCentreFor(int position) const;
    // The position a thumb centred at `x` stands for, clamped to the range.
    int positionAt(int x) const;
    // Where the thumb is drawn now: under the pointer while dragged, else at the position.
    int thumbCentre() const;

    // Mouse. press() reports whether the drag started (the slider is enabled); press() and
    // move() return the new position when it changed (the widget posts 10449), release()
    // reports whether a drag ended (the widget posts 10450).
    struct PressResult {
        bool captured = false;
        std::optional<int> moved;
    };
    PressResult press(int x);
    std::optional<int> move(int x);
    bool release();
    bool isDragging() const { return dragging_; }

    // Keys; returns true when the key moved (or tried to move) the thumb and 10450 is due.
    bool key(SliderKey key);

private:
    int travel() const { return width_ - 2 * kMargin - thumbWidth_; }
    int lowestCentre() const { return kMargin + thumbWidth_ / 2; }
    int highestCentre() const;
    std::optional<int> dragTo(int centre);
    void stepBy(int delta);

    int minimum_ = 0;
    int maximum_ = 100;
    int position_ = 0;
    bool enabled_ = true;
    int width_ = 100;
    int thumbWidth_ = 10;

    bool dragging_ = false;
    int grabOffset_ = 0;  // thumb centre minus pointer, kept during a drag
    int dragCentre_ = 0;
};

}  // namespace korvel::ui
