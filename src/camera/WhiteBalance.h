#pragma once

// White and black balance as the settings sheet and the White Balance Wizard perform them:
// the camera library balances, the program switches its balance on and reads or writes the
// red, green and blue gains. Plain code over the record and the camera library.

#include <QRect>
#include <QSize>

#include <chrono>
#include <functional>

#include "camera/CameraRecord.h"

namespace korvel::camera {

using Sleep = std::function<void(std::chrono::milliseconds)>;

// Quick white balance of the sheet: the camera balances, 200 ms later its gains are read
// into the record.
void sheetQuickWhiteBalance(CameraRecord& record, const Sleep& sleep);

// Black balance of the sheet: colour enhancement off and the model's quick-balance gains.
// Returns false, changing nothing, for a model without quick balance.
bool sheetBlackBalance(CameraRecord& record);

// The colour gains as the camera has them.
struct Gains {
    int red = 64;
    int green = 64;
    int blue = 64;
    bool operator==(const Gains&) const = default;
};
Gains cameraGains();
void setCameraGains(const Gains& gains);

// The steps of the wizard: step 1 asks for an empty field and the balance, step 2 for the
// sample and "Finish". The gains of the opening are kept to undo the balance.
class WhiteBalanceSteps {
public:
    // Reads the camera's gains as the ones to restore.
    void start();
    int step() const { return step_; }
    const Gains& savedGains() const { return saved_; }

    // "White Balance": the camera balances; step 2.
    void whiteBalance();
    // "Redo", in step 2 only: the starting gains again; step 1. False in step 1.
    bool redo();
    // Closing without "Finish": the starting gains again.
    void cancel();

private:
    int step_ = 1;
    Gains saved_;
};

// Which controls of the wizard the user sees in a step.
struct WizardStepControls {
    bool whiteBalance = false;  // "White Balance", its icon, step text 1
    bool finish = false;        // "Finish", its icon, step text 2
    bool redo = false;          // "Redo" and its icon
    int stepBitmap = 0;         // 250 or 251
};
WizardStepControls wizardStepControls(int step);

// Where the wizard's controls stand on a screen of `screen` pixels for a live image of
// `image` pixels.
struct WizardLayout {
    QRect picture;  // the live picture, shaped to the image
    QRect stepPicture;
    QRect step1Text;
    QRect step2Text;
    QRect whiteBalance, whiteBalanceIcon;
    QRect finish, finishIcon;
    QRect redo, redoIcon;
    QRect reference, referenceIcon;  // never shown
};
inline constexpr int kWizardPanelWidth = 260;
WizardLayout wizardLayout(QSize screen, QSize image);

}  // namespace korvel::camera
