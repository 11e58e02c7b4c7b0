#include "app/CRulerBar.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

namespace korvel::app {

namespace {
// 0x00FCE7D8 as blue, green, red.
constexpr QColor kRulerBackground(0xD8, 0xE7, 0xFC);
}  // namespace

CRulerBar::CRulerBar(RulerOrientation orientation, int id, QWidget* parent)
    : QWidget(parent), orientation_(orientation), id_(id) {
    QFont font = QApplication::font();
    font.setPixelSize(10);
    setFont(font);
    if (orientation_ == RulerOrientation::Horizontal) {
        setFixedHeight(thickness());
    } else {
        setFixedWidth(thickness());
    }
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QSize CRulerBar::sizeHint() const {
    return {thickness(), thickness()};
}

bool CRulerBar::takes(int kind) const {
    if (kind == UpdateVertical) {
        return orientation_ == RulerOrientation::Vertical;
    }
    if (kind == UpdateHorizontal) {
        return orientation_ == RulerOrientation::Horizontal;
    }
    return true;
}

RulerInput CRulerBar::layoutInput() const {
    RulerInput in;
    in.orientation = orientation_;
    in.otherThickness = partner_ ? partner_->thickness() : 0;
    in.scrollPosition = scroll_;
    const bool horizontal = orientation_ == RulerOrientation::Horizontal;
    in.imageStart = horizontal ? imageRect_.left() : imageRect_.top();
    in.imageEnd = horizontal ? imageRect_.left() + imageRect_.width()
                             : imageRect_.top() + imageRect_.height();
    in.zoom = zoom_;
    return in;
}

void CRulerBar::update(int kind, int horizontalScroll, int verticalScroll, QPoint cursor,
                       const QRect& imageRect, double zoom) {
    if (!takes(kind)) {
        return;
    }
    const bool horizontal = orientation_ == RulerOrientation::Horizontal;
    // On the horizontal ruler the marker sits after the vertical ruler's width.
    const int other = partner_ ? partner_->thickness() : 0;
    marker_ = horizontal ? cursor.x() + other + 1 : cursor.y() + 1;
    if (kind != UpdateCursor) {
        scroll_ = horizontal ? horizontalScroll : verticalScroll;
        imageRect_ = imageRect;
        zoom_ = zoom;
    }
    QWidget::update();
}

void CRulerBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kRulerBackground);
    const QPalette& pal = QApplication::palette();
    const bool horizontal = orientation_ == RulerOrientation::Horizontal;

    // Border on the side facing the view.
    painter.setPen(pal.color(QPalette::WindowText));
    if (horizontal) {
        painter.drawLine(0, height() - 1, width(), height() - 1);
    } else {
        painter.drawLine(width() - 1, 0, width() - 1, height());
    }

    const int tickEnd = rulerTickEnd(orientation_);
    const RulerLayout layout = layoutRuler(layoutInput());
    painter.setPen(pal.color(QPalette::Shadow));
    for (const RulerTick& tick : layout.ticks) {
        if (horizontal) {
            painter.drawLine(tick.position, tickEnd - tick.length, tick.position, tickEnd - 1);
        } else {
            painter.drawLine(tickEnd - tick.length, tick.position, tickEnd - 1, tick.position);
        }
    }
    painter.setPen(pal.color(QPalette::WindowText));
    const int ascent = painter.fontMetrics().ascent();
    for (const RulerLabel& label : layout.labels) {
        if (horizontal) {
            painter.drawText(label.position, 2 + ascent, label.text);
        } else {
            painter.drawText(2, label.position + ascent, label.text);
        }
    }

    // The cursor marker, drawn inverted so it shows over ticks and labels alike.
    if (marker_ >= 0) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        if (horizontal) {
            painter.drawLine(marker_, 2, marker_, height() - 1);
        } else {
            painter.drawLine(2, marker_, width() - 1, marker_);
        }
    }
}

}  // namespace korvel::app
