#include "camera/CRectSelectionDlg.h"

#include "res/ids.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

namespace korvel::camera {

CRectSelectionDlg::CRectSelectionDlg(QRect bounds, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog),
      tracker_(bounds),
      ok_(new QPushButton(QStringLiteral("OK"), this)),
      cancel_(new QPushButton(QStringLiteral("Cancel"), this)) {
    setObjectName(QStringLiteral("Dialog%1").arg(res::IDD_RECT_SELECTION));
    ok_->setObjectName(QString::number(res::IDC_OK));
    cancel_->setObjectName(QString::number(res::IDC_CANCEL));
    setCursor(Qt::CrossCursor);
    setMouseTracking(false);

    QScreen* screen = QGuiApplication::screenAt(bounds.center());
    if (!screen) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen ? screen->geometry() : bounds;
    setGeometry(area);
    if (screen) {
        plain_ = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    }
    if (plain_.size() != area.size()) {
        plain_ = QImage(area.size(), QImage::Format_RGB32);
        plain_.fill(Qt::darkGray);
    }
    // The screen blended at half alpha over black.
    dimmed_ = QImage(plain_.size(), QImage::Format_RGB32);
    dimmed_.fill(Qt::black);
    {
        QPainter painter(&dimmed_);
        painter.setOpacity(0x80 / 255.0);
        painter.drawImage(0, 0, plain_);
    }
    connect(ok_, &QPushButton::clicked, this, [this] {
        tracker_.okButton();
        sync();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        tracker_.cancelButton();
        sync();
    });
    sync();
}

std::optional<QRect> CRectSelectionDlg::selection() const {
    return tracker_.result();
}

void CRectSelectionDlg::sync() {
    ok_->setVisible(tracker_.buttonsVisible());
    cancel_->setVisible(tracker_.buttonsVisible());
    if (tracker_.buttonsVisible()) {
        ok_->setGeometry(tracker_.okButtonRect().translated(-geometry().topLeft()));
        cancel_->setGeometry(tracker_.cancelButtonRect().translated(-geometry().topLeft()));
    }
    update();
    switch (tracker_.outcome()) {
        case SelectionTracker::Outcome::Accepted:
            accept();
            break;
        case SelectionTracker::Outcome::Cancelled:
            reject();
            break;
        case SelectionTracker::Outcome::Running:
            break;
    }
}

void CRectSelectionDlg::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, dimmed_);
    const QRect selected = tracker_.selection().translated(-geometry().topLeft());
    if (!selected.isEmpty()) {
        painter.drawImage(selected.topLeft(), plain_, selected);
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(selected.adjusted(0, 0, -1, -1));
        const int s = SelectionTracker::kHandleSize;
        for (const int x : {selected.left(), selected.center().x(), selected.right()}) {
            for (const int y : {selected.top(), selected.center().y(), selected.bottom()}) {
                if (x != selected.center().x() || y != selected.center().y()) {
                    painter.fillRect(x - s / 2, y - s / 2, s, s, Qt::white);
                }
            }
        }
    }
}

void CRectSelectionDlg::mousePressEvent(QMouseEvent* event) {
    const QPoint screen = event->position().toPoint() + geometry().topLeft();
    if (event->button() == Qt::LeftButton) {
        tracker_.leftPress(screen);
    } else if (event->button() == Qt::RightButton) {
        tracker_.rightPress();
    }
    sync();
}

void CRectSelectionDlg::mouseMoveEvent(QMouseEvent* event) {
    if (tracker_.dragging()) {
        tracker_.mouseMove(event->position().toPoint() + geometry().topLeft());
        update();
    }
}

void CRectSelectionDlg::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        tracker_.leftRelease(event->position().toPoint() + geometry().topLeft());
        sync();
    }
}

void CRectSelectionDlg::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        tracker_.leftDoubleClick(event->position().toPoint() + geometry().topLeft());
        sync();
    }
}

void CRectSelectionDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        tracker_.escape();
        sync();
        return;
    }
    QDialog::keyPressEvent(event);
}

std::optional<QRect> CRectSelectionDlg::selectOn(QWidget* surface) {
    const QRect bounds(surface->mapToGlobal(QPoint(0, 0)), surface->size());
    CRectSelectionDlg dialog(bounds, surface);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const std::optional<QRect> selected = dialog.selection();
    if (!selected) {
        return std::nullopt;
    }
    return selected->translated(-bounds.topLeft());
}

}  // namespace korvel::camera
