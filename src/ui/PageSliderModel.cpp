#include "ui/PageSliderModel.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace korvel::ui {

void PageSliderModel::setRange(int minimum, int maximum) {
    minimum_ = minimum;
    maximum_ = std::max(minimum, maximum);
    setPosition(position_);
}

void PageSliderModel::setPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void PageSliderModel::setEnabled(bool enabled) {
    enabled_ = enabled;
    if (!enabled) {
        dragging_ = false;
    }
}

void PageSliderModel::setGeometry(int width, int thumbWidth) {
    width_ = std::max(0, width);
    thumbWidth_ = std::max(0, thumbWidth);
}

int PageSliderModel::highestCentre() const {
    return std::max(lowestCentre(), width_ - kMargin - thumbWidth_ / 2);
}

int PageSliderModel::thumbCentreFor(int position) const {
    const double span = static_cast<double>(maximum_) - minimum_;
    if (span <= 0 || travel() <= 0) {
        return lowestCentre();
    }
    const double fraction =
        (static_cast<double>(std::clamp(position, minimum_, maximum_)) - minimum_) / span;
    return kMargin + static_cast<int>(std::trunc(fraction * travel())) + thumbWidth_ / 2;
}

int PageSliderModel::positionAt(int x) const {
    if (travel() <= 0) {
        return minimum_;
    }
    const double fraction = static_cast<double>(x - thumbWidth_ / 2 - kMargin) / travel();
    const double position =
        std::trunc(fraction * (static_cast<double>(maximum_) - minimum_) + minimum_);
    return static_cast<int>(
        std::clamp(position, static_cast<double>(minimum_), static_cast<double>(maximum_)));
}

int PageSliderModel::thumbCentre() const {
    return dragging_ ? dragCentre_ : thumbCentreFor(position_);
}

PageSliderModel::PressResult PageSliderModel::press(int x) {
    if (!enabled_) {
        return {};
    }
    const int centre = thumbCentreFor(position_);
    // A press on the thumb keeps the grip where it was taken; elsewhere the thumb jumps
    // under the pointer.
    grabOffset_ = std::abs(x - centre) > thumbWidth_ / 2 ? 0 : centre - x;
    dragging_ = true;
    dragCentre_ = centre;
    return {true, dragTo(x + grabOffset_)};
}

std::optional<int> PageSliderModel::move(int x) {
    if (!dragging_) {
        return std::nullopt;
    }
    return dragTo(x + grabOffset_);
}

std::optional<int> PageSliderModel::dragTo(int centre) {
    dragCentre_ = std::clamp(centre, lowestCentre(), highestCentre());
    const int position = positionAt(dragCentre_);
    if (position == position_) {
        return std::nullopt;
    }
    position_ = position;
    return position_;
}

bool PageSliderModel::release() {
    const bool wasDragging = dragging_;
    dragging_ = false;
    return wasDragging;
}

void PageSliderModel::stepBy(int delta) {
    // Widened so a step at the edge of int's range cannot overflow before the clamp.
    const long long position = static_cast<long long>(position_) + delta;
    position_ = static_cast<int>(std::clamp<long long>(position, minimum_, maximum_));
}

bool PageSliderModel::key(SliderKey key) {
    if (!enabled_) {
        return false;
    }
    switch (key) {
        case SliderKey::PageUp:
            stepBy(-kPageStep);
            return true;
        case SliderKey::PageDown:
            stepBy(kPageStep);
            return true;
        case SliderKey::Home:
            setPosition(minimum_);
            return true;
        case SliderKey::End:
            setPosition(maximum_);
            return true;
        case SliderKey::Left:
        case SliderKey::Up:
            stepBy(-1);
            return true;
        case SliderKey::Right:
        case SliderKey::Down:
            stepBy(1);
            return true;
        case SliderKey::Other:
            break;
    }
    return false;
}

}  // namespace korvel::ui
