#pragma once

// What the exposure page and the exposure pop-up do with the camera: the time-entry limits
// for the record's exposure range, the ISO text of a gain step, which exposure controls the
// user may change, sending the auto-exposure state, target and gain, and the camera
// window's side of the software auto exposure. Plain code over the record and the camera
// library, so a test calls it without a window.

#include <QRect>
#include <QString>

#include "camera/CameraRecord.h"
#include "camera/SoftwareAutoExposure.h"

namespace korvel::camera {

// The maxima of the time-entry control for an exposure maximum: the whole entry range in
// long-exposure mode (the values are table indices there), else the maximum in milliseconds.
struct TimeLimit {
    int minutes = 0;
    int seconds = 0;
    int milliseconds = 0;
    bool operator==(const TimeLimit&) const = default;
};
TimeLimit exposureTimeLimit(int maximum, bool longExposureMode);

// Where the exposure pop-up of `size` stands, in screen coordinates: above the Exposure
// button, its left edge 35 pixels left of the button's and its bottom on the toolbar's top.
// Where that would leave the screen's usable area (a camera window at the top of the
// screen), it hangs below the toolbar instead, and it is kept inside that area sideways.
QRect exposurePopupPlace(const QRect& button, const QRect& toolBar, QSize size,
                         const QRect& screen);

// "ISO:%d00" of a gain step: step 4 reads ISO:400.
QString isoText(int gainStep);

// Which controls of the exposure page the user may change now.
struct ExposurePageEnabling {
    bool target = false;    // slider 1005 and its labels
    bool exposure = false;  // slider 1002, the time-entry control and its label
    bool gain = false;      // slider 1009, the gain text and its label
    bool setTime = false;   // "Set time" / "Update time"
};
// The exposure time may be edited only with auto exposure off and after "Set time".
ExposurePageEnabling exposurePageEnabling(const CameraRecord& record, bool setTimeFlag);

// The camera's own auto exposure follows the record's switch, except under software auto
// exposure, where it stays off and the program regulates.
void sendAutoExposureState(const CameraRecord& record);

// The exposure value of a camera time: milliseconds, or the long-exposure table index.
int exposureValueForMs(int milliseconds, bool longExposureMode);
// KRVCameraGetExposureTime; `unread` when the camera does not answer (closed, unplugged).
int cameraExposureMs(int unread);
// The gain step of the camera's analog gain (low 16 bits of the raw value); `unread` when
// the camera does not answer.
int cameraGainStep(int typeId, int unread);

// Stores the target step and sends its byte (-5, 0, 5 give 40, 100, 200).
void sendTargetStep(CameraRecord& record, int step);
// Stores the gain step and sends its raw value.
void sendGainStep(CameraRecord& record, int step);

// The camera window's part of the software auto exposure for one frame brightness (message
// 1305), to be called only while it runs: one regulation step; new values go to the camera
// (speed mode when switched automatically, analog gain, exposure time). When the regulation
// ends, auto exposure is switched off and the running brightness cleared.
AutoExposureStep regulateExposure(CameraRecord& record, int brightness);

}  // namespace korvel::camera
