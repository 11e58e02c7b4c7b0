#pragma once

// Where the ruler bars draw their ticks and labels, as plain numbers: the ruler widget
// only paints what this computes.

#include <QString>

#include <vector>

namespace korvel::app {

enum class RulerOrientation { Horizontal, Vertical };

struct RulerTick {
    int position;  // along the ruler, in ruler pixels
    int length;    // 3 minor, 10 major
};

struct RulerLabel {
    int position;  // along the ruler, where the text starts
    QString text;  // the image coordinate, "%4.0f" horizontal, "%3.0f" vertical
};

struct RulerLayout {
    std::vector<RulerTick> ticks;
    std::vector<RulerLabel> labels;
};

struct RulerInput {
    RulerOrientation orientation = RulerOrientation::Horizontal;
    // Where the view's client area starts along the ruler, in ruler pixels: the other
    // ruler's width and the borders between, as the widgets are laid out.
    int clientStart = 0;
    int scrollPosition = 0;
    int imageStart = 0;  // image rectangle in the view along this ruler (left or top)
    int imageEnd = 0;    // (right or bottom)
    double zoom = 1.0;
};

inline constexpr int kRulerMinorStep = 5;    // image pixels
inline constexpr int kRulerMajorStep = 100;  // image pixels
inline constexpr int kRulerMinorLength = 3;
inline constexpr int kRulerMajorLength = 10;
inline constexpr int kRulerLabelOffset = 12;  // text starts this far before its tick

// The image origin on the ruler: where the view's client area starts, plus the image's
// offset in the view, less the scroll position.
int rulerOrigin(const RulerInput& input);

// Ticks and labels from the image origin to the image's far edge.
RulerLayout layoutRuler(const RulerInput& input);

// Where ticks end, measured from the ruler's outer edge.
int rulerTickEnd(RulerOrientation orientation);

}  // namespace korvel::app
