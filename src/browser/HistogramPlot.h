#pragma once

// The geometry of the histogram window's plot: the dotted grid, the open frame and the
// four curves, for a client area with the given top and bottom. Plain data a test checks
// without painting.

#include <QLine>
#include <QPolygon>

#include <array>
#include <vector>

namespace korvel::browser {

using HistogramCounts = std::array<std::array<int, 256>, 4>;  // red, green, blue, grey

enum HistogramChannel { kRed = 0, kGreen, kBlue, kGrey, kChannelCount };

struct HistogramOptions {
    std::array<bool, kChannelCount> show{true, true, true, true};
    bool logarithmic = true;
};

struct HistogramPlotLines {
    std::vector<QLine> grid;
    QPolygon frame;  // four corners, the top side open
    // One polyline of 256 points per channel drawn; empty for channels not shown.
    std::array<QPolygon, kChannelCount> curves;
};

// The curves' colours, 0xRRGGBB.
inline constexpr std::array<unsigned, kChannelCount> kHistogramColours{0xDE0000, 0x00DE00, 0x0000DE,
                                                                       0x404040};

// Grid and frame for a client area from `top` to `bottom`; curves too when `counts` is
// given and `maximum` > 0.
HistogramPlotLines histogramPlot(int top, int bottom, const HistogramCounts* counts, int maximum,
                                 const HistogramOptions& options);

}  // namespace korvel::browser
