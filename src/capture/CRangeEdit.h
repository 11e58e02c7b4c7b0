#pragma once

// A text box for a number within a range: the interval and count boxes of the snap page.

#include "capture/RangeEditModel.h"

#include <QLineEdit>

#include <functional>

namespace korvel::capture {

class CRangeEdit : public QLineEdit {
    Q_OBJECT

public:
    CRangeEdit(int minimum, int maximum, QWidget* parent = nullptr);

    // The last valid value; -1 while the box is empty.
    int value() const { return model_.value(); }
    void setValue(int value);
    // What a refused entry does besides restoring the text (the system beep unless set).
    void setBeep(std::function<void()> beep) { beep_ = std::move(beep); }

private:
    void onTextChanged(const QString& text);

    RangeEditModel model_;
    std::function<void()> beep_;
    bool updating_ = false;
};

}  // namespace korvel::capture
