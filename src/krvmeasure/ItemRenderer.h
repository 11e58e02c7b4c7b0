#pragma once

// Draws items, their labels and the scale line with QPainter. Items are given in picture
// pixels; `origin + point × scale` is where they land on the painter. Texts, marks and pen
// widths are sized by `sizeFactor` so that paper and saved files look like the screen.

#include "krvmeasure/Calibration.h"
#include "krvmeasure/MeasureItem.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPointF>
#include <QStaticText>
#include <QStringList>

class QPainter;

namespace krvmeasure {

struct RenderContext {
    QPointF origin;
    double scale = 1;
    double sizeFactor = 1;
    bool drawHandles = true;  // selection handles: on screen only
};

// The lines of an item's label: "1: 12.34 µm" for a single figure, abbreviated names
// ("W", "H", "A", …) when there are several.
QStringList labelLines(const MeasureItem& item, int number, const Calibration& calibration,
                       int precision);

// A label prepared for repeated drawing; with a pixel ratio (screen) also as a picture.
struct PreparedLabel {
    std::vector<QStaticText> lines;
    QSizeF size;
    QImage image;
};
// Where the text of a label of `labelSize` starts, in display pixels from the picture's
// corner; its box reaches a padding of 2 beyond the text.
QPointF labelTopLeft(const MeasureItem& item, QSizeF labelSize, double scale, double sizeFactor);

PreparedLabel prepareLabel(const QStringList& lines, const QFont& font, qreal pixelRatio = 0);

class ItemRenderer {
public:
    explicit ItemRenderer(QPainter& painter, const RenderContext& context);

    QPointF toDisplay(QPointF picture) const { return context_.origin + picture * context_.scale; }
    const QFont& font() const { return font_; }
    // The display rectangle an item with its label may cover.
    QRectF displayBounds(const QRectF& outline, QPointF labelAnchor) const;

    // `pending`: the item being drawn, shown with dashed guides.
    void drawItem(const MeasureItem& item, const PreparedLabel& label, bool selected, bool pending);
    // A bar of `lengthPixels` picture pixels whose left end starts at `anchor`, with its text.
    void drawScaleBar(QPointF anchor, double lengthPixels, const QString& text);

private:
    void drawShape(const MeasureItem& item, bool pending);
    void drawLabel(const MeasureItem& item, const PreparedLabel& label);
    void drawCross(QPointF display, double size);
    void drawTick(QPointF a, QPointF b, QPointF at);
    enum PenKind { kItemPen, kSelectedPen, kPendingPen, kNoPen };
    void usePen(PenKind kind);

    QPainter& painter_;
    RenderContext context_;
    QFont font_;
    double mark_;
    QPen pens_[kNoPen];
    PenKind currentPen_ = kNoPen;
    bool antialiased_ = true;
};

}  // namespace krvmeasure
