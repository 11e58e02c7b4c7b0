#include "document/CKorvelView.h"

#include "document/CKorvelDoc.h"
#include "document/CMagnifierWnd.h"
#include "document/DocumentContext.h"
#include "document/ViewGeometry.h"
#include "image/KxImage.h"
#include "platform/Ticks.h"
#include "res/ids.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPen>

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace korvel::document {

namespace {
// The workspace grey behind and around the picture.
constexpr QColor kBackground(191, 191, 191);
}  // namespace

CKorvelView::CKorvelView(QWidget* parent) : framework::CView(parent) {
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
}

CKorvelView::~CKorvelView() {
    // A running operation reports to this view; it must end while the view still exists.
    if (CKorvelDoc* doc = document(); doc && doc->views().size() == 1) {
        doc->StopOperation();
    }
}

CKorvelDoc* CKorvelView::document() const {
    return qobject_cast<CKorvelDoc*>(GetDocument());
}

QPoint CKorvelView::scrollPosition() const {
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CKorvelView::layoutPicture() {
    CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        imageRect_ = {};
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
        return;
    }
    const QSize picture(static_cast<int>(doc->image()->GetWidth()),
                        static_cast<int>(doc->image()->GetHeight()));
    const QSize client = viewport()->size();
    if (doc->stretch) {
        imageRect_ = QRect(QPoint(0, 0), client);
        horizontalScrollBar()->setRange(0, 0);
        verticalScrollBar()->setRange(0, 0);
    } else {
        // A zoom keeps the same part of the picture in view: each scroll position scales
        // with the total size, or goes to 0 when the picture now fits.
        const QSize oldTotal(horizontalScrollBar()->maximum() + client.width(),
                             verticalScrollBar()->maximum() + client.height());
        const QPoint oldPosition = scrollPosition();
        imageRect_ = imageRectangle(client, picture, doc->zoom);
        const auto rescale = [](int total, int oldTotal, int position, int visible) {
            return total > visible && oldTotal > 0 ? int(qint64(total) * position / oldTotal) : 0;
        };
        horizontalScrollBar()->setRange(0, std::max(0, imageRect_.width() - client.width()));
        verticalScrollBar()->setRange(0, std::max(0, imageRect_.height() - client.height()));
        horizontalScrollBar()->setPageStep(client.width());
        verticalScrollBar()->setPageStep(client.height());
        horizontalScrollBar()->setValue(
            rescale(imageRect_.width(), oldTotal.width(), oldPosition.x(), client.width()));
        verticalScrollBar()->setValue(
            rescale(imageRect_.height(), oldTotal.height(), oldPosition.y(), client.height()));
    }
    emit rulersChanged(0, scrollPosition(), {}, imageRect_, doc->zoom);
}

void CKorvelView::OnUpdate(framework::CView*, std::intptr_t hint) {
    CKorvelDoc* doc = document();
    if (hint == res::HINT_FULL_REFRESH && doc) {
        tracker_ = QRect();
        if (!doc->outline.points().empty() && doc->image() && !doc->image()->SelectionIsValid()) {
            antsTimer_.stop();
        }
        // Without a histogram window there is nothing to recompute.
        doc->histogramMaximum = 0;
    }
    if (hint == res::HINT_FULL_REFRESH || display_.isNull()) {
        display_ = doc && doc->hasPicture() ? doc->image()->MakeBitmap() : QImage();
        if (doc && doc->hasPicture()) {
            doc->image()->SetJpegQuality(static_cast<uint8_t>(doc->context().jpegQuality));
        }
    }
    layoutPicture();
    viewport()->update();
}

std::intptr_t CKorvelView::onMessage(const framework::Message& message) {
    CKorvelDoc* doc = document();
    if (!doc) {
        return 0;
    }
    if (message.id == unsigned(res::MSG_OPERATION_PROGRESS)) {
        if (doc->context().setStatusPane) {
            doc->context().setStatusPane(2, QStringLiteral("%1 %").arg(int(message.wParam)));
        }
    } else if (message.id == unsigned(res::MSG_OPERATION_FINISHED)) {
        doc->UpdateAllViews(nullptr, res::HINT_FULL_REFRESH);
        doc->refreshStatus();
    }
    return 0;
}

QPoint CKorvelView::clientToImage(QPoint client) const {
    const CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        return {};
    }
    ViewMapping mapping;
    mapping.imageRect = imageRect_;
    mapping.scroll = scrollPosition();
    mapping.zoom = doc->zoom;
    mapping.stretch = doc->stretch;
    mapping.client = viewport()->size();
    mapping.picture = QSize(static_cast<int>(doc->image()->GetWidth()),
                            static_cast<int>(doc->image()->GetHeight()));
    return document::clientToImage(client, mapping);
}

QString CKorvelView::readout(QPoint client) const {
    const CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        return QStringLiteral(" ");
    }
    const QPoint p = clientToImage(client);
    const KxImage& picture = *doc->image();
    if (p.x() < 0 || p.y() < 0 || p.x() >= int(picture.GetWidth()) ||
        p.y() >= int(picture.GetHeight())) {
        return QStringLiteral(" ");
    }
    const int row = int(picture.GetHeight()) - 1 - p.y();
    const int index = picture.GetBpp() <= 8 ? picture.GetPixelIndex(p.x(), row) : 0;
    const RGBQUAD colour = picture.GetPixelColor(p.x(), row, true);
    const int alpha = picture.AlphaIsValid()  ? picture.AlphaGet(p.x(), row)
                      : picture.GetBpp() <= 8 ? picture.GetPaletteColor(uint8_t(index)).rgbReserved
                                              : 0;
    return QString::asprintf("x: %d y: %d  idx: %d", p.x(), p.y(), index) +
           QString::asprintf("  RGBA: (%d, %d, %d, %d)", colour.rgbRed, colour.rgbGreen,
                             colour.rgbBlue, alpha);
}

void CKorvelView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBackground);
    const CKorvelDoc* doc = document();
    if (!doc || display_.isNull()) {
        return;
    }
    const QRect target = imageRect_.translated(-scrollPosition());
    const bool smooth = doc->smooth && (doc->stretch || doc->zoom != 1.0f);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    // Only the exposed part of the picture is drawn.
    const QRect exposed = event->rect().intersected(target);
    if (exposed.isEmpty()) {
        return;
    }
    const double sx = double(display_.width()) / target.width();
    const double sy = double(display_.height()) / target.height();
    const QRectF source((exposed.x() - target.x()) * sx, (exposed.y() - target.y()) * sy,
                        exposed.width() * sx, exposed.height() * sy);
    painter.drawImage(QRectF(exposed), display_, source);
    drawAnts(painter);
    if (!tracker_.isEmpty()) {
        painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(tracker_);
    }
}

void CKorvelView::drawAnts(QPainter& painter) const {
    const CKorvelDoc* doc = document();
    const std::vector<QPoint>& points = doc->outline.points();
    if (points.size() <= 2) {
        return;
    }
    const QPoint offset = imageRect_.topLeft() - scrollPosition();
    const auto toClient = [&](QPoint p) {
        return QPoint(int(p.x() * doc->zoom), int(p.y() * doc->zoom)) + offset;
    };
    // Pixel by pixel along each segment: four white, four black, from the current phase.
    int counter = antsPhase_;
    for (std::size_t i = 1; i < points.size(); ++i) {
        const QPoint a = toClient(points[i - 1]);
        const QPoint b = toClient(points[i]);
        const int steps = std::max(std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
        for (int k = 0; k <= steps; ++k, ++counter) {
            const int x = steps ? a.x() + (b.x() - a.x()) * k / steps : a.x();
            const int y = steps ? a.y() + (b.y() - a.y()) * k / steps : a.y();
            painter.setPen(antsPixelIsWhite(counter) ? Qt::white : Qt::black);
            painter.drawPoint(x, y);
        }
    }
}

QSize CKorvelView::printSize(QSize picture, int dpiX, int dpiY, float zoom) {
    return {int(double(picture.width()) * dpiX * zoom / 96.0),
            int(double(picture.height()) * dpiY * zoom / 96.0)};
}

void CKorvelView::print(QPainter& painter, int printerDpiX, int printerDpiY) {
    const CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        return;
    }
    const KxImage& source = *doc->image();
    const QSize size = printSize(QSize(int(source.GetWidth()), int(source.GetHeight())),
                                 printerDpiX, printerDpiY, doc->zoom);
    // Transparent parts print white: the copy loses its transparency and alpha.
    KxImage copy(source);
    if (copy.GetTransIndex() >= 0) {
        copy.SetPaletteColor(uint8_t(copy.GetTransIndex()), RGBQUAD{255, 255, 255, 0});
    }
    copy.SetTransColor(RGBQUAD{255, 255, 255, 0});
    copy.AlphaStrip();
    copy.Stretch(&painter, 0, 0, size.width(), size.height());
}

void CKorvelView::contextMenuEvent(QContextMenuEvent* event) {
    const CKorvelDoc* doc = document();
    if (!doc || doc->isStartPage() || doc->tool == CKorvelDoc::kZoom ||
        !doc->context().showPictureMenu) {
        return;
    }
    doc->context().showPictureMenu(event->globalPos());
}

void CKorvelView::keyPressEvent(QKeyEvent* event) {
    const CKorvelDoc* doc = document();
    if (event->key() == Qt::Key_Escape && doc && doc->context().escapePressed) {
        doc->context().escapePressed();
        return;
    }
    framework::CView::keyPressEvent(event);
}

void CKorvelView::timerEvent(QTimerEvent* event) {
    if (event->timerId() == antsTimer_.timerId()) {
        antsPhase_ = (antsPhase_ + 1) % 8;
        viewport()->update();
    }
}

void CKorvelView::mousePressEvent(QMouseEvent* event) {
    CKorvelDoc* doc = document();
    if (!doc) {
        return;
    }
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        switch (doc->tool) {
            case CKorvelDoc::kMove:
            case CKorvelDoc::kSelect:
                doc->rectangleSelection = event->modifiers() & Qt::ShiftModifier;
                panScroll_ = scrollPosition();
                panClick_ = point;
                break;
            case CKorvelDoc::kZoom:
                if (!doc->waitingForClick) {
                    doc->runCommand(res::ID_VIEW_ZOOM_IN);
                }
                break;
            case CKorvelDoc::kText:
                doc->tool = CKorvelDoc::kNoTool;
                if (doc->hasPicture()) {
                    doc->StoreUndo();
                    const QPoint at = clientToImage(point);
                    doc->image()->DrawStringEx(nullptr, at.x(), at.y(), &doc->context().textInfo);
                    doc->UpdateAllViews(nullptr, res::HINT_FULL_REFRESH);
                }
                break;
            default:
                break;
        }
        if (doc->waitingForClick) {
            doc->waitingForClick = false;
            pickTransparency(clientToImage(point));
        } else {
            antsTimer_.stop();
            doc->outline.clear();
            antsPhase_ = 0;
        }
    } else if (event->button() == Qt::RightButton) {
        rightDrag_ = false;
        if (doc->tool == CKorvelDoc::kZoom && !doc->waitingForClick) {
            doc->runCommand(res::ID_VIEW_ZOOM_OUT);
        } else if (doc->tool == CKorvelDoc::kSelect && doc->hasPicture()) {
            const auto& points = doc->outline.points();
            const bool ctrl = event->modifiers() & Qt::ControlModifier;
            if (!ctrl && doc->outline.isRectangle() && points.size() == 5) {
                rotationCentre_ = QPointF((points[0].x() + points[1].x()) / 2,
                                          (points[0].y() + points[3].y()) / 2);
                for (int i = 0; i < 5; ++i) {
                    corners_[i][0] = points[std::size_t(i)].x();
                    corners_[i][1] = points[std::size_t(i)].y();
                }
            }
            if (ctrl || (doc->outline.isRectangle() && points.size() == 5)) {
                lastDrag_ = QPointF(clientToImage(point));
                rightDrag_ = true;
            }
        }
    }
    if (event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kTracker) {
        trackerStart_ = point;
        tracker_ = QRect();
    }
}

void CKorvelView::pickTransparency(QPoint p) {
    CKorvelDoc* doc = document();
    KxImage* picture = doc->image();
    if (!picture || p.x() < 0 || p.y() < 0 || p.x() >= int(picture->GetWidth()) ||
        p.y() >= int(picture->GetHeight())) {
        return;
    }
    doc->StoreUndo();
    const int row = int(picture->GetHeight()) - 1 - p.y();
    if (picture->GetBpp() <= 8) {
        picture->SetTransIndex(picture->GetPixelIndex(p.x(), row));
    }
    picture->SetTransColor(picture->GetPixelColor(p.x(), row, false));
    doc->UpdateAllViews(nullptr, res::HINT_FULL_REFRESH);
}

void CKorvelView::mouseReleaseEvent(QMouseEvent* event) {
    CKorvelDoc* doc = document();
    if (doc && event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kTracker &&
        doc->hasPicture()) {
        KxImage& picture = *doc->image();
        if (tracker_.width() > 1 && tracker_.height() > 1) {
            const QPoint a = clientToImage(tracker_.topLeft());
            const QPoint b = clientToImage(tracker_.bottomRight());
            const int h = int(picture.GetHeight());
            picture.SelectionClear();
            picture.SelectionAddRect(RECT{a.x(), h - 1 - a.y(), b.x(), h - 1 - b.y()});
        } else {
            tracker_ = QRect();
        }
        viewport()->update();
        return;
    }
    if (doc && event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kSelect &&
        doc->hasPicture()) {
        finishSelection();
    }
}

void CKorvelView::finishSelection() {
    CKorvelDoc* doc = document();
    KxImage& picture = *doc->image();
    if (doc->outline.points().size() < 3) {
        picture.SelectionDelete();
        viewport()->update();
        return;
    }
    doc->outline.close();
    antsTimer_.start(333, this);
    std::vector<POINT> polygon;
    for (const QPoint& p : doc->outline.bottomUp(int(picture.GetHeight()))) {
        polygon.push_back(POINT{p.x(), p.y()});
    }
    doc->StopwatchStart();
    picture.SelectionClear();
    picture.SelectionAddPolygon(polygon.data(), int32_t(polygon.size()));
    doc->StopwatchStop();
    doc->refreshStatus();
    viewport()->update();
}

void CKorvelView::resizeEvent(QResizeEvent* event) {
    framework::CView::resizeEvent(event);
    layoutPicture();
}

void CKorvelView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const CKorvelDoc* doc = document();
    if (doc && doc->context().setStatusPane) {
        doc->context().setStatusPane(0, readout(point));
    }
    emit rulersChanged(3, scrollPosition(), point, imageRect_, doc ? doc->zoom : 1.0);
    // The magnifier follows the cursor, at most every 50 ms of movement.
    if (doc && doc->context().magnifier) {
        CMagnifierWnd* magnifier = doc->context().magnifier(false);
        const std::uint32_t now = platform::tickCount();
        if (magnifier && now - lastMagnifierTick_ > 50) {
            magnifier->setCursorPoint(viewport(), point);
            lastMagnifierTick_ = now;
        }
    }
    if (doc && doc->hasPicture() && rightDrag_ && (event->buttons() & Qt::RightButton) &&
        !(event->buttons() & Qt::LeftButton)) {
        CKorvelDoc* editable = document();
        const QPointF now(clientToImage(point));
        if (event->modifiers() & Qt::ControlModifier) {
            editable->outline.translate(
                QPoint(int(now.x() - lastDrag_.x()), int(now.y() - lastDrag_.y())));
        } else if (editable->outline.isRectangle()) {
            const double angle =
                std::atan2(now.y() - rotationCentre_.y(), now.x() - rotationCentre_.x()) -
                std::atan2(lastDrag_.y() - rotationCentre_.y(),
                           lastDrag_.x() - rotationCentre_.x());
            const double c = std::cos(angle);
            const double sn = std::sin(angle);
            for (auto& corner : corners_) {
                const double dx = corner[0] - rotationCentre_.x();
                const double dy = corner[1] - rotationCentre_.y();
                corner[0] = rotationCentre_.x() + dx * c - dy * sn;
                corner[1] = rotationCentre_.y() + dx * sn + dy * c;
            }
            editable->outline.rotate(rotationCentre_.x(), rotationCentre_.y(), 0.0, corners_);
        }
        lastDrag_ = now;
        viewport()->update();
    }
    if (doc && doc->hasPicture() && doc->tool == CKorvelDoc::kTracker &&
        (event->buttons() & Qt::LeftButton)) {
        tracker_ = QRect(trackerStart_, point).normalized();
        viewport()->update();
    }
    if (doc && doc->hasPicture() && (event->buttons() & Qt::LeftButton)) {
        if (doc->tool == CKorvelDoc::kMove) {
            viewport()->setCursor(Qt::SizeAllCursor);
            horizontalScrollBar()->setValue(panScroll_.x() + panClick_.x() - point.x());
            verticalScrollBar()->setValue(panScroll_.y() + panClick_.y() - point.y());
        } else if (doc->tool == CKorvelDoc::kSelect) {
            viewport()->setCursor(Qt::CrossCursor);
            CKorvelDoc* editable = document();
            if (doc->rectangleSelection) {
                editable->outline.dragRectangle(clientToImage(point));
            } else {
                editable->outline.append(clientToImage(point));
            }
            viewport()->update();
        }
    }
    framework::CView::mouseMoveEvent(event);
}

void CKorvelView::scrollContentsBy(int, int) {
    const CKorvelDoc* doc = document();
    emit rulersChanged(0, scrollPosition(), {}, imageRect_, doc ? doc->zoom : 1.0);
    viewport()->update();
}

}  // namespace korvel::document
