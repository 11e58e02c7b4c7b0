#pragma once

// The part of the software auto exposure that every brightness message (1305) feeds: the
// frame's mean brightness is judged against the target and folded into the record's running
// brightness, which the regulation step then works from.

#include "camera/CameraRecord.h"

namespace korvel::camera {

struct BrightnessReading {
    int target = 0;      // T, 40..200
    int brightness = 0;  // b after the limits: 1 = far too dark, 255 = far too bright
    int error = 0;       // |running - T|, at most T
};

// The brightness target of target step s (-5..5): 100 + 12 s below 0, else 100 + 20 s.
int autoExposureTarget(int step);

// True while the program regulates the exposure itself: the model's software auto exposure
// is in force and the user has auto exposure on.
bool softwareAutoExposureRunning(const CameraRecord& record);

// Takes one frame's mean brightness (0..255): below the dark limit (T / 4 for T < 84, else
// 20) it counts as 1, above min(4 T, 220) as 255; then running := (running + b) / 2.
BrightnessReading takeFrameBrightness(CameraRecord& record, int brightness);

}  // namespace korvel::camera
