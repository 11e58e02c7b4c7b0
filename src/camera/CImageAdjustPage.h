#pragma once

// The "Image Adjust" page of the camera settings sheet (dialog 182): gamma, contrast and
// saturation steps, colour enhancement, horizontal and vertical flip, monochrome, and the
// "Use Back Correction" choice. Every change reaches the camera and the camera window's
// record at once; the background-correction choice only reaches the record when the sheet
// is confirmed. The rules live in ImageAdjustControls.

#include <QColor>
#include <QWidget>

#include "camera/CameraRecord.h"
#include "camera/ImageAdjustControls.h"
#include "framework/Message.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace korvel::ui {
class CPageSlider;
}

namespace korvel::camera {

class CImageAdjustPage : public QWidget, public framework::MessageTarget {
public:
    static constexpr QColor kBackground{216, 231, 252};

    explicit CImageAdjustPage(QWidget* parent = nullptr);
    ~CImageAdjustPage() override;

    // Binds the page to the record (not owned) and loads every control from it.
    void AttachRecord(CameraRecord* record);
    // Writes the three slider positions and the five switches into the record.
    void StoreToRecord(CameraRecord* record);

    CameraRecord* record() const { return record_; }

    // The members bound to the controls.
    int gammaStep() const { return steps_[0]; }
    int contrastStep() const { return steps_[1]; }
    int saturationStep() const { return steps_[2]; }

    // The controls, for the sheet and for tests.
    ui::CPageSlider* slider(AdjustStep step) const;
    QLineEdit* edit(AdjustStep step) const;
    QLabel* saturationLabel() const { return saturationLabel_; }
    QCheckBox* colourEnhancementBox() const { return colourEnhancement_; }
    QCheckBox* monochromeBox() const { return monochrome_; }
    QCheckBox* hFlipBox() const { return hFlip_; }
    QCheckBox* vFlipBox() const { return vFlip_; }
    QCheckBox* useBackCorrectionBox() const { return useBackCorrection_; }
    QGroupBox* flipGroup() const { return flipGroup_; }
    QGroupBox* backCorrectionGroup() const { return backCorrectionGroup_; }

    // Slider moves (10449, 10450).
    std::intptr_t onMessage(const framework::Message& message) override;

    // The controls' actions, as their notifications run them.
    void onStepTextChanged(AdjustStep step);
    void onColourEnhancement();
    void onHFlip();
    void onVFlip();
    void onMonochrome();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    static int index(AdjustStep step) { return static_cast<int>(step); }
    void sliderMoved(AdjustStep step, int position);
    // Reads the three edit boxes into the members; a refused text shows the validation
    // message, keeps its member and ends the reading.
    void readSteps();
    void showSteps();
    void enableSaturation();

    CameraRecord* record_ = nullptr;
    int steps_[3] = {0, 0, 0};  // gamma, contrast, saturation

    // Children, owned through Qt's parent.
    QGroupBox* adjustGroup_;
    ui::CPageSlider* sliders_[3];
    QLineEdit* edits_[3];
    QLabel* saturationLabel_;
    QCheckBox* colourEnhancement_;
    QCheckBox* monochrome_;
    QGroupBox* flipGroup_;
    QCheckBox* hFlip_;
    QCheckBox* vFlip_;
    QGroupBox* backCorrectionGroup_;
    QCheckBox* useBackCorrection_;
    int groupWidths_[3] = {0, 0, 0};
};

}  // namespace korvel::camera
