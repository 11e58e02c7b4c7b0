#pragma once

// What the image-adjust page does with the camera: gamma, contrast and saturation steps
// sent as the model's raw bytes, the switches (colour enhancement, mirror, monochrome), the
// rule that enables the saturation controls, and the reading of a step typed into an edit
// box. Plain code over the record and the camera library, so a test calls it without a
// window.

#include <QString>

#include <optional>

#include "camera/CameraRecord.h"

namespace korvel::camera {

// The three adjustable steps of the page.
enum class AdjustStep { Gamma, Contrast, Saturation };

// The record's control of a step.
CameraControl& adjustControl(CameraRecord& record, AdjustStep step);
const CameraControl& adjustControl(const CameraRecord& record, AdjustStep step);

// The raw byte a step is sent as for the record's model (0 for the models without it).
int adjustStepToRaw(int typeId, AdjustStep step, int value);

// Stores the step in the record and sends its raw byte (KRVCameraSetGamma, ...SetContrast,
// ...SetSaturation).
void sendAdjustStep(CameraRecord& record, AdjustStep step, int value);

// Saturation can be changed only when the model has it and colour enhancement is on.
bool saturationEditable(const CameraRecord& record);

// The switches: stored in the record, then sent.
void sendColourEnhancement(CameraRecord& record, bool on);
void sendMirror(CameraRecord& record, int axis, bool on);
void sendMonochrome(CameraRecord& record, bool on);

// Reading an integer the user typed into a step's edit box, as the dialog framework does.
struct StepText {
    enum Kind {
        Pending,  // the whole text is "-": the user is still typing a negative number
        Value,    // a number within the range
        Invalid,  // not a number, or outside the range; `message` says so
    };
    Kind kind = Pending;
    int value = 0;
    QString message;
};
inline constexpr int kAdjustStepMinimum = -20;
inline constexpr int kAdjustStepMaximum = 20;
StepText readStepText(const QString& text, int minimum = kAdjustStepMinimum,
                      int maximum = kAdjustStepMaximum);

// The framework's validation messages.
QString integerExpectedMessage();
QString integerRangeMessage(int minimum, int maximum);

// Reads an integer without a range (the gain boxes of the parameter page): nullopt when the
// text is not a number.
std::optional<int> readIntegerText(const QString& text);

}  // namespace korvel::camera
