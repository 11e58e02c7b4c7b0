#pragma once

// The bitmap-drawn slider of the camera pages. It posts 10449 to its parent at every change
// of position while the thumb is dragged and 10450 when a drag or a key move ends, both
// with its control id and the position. The rules live in PageSliderModel.

#include <QPixmap>
#include <QWidget>

#include "ui/PageSliderModel.h"

namespace korvel::framework {
class MessageTarget;
}

namespace korvel::ui {

class CPageSlider : public QWidget {
public:
    static constexpr int kDefaultWidth = 115;
    static constexpr int kDefaultHeight = 18;
    static constexpr int kDefaultThumbWidth = 10;

    explicit CPageSlider(int controlId, QWidget* parent = nullptr);

    int controlId() const { return controlId_; }

    void SetRange(int minimum, int maximum);
    void SetPos(int position);  // clamped to the range
    int GetPos() const { return model_.position(); }
    int GetRangeMin() const { return model_.minimum(); }
    int GetRangeMax() const { return model_.maximum(); }
    void Enable(bool enabled) { setEnabled(enabled); }

    // The control takes the size of the channel bitmap and the thumb's width from the thumb
    // bitmap; without bitmaps it draws an equivalent channel and thumb itself.
    void SetBitmaps(const QPixmap& channel, const QPixmap& thumb, const QPixmap& thumbPressed);
    void SetThumbWidth(int width);

    // Receiver of 10449 and 10450. Unless set, the parent widget when it is a message target.
    void SetNotifyTarget(framework::MessageTarget* target) { notifyTarget_ = target; }

    const PageSliderModel& model() const { return model_; }

    QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void notify(int message) const;
    void updateGeometryModel();

    int controlId_;
    PageSliderModel model_;
    QPixmap channel_;
    QPixmap thumb_;
    QPixmap thumbPressed_;
    framework::MessageTarget* notifyTarget_ = nullptr;
};

}  // namespace korvel::ui
