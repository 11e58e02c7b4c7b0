#include "app/SplashWindow.h"

#include <QEvent>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QScreen>
#include <QTimerEvent>

namespace korvel::app {

QPixmap SplashWindow::artwork() {
    QPixmap pixmap(480, 280);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 280);
    sky.setColorAt(0, QColor(18, 42, 74));
    sky.setColorAt(1, QColor(6, 14, 28));
    p.fillRect(pixmap.rect(), sky);
    // A field of view with a few stained cells.
    QRadialGradient field(360, 140, 110);
    field.setColorAt(0, QColor(250, 244, 230));
    field.setColorAt(0.85, QColor(210, 196, 170));
    field.setColorAt(1, QColor(20, 20, 20));
    p.setBrush(field);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(360, 140), 110, 110);
    const struct {
        double x, y, r;
    } cells[] = {{330, 110, 22}, {385, 160, 28}, {345, 185, 16}, {400, 105, 14}};
    for (const auto& c : cells) {
        p.setBrush(QColor(190, 90, 150, 170));
        p.drawEllipse(QPointF(c.x, c.y), c.r, c.r * 0.8);
        p.setBrush(QColor(90, 40, 120, 200));
        p.drawEllipse(QPointF(c.x + 3, c.y - 2), c.r * 0.35, c.r * 0.3);
    }
    p.setPen(QColor(235, 240, 250));
    QFont title(QStringLiteral("DejaVu Sans"), 34, QFont::Bold);
    p.setFont(title);
    p.drawText(QRect(28, 70, 260, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Korvel"));
    QFont small(QStringLiteral("DejaVu Sans"), 10);
    p.setFont(small);
    p.setPen(QColor(160, 180, 210));
    p.drawText(QRect(30, 130, 260, 24), Qt::AlignLeft, QStringLiteral("Version 7.1.1.2"));
    p.drawText(QRect(30, 230, 300, 24), Qt::AlignLeft,
               QStringLiteral("Imaging for microscope cameras"));
    return pixmap;
}

SplashWindow::SplashWindow(QWidget* afterRemoval)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      picture_(artwork()),
      afterRemoval_(afterRemoval) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setFixedSize(picture_.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->geometry().center() - rect().center());
    }
    timer_.start(kTimerMilliseconds, this);
}

SplashWindow::~SplashWindow() = default;

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture_);
}

void SplashWindow::timerEvent(QTimerEvent* event) {
    if (event->timerId() == timer_.timerId()) {
        remove();
    }
}

void SplashWindow::filterInput(const QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::NonClientAreaMouseButtonPress:
            remove();
            break;
        default:
            break;
    }
}

void SplashWindow::remove() {
    timer_.stop();
    hide();
    if (afterRemoval_) {
        afterRemoval_->repaint();
    }
}

}  // namespace korvel::app
