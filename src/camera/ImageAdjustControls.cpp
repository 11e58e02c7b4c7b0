#include "camera/ImageAdjustControls.h"

#include "camera/CameraModels.h"
#include "krvcamera/KRVCamera.h"

namespace korvel::camera {

CameraControl& adjustControl(CameraRecord& record, AdjustStep step) {
    switch (step) {
        case AdjustStep::Gamma:
            return record.gamma;
        case AdjustStep::Contrast:
            return record.contrast;
        case AdjustStep::Saturation:
            break;
    }
    return record.saturation;
}

const CameraControl& adjustControl(const CameraRecord& record, AdjustStep step) {
    return adjustControl(const_cast<CameraRecord&>(record), step);
}

int adjustStepToRaw(int typeId, AdjustStep step, int value) {
    switch (step) {
        case AdjustStep::Gamma:
            return gammaStepToRaw(typeId, value);
        case AdjustStep::Contrast:
            return contrastStepToRaw(typeId, value);
        case AdjustStep::Saturation:
            break;
    }
    return saturationStepToRaw(typeId, value);
}

void sendAdjustStep(CameraRecord& record, AdjustStep step, int value) {
    adjustControl(record, step).value = value;
    const int raw = adjustStepToRaw(record.typeId, step, value);
    switch (step) {
        case AdjustStep::Gamma:
            KRVCameraSetGamma(raw);
            break;
        case AdjustStep::Contrast:
            KRVCameraSetContrast(raw);
            break;
        case AdjustStep::Saturation:
            KRVCameraSetSaturation(raw);
            break;
    }
}

bool saturationEditable(const CameraRecord& record) {
    return record.saturation.flag != 0 && record.colourEnhancement.value != 0;
}

void sendColourEnhancement(CameraRecord& record, bool on) {
    record.colourEnhancement.value = on ? 1 : 0;
    KRVCameraSetColorEnhancement(record.colourEnhancement.value);
}

void sendMirror(CameraRecord& record, int axis, bool on) {
    CameraSwitch& mirror = axis == 0 ? record.mirror0 : record.mirror1;
    mirror.value = on ? 1 : 0;
    KRVCameraSetMirror(axis == 0 ? 0 : 1, mirror.value);
}

void sendMonochrome(CameraRecord& record, bool on) {
    record.monochrome.value = on ? 1 : 0;
    KRVCameraSetMonochrome(record.monochrome.value);
}

QString integerExpectedMessage() {
    return QStringLiteral("Please enter an integer.");
}

QString integerRangeMessage(int minimum, int maximum) {
    return QStringLiteral("Please enter an integer between %1 and %2.").arg(minimum).arg(maximum);
}

std::optional<int> readIntegerText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    if (!ok) {
        return std::nullopt;
    }
    return value;
}

StepText readStepText(const QString& text, int minimum, int maximum) {
    StepText result;
    if (text == QStringLiteral("-")) {
        return result;
    }
    const std::optional<int> value = readIntegerText(text);
    if (!value) {
        result.kind = StepText::Invalid;
        result.message = integerExpectedMessage();
        return result;
    }
    if (*value < minimum || *value > maximum) {
        result.kind = StepText::Invalid;
        result.message = integerRangeMessage(minimum, maximum);
        return result;
    }
    result.kind = StepText::Value;
    result.value = *value;
    return result;
}

}  // namespace korvel::camera
