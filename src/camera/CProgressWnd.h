#pragma once

// The progress window (dialog 180): a modeless box over its owner with a progress bar that
// carries the window's text inside it, and a "Cancel" button that only raises a flag.

#include <QDialog>

class QProgressBar;
class QPushButton;

namespace korvel::camera {

class CProgressWnd : public QDialog {
    Q_OBJECT

public:
    explicit CProgressWnd(QWidget* owner);

    // "Complete" shows its percentage after it: "Complete: 40%".
    void setText(const QString& text);
    // A maximum of 0 or less becomes 1.
    void setRange(int minimum, int maximum);
    void setPos(int position);
    void allowCancel(bool allowed) { cancelAllowed_ = allowed; }
    bool cancelled() const { return cancelled_; }

    QProgressBar* bar() const { return bar_; }
    QPushButton* cancelButton() const { return cancel_; }

protected:
    void reject() override {}  // Escape does not close the window either

private:
    QProgressBar* bar_;
    QPushButton* cancel_;
    bool cancelAllowed_ = false;
    bool cancelled_ = false;
};

}  // namespace korvel::camera
