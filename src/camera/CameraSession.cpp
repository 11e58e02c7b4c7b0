#include "camera/CameraSession.h"

#include "camera/CameraModels.h"
#include "krvcamera/KRVCamera.h"
#include "platform/PrivateProfile.h"

#include <thread>

namespace korvel::camera {

using namespace std::chrono_literals;

std::uint8_t aeTargetStepToByte(int step) {
    const int value = step < 0 ? 100 + 12 * step : 100 + 20 * step;
    return static_cast<std::uint8_t>(value & 0xFF);
}

int aeTargetByteToStep(std::uint8_t value) {
    return value > 99 ? (value - 81) / 20 : -((111 - value) / 12);
}

bool firstUseCheck(const CameraRecord& record, const QString& iniPath) {
    const QString key =
        QString::fromLatin1(firstUseIniKey(record.typeId).data(),
                            static_cast<qsizetype>(firstUseIniKey(record.typeId).size()));
    if (platform::getPrivateProfileInt(QStringLiteral("CAMERA"), key, 1, iniPath) != 1) {
        return false;
    }
    platform::writePrivateProfileString(QStringLiteral("CAMERA"), key, QStringLiteral("0"),
                                        iniPath);
    return true;
}

CameraSession::CameraSession(CameraRecord& record, PreviewControl* preview, SessionHooks hooks)
    : record_(record), preview_(preview), hooks_(std::move(hooks)) {}

void CameraSession::wait(std::chrono::milliseconds duration) {
    if (hooks_.sleep) {
        hooks_.sleep(duration);
    } else {
        std::this_thread::sleep_for(duration);
    }
}

int CameraSession::exposureMilliseconds(int value) const {
    return record_.longExposureMode ? longExposureIndexToMs(value) : value;
}

int CameraSession::exposureValue(int milliseconds) const {
    return record_.longExposureMode ? longExposureMsToIndex(milliseconds) : milliseconds;
}

bool CameraSession::open(int backgroundCorrectionApplied, void* cameraWindow, void* previewWindow,
                         const QString& iniPath) {
    record_.backgroundCorrectionApplied = backgroundCorrectionApplied;
    if (record_.typeId == kNoCamera) {
        return false;
    }
    if (record_.state == kCameraClosed &&
        KRVCameraInit(record_.previewResolution, cameraWindow, previewWindow) != 1) {
        return false;
    }
    initializeCameraModel(record_);
    KRVCameraGetImageSize(&record_.width, &record_.height);
    if (preview_) {
        preview_->start(record_);
    }
    wait(200ms);
    if (hooks_.loadBackgroundCorrection) {
        hooks_.loadBackgroundCorrection();
    }
    if (hooks_.refreshPrompts) {
        hooks_.refreshPrompts();
    }
    std::uint8_t set = 0;
    KRVCameraGetCurrentParameterTeam(&set);
    record_.parameterSetInUse = set;
    if (set != 0) {
        KRVCameraReadParameter(set);
    }
    record_.parameterSetAtOpen = set;

    if (firstUseCheck(record_, iniPath)) {
        applyAll();
        quickWhiteBalance();
    } else {
        readBackAll();
    }
    if (record_.typeId == 28) {
        int rowTime = 0;
        KRVCameraGetRowTime(&rowTime);
        const int limit = static_cast<int>(rowTime * 3000 * 0.001);
        record_.exposure.maximum = limit;
        record_.aeTuning.exposureCeiling = limit;
    }
    if (hooks_.fitWindowToImage) {
        hooks_.fitWindowToImage();
    }
    record_.state = kCameraOpen;
    return true;
}

void CameraSession::close() {
    if (record_.state != kCameraOpen) {
        return;
    }
    KRVCameraReadParameter(record_.parameterSetAtOpen);
    KRVCameraSaveParameter(record_.parameterSetAtOpen);
    if (preview_) {
        preview_->stop();
    }
    KRVCameraUnInit();
    record_.pixelCorrections.clear();
    record_.state = kCameraClosed;
}

void CameraSession::readBackAll() {
    CameraRecord& r = record_;
    const int type = r.typeId;
    if (r.autoExposure.flag) {
        int state = 0;
        KRVCameraGetAeState(&state);
        r.autoExposure.value = state;
        KRVCameraSetAeState(r.softwareAutoExposure ? 0 : r.autoExposure.value);
    }
    if (r.aeTarget.flag) {
        std::uint8_t target = 0;
        KRVCameraGetAeTarget(&target);
        r.aeTarget.value = aeTargetByteToStep(target);
        KRVCameraSetAeTarget(aeTargetStepToByte(r.aeTarget.value));
    }
    if (r.exposure.flag) {
        int ms = 0;
        KRVCameraGetExposureTime(&ms);
        r.exposure.value = exposureValue(ms);
        r.exposureSent = exposureMilliseconds(r.exposure.value);
        setExposureWithSpeedSwitching(r.exposureSent);
    }
    if (r.analogGain.flag) {
        int raw = 0;
        KRVCameraGetAnalogGain(&raw);
        r.analogGain.value = gainRawToStep(type, raw & 0xFFFF);
        KRVCameraSetAnalogGain(gainStepToRaw(type, r.analogGain.value));
    }
    if (r.gamma.flag) {
        std::uint8_t raw = 0;
        KRVCameraGetGamma(&raw);
        r.gamma.value = gammaRawToStep(type, raw);
        KRVCameraSetGamma(gammaStepToRaw(type, r.gamma.value));
    }
    if (r.contrast.flag) {
        std::uint8_t raw = 0;
        KRVCameraGetContrast(&raw);
        r.contrast.value = contrastRawToStep(type, raw);
        KRVCameraSetContrast(contrastStepToRaw(type, r.contrast.value));
    }
    if (r.saturation.flag) {
        std::uint8_t raw = 0;
        KRVCameraGetSaturation(&raw);
        r.saturation.value = saturationRawToStep(type, raw);
        KRVCameraSetSaturation(saturationStepToRaw(type, r.saturation.value));
    }
    if (r.colourEnhancement.flag) {
        KRVCameraGetColorEnhancement(&r.colourEnhancement.value);
        KRVCameraSetColorEnhancement(r.colourEnhancement.value);
    }
    if (r.monochrome.flag) {
        KRVCameraGetMonochrome(&r.monochrome.value);
        KRVCameraSetMonochrome(r.monochrome.value);
    }
    if (r.mirror0.flag || r.mirror1.flag) {
        KRVCameraGetMirror(0, &r.mirror0.value);
        KRVCameraGetMirror(1, &r.mirror1.value);
    }
    if (r.colourGains.flag) {
        KRVCameraGetGain(&r.colourGains.red.value, &r.colourGains.green.value,
                         &r.colourGains.blue.value);
        KRVCameraSetGain(r.colourGains.red.value, r.colourGains.green.value,
                         r.colourGains.blue.value);
    }
    if (r.frameSpeed.flag) {
        std::uint8_t fast = 0;
        KRVCameraGetFrameSpeed(&fast);
        KRVCameraSetFrameSpeed(fast);
        r.frameSpeed.value = fast;
    }
    if (r.lightFrequency.flag) {
        std::uint8_t frequency = 0;
        KRVCameraGetLightFrquency(&frequency);
        KRVCameraSetLightFrquency(frequency);
        r.lightFrequency.value = frequency;
    }
    if (r.mosaicMode.flag) {
        std::uint8_t mode = 0;
        KRVCameraGetB2RGBMode(&mode);
        r.mosaicMode.value = mode;
    }
}

void CameraSession::applyAll() {
    CameraRecord& r = record_;
    const int type = r.typeId;
    if (r.autoExposure.flag) {
        KRVCameraSetAeState(r.softwareAutoExposure ? 0 : r.autoExposure.value);
    }
    if (r.aeTarget.flag) {
        KRVCameraSetAeTarget(aeTargetStepToByte(r.aeTarget.value));
    }
    if (r.analogGain.flag) {
        KRVCameraSetAnalogGain(gainStepToRaw(type, r.analogGain.value));
    }
    if (r.exposure.flag) {
        setExposure(r.exposure.value);
    }
    if (r.gamma.flag) {
        KRVCameraSetGamma(gammaStepToRaw(type, r.gamma.value));
    }
    if (r.contrast.flag) {
        KRVCameraSetContrast(contrastStepToRaw(type, r.contrast.value));
    }
    if (r.saturation.flag) {
        KRVCameraSetSaturation(saturationStepToRaw(type, r.saturation.value));
    }
    if (r.colourEnhancement.flag) {
        KRVCameraSetColorEnhancement(r.colourEnhancement.value);
    }
    if (r.mirror0.flag) {
        KRVCameraSetMirror(0, r.mirror0.value);
    }
    if (r.mirror1.flag) {
        KRVCameraSetMirror(1, r.mirror1.value);
    }
    if (r.colourGains.flag) {
        // The camera's own gains win over the record's.
        KRVCameraGetGain(&r.colourGains.red.value, &r.colourGains.green.value,
                         &r.colourGains.blue.value);
    }
    if (r.frameSpeed.flag) {
        KRVCameraSetFrameSpeed(static_cast<std::uint8_t>(r.frameSpeed.value));
    }
    if (r.lightFrequency.flag) {
        KRVCameraSetLightFrquency(static_cast<std::uint8_t>(r.lightFrequency.value));
    }
    if (r.mosaicMode.flag) {
        KRVCameraSetB2RGBMode(r.mosaicMode.value != 0 ? 1 : 0);
    }
}

void CameraSession::setExposureWithSpeedSwitching(int milliseconds) {
    if (record_.automaticSpeedSwitching) {
        const std::uint8_t mode = milliseconds <= 99 ? 0 : milliseconds > 249 ? 2 : 1;
        KRVCameraSetSpeedMode(mode);
        record_.currentSpeedMode = mode;
    }
    KRVCameraSetExposureTime(milliseconds);
    KRVCameraReStartLongExpTime(0);
}

void CameraSession::setExposure(int value) {
    const int ms = exposureMilliseconds(value);
    if (ms == record_.exposureSent) {
        return;
    }
    record_.exposureSent = ms;
    switch (record_.typeId) {
        case 1:
        case 3:
        case 4:
        case 8:
        case 26:
        case 27:
        case 28:
            KRVCameraSetExposureTime(ms);
            KRVCameraSaveParameter(0);
            refresh();
            break;
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
        case 16:
        case 17:
        case 21:
        case 23:
        case 24:
        case 25: {
            const bool running = preview_ && preview_->isRunning();
            if (running) {
                preview_->pause();
            }
            setExposureWithSpeedSwitching(ms);
            if (running) {
                preview_->resume();
            }
            refresh();
            KRVCameraSaveParameter(0);
            break;
        }
        default:
            break;
    }
}

void CameraSession::refresh() {
    if (!record_.softwareAutoExposure) {
        KRVCameraGetAeState(&record_.autoExposure.value);
    }
    int ms = 0;
    KRVCameraGetExposureTime(&ms);
    record_.exposure.value = exposureValue(ms);
    int raw = 0;
    KRVCameraGetAnalogGain(&raw);
    record_.analogGain.value = gainRawToStep(record_.typeId, raw & 0xFFFF);
}

void CameraSession::quickWhiteBalance() {
    KRVCameraSetAWBState(1);
    wait(500ms);
    KRVCameraGetGain(&record_.colourGains.red.value, &record_.colourGains.green.value,
                     &record_.colourGains.blue.value);
    KRVCameraSaveParameter(0);
}

void CameraSession::quickBlackBalance() {
    record_.colourEnhancement.value = 0;
    KRVCameraSetColorEnhancement(0);
    record_.colourGains.red.value = record_.quickBalance.red;
    record_.colourGains.green.value = record_.quickBalance.green;
    record_.colourGains.blue.value = record_.quickBalance.blue;
    KRVCameraSetGain(record_.quickBalance.red, record_.quickBalance.green,
                     record_.quickBalance.blue);
}

}  // namespace korvel::camera
