#pragma once

// The exposure-time entry control: minutes, seconds and milliseconds in a display field with
// a spin button, an input box with "Y" and "N" for typing one field, and an optional slider.
// Every field write posts WM_TIMECHANGE to the parent with the control id. The rules live in
// TimeEntryModel; this window only shows them and feeds them input.

#include <QColor>
#include <QWidget>

#include "camera/TimeEntryModel.h"
#include "framework/Message.h"
#include "res/ids.h"

class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

namespace korvel::camera {

// Posted to the parent after every field write: first = control id, second = 0.
inline constexpr unsigned WM_TIMECHANGE = res::MSG_TIME_CHANGE;

class CTimeEntryCtrl : public QWidget, public framework::MessageTarget {
public:
    static constexpr QColor kDefaultBackground{236, 233, 216};

    // Creates the control as a visible child of `parent` over `rect`.
    CTimeEntryCtrl(const QRect& rect, int controlId, QWidget* parent);
    ~CTimeEntryCtrl() override;

    int controlId() const { return controlId_; }

    void SetMaxTime(int minutes, int seconds, int milliseconds);
    // Milliseconds, or a long-exposure table index in long-exposure mode; a time that does
    // not fit changes nothing (and returns false).
    bool SetTimeMs(int time);
    int GetTimeMs() const { return model_.timeMs(); }
    void SetSelectedField(int field);
    void Enable(bool enabled) { setEnabled(enabled); }
    void SetBackgroundColor(const QColor& colour);
    void ShowSlider(bool show);
    void SetFieldHeight(int pixels);
    // Times travel as long-exposure table indices while on (the record's long-exposure mode).
    void SetLongExposureMode(bool on) { model_.setLongExposureMode(on); }

    // Receiver of WM_TIMECHANGE. Unless set, the parent widget when it is a message target.
    void SetNotifyTarget(framework::MessageTarget* target) { notifyTarget_ = target; }

    const TimeEntryModel& model() const { return model_; }
    bool isEditing() const { return model_.mode() == TimeEntryModel::Mode::Edit; }

    // The children, for the pages' layout and for tests.
    QLineEdit* displayField() const;
    QLineEdit* inputBox() const;
    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }
    QSlider* slider() const { return slider_; }
    QToolButton* spinUp() const { return spinUp_; }
    QToolButton* spinDown() const { return spinDown_; }

    // The requests the children post to the control (1568-1572) and WM_TIMECHANGE.
    std::intptr_t onMessage(const framework::Message& message) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    class DisplayField;
    class InputBox;

    void fieldWritten(bool syncSlider);
    void notifyParent();
    void showTime();
    void syncSliderToTime();
    void sliderMoved();
    double sliderTravel() const;
    void enterEdit(const std::string& text);
    void leaveEdit();
    void commit();
    void cancel();
    void layoutChildren();
    void applyColours();
    QFont textFont() const;

    int controlId_;
    TimeEntryModel model_;
    DisplayField* display_ = nullptr;  // children: owned through Qt's parent
    QSlider* slider_ = nullptr;
    QToolButton* spinUp_ = nullptr;
    QToolButton* spinDown_ = nullptr;
    InputBox* input_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;

    QColor background_ = kDefaultBackground;
    bool showSlider_ = true;
    int fieldHeight_ = 20;
    bool syncingSlider_ = false;  // the program, not the user, is moving the slider
    framework::MessageTarget* notifyTarget_ = nullptr;
};

}  // namespace korvel::camera
