#pragma once

// The small exposure pop-up (dialog 181) that the camera window shows above its Exposure
// button: an auto-exposure box, an exposure slider and a time-entry control. The time is
// set, then updated, like on the exposure page; an updated time goes to the camera window
// (1314), and the pop-up tells the camera window when it loses activation (1300 with 1).
// Any click on its background drags it; Enter does not close it.

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QWidget>

#include "camera/CameraRecord.h"
#include "framework/Message.h"

class QCheckBox;
class QPushButton;
class QToolButton;

namespace korvel::ui {
class CPageSlider;
}

namespace korvel::camera {

class CTimeEntryCtrl;

class CExposurePopup : public QWidget, public framework::MessageTarget {
public:
    static constexpr QColor kBackground{177, 204, 255};
    static constexpr QColor kTimeEntryBackground{177, 204, 247};
    static constexpr QSize kSize{210, 60};

    // `owner` is the camera window: it receives 1314 and 1300 and owns `record`.
    CExposurePopup(CameraRecord& record, framework::MessageTarget* owner, QWidget* parent);
    ~CExposurePopup() override;

    // Stores the state; "Set" is offered only with auto exposure off, and the time may be
    // edited only then and after "Set".
    void SetAutoExposure(bool on);
    // Slider and time-entry control show the exposure value.
    void SetExposure(int value);
    void SetExposureRange(int minimum, int maximum, bool longExposure);
    // From now on the pop-up sends nothing to its owner (which is closing it).
    void DetachOwner() { owner_ = nullptr; }
    // Whether the model has auto exposure at all.
    void EnableAutoExposureBox(bool enabled);
    // Exposure values are long-exposure table indices while on (copied from the record).
    void SetLongExposure(bool on);

    bool autoExposure() const { return autoExposure_; }
    bool setTimeFlag() const { return setTime_; }
    bool longExposure() const { return longExposure_; }

    QCheckBox* autoExposureBox() const { return autoBox_; }
    ui::CPageSlider* exposureSlider() const { return slider_; }
    QPushButton* setButton() const { return setButton_; }
    CTimeEntryCtrl* timeEntry() const { return timeEntry_; }

    // Slider moves (10449, 10450).
    std::intptr_t onMessage(const framework::Message& message) override;

    // What the controls do when clicked.
    void onAutoExposureClicked();
    void onSet();

    // The font of the "Auto-Exposure" caption: the dialog's font where the caption fits
    // left of the time-entry control, else a narrower or smaller one that does.
    QFont captionFont() const;
    // The owner window's Exposure button, which opens and closes the pop-up; null if none.
    QToolButton* exposureButton() const;

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void enableTimeControls(bool enabled);
    void showSlider();

    CameraRecord& record_;
    framework::MessageTarget* owner_;
    bool autoExposure_ = false;
    bool setTime_ = false;
    bool longExposure_ = false;

    // Children, owned through Qt's parent.
    QCheckBox* autoBox_;
    ui::CPageSlider* slider_;
    QPushButton* setButton_;
    CTimeEntryCtrl* timeEntry_;

    bool dragging_ = false;
    QPoint dragOffset_;  // pointer minus the window's top left, kept while dragged
};

}  // namespace korvel::camera
