#include "camera/WhiteBalance.h"

#include <algorithm>

#include "krvcamera/KRVCamera.h"
#include "res/ids.h"

namespace korvel::camera {

using namespace std::chrono_literals;

void sheetQuickWhiteBalance(CameraRecord& record, const Sleep& sleep) {
    KRVCameraSetAWBState(1);
    if (sleep) {
        sleep(200ms);
    }
    KRVCameraGetGain(&record.colourGains.red.value, &record.colourGains.green.value,
                     &record.colourGains.blue.value);
}

bool sheetBlackBalance(CameraRecord& record) {
    if (record.quickBalance.flag == 0) {
        return false;
    }
    record.colourEnhancement.value = 0;
    KRVCameraSetColorEnhancement(0);
    record.colourGains.red.value = record.quickBalance.red;
    record.colourGains.green.value = record.quickBalance.green;
    record.colourGains.blue.value = record.quickBalance.blue;
    KRVCameraSetGain(record.colourGains.red.value & 0xFFFF, record.colourGains.green.value & 0xFFFF,
                     record.colourGains.blue.value & 0xFFFF);
    return true;
}

Gains cameraGains() {
    Gains gains;
    KRVCameraGetGain(&gains.red, &gains.green, &gains.blue);
    return gains;
}

void setCameraGains(const Gains& gains) {
    // The gains are 16-bit values for the camera.
    KRVCameraSetGain(gains.red & 0xFFFF, gains.green & 0xFFFF, gains.blue & 0xFFFF);
}

void WhiteBalanceSteps::start() {
    step_ = 1;
    saved_ = cameraGains();
}

void WhiteBalanceSteps::whiteBalance() {
    KRVCameraSetAWBState(1);
    step_ = 2;
}

bool WhiteBalanceSteps::redo() {
    if (step_ != 2) {
        return false;
    }
    setCameraGains(saved_);
    step_ = 1;
    return true;
}

void WhiteBalanceSteps::cancel() {
    setCameraGains(saved_);
}

WizardStepControls wizardStepControls(int step) {
    WizardStepControls controls;
    const bool first = step != 2;
    controls.whiteBalance = first;
    controls.finish = !first;
    controls.redo = !first;
    controls.stepBitmap = first ? res::IDB_WIZARD_STEP1 : res::IDB_WIZARD_STEP2;
    return controls;
}

WizardLayout wizardLayout(QSize screen, QSize image) {
    const int W = screen.width();
    WizardLayout layout;

    // The picture area left of the panel, shaped to the image and centred in it.
    const int w = std::max(0, W - kWizardPanelWidth);
    const int h = std::max(0, screen.height() - 30);
    layout.picture = QRect(0, 0, w, h);
    if (w > 0 && h > 0) {
        const double d = std::max(static_cast<double>(image.width()) / w,
                                  static_cast<double>(image.height()) / h);
        if (d > 0) {
            const int pictureWidth = std::max(0, static_cast<int>(image.width() / d) - 8);
            const int pictureHeight = static_cast<int>(image.height() / d);
            layout.picture =
                QRect((w - pictureWidth) / 2, (h - pictureHeight) / 2, pictureWidth, pictureHeight);
        }
    }

    constexpr QSize button{120, 28};
    constexpr QSize icon{32, 32};
    layout.stepPicture = QRect(W - 263, 0, 260, 200);
    layout.step1Text = QRect(W - 254, 230, 240, 40);
    layout.step2Text = layout.step1Text;
    layout.whiteBalance = QRect(QPoint(W - 230, 290), button);
    layout.whiteBalanceIcon = QRect(QPoint(W - 100, 288), icon);
    layout.finish = QRect(QPoint(W - 230, 350), button);
    layout.finishIcon = QRect(QPoint(W - 100, 348), icon);
    layout.redo = QRect(QPoint(W - 230, 410), button);
    layout.redoIcon = QRect(QPoint(W - 100, 408), icon);
    layout.reference = QRect(QPoint(W - 230, 470), button);
    layout.referenceIcon = QRect(QPoint(W - 100, 468), icon);
    return layout;
}

}  // namespace korvel::camera
