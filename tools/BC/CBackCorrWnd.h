#pragma once

// The background-correction program's one window: what the run is doing and how far it is.
// The questions and the outcome are message boxes over it.

#include "CorrectionRun.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace bc {

class CBackCorrWnd : public QWidget {
    Q_OBJECT
public:
    explicit CBackCorrWnd(RunOptions options, QWidget* parent = nullptr);

    // Finds the camera, asks for the empty field and starts measuring; the window closes
    // itself when the run ends. exitCode() tells how it ended.
    void start();
    int exitCode() const { return exitCode_; }

private:
    void advance();
    void finish();

    CorrectionRun run_;
    QLabel* status_;
    QProgressBar* progress_;
    QTimer stepper_;
    int exitCode_ = 1;
};

}  // namespace bc
