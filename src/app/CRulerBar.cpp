#include "app/CRulerBar.h"

#include <QApplication>
#include <QFontDatabase>
#include <QPainter>

#include <algorithm>

namespace korvel::app {

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

int CRulerBar::thickness() const {
    return std::max(kThickness, rulerTickEnd(orientation_)) + 1;
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

int CRulerBar::clientStart() const {
    if (!client_) {
        // Not yet placed beside a view: the client would start after the other ruler.
        return orientation_ == RulerOrientation::Horizontal && partner_ ? partner_->thickness() : 0;
    }
    // Taken from the layout as it is now, so that borders and the corner between the
    // rulers are counted once, whatever their size.
    const QPoint start = mapFromGlobal(client_->mapToGlobal(QPoint(0, 0)));
    return orientation_ == RulerOrientation::Horizontal ? start.x() : start.y();
}

int CRulerBar::markerPosition() const {
    return cursor_ < 0 ? -1 : clientStart() + cursor_;
}

RulerInput CRulerBar::layoutInput() const {
    RulerInput in;
    in.orientation = orientation_;
    in.clientStart = clientStart();
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
    cursor_ = std::max(-1, horizontal ? cursor.x() : cursor.y());
    if (kind != UpdateCursor) {
        scroll_ = horizontal ? horizontalScroll : verticalScroll;
        imageRect_ = imageRect;
        zoom_ = zoom;
    }
    QWidget::update();
}

void CRulerBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
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
    if (const int marker = markerPosition(); marker >= 0) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(Qt::white);
        if (horizontal) {
            painter.drawLine(marker, 2, marker, height() - 1);
        } else {
            painter.drawLine(2, marker, width() - 1, marker);
        }
    }
}

}  // namespace korvel::app
