#include "camera/ParameterControls.h"

#include "krvcamera/KRVCamera.h"
#include "res/ids.h"

namespace korvel::camera {

using namespace korvel::res;

std::uint8_t parameterSetOfButton(int controlId) {
    switch (controlId) {
        case IDC_PARAM_SET_A:
            return kParameterSetA;
        case IDC_PARAM_SET_B:
            return kParameterSetB;
        case IDC_PARAM_SET_C:
            return kParameterSetC;
        default:
            return kParameterSetWorking;
    }
}

int buttonOfParameterSet(std::uint8_t set) {
    switch (set) {
        case kParameterSetA:
            return IDC_PARAM_SET_A;
        case kParameterSetB:
            return IDC_PARAM_SET_B;
        case kParameterSetC:
            return IDC_PARAM_SET_C;
        default:
            return IDC_PARAM_SET_D;
    }
}

bool loadAtStartEnabled(std::uint8_t chosenSet) {
    return chosenSet != kParameterSetWorking;
}

bool loadAtStartTicked(std::uint8_t chosenSet, std::uint8_t setAtOpen) {
    return chosenSet != kParameterSetWorking && chosenSet == setAtOpen;
}

std::uint8_t setToLoadAtStart(std::uint8_t chosenSet, bool ticked) {
    return ticked ? chosenSet : kParameterSetWorking;
}

void sendColourGains(CameraRecord& record, int red, int green, int blue) {
    record.colourGains.red.value = red;
    record.colourGains.green.value = green;
    record.colourGains.blue.value = blue;
    KRVCameraSetGain(red, green, blue);
}

CameraSwitch& modeSwitch(CameraRecord& record, CameraMode mode) {
    switch (mode) {
        case CameraMode::FrameSpeed:
            return record.frameSpeed;
        case CameraMode::LightFrequency:
            return record.lightFrequency;
        case CameraMode::ImageQuality:
            break;
    }
    return record.mosaicMode;
}

void sendMode(CameraRecord& record, CameraMode mode, int value) {
    const auto byte = static_cast<std::uint8_t>(value != 0 ? 1 : 0);
    modeSwitch(record, mode).value = byte;
    switch (mode) {
        case CameraMode::FrameSpeed:
            KRVCameraSetFrameSpeed(byte);
            break;
        case CameraMode::LightFrequency:
            KRVCameraSetLightFrquency(byte);
            break;
        case CameraMode::ImageQuality:
            KRVCameraSetB2RGBMode(byte);
            break;
    }
}

void saveParameterSet(std::uint8_t set) {
    KRVCameraSaveParameter(set);
}

void loadParameterSet(CameraRecord& record, std::uint8_t set) {
    KRVCameraReadParameter(set);
    record.parameterSetInUse = set;
}

}  // namespace korvel::camera
