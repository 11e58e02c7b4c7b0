#include "app/RulerGeometry.h"

#include <cmath>

namespace korvel::app {

int rulerOrigin(const RulerInput& in) {
    return in.clientStart + in.imageStart - in.scrollPosition;
}

int rulerTickEnd(RulerOrientation orientation) {
    return orientation == RulerOrientation::Horizontal ? 25 : 27;
}

RulerLayout layoutRuler(const RulerInput& in) {
    RulerLayout layout;
    if (in.zoom <= 0.0 || in.imageEnd <= in.imageStart) {
        return layout;
    }
    const int origin = rulerOrigin(in);
    const double extent = in.imageEnd - in.imageStart;
    const double step = kRulerMinorStep * in.zoom;
    const int ticksPerMajor = kRulerMajorStep / kRulerMinorStep;
    const char* format = in.orientation == RulerOrientation::Horizontal ? "%4.0f" : "%3.0f";
    for (int k = 0; k * step <= extent + 1e-9; ++k) {
        const int position = origin + static_cast<int>(std::lround(k * step));
        const bool major = k % ticksPerMajor == 0;
        layout.ticks.push_back({position, major ? kRulerMajorLength : kRulerMinorLength});
        if (major) {
            layout.labels.push_back({position - kRulerLabelOffset,
                                     QString::asprintf(format, double(k * kRulerMinorStep))});
        }
    }
    return layout;
}

}  // namespace korvel::app
