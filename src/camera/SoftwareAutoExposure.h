#pragma once

// The program's own auto exposure for models that cannot regulate their exposure well: each
// frame brightness moves the exposure time and the analog gain one step toward the target,
// and the regulation ends by itself once the smoothed brightness has settled or a limit is
// reached. Pure: the step reads the camera record and says what to send and store; the
// camera window talks to the camera and writes the record.

#include <cstdint>
#include <optional>

#include "camera/CameraRecord.h"

namespace korvel::camera {

struct AutoExposureStep {
    // 1: new values are to be sent to the camera; 0: the regulation has ended.
    int result = 0;
    // The record's new running brightness (the target when the regulation ended).
    int runningBrightness = 0;
    // Only meaningful when result is 1:
    int exposureValue = 0;  // the record's exposure value: ms, or a long-exposure index
    int gainStep = 0;       // the record's analog gain step
    int exposureMs = 0;     // for KRVCameraSetExposureTime and the record's exposure sent
    int gainRaw = 0;        // for KRVCameraSetAnalogGain
    // With automatic speed switching: the mode for KRVCameraSetSpeedMode, sent every step.
    std::optional<std::uint8_t> speedMode;

    bool finished() const { return result == 0; }
};

// True while the program regulates the exposure itself: the model's software auto exposure
// is in force and the user has auto exposure on.
inline bool softwareAutoExposureRunning(const CameraRecord& record) {
    return record.softwareAutoExposure != 0 && record.autoExposure.value != 0;
}

// The brightness target byte of an auto-exposure target step (-5..5 gives 40..200).
int autoExposureTargetByte(int targetStep);

// One regulation step for a frame of mean brightness `brightness` (0..255). It ends the
// regulation once the running brightness is within 7 of the target and the frame is too (or
// within half an exposure step of it where the steps are coarser than that), or at a limit.
AutoExposureStep softwareAutoExposureStep(const CameraRecord& record, int brightness);

// Writes the step's outcome into the record: the running brightness always; the exposure
// value, gain step, exposure sent and speed mode when the step sent new values.
void applyAutoExposureStep(CameraRecord& record, const AutoExposureStep& step);

}  // namespace korvel::camera
