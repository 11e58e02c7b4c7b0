#include "document/CMagnifierWnd.h"

#include <QEvent>
#include <QPainter>
#include <QTimerEvent>
#include <QWindowStateChangeEvent>

#include <algorithm>

namespace korvel::document {

CMagnifierWnd::CMagnifierWnd(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("Magnifier235"));
    resize(200, 150);
    setWindowTitle(titleFor(factor_));
}

QString CMagnifierWnd::titleFor(int factor) {
    return QString::asprintf("Magnifier-%d00%%", factor);
}

void CMagnifierWnd::setFactor(int factor) {
    factor_ = std::clamp(factor, kMinFactor, kMaxFactor);
    setWindowTitle(titleFor(factor_));
    update();
}

QRectF CMagnifierWnd::sourceRect(QPoint cursor, QSize client, int factor) {
    const double halfW = client.width() / (2.0 * factor);
    const double halfH = client.height() / (2.0 * factor);
    return QRectF(QPointF(cursor.x() - halfW, cursor.y() - halfH),
                  QPointF(cursor.x() + halfW, cursor.y() + halfH));
}

QRect CMagnifierWnd::centreMark(QSize client) {
    return QRect(QPoint((client.width() - 4) / 2, (client.height() - 4) / 2),
                 QPoint((client.width() + 4) / 2, (client.height() + 4) / 2));
}

void CMagnifierWnd::setCursorPoint(QWidget* source, QPoint point) {
    if (!ready_ || !source) {
        return;
    }
    ready_ = false;
    const QRectF area = sourceRect(point, size(), factor_);
    captured_ = source->grab(QRect(area.topLeft().toPoint(), size()));
    timer_.start(kTimerMilliseconds, this);
}

void CMagnifierWnd::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        timer_.stop();
        update();
        ready_ = true;
    }
}

void CMagnifierWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        // Maximise and minimise are the factor's buttons; the window keeps its state.
        const Qt::WindowStates old = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if (old & (Qt::WindowMaximized | Qt::WindowMinimized)) {
            // The state we are undoing ourselves.
        } else if (windowState() & Qt::WindowMaximized) {
            setWindowState(windowState() & ~Qt::WindowMaximized);
            stepFactor(+1);
        } else if (windowState() & Qt::WindowMinimized) {
            setWindowState(windowState() & ~Qt::WindowMinimized);
            stepFactor(-1);
        }
    }
    QWidget::changeEvent(event);
}

void CMagnifierWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (!captured_.isNull()) {
        const QRectF shown(0, 0, double(width()) / factor_, double(height()) / factor_);
        painter.drawPixmap(QRectF(rect()), captured_, shown);
    }
    painter.fillRect(centreMark(size()), Qt::red);
}

}  // namespace korvel::document
