#include "camera/BrightnessReading.h"

#include <algorithm>
#include <cstdlib>

namespace korvel::camera {

int autoExposureTarget(int step) {
    // Kept as the byte the camera's own target takes.
    return (step < 0 ? 100 + 12 * step : 100 + 20 * step) & 0xFF;
}

bool softwareAutoExposureRunning(const CameraRecord& record) {
    return record.softwareAutoExposure != 0 && record.autoExposure.value != 0;
}

BrightnessReading takeFrameBrightness(CameraRecord& record, int brightness) {
    BrightnessReading reading;
    reading.target = autoExposureTarget(record.aeTarget.value);
    const int t = reading.target;
    int b = brightness;
    if (b < (t < 84 ? t / 4 : 20)) {
        b = 1;
    } else if (b > std::min(4 * t, 220)) {
        b = 255;
    }
    reading.brightness = b;
    record.runningBrightness = (record.runningBrightness + b) / 2;
    reading.error = std::min(std::abs(record.runningBrightness - t), t);
    return reading;
}

}  // namespace korvel::camera
