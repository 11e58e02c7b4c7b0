#pragma once

// The zoom ladder of the image view and the zoom box's text rules.

#include <QString>

#include <optional>

namespace korvel::document {

inline constexpr float kMinZoom = 0.25f;
inline constexpr float kMaxZoom = 16.0f;

// The next step above `factor` on the ladder 0.25, 0.5, 0.75, 1, 1.5, 2, 4, 8, 16; a factor
// of 16 or more stays.
float zoomIn(float factor);
// The next step below; 0.0625 or less stays.
float zoomOut(float factor);

// The zoom box text as a factor: blanks trimmed, digits only with an optional final "%",
// clamped to 25..1600 percent (an empty text is 25 %). None when the text is invalid.
std::optional<float> zoomFromText(const QString& text);

// "%d%%" of the factor in percent, truncated ("150%").
QString zoomBoxText(float factor);
// "%4.0f %%" of the factor in percent (" 150 %").
QString zoomStatusText(float factor);

}  // namespace korvel::document
