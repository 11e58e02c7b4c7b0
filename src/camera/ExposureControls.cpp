#include "camera/ExposureControls.h"

#include "camera/CameraModels.h"
#include "camera/CameraSession.h"
#include "krvcamera/KRVCamera.h"

#include <algorithm>

namespace korvel::camera {

TimeLimit exposureTimeLimit(int maximum, bool longExposureMode) {
    if (longExposureMode) {
        return {59, 59, 999};  // the last table entry, 59:59.999
    }
    const int max = std::max(maximum, 0);
    return {max / 60000, (max / 1000) % 60, max % 1000};
}

QRect exposurePopupPlace(const QRect& button, const QRect& toolBar, QSize size,
                         const QRect& screen) {
    QRect place(QPoint(button.left() - 35, toolBar.top() - size.height()), size);
    if (screen.isEmpty()) {
        return place;
    }
    if (place.top() < screen.top()) {
        place.moveTop(toolBar.bottom() + 1);
    }
    if (place.bottom() > screen.bottom()) {
        place.moveBottom(screen.bottom());
    }
    if (place.right() > screen.right()) {
        place.moveRight(screen.right());
    }
    if (place.left() < screen.left()) {
        place.moveLeft(screen.left());
    }
    return place;
}

QString isoText(int gainStep) {
    return QString::asprintf("ISO:%d00", gainStep);
}

ExposurePageEnabling exposurePageEnabling(const CameraRecord& record, bool setTimeFlag) {
    const bool manual = record.autoExposure.value == 0;
    ExposurePageEnabling enabling;
    enabling.target = record.aeTarget.flag != 0;
    enabling.exposure = manual && record.exposure.flag != 0 && setTimeFlag;
    enabling.gain = manual && record.analogGain.flag != 0;
    enabling.setTime = manual;
    return enabling;
}

void sendAutoExposureState(const CameraRecord& record) {
    KRVCameraSetAeState(record.softwareAutoExposure ? 0 : record.autoExposure.value);
}

int exposureValueForMs(int milliseconds, bool longExposureMode) {
    return longExposureMode ? longExposureMsToIndex(milliseconds) : milliseconds;
}

int cameraExposureMs(int unread) {
    int milliseconds = 0;
    return KRVCameraGetExposureTime(&milliseconds) == 1 ? milliseconds : unread;
}

int cameraGainStep(int typeId, int unread) {
    int raw = 0;
    return KRVCameraGetAnalogGain(&raw) == 1 ? gainRawToStep(typeId, raw & 0xFFFF) : unread;
}

void sendTargetStep(CameraRecord& record, int step) {
    record.aeTarget.value = step;
    KRVCameraSetAeTarget(aeTargetStepToByte(step));
}

void sendGainStep(CameraRecord& record, int step) {
    record.analogGain.value = step;
    KRVCameraSetAnalogGain(gainStepToRaw(record.typeId, step));
}

AutoExposureStep regulateExposure(CameraRecord& record, int brightness) {
    const AutoExposureStep step = softwareAutoExposureStep(record, brightness);
    applyAutoExposureStep(record, step);
    if (step.finished()) {
        // A one-shot regulation: the user starts it again by ticking auto exposure.
        record.runningBrightness = 0;
        record.autoExposure.value = 0;
        return step;
    }
    if (step.speedMode) {
        KRVCameraSetSpeedMode(*step.speedMode);
    }
    KRVCameraSetAnalogGain(step.gainRaw);
    KRVCameraSetExposureTime(step.exposureMs);
    return step;
}

}  // namespace korvel::camera
