#pragma once

// A ruler along one edge of the image view: ticks every 5 and labels every 100 image
// pixels from the image origin to its far edge, and a line that follows the cursor.

#include "app/RulerGeometry.h"

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
    static constexpr int kBorder = 1;

    CRulerBar(RulerOrientation orientation, int id, QWidget* parent = nullptr);

    RulerOrientation orientation() const { return orientation_; }
    int id() const { return id_; }
    void setPartner(CRulerBar* partner) { partner_ = partner; }
    // Thickness across the ruler, borders included.
    int thickness() const { return kThickness + 2 * kBorder; }

    // Applies an update from the view; the kind decides which rulers take it.
    void update(int kind, int horizontalScroll, int verticalScroll, QPoint cursor,
                const QRect& imageRect, double zoom);

    // Where the cursor marker is drawn along this ruler, -1 when none.
    int markerPosition() const { return marker_; }
    RulerInput layoutInput() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool takes(int kind) const;

    RulerOrientation orientation_;
    int id_;
    QPointer<CRulerBar> partner_;
    int scroll_ = 0;
    QRect imageRect_;
    double zoom_ = 1.0;
    int marker_ = -1;
};

}  // namespace korvel::app
