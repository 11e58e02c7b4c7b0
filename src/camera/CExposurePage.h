#pragma once

// The "Main" page of the camera settings sheet (dialog 184): automatic or manual exposure,
// the auto-exposure target, the exposure time (set, then updated, through the camera
// window), the analog gain shown as an ISO figure, the model defaults, and the white- and
// black-balance buttons that the sheet carries out. It edits the camera window's record in
// place and calls the camera library for the exposure mode, the target and the gain.

#include <QColor>
#include <QString>
#include <QWidget>

#include "camera/CameraRecord.h"
#include "framework/Message.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace korvel::ui {
class CPageSlider;
}

namespace korvel::camera {

class CTimeEntryCtrl;

class CExposurePage : public QWidget, public framework::MessageTarget {
public:
    static constexpr QColor kBackground{216, 231, 252};

    explicit CExposurePage(QWidget* parent = nullptr);
    ~CExposurePage() override;

    // Binds the page to the record (not owned) and loads every control from it.
    void AttachRecord(CameraRecord* record);
    // Writes the three slider positions back: target, exposure value and gain step.
    void StoreToRecord(CameraRecord* record) const;
    // Rereads exposure and gain from the camera and updates values and enabling.
    void Refresh();

    // Receivers of the page's messages: the sheet gets 1285 and 1316; the camera window
    // gets 1301 and 1314. Unless set, the sheet is the nearest ancestor that takes messages
    // and the camera window the next one above it.
    void SetSheet(framework::MessageTarget* sheet) { sheet_ = sheet; }
    void SetCameraWindow(framework::MessageTarget* cameraWindow) { cameraWindow_ = cameraWindow; }

    bool setTimeFlag() const { return setTime_; }
    const QString& isoText() const { return isoText_; }
    CameraRecord* record() const { return record_; }

    // The controls, for the sheet and for tests.
    CTimeEntryCtrl* timeEntry() const { return timeEntry_; }
    ui::CPageSlider* targetSlider() const { return targetSlider_; }
    ui::CPageSlider* exposureSlider() const { return exposureSlider_; }
    ui::CPageSlider* gainSlider() const { return gainSlider_; }
    QRadioButton* autoButton() const { return auto_; }
    QRadioButton* manualButton() const { return manual_; }
    QPushButton* setTimeButton() const { return setTimeButton_; }
    QLineEdit* gainText() const { return gainText_; }

    // Slider moves (10449, 10450); the time-entry control's notices are ignored.
    std::intptr_t onMessage(const framework::Message& message) override;

    // The buttons' actions, as their clicks run them.
    void onAutoExposure();
    void onManualExposure();
    void onSetTime();
    void onDefault();
    void onWhiteBalance();
    void onBlackBalance();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void sliderMoved(int controlId, int position);
    void showIsoText();
    void tickAutoExposure();
    framework::MessageTarget* sheet() const;
    framework::MessageTarget* cameraWindow() const;
    std::intptr_t sendToSheet(int message);
    std::intptr_t sendToCameraWindow(int message, int value = 0);

    CameraRecord* record_ = nullptr;
    QString isoText_;
    bool setTime_ = false;  // on while the user may edit the exposure time
    framework::MessageTarget* sheet_ = nullptr;
    framework::MessageTarget* cameraWindow_ = nullptr;

    // Children, owned through Qt's parent.
    QGroupBox* exposureGroup_;
    QRadioButton* auto_;
    QRadioButton* manual_;
    QButtonGroup* autoManual_;
    ui::CPageSlider* targetSlider_;
    QLabel* darkLabel_;
    QLabel* brightLabel_;
    CTimeEntryCtrl* timeEntry_;
    QLabel* timeLabel_;
    ui::CPageSlider* exposureSlider_;
    QPushButton* setTimeButton_;
    QLabel* gainLabel_;
    ui::CPageSlider* gainSlider_;
    QLineEdit* gainText_;
    QGroupBox* balanceGroup_;
    QPushButton* whiteBalance_;
    QPushButton* blackBalance_;
    QPushButton* default_;
    int groupWidth_ = 0;  // of both group boxes at the page's own width
};

}  // namespace korvel::camera
