#include "document/CKorvelView.h"

#include "document/CKorvelDoc.h"
#include "document/CMagnifierWnd.h"
#include "document/DocumentContext.h"
#include "document/ViewGeometry.h"
#include "image/KxImage.h"
#include "platform/Ticks.h"
#include "res/ids.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
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
    registerCommands();
}

void CKorvelView::registerCommands() {
    const auto pictureShown = [this](framework::CommandState& s) {
        const CKorvelDoc* doc = document();
        s.enable(doc && doc->hasPicture());
    };
    onCommand(
        res::ID_FILE_PRINT,
        [this](int) {
            QPrinter printer(QPrinter::HighResolution);
            QPrintDialog dialog(&printer, this);
            if (dialog.exec() == QDialog::Accepted) {
                printTo(printer);
            }
        },
        pictureShown);
    onCommand(
        res::ID_FILE_PRINT_PREVIEW,
        [this](int) {
            QPrinter printer(QPrinter::HighResolution);
            QPrintPreviewDialog preview(&printer, this);
            connect(&preview, &QPrintPreviewDialog::paintRequested, this,
                    [this](QPrinter* target) { printTo(*target); });
            preview.exec();
        },
        pictureShown);
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

void CKorvelView::OnInitialUpdate() {
    framework::CView::OnInitialUpdate();
    // The Start Page is marked after its view is made; marking it drops the object again.
    if (CKorvelDoc* doc = document(); doc && !doc->isStartPage()) {
        doc->measurement.create(this, doc->context().showScaleLine);
    }
}

void CKorvelView::OnUpdate(framework::CView*, std::intptr_t hint) {
    CKorvelDoc* doc = document();
    if (hint == res::HINT_FULL_REFRESH && doc) {
        tracker_.clear();
        if (!doc->outline.points().empty() && doc->image() && !doc->image()->SelectionIsValid()) {
            antsTimer_.stop();
        }
        // Without a histogram window there is nothing to recompute.
        doc->histogramMaximum = 0;
    }
    if (hint == res::HINT_FULL_REFRESH && doc && doc->hasPicture()) {
        doc->image()->SetJpegQuality(static_cast<uint8_t>(doc->context().jpegQuality));
    }
    // Whatever the hint, an update may follow a change of the pixels or of their
    // transparency: the display copy is made again at the next paint.
    displayStale_ = true;
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

const QImage& CKorvelView::displayImage() {
    const CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        display_ = QImage();
        return display_;
    }
    const std::uint64_t generation = doc->pictureGeneration();
    // While an operation changes the pixels the last copy stays on screen; the copy is
    // made again once the worker has let go of the picture.
    const bool stale = display_.isNull() || displayStale_ || generation != displayGeneration_;
    if (stale && !doc->isBusy()) {
        // Drawn once through the picture's own drawing, which applies its alpha plane,
        // alpha maximum, alpha palette and transparent index or colour.
        const KxImage& picture = *doc->image();
        display_ = QImage(int(picture.GetWidth()), int(picture.GetHeight()),
                          QImage::Format_ARGB32_Premultiplied);
        display_.fill(Qt::transparent);
        QPainter painter(&display_);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        picture.Draw(&painter, 0, 0, -1, -1);
        displayGeneration_ = generation;
        displayStale_ = false;
    }
    return display_;
}

void CKorvelView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), kBackground);
    const CKorvelDoc* doc = document();
    if (!doc) {
        return;
    }
    const QImage& shown = displayImage();
    if (shown.isNull()) {
        return;
    }
    const QRect target = imageRect_.translated(-scrollPosition());
    const bool smooth = doc->smooth && (doc->stretch || doc->zoom != 1.0f);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    // Only the exposed part of the picture is drawn; see-through pixels leave the
    // background showing.
    const QRect exposed = event->rect().intersected(target);
    if (!exposed.isEmpty()) {
        const double sx = double(shown.width()) / target.width();
        const double sy = double(shown.height()) / target.height();
        const QRectF source((exposed.x() - target.x()) * sx, (exposed.y() - target.y()) * sy,
                            exposed.width() * sx, exposed.height() * sy);
        painter.drawImage(QRectF(exposed), shown, source);
    }
    // The measurements over the picture, placed as the picture is, scrolled with it.
    painter.save();
    painter.translate(-scrollPosition());
    document()->measurement.drawOnScreen(painter, doc->zoom, imageRect_.topLeft());
    painter.restore();
    drawAnts(painter);
    tracker_.draw(painter);
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
    document()->measurement.drawOnPaper(painter, size, int(source.GetWidth()), doc->zoom);
}

void CKorvelView::printTo(QPrinter& printer) {
    QPainter painter(&printer);
    if (painter.isActive()) {
        print(painter, printer.logicalDpiX(), printer.logicalDpiY());
    }
}

void CKorvelView::contextMenuEvent(QContextMenuEvent* event) {
    const CKorvelDoc* doc = document();
    // A right drag of the outline ends without the menu.
    if (!doc || doc->isStartPage() || doc->tool == CKorvelDoc::kZoom || rightDrag_ ||
        !doc->context().showPictureMenu) {
        return;
    }
    doc->context().showPictureMenu(event->globalPos());
}

bool CKorvelView::cancelOperation() {
    CKorvelDoc* doc = document();
    return doc && doc->CancelOperation();
}

void CKorvelView::keyPressEvent(QKeyEvent* event) {
    const CKorvelDoc* doc = document();
    if (event->key() == Qt::Key_Escape && doc) {
        // A running operation takes the key first; full screen is left with the next one.
        if (!cancelOperation() && doc->context().escapePressed) {
            doc->context().escapePressed();
        }
        return;
    }
    framework::CView::keyPressEvent(event);
}

void CKorvelView::focusInEvent(QFocusEvent* event) {
    framework::CView::focusInEvent(event);
    if (CKorvelDoc* doc = document(); doc && !doc->isBusy()) {
        doc->refreshStatus();
    }
}

void CKorvelView::OnActivateView(bool activate) {
    // Escape with the focus elsewhere in the main window (a toolbar, the zoom box) rises
    // to the main window; the active view watches there for it.
    QWidget* mainWindow = window();
    if (mainWindow == this) {
        return;
    }
    if (activate) {
        mainWindow->installEventFilter(this);
    } else {
        mainWindow->removeEventFilter(this);
    }
}

bool CKorvelView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window() && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && cancelOperation()) {
        return true;
    }
    return framework::CView::eventFilter(watched, event);
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
            case CKorvelDoc::kMeasure:
                doc->measurement.route(measure::MeasureBinding::Mouse::Press, doc->tool, point,
                                       imageRect_, scrollPosition(), doc->zoom);
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
    if (event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kTracker &&
        doc->hasPicture()) {
        // Moves or resizes the tracker when the press hits it, else starts a new one.
        tracker_.press(point);
        viewport()->update();
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
    // A true-colour picture has no palette: its index reads 0, which switches its
    // transparency on, and the transparent colour says which pixels it takes.
    picture->SetTransIndex(picture->GetPixelIndex(p.x(), row));
    picture->SetTransColor(picture->GetPixelColor(p.x(), row, false));
    doc->UpdateAllViews(nullptr, res::HINT_REPAINT);
}

void CKorvelView::mouseReleaseEvent(QMouseEvent* event) {
    CKorvelDoc* doc = document();
    if (doc && event->button() == Qt::LeftButton &&
        doc->measurement.route(measure::MeasureBinding::Mouse::Release, doc->tool,
                               event->position().toPoint(), imageRect_, scrollPosition(),
                               doc->zoom)) {
        return;
    }
    if (doc && event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kTracker &&
        tracker_.tracking()) {
        tracker_.release(event->position().toPoint());
        applyTracker();
        viewport()->update();
        return;
    }
    if (doc && event->button() == Qt::LeftButton && doc->tool == CKorvelDoc::kSelect &&
        doc->hasPicture()) {
        finishSelection();
    }
}

void CKorvelView::mouseDoubleClickEvent(QMouseEvent* event) {
    CKorvelDoc* doc = document();
    if (doc && doc->tool == CKorvelDoc::kMeasure) {
        // Ends the library's multi-point items; nothing else happens on it.
        if (event->button() == Qt::LeftButton) {
            doc->measurement.route(measure::MeasureBinding::Mouse::DoubleClick, doc->tool,
                                   event->position().toPoint(), imageRect_, scrollPosition(),
                                   doc->zoom);
        }
        return;
    }
    // The other tools take the second click as a press, as before.
    framework::CView::mouseDoubleClickEvent(event);
}

void CKorvelView::applyTracker() {
    CKorvelDoc* doc = document();
    if (!doc || !doc->hasPicture()) {
        return;
    }
    const QRect r = tracker_.rect();
    if (r.width() <= 1 || r.height() <= 1) {
        tracker_.clear();
        return;
    }
    KxImage& picture = *doc->image();
    // The corners as a window rectangle has them: right and bottom just outside.
    const QPoint a = clientToImage(r.topLeft());
    const QPoint b = clientToImage(r.bottomRight() + QPoint(1, 1));
    const int h = int(picture.GetHeight());
    picture.SelectionClear();
    picture.SelectionAddRect(RECT{a.x(), h - 1 - a.y(), b.x(), h - 1 - b.y()});
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
    if (doc) {
        document()->measurement.route(measure::MeasureBinding::Mouse::Move, doc->tool, point,
                                      imageRect_, scrollPosition(), doc->zoom);
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
    if (doc && doc->tool == CKorvelDoc::kTracker && tracker_.tracking() &&
        (event->buttons() & Qt::LeftButton)) {
        tracker_.drag(point);
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
            } else if (doc->stretch) {
                // Free-hand points in stretch mode ignore the stretch ratio.
                const QPoint scrolled = point + scrollPosition();
                editable->outline.append(
                    QPoint(int(scrolled.x() / doc->zoom), int(scrolled.y() / doc->zoom)));
            } else {
                editable->outline.append(clientToImage(point));
            }
            viewport()->update();
        }
    }
    framework::CView::mouseMoveEvent(event);
}

void CKorvelView::scrollContentsBy(int dx, int dy) {
    // The rulers hear of a scroll with the position it starts from: kind 2 for the
    // horizontal ruler, kind 1 for the vertical one (the wheel scrolls vertically).
    const CKorvelDoc* doc = document();
    const double zoom = doc ? doc->zoom : 1.0;
    const QPoint before = scrollPosition() + QPoint(dx, dy);
    if (dx != 0) {
        emit rulersChanged(2, before, {}, imageRect_, zoom);
    }
    if (dy != 0) {
        emit rulersChanged(1, before, {}, imageRect_, zoom);
    }
    viewport()->update();
}

}  // namespace korvel::document
