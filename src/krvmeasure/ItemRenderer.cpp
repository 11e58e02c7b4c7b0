#include "krvmeasure/ItemRenderer.h"

#include "krvmeasure/Geometry.h"

#include <QPainter>
#include <QPainterPath>
#include <QVarLengthArray>

#include <cmath>
#include <numbers>

namespace krvmeasure {

namespace {

const QColor kItemColour(255, 214, 0);
const QColor kSelectedColour(0, 224, 255);
// Labels sit on an opaque box: readable over any specimen, and on screen a label is then a
// plain copy of pixels rather than a blend.
const QColor kLabelBackground(24, 24, 24);
constexpr double kFontPixels = 12;
constexpr double kMarkPixels = 5;
constexpr double kLabelPadding = 2;

QString abbreviation(const QString& name) {
    static const std::pair<const char*, const char*> kShort[] = {
        {"Radius", "r"},    {"Diameter", "d"}, {"Circumference", "C"}, {"Area", "A"},
        {"Perimeter", "P"}, {"Width", "W"},    {"Height", "H"},        {"Length", "L"},
        {"Angle", "θ"},     {"Distance", "D"}, {"Count", "n"}};
    for (const auto& [longName, shortName] : kShort) {
        if (name == QLatin1String(longName)) {
            return QString::fromUtf8(shortName);
        }
    }
    return name;
}

QString valueText(const Figure& figure, const Calibration& calibration, int precision) {
    const double value = calibrated(figure.value, figure.dimension, calibration);
    const QString number = figure.dimension == Dimension::Count
                               ? QString::number(qRound64(value))
                               : QString::number(value, 'f', precision);
    const QString unit = unitText(figure.dimension, calibration.unit);
    if (unit.isEmpty() || figure.dimension == Dimension::Angle) {
        return number + unit;
    }
    return number + QLatin1Char(' ') + unit;
}

}  // namespace

QStringList labelLines(const MeasureItem& item, int number, const Calibration& calibration,
                       int precision) {
    const QString prefix = number > 0 ? QString::number(number) + QStringLiteral(": ") : QString();
    if (item.kind == ItemKind::Remark) {
        return {prefix + item.text};
    }
    if (item.kind == ItemKind::Count) {
        return {prefix + QStringLiteral("n = %1").arg(item.points.size())};
    }
    QStringList lines;
    const std::vector<Figure> figures = figuresOf(item);
    if (figures.size() == 1) {
        return {prefix + valueText(figures[0], calibration, precision)};
    }
    for (const Figure& figure : figures) {
        if (item.kind == ItemKind::Concentric) {
            // One line per ring: its radius; the table has the rest.
            if (!figure.name.startsWith(QLatin1String("Radius"))) {
                continue;
            }
            lines << QStringLiteral("r%1 %2").arg(figure.name.mid(7),
                                                  valueText(figure, calibration, precision));
            continue;
        }
        lines << abbreviation(figure.name) + QLatin1Char(' ') +
                     valueText(figure, calibration, precision);
    }
    if (!lines.isEmpty()) {
        lines.front().prepend(prefix);
    }
    return lines;
}

PreparedLabel prepareLabel(const QStringList& lines, const QFont& font, qreal pixelRatio) {
    PreparedLabel label;
    for (const QString& line : lines) {
        QStaticText text(line);
        text.setTextFormat(Qt::PlainText);
        text.setPerformanceHint(QStaticText::AggressiveCaching);
        text.prepare(QTransform(), font);
        label.size.setWidth(std::max(label.size.width(), text.size().width()));
        label.size.setHeight(label.size.height() + text.size().height());
        label.lines.push_back(std::move(text));
    }
    if (pixelRatio <= 0 || label.lines.empty()) {
        return label;
    }
    // On screen a label is one picture, drawn with a single blend per paint.
    const QSizeF boxed = label.size + QSizeF(2 * kLabelPadding, 2 * kLabelPadding);
    label.image = QImage((boxed * pixelRatio).toSize() + QSize(1, 1), QImage::Format_RGB32);
    label.image.setDevicePixelRatio(pixelRatio);
    label.image.fill(kLabelBackground);
    QPainter painter(&label.image);
    painter.setFont(font);
    painter.setPen(kItemColour);
    QPointF at(kLabelPadding, kLabelPadding);
    for (const QStaticText& line : label.lines) {
        painter.drawStaticText(at, line);
        at.ry() += line.size().height();
    }
    return label;
}

QPointF labelTopLeft(const MeasureItem& item, QSizeF labelSize, double scale, double sizeFactor) {
    if (item.kind == ItemKind::Remark && item.points.size() > 1) {
        return item.points[1] * scale + QPointF(2, -labelSize.height() / 2);
    }
    const double offset = kMarkPixels * sizeFactor + 2;
    return labelAnchor(item) * scale + QPointF(offset, offset);
}

ItemRenderer::ItemRenderer(QPainter& painter, const RenderContext& context)
    : painter_(painter), context_(context), mark_(kMarkPixels * context.sizeFactor) {
    font_.setPixelSize(std::max(1, int(std::lround(kFontPixels * context.sizeFactor))));
    painter_.setFont(font_);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setBrush(Qt::NoBrush);
    // One pixel on screen keeps the painter on its fast line path; paper and saved files
    // widen the lines with their labels.
    const double width = context.sizeFactor > 1 ? 1.25 * context.sizeFactor : 1.0;
    pens_[kItemPen] = QPen(kItemColour, width);
    pens_[kSelectedPen] = QPen(kSelectedColour, width);
    pens_[kPendingPen] = QPen(kItemColour, width, Qt::DashLine);
}

QRectF ItemRenderer::displayBounds(const QRectF& outline, QPointF labelAnchor) const {
    const QRectF shape(toDisplay(outline.topLeft()), toDisplay(outline.bottomRight()));
    const double margin = 2 * mark_ + 2;
    // Labels stay within a few hundred display pixels of their anchor.
    const QPointF anchor = toDisplay(labelAnchor);
    const QRectF label(anchor.x() - margin, anchor.y() - margin,
                       320 * context_.sizeFactor + 2 * margin, 120 * context_.sizeFactor + margin);
    return shape.adjusted(-margin, -margin, margin, margin).united(label);
}

void ItemRenderer::drawCross(QPointF d, double size) {
    painter_.drawLine(QPointF(d.x() - size, d.y()), QPointF(d.x() + size, d.y()));
    painter_.drawLine(QPointF(d.x(), d.y() - size), QPointF(d.x(), d.y() + size));
}

// A short mark across the line a-b (display coordinates) at `at`.
void ItemRenderer::drawTick(QPointF a, QPointF b, QPointF at) {
    const double length = distance(a, b);
    if (length <= 0) {
        return;
    }
    const QPointF normal(-(b.y() - a.y()) / length * mark_, (b.x() - a.x()) / length * mark_);
    painter_.drawLine(at - normal, at + normal);
}

void ItemRenderer::drawShape(const MeasureItem& item, bool pending) {
    const auto& p = item.points;
    QVarLengthArray<QPointF, 8> d;
    for (const QPointF& q : p) {
        d.push_back(toDisplay(q));
    }
    // Items in the list are sound; only the one being drawn may not be yet.
    const bool sound = !pending || whyDegenerate(item).isEmpty();
    // Upright rectangles and crosses are crisp without smoothing, and cheaper.
    const bool upright = item.kind == ItemKind::Rectangle || item.kind == ItemKind::Count;
    if (antialiased_ == upright) {
        antialiased_ = !upright;
        painter_.setRenderHint(QPainter::Antialiasing, antialiased_);
    }
    switch (item.kind) {
        case ItemKind::Line:
            painter_.drawLine(d[0], d[1]);
            drawTick(d[0], d[1], d[0]);
            drawTick(d[0], d[1], d[1]);
            return;
        case ItemKind::Remark:
            painter_.drawLine(d[0], d[1]);
            drawCross(d[0], mark_ * 0.6);
            return;
        case ItemKind::Rectangle:
            painter_.drawRect(QRectF(d[0], d[1]).normalized());
            return;
        case ItemKind::Count:
            for (qsizetype i = 0; i < d.size(); ++i) {
                drawCross(d[i], mark_);
                painter_.drawText(d[i] + QPointF(mark_ + 1, -2), QString::number(i + 1));
            }
            return;
        case ItemKind::Polygon:
            if (pending) {
                painter_.drawPolyline(d.data(), int(d.size()));
            } else {
                painter_.drawPolygon(d.data(), int(d.size()));
            }
            return;
        default:
            break;
    }
    if (d.size() < 2) {
        return;
    }
    if (!sound) {
        // An unfinished item (two points of three, collinear points): its points as a guide.
        painter_.drawPolyline(d.data(), int(d.size()));
        return;
    }
    const double scale = context_.scale;
    switch (item.kind) {
        case ItemKind::Parallel: {
            const QPointF foot = footOnLine(p[2], p[0], p[1]);
            const QPointF shift = (p[2] - foot) * scale;
            painter_.drawLine(d[0], d[1]);
            painter_.drawLine(d[0] + shift, d[1] + shift);
            QPen dashed = painter_.pen();
            dashed.setStyle(Qt::DashLine);
            painter_.setPen(dashed);
            painter_.drawLine(toDisplay(foot), d[2]);
            currentPen_ = kNoPen;
            return;
        }
        case ItemKind::Perpendicular: {
            const QPointF foot = toDisplay(footOnLine(p[2], p[0], p[1]));
            painter_.drawLine(d[0], d[1]);
            painter_.drawLine(d[2], foot);
            drawCross(d[2], mark_ * 0.6);
            // The line's extension to the foot when the foot lies beyond an end.
            if (distanceToSegment(foot, d[0], d[1]) > 0.5) {
                QPen dashed = painter_.pen();
                dashed.setStyle(Qt::DotLine);
                painter_.setPen(dashed);
                painter_.drawLine(distance(foot, d[0]) < distance(foot, d[1]) ? d[0] : d[1], foot);
                currentPen_ = kNoPen;
            }
            return;
        }
        case ItemKind::Circle2:
        case ItemKind::Circle3:
        case ItemKind::DiameterCircle: {
            QPointF centre = d[0];
            double radius = distance(d[0], d[1]);
            if (item.kind == ItemKind::DiameterCircle) {
                centre = (d[0] + d[1]) / 2;
                radius /= 2;
            } else if (item.kind == ItemKind::Circle3) {
                const Circle circle = *circleThrough(p[0], p[1], p[2]);
                centre = toDisplay(circle.centre);
                radius = circle.radius * scale;
            }
            painter_.drawEllipse(centre, radius, radius);
            drawCross(centre, mark_ * 0.6);
            if (item.kind == ItemKind::DiameterCircle) {
                painter_.drawLine(d[0], d[1]);
            } else if (item.kind == ItemKind::Circle2) {
                painter_.drawLine(d[0], d[1]);
            }
            return;
        }
        case ItemKind::Concentric:
            drawCross(d[0], mark_);
            for (qsizetype i = 1; i < d.size(); ++i) {
                const double radius = distance(d[0], d[i]);
                painter_.drawEllipse(d[0], radius, radius);
            }
            return;
        case ItemKind::Angle: {
            painter_.drawPolyline(d.data(), 3);
            const double radius = std::min({4 * mark_, distance(d[0], d[1]), distance(d[2], d[1])});
            auto angleOf = [&](QPointF q) {
                return std::atan2(-(q.y() - d[1].y()), q.x() - d[1].x()) * 180 / std::numbers::pi;
            };
            double start = angleOf(d[0]);
            double sweep = angleOf(d[2]) - start;
            while (sweep > 180)
                sweep -= 360;
            while (sweep < -180)
                sweep += 360;
            painter_.drawArc(QRectF(d[1].x() - radius, d[1].y() - radius, 2 * radius, 2 * radius),
                             int(std::lround(start * 16)), int(std::lround(sweep * 16)));
            return;
        }
        case ItemKind::Arc: {
            const auto arc = arcThrough(p[0], p[1], p[2]);
            const QPointF centre = toDisplay(arc->circle.centre);
            const double radius = arc->circle.radius * scale;
            QPainterPath path;
            const QRectF box(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
            path.arcMoveTo(box, arc->startDegrees);
            path.arcTo(box, arc->startDegrees, arc->sweepDegrees);
            painter_.drawPath(path);
            for (const QPointF& end : {d[0], d[2]}) {
                drawTick(centre, end, end);
            }
            return;
        }
        default:
            return;
    }
}

void ItemRenderer::drawLabel(const MeasureItem& item, const PreparedLabel& label) {
    if (label.lines.empty()) {
        return;
    }
    QPointF at =
        context_.origin + labelTopLeft(item, label.size, context_.scale, context_.sizeFactor);
    if (!label.image.isNull()) {
        painter_.drawImage(
            QPointF(std::round(at.x() - kLabelPadding), std::round(at.y() - kLabelPadding)),
            label.image);
        return;
    }
    const double pad = kLabelPadding * context_.sizeFactor;
    painter_.setPen(kItemColour);
    currentPen_ = kNoPen;
    painter_.fillRect(QRectF(at, label.size).adjusted(-pad, -pad, pad, pad), kLabelBackground);
    for (const QStaticText& line : label.lines) {
        painter_.drawStaticText(at, line);
        at.ry() += line.size().height();
    }
}

void ItemRenderer::usePen(PenKind kind) {
    // Changing the pen is not free for the painter; most items share one.
    if (currentPen_ != kind) {
        painter_.setPen(pens_[kind]);
        currentPen_ = kind;
    }
}

void ItemRenderer::drawItem(const MeasureItem& item, const PreparedLabel& label, bool selected,
                            bool pending) {
    if (item.points.empty()) {
        return;
    }
    usePen(pending ? kPendingPen : selected ? kSelectedPen : kItemPen);
    drawShape(item, pending);
    drawLabel(item, label);
    if (selected && context_.drawHandles) {
        for (const QPointF& q : item.points) {
            const QPointF d = toDisplay(q);
            painter_.fillRect(
                QRectF(d.x() - mark_ * 0.7, d.y() - mark_ * 0.7, mark_ * 1.4, mark_ * 1.4),
                kSelectedColour);
        }
    }
}

void ItemRenderer::drawScaleBar(QPointF anchor, double lengthPixels, const QString& text) {
    const QPointF left = toDisplay(anchor);
    const double width = lengthPixels * context_.scale;
    const double thickness = 4 * context_.sizeFactor;
    const QRectF bar(left.x(), left.y(), width, thickness);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.fillRect(bar.adjusted(-1, -1, 1, 1), Qt::black);
    painter_.fillRect(bar, Qt::white);
    painter_.setRenderHint(QPainter::Antialiasing, true);
    antialiased_ = true;
    const QFontMetricsF metrics(font_);
    const double textWidth = metrics.horizontalAdvance(text);
    const QPointF textAt(left.x() + (width - textWidth) / 2,
                         left.y() - metrics.descent() - 3 * context_.sizeFactor);
    painter_.fillRect(QRectF(textAt.x() - 2, textAt.y() - metrics.ascent() - 1, textWidth + 4,
                             metrics.height() + 2),
                      kLabelBackground);
    painter_.setPen(Qt::white);
    currentPen_ = kNoPen;
    painter_.drawText(textAt, text);
}

}  // namespace krvmeasure
