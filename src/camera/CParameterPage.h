#pragma once

// The "Parameter" page of the camera settings sheet (dialog 183): red, green and blue gains,
// frame speed, light frequency and image quality, and the camera's stored parameter sets A,
// B and C with the set to load when the program next starts. Gains and modes reach the
// camera and the record at once. The rules live in ParameterControls.

#include <QColor>
#include <QWidget>

#include <cstdint>

#include "camera/CameraRecord.h"
#include "camera/ParameterControls.h"
#include "framework/Message.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel::ui {
class CPageSlider;
}

namespace korvel::camera {

class CParameterPage : public QWidget, public framework::MessageTarget {
public:
    static constexpr QColor kBackground{216, 231, 252};

    explicit CParameterPage(QWidget* parent = nullptr);
    ~CParameterPage() override;

    // Binds the page to the record (not owned) and loads the controls from it.
    void AttachRecord(CameraRecord* record);
    // Writes the gains, the three modes and the chosen set into the record, and the set to
    // load at next start (the chosen set when 1069 is ticked, else 0).
    void StoreToRecord(CameraRecord* record);

    // Receiver of 1298 after "Load". Unless set, the message target above the sheet.
    void SetCameraWindow(framework::MessageTarget* cameraWindow) { cameraWindow_ = cameraWindow; }

    CameraRecord* record() const { return record_; }
    std::uint8_t chosenSet() const { return chosenSet_; }
    int gain(int channel) const { return gains_[channel]; }  // 0 red, 1 green, 2 blue
    int modeValue(CameraMode mode) const { return modes_[static_cast<int>(mode)]; }

    // The controls, for the sheet and for tests.
    ui::CPageSlider* gainSlider(int channel) const { return sliders_[channel]; }
    QLineEdit* gainEdit(int channel) const { return edits_[channel]; }
    QRadioButton* modeButton(CameraMode mode, int value) const;
    QRadioButton* setButton(int controlId) const;
    QCheckBox* loadAtStartBox() const { return loadAtStart_; }
    QPushButton* saveButton() const { return save_; }
    QPushButton* loadButton() const { return load_; }

    // Slider moves (10449, 10450).
    std::intptr_t onMessage(const framework::Message& message) override;

    // The controls' actions, as their notifications run them.
    void onGainTextChanged(int channel);
    void onModeButton(CameraMode mode, int value);
    void onSetButton(int controlId);
    void onSave();
    void onLoad();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // Reads the gain boxes into the members; a text that is not a number shows the
    // validation message, keeps its member and ends the reading.
    void readGains();
    void showGains();
    framework::MessageTarget* cameraWindow() const;

    CameraRecord* record_ = nullptr;
    int gains_[3] = {0, 0, 0};
    int modes_[3] = {0, 0, 0};  // frame speed, light frequency, image quality
    std::uint8_t chosenSet_ = 0;
    framework::MessageTarget* cameraWindow_ = nullptr;

    // Children, owned through Qt's parent.
    QGroupBox* groups_[5];
    ui::CPageSlider* sliders_[3];
    QLineEdit* edits_[3];
    QRadioButton* modeButtons_[3][2];
    QButtonGroup* modeGroups_[3];
    QRadioButton* setButtons_[4];  // A, B, C, D
    QButtonGroup* setGroup_;
    QPushButton* save_;
    QPushButton* load_;
    QCheckBox* loadAtStart_;
    int groupWidths_[5] = {0, 0, 0, 0, 0};
};

}  // namespace korvel::camera
