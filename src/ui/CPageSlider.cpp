#include "ui/CPageSlider.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>

#include "framework/Message.h"
#include "res/ids.h"

namespace korvel::ui {

namespace {

SliderKey sliderKey(int key) {
    switch (key) {
        case Qt::Key_PageUp:
            return SliderKey::PageUp;
        case Qt::Key_PageDown:
            return SliderKey::PageDown;
        case Qt::Key_Home:
            return SliderKey::Home;
        case Qt::Key_End:
            return SliderKey::End;
        case Qt::Key_Left:
            return SliderKey::Left;
        case Qt::Key_Up:
            return SliderKey::Up;
        case Qt::Key_Right:
            return SliderKey::Right;
        case Qt::Key_Down:
            return SliderKey::Down;
        default:
            return SliderKey::Other;
    }
}

}  // namespace

CPageSlider::CPageSlider(int controlId, QWidget* parent) : QWidget(parent), controlId_(controlId) {
    setFocusPolicy(Qt::StrongFocus);
    resize(kDefaultWidth, kDefaultHeight);
    model_.setGeometry(width(), kDefaultThumbWidth);
}

QSize CPageSlider::sizeHint() const {
    return channel_.isNull() ? QSize(kDefaultWidth, kDefaultHeight) : channel_.size();
}

void CPageSlider::SetRange(int minimum, int maximum) {
    model_.setRange(minimum, maximum);
    update();
}

void CPageSlider::SetPos(int position) {
    model_.setPosition(position);
    update();
}

void CPageSlider::SetBitmaps(const QPixmap& channel, const QPixmap& thumb,
                             const QPixmap& thumbPressed) {
    channel_ = channel;
    thumb_ = thumb;
    thumbPressed_ = thumbPressed;
    if (!channel_.isNull()) {
        setFixedSize(channel_.size());
    }
    if (!thumb_.isNull()) {
        model_.setGeometry(width(), thumb_.width());
    }
    update();
}

void CPageSlider::SetThumbWidth(int width) {
    model_.setGeometry(this->width(), width);
    update();
}

void CPageSlider::updateGeometryModel() {
    model_.setGeometry(width(), model_.thumbWidth());
}

void CPageSlider::notify(int message) const {
    framework::MessageTarget* target =
        notifyTarget_ ? notifyTarget_ : dynamic_cast<framework::MessageTarget*>(parentWidget());
    framework::postMessage(target, {static_cast<unsigned>(message),
                                    static_cast<std::uintptr_t>(controlId_),
                                    static_cast<std::intptr_t>(model_.position()),
                                    {}});
}

bool CPageSlider::event(QEvent* event) {
    // The slider takes every key but Tab, so arrows and the like never move the focus
    // out of it and Enter never reaches a dialog's default button.
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab) {
            keyPressEvent(key);
            return true;
        }
    }
    return QWidget::event(event);
}

void CPageSlider::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const PageSliderModel::PressResult result =
        model_.press(static_cast<int>(event->position().x()));
    if (!result.captured) {
        return;
    }
    setFocus(Qt::MouseFocusReason);  // Qt keeps the mouse with us while the button is held
    if (result.moved) {
        notify(res::MSG_SLIDER_MOVING);
    }
    update();
}

void CPageSlider::mouseMoveEvent(QMouseEvent* event) {
    if (model_.move(static_cast<int>(event->position().x()))) {
        notify(res::MSG_SLIDER_MOVING);
    }
    if (model_.isDragging()) {
        update();
    }
}

void CPageSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && model_.release()) {
        notify(res::MSG_SLIDER_MOVED);
        update();
    }
}

void CPageSlider::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (model_.key(sliderKey(event->key()))) {
        notify(res::MSG_SLIDER_MOVED);
        update();
    }
}

void CPageSlider::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateGeometryModel();
}

void CPageSlider::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        model_.setEnabled(isEnabled());
        update();
    }
    QWidget::changeEvent(event);
}

void CPageSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool pressed = model_.isDragging();
    const int t = model_.thumbWidth();
    const int left = model_.thumbCentre() - t / 2;

    if (!channel_.isNull()) {
        painter.drawPixmap(0, 0, channel_);
    } else {
        // A sunken groove across the thumb's travel, like the channel bitmaps.
        const int grooveHeight = 4;
        const QRect groove(PageSliderModel::kMargin, (height() - grooveHeight) / 2,
                           width() - 2 * PageSliderModel::kMargin, grooveHeight);
        qDrawShadePanel(&painter, groove, palette(), true, 1, &palette().brush(QPalette::Mid));
    }

    const QPixmap& thumb = pressed && !thumbPressed_.isNull() ? thumbPressed_ : thumb_;
    if (!thumb.isNull()) {
        painter.drawPixmap(left, (height() - thumb.height()) / 2, thumb);
        if (!isEnabled()) {
            painter.fillRect(QRect(left, 0, t, height()),
                             palette().color(QPalette::Disabled, QPalette::Window).darker(105));
        }
    } else if (isEnabled()) {
        const QRect thumbRect(left, 1, t, height() - 2);
        qDrawShadePanel(&painter, thumbRect, palette(), pressed, 1,
                        &palette().brush(pressed ? QPalette::Midlight : QPalette::Button));
    } else {
        // Only an outline with the groove showing through, so a control that cannot be
        // moved does not look as if it could.
        painter.setPen(palette().color(QPalette::Disabled, QPalette::Mid));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(left, 1, t - 1, height() - 3));
    }
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

}  // namespace korvel::ui
