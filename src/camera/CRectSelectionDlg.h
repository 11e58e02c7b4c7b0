#pragma once

// The rectangle-selection overlay (dialog 222): a borderless, topmost window over the
// whole screen showing a dimmed copy of it, in which the user draws a rectangle inside
// the given bounds; the selection shows at full brightness with a tracker frame.

#include "camera/SelectionTracker.h"

#include <QDialog>
#include <QImage>

#include <optional>

class QPushButton;

namespace korvel::camera {

class CRectSelectionDlg : public QDialog {
    Q_OBJECT

public:
    // `bounds` in screen coordinates: the drawing surface the selection must stay in.
    explicit CRectSelectionDlg(QRect bounds, QWidget* parent = nullptr);

    // The selection in screen coordinates once the dialog ended with OK and one was drawn.
    std::optional<QRect> selection() const;
    const SelectionTracker& tracker() const { return tracker_; }

    // Runs the overlay over the screen of `surface` and returns the selection relative to
    // the surface's top-left corner.
    static std::optional<QRect> selectOn(QWidget* surface);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void sync();

    SelectionTracker tracker_;
    QImage plain_;
    QImage dimmed_;
    QPushButton* ok_;
    QPushButton* cancel_;
};

}  // namespace korvel::camera
