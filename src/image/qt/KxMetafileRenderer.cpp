#include "image/qt/KxMetafileRenderer.h"

#include <QFont>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr uint64_t kMaxMetafileBytes = 64u << 20;

// Bounds-checked little-endian view of one record's bytes.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    size_t size() const { return size_; }
    int16_t S16(size_t offset) const {
        return offset + 2 <= size_ ? static_cast<int16_t>(data_[offset] | (data_[offset + 1] << 8))
                                   : 0;
    }
    uint16_t U16(size_t offset) const { return static_cast<uint16_t>(S16(offset)); }
    int32_t S32(size_t offset) const {
        if (offset + 4 > size_)
            return 0;
        return static_cast<int32_t>(static_cast<uint32_t>(data_[offset]) |
                                    (static_cast<uint32_t>(data_[offset + 1]) << 8) |
                                    (static_cast<uint32_t>(data_[offset + 2]) << 16) |
                                    (static_cast<uint32_t>(data_[offset + 3]) << 24));
    }
    uint32_t U32(size_t offset) const { return static_cast<uint32_t>(S32(offset)); }
    uint8_t U8(size_t offset) const { return offset < size_ ? data_[offset] : 0; }
    bool Has(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    const uint8_t* At(size_t offset) const { return data_ + offset; }

private:
    const uint8_t* data_;
    size_t size_;
};

QColor ColorRef(uint32_t ref) {
    return QColor(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
                  static_cast<int>((ref >> 16) & 0xFF));
}

struct GdiObject {
    enum Kind { Empty, Pen, Brush, Font, Other } kind = Empty;
    QPen pen;
    QBrush brush;
    QFont font;
};

// The device context: drawing objects, colours and the logical-to-picture mapping.
struct DeviceState {
    QPen pen{Qt::black};
    QBrush brush{Qt::white};
    QFont font;
    QColor textColor{Qt::black};
    QColor backColor{Qt::white};
    bool opaqueBack = true;
    Qt::FillRule fillRule = Qt::OddEvenFill;
    QPointF position;
    QPointF windowOrg{0, 0}, windowExt{1, 1}, viewportOrg{0, 0}, viewportExt{1, 1};
    bool windowExtSet = false, viewportExtSet = false;
    uint32_t textAlign = 0;
    QTransform world;  // world to page coordinates (enhanced metafiles)
};

QPen MakePen(int style, double width, const QColor& color) {
    if ((style & 0x0F) == 5)
        return QPen(Qt::NoPen);
    QPen pen(color);
    pen.setWidthF(std::max(1.0, width));
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine};
    if ((style & 0x0F) < 5)
        pen.setStyle(styles[style & 0x0F]);
    return pen;
}

QBrush MakeBrush(uint32_t style, const QColor& color, uint32_t hatch) {
    if (style == 1)
        return QBrush(Qt::NoBrush);
    if (style == 2) {
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                 Qt::FDiagPattern, Qt::BDiagPattern,
                                                 Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(color, hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
    }
    return QBrush(color);
}

QFont MakeFont(double height, int weight, bool italic, bool underline, bool strike,
               const QString& face) {
    QFont font(face.isEmpty() ? QStringLiteral("Sans") : face);
    font.setPixelSize(std::clamp(static_cast<int>(std::fabs(height) + 0.5), 1, 2000));
    if (weight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(weight, 100, 900)));
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strike);
    return font;
}

// Bitmaps larger than this are left out of a metafile: a metafile picture is at most
// kMaxSide pixels wide, and a hostile header must not make every record allocate the limit.
constexpr uint64_t kMaxBitmapPixels = 64ull << 20;

bool TopDown(const Bytes& dib) {
    return dib.U32(0) >= 40 && dib.S32(8) < 0;
}

// A packed DIB (header, colour table, bits) as a picture, or null when it is unreadable or
// claims more pixels than its bytes could hold.
QImage DecodeDib(const Bytes& dib) {
    const uint32_t headerSize = dib.U32(0);
    uint64_t width = 0, height = 0, bpp = 0, compression = 0;
    if (headerSize == 12) {
        width = dib.U16(4);
        height = dib.U16(6);
        bpp = dib.U16(10);
    } else if (headerSize >= 40) {
        width = static_cast<uint64_t>(std::abs(static_cast<int64_t>(dib.S32(4))));
        height = static_cast<uint64_t>(std::abs(static_cast<int64_t>(dib.S32(8))));
        bpp = dib.U16(14);
        compression = dib.U32(16);
    } else {
        return {};
    }
    const uint64_t pixels = width * height;
    if (pixels == 0 || pixels > kMaxBitmapPixels)
        return {};
    // Uncompressed rows must all be there; run-length data expands at most 255 times.
    const bool packed = compression == 1 || compression == 2;
    const uint64_t rowBytes = ((width * std::max<uint64_t>(bpp, 1) + 31) / 32) * 4;
    if (!packed && rowBytes * height > dib.size())
        return {};
    if (packed && pixels > 255ull * dib.size())
        return {};
    KxImage decoded;
    if (!decoded.CreateFromHANDLE(std::span<const uint8_t>(dib.At(0), dib.size())))
        return {};
    return decoded.MakeBitmap();
}

QPainter::CompositionMode CompositionFor(uint32_t rop) {
    switch (rop) {
        case 0x008800C6:  // SRCAND
            return QPainter::RasterOp_SourceAndDestination;
        case 0x00EE0086:  // SRCPAINT
            return QPainter::RasterOp_SourceOrDestination;
        case 0x00660046:  // SRCINVERT
            return QPainter::RasterOp_SourceXorDestination;
        case 0x00330008:  // NOTSRCCOPY
            return QPainter::RasterOp_NotSource;
        default:  // SRCCOPY and the rest
            return QPainter::CompositionMode_SourceOver;
    }
}

// Shared drawing for both metafile kinds.
class Player {
public:
    Player(QPainter& painter, double scaleX, double scaleY, QPointF shift)
        : painter_(painter), scaleX_(scaleX), scaleY_(scaleY), shift_(shift) {
        Apply();
    }

    DeviceState& state() { return state_; }

    QPointF Map(double x, double y) const {
        const QPointF page = state_.world.map(QPointF(x, y));
        x = page.x();
        y = page.y();
        double px = x, py = y;
        if (state_.windowExtSet && state_.windowExt.x() != 0 && state_.windowExt.y() != 0) {
            const double vx = state_.viewportExtSet ? state_.viewportExt.x() : 1.0;
            const double vy = state_.viewportExtSet ? state_.viewportExt.y() : 1.0;
            const double wx = state_.viewportExtSet ? state_.windowExt.x() : 1.0;
            const double wy = state_.viewportExtSet ? state_.windowExt.y() : 1.0;
            px = (x - state_.windowOrg.x()) * vx / wx + state_.viewportOrg.x();
            py = (y - state_.windowOrg.y()) * vy / wy + state_.viewportOrg.y();
        } else {
            px = x - state_.windowOrg.x() + state_.viewportOrg.x();
            py = y - state_.windowOrg.y() + state_.viewportOrg.y();
        }
        // Far-away points are pulled in to where the painter's fixed-point arithmetic
        // still holds; NaN becomes 0.
        static constexpr double kFar = 1 << 22;
        auto bounded = [](double v) { return v > -kFar ? std::min(v, kFar) : -kFar; };
        const double dx = (px - shift_.x()) * scaleX_, dy = (py - shift_.y()) * scaleY_;
        return QPointF(std::isnan(dx) ? 0.0 : bounded(dx), std::isnan(dy) ? 0.0 : bounded(dy));
    }
    double MapLength(double v) const {
        double factor = scaleX_ * std::sqrt(std::fabs(state_.world.determinant()));
        if (state_.windowExtSet && state_.viewportExtSet && state_.windowExt.x() != 0)
            factor *= std::fabs(state_.viewportExt.x() / state_.windowExt.x());
        return std::fabs(v * factor);
    }
    QRectF MapRect(double l, double t, double r, double b) const {
        return QRectF(Map(l, t), Map(r, b)).normalized();
    }

    void Apply() {
        QPen pen = state_.pen;
        if (pen.style() != Qt::NoPen)
            pen.setWidthF(std::max(1.0, MapLength(pen.widthF())));
        painter_.setPen(pen);
        painter_.setBrush(state_.brush);
        painter_.setBackground(state_.backColor);
        painter_.setBackgroundMode(state_.opaqueBack ? Qt::OpaqueMode : Qt::TransparentMode);
    }

    void Select(const GdiObject& object) {
        if (object.kind == GdiObject::Pen)
            state_.pen = object.pen;
        else if (object.kind == GdiObject::Brush)
            state_.brush = object.brush;
        else if (object.kind == GdiObject::Font)
            state_.font = object.font;
        Apply();
    }

    // Unwinds the states a metafile saved and never restored, and the clipping, so that
    // the painter ends as it began.
    void Finish() {
        while (!saved_.empty()) {
            saved_.pop_back();
            painter_.restore();
        }
        painter_.setClipping(false);
    }
    // Saved states keep the clipping too (the painter's own save). Their depth is bounded:
    // a hostile file of nothing but saves must not exhaust memory.
    static constexpr size_t kMaxSavedStates = 1024;
    void Save() {
        if (saved_.size() >= kMaxSavedStates)
            return;
        saved_.push_back(state_);
        painter_.save();
    }
    void Restore(int relative) {
        int count = relative < 0 ? -relative : 1;
        while (count-- > 0 && !saved_.empty()) {
            state_ = saved_.back();
            saved_.pop_back();
            painter_.restore();
        }
        Apply();
    }

    void MoveTo(double x, double y) {
        state_.position = QPointF(x, y);
        if (inPath_)
            path_.moveTo(Map(x, y));
    }
    void Line(double x, double y) {
        if (inPath_) {
            if (path_.elementCount() == 0)
                path_.moveTo(Map(state_.position.x(), state_.position.y()));
            path_.lineTo(Map(x, y));
        } else {
            painter_.drawLine(Map(state_.position.x(), state_.position.y()), Map(x, y));
        }
        state_.position = QPointF(x, y);
    }
    // Lines through the points; `fromPosition` starts them at the current position and
    // moves it to the last point.
    void Polyline(const std::vector<QPointF>& points, bool fromPosition) {
        if (points.empty())
            return;
        QPainterPath path = Start(fromPosition ? state_.position : points.front());
        for (size_t i = fromPosition ? 0 : 1; i < points.size(); ++i)
            path.lineTo(Map(points[i].x(), points[i].y()));
        if (fromPosition)
            state_.position = points.back();
        Shape(path, false, fromPosition);
    }
    // Cubic Bezier segments: three points each after the start point.
    void Bezier(const std::vector<QPointF>& points, bool fromPosition) {
        if (points.empty())
            return;
        QPainterPath path = Start(fromPosition ? state_.position : points.front());
        for (size_t i = fromPosition ? 0 : 1; i + 3 <= points.size(); i += 3)
            path.cubicTo(Map(points[i].x(), points[i].y()),
                         Map(points[i + 1].x(), points[i + 1].y()),
                         Map(points[i + 2].x(), points[i + 2].y()));
        if (fromPosition)
            state_.position = points.back();
        Shape(path, false, fromPosition);
    }
    void Polygon(const std::vector<QPointF>& points, bool closed) {
        if (!closed) {
            Polyline(points, false);
            return;
        }
        QPolygonF polygon;
        for (const QPointF& p : points)
            polygon << Map(p.x(), p.y());
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        Shape(path, true);
    }
    void PolyPolygon(const std::vector<std::vector<QPointF>>& polygons, bool closed = true) {
        QPainterPath path;
        for (const auto& points : polygons) {
            QPolygonF polygon;
            for (const QPointF& p : points)
                polygon << Map(p.x(), p.y());
            path.addPolygon(polygon);
            if (closed)
                path.closeSubpath();
        }
        Shape(path, closed);
    }
    void Rect(double l, double t, double r, double b) {
        QPainterPath path;
        path.addRect(MapRect(l, t, r, b));
        Shape(path, true);
    }
    void Ellipse(double l, double t, double r, double b) {
        QPainterPath path;
        path.addEllipse(MapRect(l, t, r, b));
        Shape(path, true);
    }
    void RoundRect(double l, double t, double r, double b, double cornerW, double cornerH) {
        QPainterPath path;
        path.addRoundedRect(MapRect(l, t, r, b), MapLength(cornerW) / 2, MapLength(cornerH) / 2);
        Shape(path, true);
    }
    enum class ArcKind { Arc, Pie, Chord };
    // The part of the ellipse in the box running counter-clockwise from the radial through
    // `start` to the radial through `end`.
    void Arc(ArcKind kind, const QRectF& logicalBox, QPointF start, QPointF end) {
        const QRectF box =
            MapRect(logicalBox.left(), logicalBox.top(), logicalBox.right(), logicalBox.bottom());
        const QPointF a = Map(start.x(), start.y()), b = Map(end.x(), end.y());
        const QPointF c = box.center();
        const double a0 = std::atan2(c.y() - a.y(), a.x() - c.x()) * 180 / M_PI;
        double span = std::atan2(c.y() - b.y(), b.x() - c.x()) * 180 / M_PI - a0;
        if (span <= 0)
            span += 360;
        QPainterPath path;
        if (kind == ArcKind::Pie)
            path.moveTo(c);
        else
            path.arcMoveTo(box, a0);
        path.arcTo(box, a0, span);
        if (kind != ArcKind::Arc)
            path.closeSubpath();
        Shape(path, kind != ArcKind::Arc);
    }

    // Path brackets: shapes drawn between the start and the end of a bracket build the
    // path instead of drawing; the path is then filled, outlined or made the clipping.
    void BeginPath() {
        inPath_ = true;
        path_ = QPainterPath();
    }
    void EndPath() { inPath_ = false; }
    void CloseFigure() {
        if (inPath_)
            path_.closeSubpath();
    }
    void DrawPath(bool fill, bool stroke) {
        if (inPath_)
            return;
        path_.setFillRule(state_.fillRule);
        if (fill)
            painter_.fillPath(path_, state_.brush);
        if (stroke)
            painter_.strokePath(path_, painter_.pen());
        path_ = QPainterPath();
    }
    void ClipToPath(int mode) {
        if (inPath_)
            return;
        path_.setFillRule(state_.fillRule);
        ClipTo(path_, mode);
        path_ = QPainterPath();
    }
    // Clipping rectangles: drawing stays inside (intersect) or outside (exclude) them.
    void IntersectClip(double l, double t, double r, double b) {
        painter_.setClipRect(MapRect(l, t, r, b), Qt::IntersectClip);
    }
    void ExcludeClip(double l, double t, double r, double b) {
        const QRegion current = painter_.hasClipping() ? painter_.clipRegion()
                                                       : QRegion(QRect(QPoint(0, 0), DeviceSize()));
        painter_.setClipRegion(current.subtracted(QRegion(MapRect(l, t, r, b).toAlignedRect())));
    }
    void ResetClip() { painter_.setClipping(false); }
    QTransform& World() { return state_.world; }
    void Text(double x, double y, const QString& text) {
        QFont font = state_.font;
        font.setPixelSize(
            static_cast<int>(std::clamp(MapLength(font.pixelSize()), 1.0, 4000.0) + 0.5));
        painter_.setFont(font);
        painter_.setPen(state_.textColor);
        const QPointF at = Map(x, y);
        const QFontMetricsF metrics(font);
        QPointF origin = at;
        const uint32_t align = state_.textAlign;
        if ((align & 6) == 6)
            origin.rx() -= metrics.horizontalAdvance(text) / 2;  // TA_CENTER
        else if (align & 2)
            origin.rx() -= metrics.horizontalAdvance(text);  // TA_RIGHT
        if ((align & 24) == 0)
            origin.ry() += metrics.ascent();  // TA_TOP: the point is the top of the text
        else if (align & 16)
            origin.ry() -= metrics.descent();  // TA_BOTTOM
        painter_.drawText(origin, text);
        Apply();
    }
    // Draws the source rectangle of a packed device-independent bitmap into the logical
    // destination rectangle; an unreadable bitmap is left out.
    void Bitmap(const QRectF& logical, const Bytes& dib, QRect source, uint32_t rop) {
        const QImage picture = DecodeDib(dib);
        if (picture.isNull())
            return;
        // Source rows of a bottom-up bitmap are counted from its last row.
        if (source.width() <= 0 || source.height() <= 0)
            source = picture.rect();
        else if (!TopDown(dib))
            source.moveTop(picture.height() - source.bottom() - 1);
        const QRectF target =
            MapRect(logical.left(), logical.top(), logical.right(), logical.bottom());
        painter_.save();
        painter_.setCompositionMode(CompositionFor(rop));
        painter_.drawImage(target, picture, source.intersected(picture.rect()));
        painter_.restore();
    }
    // Raster operations without a source bitmap: pattern, black, white or inverted.
    void Fill(const QRectF& logical, uint32_t rop) {
        const QRectF target =
            MapRect(logical.left(), logical.top(), logical.right(), logical.bottom());
        switch (rop) {
            case 0x00000042:  // BLACKNESS
                painter_.fillRect(target, Qt::black);
                break;
            case 0x00FF0062:  // WHITENESS
                painter_.fillRect(target, Qt::white);
                break;
            case 0x00550009:  // DSTINVERT
                painter_.save();
                painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
                painter_.fillRect(target, Qt::white);
                painter_.restore();
                break;
            default:  // PATCOPY and the rest: the current brush
                painter_.fillRect(target, state_.brush);
                break;
        }
    }
    // The picture frame: logical point `shift` lands on the origin, scaled per axis.
    void SetFrame(QPointF shift, double scaleX, double scaleY) {
        shift_ = shift;
        scaleX_ = scaleX;
        scaleY_ = scaleY;
        Apply();
    }

private:
    QPainterPath Start(QPointF logical) const {
        QPainterPath path;
        path.moveTo(Map(logical.x(), logical.y()));
        return path;
    }
    QSize DeviceSize() const {
        return painter_.device() != nullptr
                   ? QSize(painter_.device()->width(), painter_.device()->height())
                   : QSize();
    }
    // Draws a shape, or adds it to the open path; open figures are only outlined.
    // `continues` joins the shape to the path's current figure instead of starting one.
    void Shape(QPainterPath shape, bool filled, bool continues = false) {
        if (inPath_) {
            if (continues && path_.elementCount() > 0)
                path_.connectPath(shape);
            else
                path_.addPath(shape);
            return;
        }
        shape.setFillRule(state_.fillRule);
        if (filled) {
            painter_.drawPath(shape);
        } else {
            painter_.save();
            painter_.setBrush(Qt::NoBrush);
            painter_.drawPath(shape);
            painter_.restore();
        }
    }
    // Region modes: 1 and, 2 or, 3 exclusive or, 4 difference, 5 copy. The painter clips
    // to paths by intersection or replacement only; "or" and "exclusive or" widen the
    // clipping to the whole picture, "difference" cuts the path out of it.
    void ClipTo(const QPainterPath& path, int mode) {
        switch (mode) {
            case 5:
                painter_.setClipPath(path, Qt::ReplaceClip);
                break;
            case 2:
            case 3:
                painter_.setClipping(false);
                break;
            case 4: {
                QPainterPath outside;
                outside.addRect(QRectF(QPointF(0, 0), QSizeF(DeviceSize())));
                painter_.setClipPath(outside.subtracted(path), Qt::IntersectClip);
                break;
            }
            default:
                painter_.setClipPath(path, Qt::IntersectClip);
                break;
        }
    }

    QPainter& painter_;
    double scaleX_, scaleY_;
    QPointF shift_;
    DeviceState state_;
    std::vector<DeviceState> saved_;
    QPainterPath path_;
    bool inPath_ = false;
};

// Fits a logical extent into a picture of at most kMaxSide pixels on its longer side.
QSize FitSize(double width, double height) {
    const double longest = std::max(width, height);
    const double factor =
        longest > KxMetafileRenderer::kMaxSide ? KxMetafileRenderer::kMaxSide / longest : 1.0;
    return QSize(std::max(1, static_cast<int>(width * factor + 0.5)),
                 std::max(1, static_cast<int>(height * factor + 0.5)));
}

bool StoreResult(KxImage& target, const QImage& canvas) {
    return target.CreateFromHBITMAP(canvas.convertToFormat(QImage::Format_RGB32));
}

// --- WMF ----------------------------------------------------------------------------

bool PlayWmf(KxImage& target, const std::vector<uint8_t>& data) {
    const Bytes all(data.data(), data.size());
    size_t offset = 0;
    bool placeable = false;
    double left = 0, top = 0, right = 0, bottom = 0, inch = 1440;
    if (all.U32(0) == kPlaceableKey) {
        placeable = true;
        left = all.S16(6);
        top = all.S16(8);
        right = all.S16(10);
        bottom = all.S16(12);
        inch = all.U16(14) != 0 ? all.U16(14) : 1440;
        offset = 22;
    }
    if (!all.Has(offset, 18) || all.U16(offset + 2) != 9) {
        target.SetError("Not a WMF");  // not reached for recognised files
        return false;
    }
    const uint32_t objectCount = std::min<uint32_t>(all.U16(offset + 10), 4096);
    const size_t firstRecord = offset + 18;

    // Records as (offset, length) pairs; the size field counts 16-bit words.
    std::vector<std::pair<size_t, size_t>> records;
    for (size_t at = firstRecord; all.Has(at, 6);) {
        const uint64_t words = all.U32(at);
        const uint16_t function = all.U16(at + 4);
        if (words < 3 || !all.Has(at, words * 2))
            break;
        records.emplace_back(at, static_cast<size_t>(words * 2));
        if (function == 0)
            break;
        at += static_cast<size_t>(words * 2);
    }
    if (!placeable) {
        for (const auto& [at, length] : records) {
            const Bytes r(all.At(at), length);
            if (r.U16(4) == 0x020B) {
                top = r.S16(6);
                left = r.S16(8);
            } else if (r.U16(4) == 0x020C) {
                bottom = top + r.S16(6);
                right = left + r.S16(8);
                break;
            }
        }
        inch = 96;
    }
    const double logicalWidth = std::fabs(right - left), logicalHeight = std::fabs(bottom - top);
    if (records.size() <= 1 || logicalWidth < 1 || logicalHeight < 1) {
        target.SetError("empty WMF");
        return false;
    }
    const QSize size = FitSize(logicalWidth * 96.0 / inch, logicalHeight * 96.0 / inch);
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull()) {
        target.SetError("KxImage::Create can't allocate memory");
        return false;
    }
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    // The window origin and extent, when given, map logical units onto the picture;
    // otherwise the placeable box does.
    QPointF frameOrigin(left, top);
    QPointF frameExtent(right - left, bottom - top);
    Player player(painter, size.width() / frameExtent.x(), size.height() / frameExtent.y(),
                  frameOrigin);
    DeviceState& state = player.state();
    std::vector<GdiObject> objects(objectCount);
    auto addObject = [&](const GdiObject& object) {
        for (GdiObject& slot : objects)
            if (slot.kind == GdiObject::Empty) {
                slot = object;
                return;
            }
    };
    auto points = [](const Bytes& r, size_t at, size_t count) {
        std::vector<QPointF> list;
        for (size_t i = 0; i < count && r.Has(at + 4 * i, 4); ++i)
            list.emplace_back(r.S16(at + 4 * i), r.S16(at + 4 * i + 2));
        return list;
    };

    for (const auto& [at, length] : records) {
        const Bytes r(all.At(at), length);
        const uint16_t function = r.U16(4);
        const size_t p = 6;  // first parameter
        switch (function) {
            case 0x020B:  // SETWINDOWORG
                frameOrigin = QPointF(r.S16(p + 2), r.S16(p));
                player.SetFrame(frameOrigin, size.width() / frameExtent.x(),
                                size.height() / frameExtent.y());
                break;
            case 0x020C:  // SETWINDOWEXT
                if (r.S16(p) != 0 && r.S16(p + 2) != 0) {
                    frameExtent = QPointF(r.S16(p + 2), r.S16(p));
                    player.SetFrame(frameOrigin, size.width() / frameExtent.x(),
                                    size.height() / frameExtent.y());
                }
                break;
            case 0x0201:  // SETBKCOLOR
                state.backColor = ColorRef(r.U32(p));
                player.Apply();
                break;
            case 0x0102:  // SETBKMODE
                state.opaqueBack = r.U16(p) == 2;
                player.Apply();
                break;
            case 0x0209:  // SETTEXTCOLOR
                state.textColor = ColorRef(r.U32(p));
                break;
            case 0x012E:  // SETTEXTALIGN
                state.textAlign = r.U16(p);
                break;
            case 0x0106:  // SETPOLYFILLMODE
                state.fillRule = r.U16(p) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
                break;
            case 0x02FA: {  // CREATEPENINDIRECT
                GdiObject object;
                object.kind = GdiObject::Pen;
                object.pen = MakePen(r.U16(p), r.S16(p + 2), ColorRef(r.U32(p + 6)));
                addObject(object);
                break;
            }
            case 0x02FC: {  // CREATEBRUSHINDIRECT
                GdiObject object;
                object.kind = GdiObject::Brush;
                object.brush = MakeBrush(r.U16(p), ColorRef(r.U32(p + 2)), r.U16(p + 6));
                addObject(object);
                break;
            }
            case 0x02FB: {  // CREATEFONTINDIRECT
                GdiObject object;
                object.kind = GdiObject::Font;
                QString face;
                for (size_t i = 0; i < 32 && r.U8(p + 18 + i) != 0; ++i)
                    face += QChar(r.U8(p + 18 + i));
                object.font = MakeFont(r.S16(p), r.S16(p + 8), r.U8(p + 10) != 0, r.U8(p + 11) != 0,
                                       r.U8(p + 12) != 0, face);
                addObject(object);
                break;
            }
            case 0x00F7:  // CREATEPALETTE
            case 0x0142:  // DIBCREATEPATTERNBRUSH
            case 0x06FF:  // CREATEREGION
            {
                GdiObject object;
                object.kind = GdiObject::Other;
                addObject(object);
                break;
            }
            case 0x012D: {  // SELECTOBJECT
                const uint16_t index = r.U16(p);
                if (index < objects.size())
                    player.Select(objects[index]);
                break;
            }
            case 0x01F0: {  // DELETEOBJECT
                const uint16_t index = r.U16(p);
                if (index < objects.size())
                    objects[index] = GdiObject{};
                break;
            }
            case 0x0214:  // MOVETO
                player.MoveTo(r.S16(p + 2), r.S16(p));
                break;
            case 0x0213:  // LINETO
                player.Line(r.S16(p + 2), r.S16(p));
                break;
            case 0x041B:  // RECTANGLE
                player.Rect(r.S16(p + 6), r.S16(p + 4), r.S16(p + 2), r.S16(p));
                break;
            case 0x0418:  // ELLIPSE
                player.Ellipse(r.S16(p + 6), r.S16(p + 4), r.S16(p + 2), r.S16(p));
                break;
            case 0x061C:  // ROUNDRECT
                player.RoundRect(r.S16(p + 10), r.S16(p + 8), r.S16(p + 6), r.S16(p + 4),
                                 r.S16(p + 2), r.S16(p));
                break;
            case 0x0416:  // INTERSECTCLIPRECT
                player.IntersectClip(r.S16(p + 6), r.S16(p + 4), r.S16(p + 2), r.S16(p));
                break;
            case 0x0415:  // EXCLUDECLIPRECT
                player.ExcludeClip(r.S16(p + 6), r.S16(p + 4), r.S16(p + 2), r.S16(p));
                break;
            case 0x041F: {  // SETPIXEL
                const QPointF at = player.Map(r.S16(p + 6), r.S16(p + 4));
                painter.fillRect(QRectF(at, QSizeF(1, 1)), ColorRef(r.U32(p)));
                break;
            }
            case 0x0817:    // ARC
            case 0x081A:    // PIE
            case 0x0830: {  // CHORD
                const auto kind = function == 0x0817   ? Player::ArcKind::Arc
                                  : function == 0x081A ? Player::ArcKind::Pie
                                                       : Player::ArcKind::Chord;
                player.Arc(kind,
                           QRectF(QPointF(r.S16(p + 14), r.S16(p + 12)),
                                  QPointF(r.S16(p + 10), r.S16(p + 8))),
                           QPointF(r.S16(p + 6), r.S16(p + 4)), QPointF(r.S16(p + 2), r.S16(p)));
                break;
            }
            case 0x0324:    // POLYGON
            case 0x0325: {  // POLYLINE
                const size_t count = r.U16(p);
                player.Polygon(points(r, p + 2, count), function == 0x0324);
                break;
            }
            case 0x0538: {  // POLYPOLYGON
                const size_t polygons = r.U16(p);
                size_t at2 = p + 2 + 2 * polygons;
                std::vector<std::vector<QPointF>> list;
                for (size_t i = 0; i < polygons && r.Has(at2, 0); ++i) {
                    const size_t count = r.U16(p + 2 + 2 * i);
                    list.push_back(points(r, at2, count));
                    at2 += 4 * count;
                }
                player.PolyPolygon(list);
                break;
            }
            case 0x0521: {  // TEXTOUT
                const size_t count = r.U16(p);
                const size_t padded = (count + 1) & ~size_t{1};
                if (!r.Has(p + 2, padded + 4))
                    break;
                const QString text = QString::fromLatin1(reinterpret_cast<const char*>(r.At(p + 2)),
                                                         static_cast<qsizetype>(count));
                player.Text(r.S16(p + 2 + padded + 2), r.S16(p + 2 + padded), text);
                break;
            }
            case 0x0A32: {  // EXTTEXTOUT
                const size_t count = r.U16(p + 4);
                const uint16_t options = r.U16(p + 6);
                const size_t textAt = p + 8 + ((options & 0x06) != 0 ? 8 : 0);
                if (!r.Has(textAt, count))
                    break;
                const QString text = QString::fromLatin1(
                    reinterpret_cast<const char*>(r.At(textAt)), static_cast<qsizetype>(count));
                player.Text(r.S16(p + 2), r.S16(p), text);
                break;
            }
            case 0x0F43: {  // STRETCHDIB
                const QRectF dest(r.S16(p + 20), r.S16(p + 18), r.S16(p + 16), r.S16(p + 14));
                const QRect source(r.S16(p + 12), r.S16(p + 10), r.S16(p + 8), r.S16(p + 6));
                if (r.Has(p + 22, 0))
                    player.Bitmap(dest, Bytes(r.At(p + 22), length - (p + 22)), source, r.U32(p));
                break;
            }
            case 0x0B41: {  // DIBSTRETCHBLT
                // Without a bitmap the record is 14 words long and holds a reserved word.
                if (length == 28) {
                    player.Fill(QRectF(r.S16(p + 20), r.S16(p + 18), r.S16(p + 16), r.S16(p + 14)),
                                r.U32(p));
                    break;
                }
                const QRectF dest(r.S16(p + 18), r.S16(p + 16), r.S16(p + 14), r.S16(p + 12));
                const QRect source(r.S16(p + 10), r.S16(p + 8), r.S16(p + 6), r.S16(p + 4));
                if (r.Has(p + 20, 0))
                    player.Bitmap(dest, Bytes(r.At(p + 20), length - (p + 20)), source, r.U32(p));
                break;
            }
            case 0x0940: {  // DIBBITBLT
                if (length == 24) {
                    player.Fill(QRectF(r.S16(p + 16), r.S16(p + 14), r.S16(p + 12), r.S16(p + 10)),
                                r.U32(p));
                    break;
                }
                const QRectF dest(r.S16(p + 14), r.S16(p + 12), r.S16(p + 10), r.S16(p + 8));
                const QRect source(r.S16(p + 6), r.S16(p + 4), r.S16(p + 10), r.S16(p + 8));
                if (r.Has(p + 16, 0))
                    player.Bitmap(dest, Bytes(r.At(p + 16), length - (p + 16)), source, r.U32(p));
                break;
            }
            case 0x001E:  // SAVEDC
                player.Save();
                break;
            case 0x0127:  // RESTOREDC
                player.Restore(r.S16(p));
                break;
            default:
                break;
        }
    }
    player.Finish();
    painter.end();
    return StoreResult(target, canvas);
}

// --- EMF ----------------------------------------------------------------------------

QString Utf16(const Bytes& r, size_t at, size_t count) {
    QString text;
    for (size_t i = 0; i < count && r.Has(at + 2 * i, 2); ++i) {
        const uint16_t c = r.U16(at + 2 * i);
        if (c == 0)
            break;
        text += QChar(c);
    }
    return text;
}

GdiObject StockObject(uint32_t index) {
    GdiObject object;
    switch (index & 0x7FFFFFFF) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4: {
            static const int greys[] = {255, 192, 128, 64, 0};
            object.kind = GdiObject::Brush;
            const int g = greys[index & 0x7FFFFFFF];
            object.brush = QBrush(QColor(g, g, g));
            break;
        }
        case 5:
            object.kind = GdiObject::Brush;
            object.brush = QBrush(Qt::NoBrush);
            break;
        case 6:
        case 7:
            object.kind = GdiObject::Pen;
            object.pen = QPen((index & 0x7FFFFFFF) == 6 ? Qt::white : Qt::black);
            break;
        case 8:
            object.kind = GdiObject::Pen;
            object.pen = QPen(Qt::NoPen);
            break;
        default:
            break;
    }
    return object;
}

bool PlayEmf(KxImage& target, const std::vector<uint8_t>& data) {
    const Bytes all(data.data(), data.size());
    const int32_t left = all.S32(8), top = all.S32(12), right = all.S32(16), bottom = all.S32(20);
    const uint32_t handles = all.U16(56);  // nHandles
    const double width = static_cast<double>(right) - left + 1;
    const double height = static_cast<double>(bottom) - top + 1;
    std::vector<std::pair<size_t, size_t>> records;
    for (size_t at = 0; all.Has(at, 8);) {
        const uint32_t type = all.U32(at);
        const uint32_t size = all.U32(at + 4);
        if (size < 8 || (size & 3) != 0 || !all.Has(at, size))
            break;
        records.emplace_back(at, size);
        if (type == 14)
            break;
        at += size;
    }
    if (records.size() <= 2 || width < 1 || height < 1 || width > 1e7 || height > 1e7) {
        target.SetError("empty WMF");
        return false;
    }
    const QSize size = FitSize(width, height);
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull()) {
        target.SetError("KxImage::Create can't allocate memory");
        return false;
    }
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::Antialiasing);
    Player player(painter, size.width() / width, size.height() / height, QPointF(left, top));
    DeviceState& state = player.state();
    std::vector<GdiObject> objects(std::max<uint32_t>(handles, 1));
    auto setObject = [&](uint32_t index, const GdiObject& object) {
        if (index < objects.size())
            objects[index] = object;
    };
    auto points16 = [](const Bytes& r, size_t at, size_t count) {
        std::vector<QPointF> list;
        for (size_t i = 0; i < count && r.Has(at + 4 * i, 4); ++i)
            list.emplace_back(r.S16(at + 4 * i), r.S16(at + 4 * i + 2));
        return list;
    };
    auto points32 = [](const Bytes& r, size_t at, size_t count) {
        std::vector<QPointF> list;
        for (size_t i = 0; i < count && r.Has(at + 8 * i, 8); ++i)
            list.emplace_back(r.S32(at + 8 * i), r.S32(at + 8 * i + 4));
        return list;
    };

    for (const auto& [at, length] : records) {
        const Bytes r(all.At(at), length);
        const uint32_t type = r.U32(0);
        switch (type) {
            case 9:
                state.windowExt = QPointF(r.S32(8), r.S32(12));
                state.windowExtSet = true;
                player.Apply();
                break;
            case 10:
                state.windowOrg = QPointF(r.S32(8), r.S32(12));
                break;
            case 11:
                state.viewportExt = QPointF(r.S32(8), r.S32(12));
                state.viewportExtSet = true;
                player.Apply();
                break;
            case 12:
                state.viewportOrg = QPointF(r.S32(8), r.S32(12));
                break;
            case 18:
                state.opaqueBack = r.U32(8) == 2;
                player.Apply();
                break;
            case 19:
                state.fillRule = r.U32(8) == 2 ? Qt::WindingFill : Qt::OddEvenFill;
                break;
            case 22:
                state.textAlign = r.U32(8);
                break;
            case 24:
                state.textColor = ColorRef(r.U32(8));
                break;
            case 25:
                state.backColor = ColorRef(r.U32(8));
                player.Apply();
                break;
            case 27:
                player.MoveTo(r.S32(8), r.S32(12));
                break;
            case 54:
                player.Line(r.S32(8), r.S32(12));
                break;
            case 33:
                player.Save();
                break;
            case 34:
                player.Restore(r.S32(8));
                break;
            case 37: {
                const uint32_t handle = r.U32(8);
                if (handle & 0x80000000u)
                    player.Select(StockObject(handle));
                else if (handle < objects.size())
                    player.Select(objects[handle]);
                break;
            }
            case 38: {
                GdiObject object;
                object.kind = GdiObject::Pen;
                object.pen = MakePen(static_cast<int>(r.U32(12)), r.S32(16), ColorRef(r.U32(24)));
                setObject(r.U32(8), object);
                break;
            }
            case 95: {  // EXTCREATEPEN
                GdiObject object;
                object.kind = GdiObject::Pen;
                object.pen = MakePen(static_cast<int>(r.U32(28)), r.U32(32), ColorRef(r.U32(40)));
                setObject(r.U32(8), object);
                break;
            }
            case 39: {
                GdiObject object;
                object.kind = GdiObject::Brush;
                object.brush = MakeBrush(r.U32(12), ColorRef(r.U32(16)), r.U32(20));
                setObject(r.U32(8), object);
                break;
            }
            case 82: {
                GdiObject object;
                object.kind = GdiObject::Font;
                object.font = MakeFont(r.S32(12), r.S32(28), r.U8(32) != 0, r.U8(33) != 0,
                                       r.U8(34) != 0, Utf16(r, 40, 32));
                setObject(r.U32(8), object);
                break;
            }
            case 40: {
                const uint32_t handle = r.U32(8);
                if (handle < objects.size())
                    objects[handle] = GdiObject{};
                break;
            }
            case 42:
                player.Ellipse(r.S32(8), r.S32(12), r.S32(16), r.S32(20));
                break;
            case 43:
                player.Rect(r.S32(8), r.S32(12), r.S32(16), r.S32(20));
                break;
            case 44:
                player.RoundRect(r.S32(8), r.S32(12), r.S32(16), r.S32(20), r.S32(24), r.S32(28));
                break;
            case 45:    // ARC
            case 46:    // CHORD
            case 47: {  // PIE
                const auto kind = type == 45   ? Player::ArcKind::Arc
                                  : type == 47 ? Player::ArcKind::Pie
                                               : Player::ArcKind::Chord;
                player.Arc(kind,
                           QRectF(QPointF(r.S32(8), r.S32(12)), QPointF(r.S32(16), r.S32(20))),
                           QPointF(r.S32(24), r.S32(28)), QPointF(r.S32(32), r.S32(36)));
                break;
            }
            case 3:     // POLYGON
            case 4:     // POLYLINE
            case 86:    // POLYGON16
            case 87:    // POLYLINE16
            case 2:     // POLYBEZIER
            case 5:     // POLYBEZIERTO
            case 85:    // POLYBEZIER16
            case 88:    // POLYBEZIERTO16
            case 6:     // POLYLINETO
            case 89: {  // POLYLINETO16
                const bool wide = type < 8;
                const auto list = wide ? points32(r, 28, r.U32(24)) : points16(r, 28, r.U32(24));
                if (type == 3 || type == 86 || type == 4 || type == 87)
                    player.Polygon(list, type == 3 || type == 86);
                else if (type == 6 || type == 89)
                    player.Polyline(list, true);
                else
                    player.Bezier(list, type == 5 || type == 88);
                break;
            }
            case 7:     // POLYPOLYLINE
            case 8:     // POLYPOLYGON
            case 90:    // POLYPOLYLINE16
            case 91: {  // POLYPOLYGON16
                const bool wide = type == 7 || type == 8;
                const uint32_t polygons = std::min<uint32_t>(r.U32(24), 65536);
                size_t pointsAt = 32 + 4ull * polygons;
                std::vector<std::vector<QPointF>> list;
                for (uint32_t i = 0; i < polygons && r.Has(32 + 4ull * i, 4); ++i) {
                    const uint32_t count = std::min<uint32_t>(r.U32(32 + 4 * i), 1u << 20);
                    list.push_back(wide ? points32(r, pointsAt, count)
                                        : points16(r, pointsAt, count));
                    pointsAt += (wide ? 8ull : 4ull) * count;
                }
                player.PolyPolygon(list, type == 8 || type == 91);
                break;
            }
            case 59:
                player.BeginPath();
                break;
            case 60:
                player.EndPath();
                break;
            case 61:
                player.CloseFigure();
                break;
            case 62:  // FILLPATH
            case 63:  // STROKEANDFILLPATH
            case 64:  // STROKEPATH
                player.DrawPath(type != 64, type != 62);
                break;
            case 67:  // SELECTCLIPPATH
                player.ClipToPath(static_cast<int>(r.U32(8)));
                break;
            case 29:  // EXCLUDECLIPRECT
                player.ExcludeClip(r.S32(8), r.S32(12), r.S32(16), r.S32(20));
                break;
            case 30:  // INTERSECTCLIPRECT
                player.IntersectClip(r.S32(8), r.S32(12), r.S32(16), r.S32(20));
                break;
            case 75:  // EXTSELECTCLIPRGN: only "no region, copy" (clipping off) is played
                if (r.U32(8) == 0 && r.U32(12) == 5)
                    player.ResetClip();
                break;
            case 35:    // SETWORLDTRANSFORM
            case 36: {  // MODIFYWORLDTRANSFORM
                float m[6];
                bool finite = true;
                for (int i = 0; i < 6; ++i) {
                    const uint32_t bits = r.U32(8 + 4 * size_t(i));
                    std::memcpy(&m[i], &bits, sizeof(float));
                    finite = finite && std::isfinite(m[i]) && std::fabs(m[i]) < 1e7f;
                }
                const QTransform xform(m[0], m[1], m[2], m[3], m[4], m[5]);
                const uint32_t mode = type == 35 ? 4 : r.U32(32);
                QTransform& world = player.World();
                QTransform next = world;
                if (mode == 1)
                    next.reset();
                else if (finite && mode == 2)
                    next = xform * world;
                else if (finite && mode == 3)
                    next = world * xform;
                else if (finite && mode == 4)
                    next = xform;
                // Repeated products must not run off to huge or infinite coordinates.
                const double parts[] = {next.m11(), next.m12(), next.m21(),
                                        next.m22(), next.dx(),  next.dy()};
                if (std::all_of(std::begin(parts), std::end(parts),
                                [](double v) { return std::isfinite(v) && std::fabs(v) < 1e7; }))
                    world = next;
                player.Apply();
                break;
            }
            case 76:    // BITBLT
            case 77:    // STRETCHBLT
            case 81: {  // STRETCHDIBITS
                const bool stretchDib = type == 81;
                const QRectF dest(r.S32(24), r.S32(28), r.S32(stretchDib ? 72 : 32),
                                  r.S32(stretchDib ? 76 : 36));
                const uint32_t rop = r.U32(stretchDib ? 68 : 40);
                const size_t fields = stretchDib ? 48 : 84;
                const uint32_t bmiAt = r.U32(fields), bmiSize = r.U32(fields + 4);
                const uint32_t bitsAt = r.U32(fields + 8), bitsSize = r.U32(fields + 12);
                if (bmiSize == 0) {
                    player.Fill(dest, rop);
                    break;
                }
                if (!r.Has(bmiAt, bmiSize) || !r.Has(bitsAt, bitsSize))
                    break;
                const size_t sourceSize = type == 81 ? 40 : (type == 77 ? 100 : 32);
                // Coordinates far outside any bitmap are cut short before they make a rectangle.
                auto coordinate = [&](size_t at) { return std::clamp(r.S32(at), -65536, 65536); };
                const QRect source(coordinate(stretchDib ? 32 : 44),
                                   coordinate(stretchDib ? 36 : 48), coordinate(sourceSize),
                                   coordinate(sourceSize + 4));
                // The header and the bits lie apart in the record: join them into one block.
                std::vector<uint8_t> dib(r.At(bmiAt), r.At(bmiAt) + bmiSize);
                dib.insert(dib.end(), r.At(bitsAt), r.At(bitsAt) + bitsSize);
                player.Bitmap(dest, Bytes(dib.data(), dib.size()), source, rop);
                break;
            }
            case 84: {  // EXTTEXTOUTW
                const int32_t x = r.S32(36), y = r.S32(40);
                const uint32_t count = r.U32(44);
                const uint32_t offset = r.U32(48);
                player.Text(x, y, Utf16(r, offset, std::min<uint32_t>(count, 65536)));
                break;
            }
            default:
                break;
        }
    }
    player.Finish();
    painter.end();
    return StoreResult(target, canvas);
}

}  // namespace

bool KxMetafileRenderer::Decode(KxImage& target, KxFile* file) {
    if (file == nullptr) {
        target.SetError("null file handler");
        return false;
    }
    std::vector<uint8_t> data;
    const int64_t size = file->Size() - file->Tell();
    if (size <= 0 || static_cast<uint64_t>(size) > kMaxMetafileBytes) {
        target.SetError("empty WMF");
        return false;
    }
    data.resize(static_cast<size_t>(size));
    data.resize(file->Read(data.data(), 1, data.size()));
    const Bytes all(data.data(), data.size());
    if (all.U32(0) == 1 && all.U32(40) == 0x464D4520)
        return PlayEmf(target, data);
    return PlayWmf(target, data);
}
