#include "krvmeasure/CKRMeasure.h"

#include "krvmeasure/Geometry.h"

#include <QAbstractScrollArea>
#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QPaintDevice>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace krvmeasure;

namespace {

// Display pixels within which a press and release count as one click, and within which
// an item or handle is hit.
constexpr double kClickPixels = 3;
constexpr double kHitPixels = 5;
// The scale line is at most this many display pixels long (before the size factor), and
// starts this far from the picture's corner.
constexpr double kScaleLinePixels = 150;
constexpr double kScaleLineMargin = 16;

enum CursorKind { kArrow, kDraw, kMove, kHandle, kDelete, kCursorKinds };

// The library's cursors, made once per run by CreateCursor. Qt's own shapes stand in when
// the application never called it.
struct Cursors {
    QCursor shapes[kCursorKinds];
};

std::optional<Cursors>& libraryCursors() {
    static std::optional<Cursors> cursors;
    return cursors;
}

QCursor cursorFor(int kind) {
    if (const auto& cursors = libraryCursors()) {
        return cursors->shapes[kind];
    }
    static const Qt::CursorShape fallback[kCursorKinds] = {
        Qt::ArrowCursor, Qt::CrossCursor, Qt::SizeAllCursor, Qt::PointingHandCursor,
        Qt::ForbiddenCursor};
    return QCursor(fallback[kind]);
}

// A thin crosshair with an open centre, so the point under it stays visible.
QCursor crosshairCursor() {
    QPixmap pixmap(31, 31);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    for (const auto& [colour, width] : {std::pair{QColor(Qt::white), 3}, {QColor(Qt::black), 1}}) {
        painter.setPen(QPen(colour, width));
        painter.drawLine(15, 1, 15, 11);
        painter.drawLine(15, 19, 15, 29);
        painter.drawLine(1, 15, 11, 15);
        painter.drawLine(19, 15, 29, 15);
    }
    painter.end();
    return QCursor(pixmap, 15, 15);
}

}  // namespace

CKRMeasure::CKRMeasure(QWidget* view)
    : view_(view),
      dialogs_(std::make_unique<QtMeasureDialogs>()),
      pendingLoadError_(book_.loadError()) {}

CKRMeasure::~CKRMeasure() = default;

void CKRMeasure::CreateCursor() {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        return;  // cursors need the window system
    }
    Cursors cursors;
    cursors.shapes[kArrow] = QCursor(Qt::ArrowCursor);
    cursors.shapes[kDraw] = crosshairCursor();
    cursors.shapes[kMove] = QCursor(Qt::SizeAllCursor);
    cursors.shapes[kHandle] = QCursor(Qt::CrossCursor);
    cursors.shapes[kDelete] = QCursor(Qt::ForbiddenCursor);
    libraryCursors() = std::move(cursors);
}

// --- Settings from the view ------------------------------------------------------------------

void CKRMeasure::ScaleLine(int show) {
    showScaleLine_ = show != 0;
    repaint();
}

void CKRMeasure::SetScale(float scale) {
    // A zero, negative or non-finite zoom would divide by zero in every mouse point.
    if (std::isfinite(scale) && scale > 0) {
        scale_ = scale;
    }
}

void CKRMeasure::SetInfoFrmZoom(int on, float factor) {
    sizedByFactor_ = on != 0;
    sizeFactor_ = sizedByFactor_ && std::isfinite(factor) && factor > 0 ? factor : 1.0;
}

// --- Drawing --------------------------------------------------------------------------------

void CKRMeasure::prepareLabel(StoredItem& stored, int number, const QFont& font, qreal pixelRatio) {
    if (stored.labelGeneration == labelGeneration_ && stored.labelFontPixels == font.pixelSize() &&
        stored.labelPixelRatio == pixelRatio) {
        return;
    }
    stored.label = krvmeasure::prepareLabel(
        labelLines(stored.item, number, ActiveCalibration(), book_.precision()), font, pixelRatio);
    stored.labelGeneration = labelGeneration_;
    stored.labelFontPixels = font.pixelSize();
    stored.labelPixelRatio = pixelRatio;
}

void CKRMeasure::DrawAllUnit(QPainter* dc, QSize size) {
    if (!dc || !dc->isActive()) {
        return;
    }
    RenderContext context;
    context.origin = sizedByFactor_ ? QPointF(0, 0) : QPointF(size.width(), size.height());
    context.scale = scale_;
    context.sizeFactor = sizedByFactor_ ? sizeFactor_ : 1.0;
    context.drawHandles = !sizedByFactor_;

    // Only what the painter can show is drawn: the clip, else the whole device.
    QRectF visible;
    if (dc->hasClipping()) {
        visible = dc->clipBoundingRect();
    } else if (dc->device()) {
        const QRectF device(0, 0, dc->device()->width(), dc->device()->height());
        visible = dc->deviceTransform().inverted().mapRect(device);
    }

    // Screen labels are cached as pictures at the device's pixel ratio; paper and saved
    // files draw their text directly.
    const qreal pixelRatio =
        sizedByFactor_ || !dc->device() ? 0.0 : dc->device()->devicePixelRatioF();

    dc->save();
    ItemRenderer renderer(*dc, context);
    for (size_t i = 0; i < items_.size(); ++i) {
        StoredItem& stored = items_[i];
        if (!visible.isNull() &&
            !renderer.displayBounds(stored.outline, stored.anchor).intersects(visible)) {
            continue;
        }
        prepareLabel(stored, int(i) + 1, renderer.font(), pixelRatio);
        // Paper and saved files never show the selection.
        renderer.drawItem(stored.item, stored.label, int(i) == selected_ && !sizedByFactor_, false);
    }
    // The item being drawn is shown on screen only, never on paper or in a saved file.
    if (builder_ && builder_->active() && !sizedByFactor_) {
        const MeasureItem& preview = builder_->preview();
        PreparedLabel live;
        if (whyDegenerate(preview).isEmpty() && builderTool_ != Tool::Remark) {
            live = krvmeasure::prepareLabel(
                labelLines(
                    preview, 0,
                    builderTool_ == Tool::Calibrate ? pixelCalibration() : ActiveCalibration(),
                    book_.precision()),
                renderer.font());  // changes with every move: text, not a cached picture
        }
        renderer.drawItem(preview, live, false, true);
    }
    if (showScaleLine_) {
        const Calibration& calibration = ActiveCalibration();
        const double factor = context.sizeFactor;
        const double longest = kScaleLinePixels * factor / scale_ / calibration.pixelsPerUnit;
        const double length = roundScaleLength(longest);
        if (length > 0) {
            const QPointF anchor = scaleBarAnchor_.value_or(
                QPointF(kScaleLineMargin * factor, (kScaleLineMargin + 20) * factor) / scale_);
            const double pixels = length * calibration.pixelsPerUnit;
            const QString unit = unitText(Dimension::Length, calibration.unit);
            renderer.drawScaleBar(anchor, pixels,
                                  QString::number(length, 'g', 6) + QLatin1Char(' ') + unit);
            if (!sizedByFactor_) {
                // Picked by its bar and the text above it.
                scaleBarArea_ = QRectF(anchor.x(), anchor.y() - 20 / scale_, pixels, 26 / scale_);
            }
        }
    }
    dc->restore();
}

// --- Mouse ----------------------------------------------------------------------------------

bool CKRMeasure::startBuilder(krvmeasure::Tool tool) {
    const auto kind = kindForTool(tool);
    if (!kind) {
        return false;
    }
    if (!builder_) {
        builder_.emplace(*kind);
        builderTool_ = tool;
    }
    return true;
}

QPointF CKRMeasure::toPicture(QPoint point) const {
    return QPointF(point) / scale_;
}

double CKRMeasure::clickTolerance() const {
    return kClickPixels / scale_;
}

void CKRMeasure::syncWithTool() {
    const Tool tool = sharedToolState().tool;
    if (builder_ && builderTool_ != tool) {
        builder_.reset();
        repaint();
    }
    if (tool != Tool::Count) {
        countItem_ = -1;
    }
    if (tool != Tool::Select) {
        drag_ = Drag::None;
    }
}

int CKRMeasure::handleAt(QPointF picture, double tolerance) const {
    if (selected_ < 0) {
        return -1;
    }
    const auto& points = items_[selected_].item.points;
    for (int i = int(points.size()) - 1; i >= 0; --i) {
        if (distance(points[i], picture) <= tolerance) {
            return i;
        }
    }
    return -1;
}

int CKRMeasure::itemAt(QPointF picture, double tolerance) const {
    int best = -1;
    double bestDistance = tolerance;
    // The last drawn item lies on top, so it wins ties.
    for (int i = int(items_.size()) - 1; i >= 0; --i) {
        if (!items_[i]
                 .outline.adjusted(-tolerance, -tolerance, tolerance, tolerance)
                 .contains(picture)) {
            continue;
        }
        const double d = distanceToOutline(items_[i].item, picture);
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    if (best >= 0) {
        return best;
    }
    // A label picks its item too (as last shown on screen).
    for (int i = int(items_.size()) - 1; i >= 0; --i) {
        const StoredItem& stored = items_[i];
        if (stored.labelGeneration == 0 || stored.labelPixelRatio <= 0 ||
            stored.label.lines.empty()) {
            continue;
        }
        const QPointF topLeft = labelTopLeft(stored.item, stored.label.size, scale_, 1.0);
        const QRectF box = QRectF(topLeft, stored.label.size).adjusted(-2, -2, 2, 2);
        if (box.contains(picture * scale_)) {
            return i;
        }
    }
    return -1;
}

void CKRMeasure::OnLButtonDown(QPoint point) {
    syncWithTool();
    const QPointF p = toPicture(point);
    const double tolerance = kHitPixels / scale_;
    const Tool tool = sharedToolState().tool;
    switch (tool) {
        case Tool::Select: {
            drag_ = Drag::None;
            dragStart_ = p;
            if (const int handle = handleAt(p, tolerance); handle >= 0) {
                drag_ = Drag::Handle;
                dragHandle_ = handle;
                dragOriginal_ = items_[selected_].item;
            } else if (const int hit = itemAt(p, tolerance); hit >= 0) {
                selected_ = hit;
                drag_ = Drag::Body;
                dragOriginal_ = items_[selected_].item;
            } else if (showScaleLine_ && scaleBarArea_.contains(p)) {
                drag_ = Drag::ScaleBar;
                scaleBarOriginal_ = scaleBarArea_.bottomLeft() - QPointF(0, 6 / scale_);
                selected_ = -1;
            } else {
                selected_ = -1;
            }
            repaint();
            return;
        }
        case Tool::Delete:
            if (const int hit = itemAt(p, tolerance); hit >= 0) {
                deleteItem(hit);
            }
            return;
        case Tool::Count:
            if (countItem_ >= 0 && countItem_ < int(items_.size()) &&
                items_[countItem_].item.kind == ItemKind::Count) {
                MeasureItem grown = items_[countItem_].item;
                grown.points.push_back(p);
                changeItem(countItem_, grown);
            } else if (AddItem({ItemKind::Count, {p}, {}})) {
                countItem_ = int(items_.size()) - 1;
            }
            return;
        default:
            break;
    }
    if (!startBuilder(tool)) {
        return;
    }
    if (builder_->press(p, clickTolerance()) == ItemBuilder::Outcome::Finished) {
        finishItem(builder_->result(), tool);
    }
    repaint();
}

void CKRMeasure::OnMouseMove(QPoint point) {
    syncWithTool();
    const QPointF p = toPicture(point);
    if (builder_) {
        if (builder_->move(p) == ItemBuilder::Outcome::Changed) {
            repaint();
        }
        updateCursor(p);
        return;
    }
    switch (drag_) {
        case Drag::Handle: {
            MeasureItem moved = dragOriginal_;
            moved.points[dragHandle_] += p - dragStart_;
            // A handle dragged onto a degenerate shape stays where the shape was last sound.
            if (whyDegenerate(moved).isEmpty()) {
                changeItem(selected_, moved);
            }
            break;
        }
        case Drag::Body:
            changeItem(selected_, translated(dragOriginal_, p - dragStart_));
            break;
        case Drag::ScaleBar:
            scaleBarAnchor_ = scaleBarOriginal_ + (p - dragStart_);
            repaint();
            break;
        case Drag::None:
            break;
    }
    updateCursor(p);
}

void CKRMeasure::OnLButtonUp(QPoint point) {
    syncWithTool();
    drag_ = Drag::None;
    if (builder_ &&
        builder_->release(toPicture(point), clickTolerance()) == ItemBuilder::Outcome::Finished) {
        finishItem(builder_->result(), builderTool_);
    }
    repaint();
}

void CKRMeasure::OnLButtonDblClk(QPoint point) {
    syncWithTool();
    const Tool tool = sharedToolState().tool;
    if (tool == Tool::Count) {
        // The double-click's first press counted its point; the group ends here.
        countItem_ = -1;
        return;
    }
    if (tool == Tool::Select) {
        // A double-click on a remark edits its text.
        const int hit = itemAt(toPicture(point), kHitPixels / scale_);
        if (hit >= 0 && items_[hit].item.kind == ItemKind::Remark) {
            if (const auto text = dialogs_->askRemark(view_)) {
                MeasureItem changed = items_[hit].item;
                changed.text = *text;
                changeItem(hit, changed);
            }
        }
        return;
    }
    if (!startBuilder(tool)) {
        return;
    }
    if (builder_->doubleClick(toPicture(point), clickTolerance()) ==
        ItemBuilder::Outcome::Finished) {
        finishItem(builder_->result(), tool);
    }
    repaint();
}

void CKRMeasure::updateCursor(QPointF picture) {
    if (!view_) {
        return;
    }
    int kind = kArrow;
    switch (sharedToolState().tool) {
        case Tool::Select:
            if (drag_ == Drag::Handle || handleAt(picture, kHitPixels / scale_) >= 0) {
                kind = kHandle;
            } else if (drag_ != Drag::None || itemAt(picture, kHitPixels / scale_) >= 0 ||
                       (showScaleLine_ && scaleBarArea_.contains(picture))) {
                kind = kMove;
            }
            break;
        case Tool::Delete:
            kind = itemAt(picture, kHitPixels / scale_) >= 0 ? kDelete : kArrow;
            break;
        default:
            kind = kDraw;
            break;
    }
    auto* area = qobject_cast<QAbstractScrollArea*>(view_.data());
    QWidget* target = area ? area->viewport() : view_.data();
    const QCursor cursor = cursorFor(kind);
    // The view sets its own cursors for its other tools; ours is set again when it differs.
    if (kind == cursorShape_ && target->cursor().shape() == cursor.shape()) {
        return;
    }
    cursorShape_ = kind;
    target->setCursor(cursor);
}

void CKRMeasure::repaint() {
    if (!view_) {
        return;
    }
    auto* area = qobject_cast<QAbstractScrollArea*>(view_.data());
    (area ? area->viewport() : view_.data())->update();
}

// --- Items ----------------------------------------------------------------------------------

bool CKRMeasure::AddItem(const MeasureItem& item) {
    if (!whyDegenerate(item).isEmpty()) {
        return false;
    }
    StoredItem stored;
    stored.item = item;
    stored.outline = outlineBounds(item);
    stored.anchor = labelAnchor(item);
    items_.push_back(std::move(stored));
    repaint();
    return true;
}

void CKRMeasure::changeItem(int index, const MeasureItem& item) {
    if (index < 0 || index >= int(items_.size()) || !whyDegenerate(item).isEmpty()) {
        return;
    }
    StoredItem& stored = items_[index];
    stored.item = item;
    stored.outline = outlineBounds(item);
    stored.anchor = labelAnchor(item);
    stored.labelGeneration = 0;
    repaint();
}

void CKRMeasure::deleteItem(int index) {
    if (index < 0 || index >= int(items_.size())) {
        return;
    }
    items_.erase(items_.begin() + index);
    auto follow = [index](int& slot) {
        if (slot == index) {
            slot = -1;
        } else if (slot > index) {
            --slot;
        }
    };
    follow(selected_);
    follow(countItem_);
    drag_ = Drag::None;
    labelsChanged();  // the numbers after it move up
}

std::vector<MeasureItem> CKRMeasure::Items() const {
    std::vector<MeasureItem> items;
    items.reserve(items_.size());
    for (const StoredItem& stored : items_) {
        items.push_back(stored.item);
    }
    return items;
}

void CKRMeasure::finishItem(MeasureItem item, Tool tool) {
    builder_.reset();
    ToolState& state = sharedToolState();
    if (tool == Tool::Calibrate) {
        state.tool = Tool::Select;
        if (const QString why = whyDegenerate(item); !why.isEmpty()) {
            dialogs_->showError(view_, why);
            return;
        }
        calibrateWithLine(distance(item.points[0], item.points[1]));
        return;
    }
    if (item.kind == ItemKind::Remark) {
        const auto text = dialogs_->askRemark(view_);
        if (!text) {
            repaint();
            return;
        }
        item.text = *text;
    }
    if (const QString why = whyDegenerate(item); !why.isEmpty()) {
        dialogs_->showError(view_,
                            QStringLiteral("%1 not measured: %2").arg(kindName(item.kind), why));
        return;
    }
    AddItem(item);
    if (!state.keepCurrentMeasure) {
        state.tool = Tool::Select;
    }
}

MeasurementTable CKRMeasure::Table() const {
    return MeasurementTable(Items(), ActiveCalibration(), book_.precision());
}

// --- Calibrations ---------------------------------------------------------------------------

const Calibration& CKRMeasure::ActiveCalibration() const {
    return book_.active();
}

int CKRMeasure::Precision() const {
    return book_.precision();
}

// After a change of the calibrations: figures are shown anew, a failed save is told.
void CKRMeasure::calibrationsChanged(bool saved) {
    if (!saved && !book_.lastError().isEmpty()) {
        dialogs_->showError(view_, book_.lastError());
    }
    labelsChanged();
}

void CKRMeasure::labelsChanged() {
    ++labelGeneration_;
    repaint();
}

void CKRMeasure::showPendingLoadError() {
    if (!pendingLoadError_.isEmpty()) {
        const QString message = std::exchange(pendingLoadError_, QString());
        dialogs_->showError(view_, message);
    }
}

void CKRMeasure::calibrateWithLine(double pixelLength) {
    if (book_.refresh()) {
        labelsChanged();
    }
    const auto input = dialogs_->askCalibration(view_, pixelLength, book_.suggestedName());
    if (!input) {
        return;
    }
    const auto result = calibrationFromInput(pixelLength, *input);
    if (const auto* error = std::get_if<QString>(&result)) {
        dialogs_->showError(view_, *error);
        return;
    }
    calibrationsChanged(book_.calibrate(std::get<Calibration>(result)));
}

bool CKRMeasure::editCalibrationTable() {
    if (book_.refresh()) {
        labelsChanged();
    }
    std::vector<Calibration> edited = book_.calibrations();
    int active = book_.activeIndex();
    if (!dialogs_->editCalibrations(view_, edited, active)) {
        return false;
    }
    if (const QString why = whyInvalid(edited); !why.isEmpty()) {
        dialogs_->showError(view_, why);
        return false;
    }
    calibrationsChanged(book_.replaceAll(std::move(edited), active));
    return true;
}

const std::vector<QString>* CKRMeasure::GetActiveCalibrateList() {
    if (book_.refresh()) {
        labelsChanged();
    }
    return &book_.names();
}

void CKRMeasure::SetActiveCalibrateList(unsigned index) {
    if (index < book_.calibrations().size()) {
        calibrationsChanged(book_.choose(index));
    }
}

bool CKRMeasure::editPrecision() {
    const auto places = dialogs_->askPrecision(view_, book_.precision());
    if (!places) {
        return false;
    }
    calibrationsChanged(book_.setPrecision(*places));
    return true;
}

void CKRMeasure::showTable() {
    dialogs_->showMeasurementTable(view_, Table());
}

void CKRMeasure::SetDialogs(std::unique_ptr<MeasureDialogs> dialogs) {
    if (dialogs) {
        dialogs_ = std::move(dialogs);
    }
}

// --- The menu -------------------------------------------------------------------------------

int CKRMeasure::MenuItemEvent(unsigned code, CKRMeasure* measure) {
    ToolState& state = sharedToolState();
    if (measure) {
        measure->showPendingLoadError();
    }
    switch (code) {
        case ItemCode::CalibrateTable:
            return measure && measure->editCalibrationTable() ? 1 : 0;
        case ItemCode::MeasureTable:
            if (!measure) {
                return 0;
            }
            measure->showTable();
            return 1;
        case ItemCode::Precision:
            return measure && measure->editPrecision() ? 1 : 0;
        case ItemCode::KeepCurrentMeasure:
            state.keepCurrentMeasure = !state.keepCurrentMeasure;
            return 1;
        case ItemCode::Calibrate:
            if (!measure) {
                return 0;
            }
            // A selected line calibrates at once; otherwise the user draws one.
            if (measure->selected_ >= 0 &&
                measure->items_[measure->selected_].item.kind == ItemKind::Line) {
                const auto& p = measure->items_[measure->selected_].item.points;
                measure->calibrateWithLine(distance(p[0], p[1]));
                return 1;
            }
            break;
        case ItemCode::Delete:
            if (measure && measure->selected_ >= 0) {
                measure->deleteItem(measure->selected_);
            }
            break;
        default:
            break;
    }
    const auto tool = toolForCode(code);
    if (!tool) {
        return 0;
    }
    state.tool = *tool;
    if (measure) {
        measure->syncWithTool();
        if (*tool != Tool::Select) {
            measure->selected_ = -1;
        }
        measure->repaint();
    }
    return 1;
}

unsigned CKRMeasure::GetCurSelItem() {
    return selectionIndex(sharedToolState().tool);
}

bool CKRMeasure::IsKeepCurrentMeasure() {
    return sharedToolState().keepCurrentMeasure;
}
