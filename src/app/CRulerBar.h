#pragma once

// A ruler along one edge of the image view: ticks every 5 and labels every 100 image
// pixels from the image origin to its far edge, and a line that follows the cursor.

#include "app/RulerGeometry.h"

#include <QColor>
#include <QPointer>
#include <QRect>
#include <QWidget>

namespace korvel::app {

class CRulerBar : public QWidget {
    Q_OBJECT

public:
    // Update kinds: 1 only the vertical ruler, 2 only the horizontal one, 3 only the
    // cursor marker; any other value updates both rulers completely.
    enum UpdateKind { UpdateBoth = 0, UpdateVertical = 1, UpdateHorizontal = 2, UpdateCursor = 3 };

    static constexpr int kThickness = 20;
    // 0x00FCE7D8 as blue, green, red.
    static constexpr QColor kBackground{0xD8, 0xE7, 0xFC};

    CRulerBar(RulerOrientation orientation, int id, QWidget* parent = nullptr);

    RulerOrientation orientation() const { return orientation_; }
    int id() const { return id_; }
    void setPartner(CRulerBar* partner) { partner_ = partner; }
    CRulerBar* partner() const { return partner_; }
    // The widget whose pixels the ruler measures: the view's client area. Positions from
    // the view are in its coordinates; the ruler maps them onto itself.
    void setClient(QWidget* client) { client_ = client; }
    // Thickness across the ruler, borders included. The borders make room for the ticks,
    // which end 25 (horizontal) or 27 (vertical) pixels from the outer edge.
    int thickness() const;

    // Applies an update from the view; the kind decides which rulers take it.
    void update(int kind, int horizontalScroll, int verticalScroll, QPoint cursor,
                const QRect& imageRect, double zoom);

    // Where the cursor marker is drawn along this ruler, -1 when none.
    int markerPosition() const;
    // Where the client area starts along this ruler, in ruler pixels.
    int clientStart() const;
    RulerInput layoutInput() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool takes(int kind) const;

    RulerOrientation orientation_;
    int id_;
    QPointer<CRulerBar> partner_;
    QPointer<QWidget> client_;
    int scroll_ = 0;
    QRect imageRect_;
    double zoom_ = 1.0;
    int cursor_ = -1;  // along the ruler, in client coordinates; -1 before the first
};

}  // namespace korvel::app
