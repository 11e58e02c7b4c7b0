#pragma once

// The camera-side auto exposure both backends run on each frame: the exposure moves toward
// the brightness target by the ratio of target and mean, at most halving or doubling it per
// frame, and halving it at once when the picture is saturated.

#include <algorithm>
#include <cmath>
#include <optional>

namespace krvcamera {

// The next exposure in milliseconds, or nothing while the mean is close enough to the
// target (0..255 both).
inline std::optional<int> nextAutoExposure(double mean, int target, int exposureMs) {
    constexpr int kTolerance = 3;
    mean = std::max(1.0, mean);
    target = std::max(1, target);
    if (std::abs(mean - target) <= kTolerance) {
        return std::nullopt;
    }
    const double factor = mean >= 250.0 ? 0.5 : std::clamp(target / mean, 0.5, 2.0);
    int next = static_cast<int>(std::lround(exposureMs * factor));
    if (next == exposureMs) {
        next += factor > 1.0 ? 1 : -1;
    }
    return next;
}

}  // namespace krvcamera
