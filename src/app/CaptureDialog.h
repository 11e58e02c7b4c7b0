#pragma once

// The "Capture" dialog: "Desktop" and the top-level windows, the first one selected.

#include "app/WindowCapture.h"

#include <QDialog>

class QListWidget;

namespace korvel::app {

class CaptureDialog : public QDialog {
    Q_OBJECT

public:
    CaptureDialog(const std::vector<CaptureCandidate>& windows, QWidget* parent = nullptr);

    int selectedIndex() const;

private:
    QListWidget* list_;  // owned by the dialog
};

}  // namespace korvel::app
