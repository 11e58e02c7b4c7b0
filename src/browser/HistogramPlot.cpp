#include "browser/HistogramPlot.h"

#include <algorithm>
#include <cmath>

namespace korvel::browser {

HistogramPlotLines histogramPlot(int top, int bottom, const HistogramCounts* counts, int maximum,
                                 const HistogramOptions& options) {
    HistogramPlotLines lines;
    const int b = bottom;
    for (int x = 41; x < 265; x += 32) {
        lines.grid.emplace_back(x, 40, x, b - 6);
    }
    // A window shorter than the fixed size would make the step 0; keep it at one pixel.
    const int step = std::max(1, (b - 40) / 10);
    for (int s = 0; s < b - 40; s += step) {
        lines.grid.emplace_back(8, b - 9 - s, 268, b - 9 - s);
    }
    lines.frame << QPoint(9, 38) << QPoint(9, b - 9) << QPoint(266, b - 9) << QPoint(266, 38);

    if (!counts || maximum <= 0) {
        return lines;
    }
    const int y0 = b - 10;
    const int height = b - top - 50;
    const float scale =
        options.logarithmic
            ? static_cast<float>(height) / std::log10(static_cast<float>(maximum) + 1)
            : static_cast<float>(height) / static_cast<float>(maximum);
    for (int channel = 0; channel < kChannelCount; ++channel) {
        if (!options.show[channel]) {
            continue;
        }
        QPolygon& curve = lines.curves[channel];
        curve.reserve(256);
        for (int i = 0; i < 256; ++i) {
            const int count = std::max(0, (*counts)[channel][i]);
            float value = options.logarithmic ? std::log10(static_cast<float>(count) + 1) * scale
                                              : static_cast<float>(count) * scale;
            // Rounding must not lift the largest count above the plot's height.
            value = std::min(value, static_cast<float>(height));
            curve << QPoint(10 + i, static_cast<int>(static_cast<float>(y0) - value));
        }
    }
    return lines;
}

}  // namespace korvel::browser
