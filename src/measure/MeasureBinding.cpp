#include "measure/MeasureBinding.h"

#include "krvmeasure/CKRMeasure.h"

#include <QPainter>

namespace korvel::measure {

namespace {

// What the view shows behind the picture, and so behind its see-through parts.
constexpr QColor kWorkspaceGrey(191, 191, 191);

bool fullyTransparent(const QImage& layer) {
    for (int y = 0; y < layer.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            if (qAlpha(line[x]) != 0) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace

std::optional<QPoint> pictureDisplayPoint(QPoint client, QRect imageRect, QPoint scroll) {
    const QPoint p = client - imageRect.topLeft() + scroll;
    if (p.x() < 0 || p.y() < 0 || p.x() >= imageRect.width() || p.y() >= imageRect.height()) {
        return std::nullopt;
    }
    return p;
}

float savedSizeFactor(float zoom) {
    return zoom >= 1.0f ? 1.0f : 0.9f / zoom;
}

MeasureBinding::MeasureBinding() = default;
MeasureBinding::~MeasureBinding() = default;

void MeasureBinding::create(QWidget* view, int showScaleLine) {
    if (measure_) {
        return;  // one object per document, made by its first view
    }
    measure_ = std::make_unique<CKRMeasure>(view);
    // The flag mirrors the setting from the start, so that the first Show Scale Line
    // changes what is shown.
    scaleLine_ = showScaleLine != 0;
    measure_->ScaleLine(scaleLine_ ? 1 : 0);
}

void MeasureBinding::release() {
    measure_.reset();
}

bool MeasureBinding::execute(const MeasureCommand& command, int& tool) {
    if (CKRMeasure::MenuItemEvent(command.code, measure_.get()) == 0) {
        return false;
    }
    tool = kMeasureTool;
    if (command.code == kKeepCurrentMeasureCode) {
        currentItem_ = int(command.code);
        keepMeasure_ = !keepMeasure_;
    } else if (command.storesItem) {
        currentItem_ = int(command.code);
        selectionIndex_ = CKRMeasure::GetCurSelItem();
    }
    return true;
}

bool MeasureBinding::isChecked(const MeasureCommand& command, int tool) const {
    if (tool != kMeasureTool) {
        return false;
    }
    switch (command.check) {
        case CheckRule::CurrentItem:
            return currentItem_ == int(command.value);
        case CheckRule::SelectionIndex:
            return selectionIndex_ == command.value;
        case CheckRule::LiveSelectionIndex:
            return CKRMeasure::GetCurSelItem() == command.value;
        case CheckRule::KeepFlag:
            return keepMeasure_;
    }
    return false;
}

bool MeasureBinding::toggleScaleLine() {
    scaleLine_ = !scaleLine_;
    if (measure_) {
        measure_->ScaleLine(scaleLine_ ? 1 : 0);
    }
    return scaleLine_;
}

void MeasureBinding::chooseCalibration(unsigned index) {
    if (!measure_) {
        return;
    }
    const std::vector<QString>* names = measure_->GetActiveCalibrateList();
    if (names && !names->empty() && index < names->size()) {
        measure_->SetActiveCalibrateList(index);
    }
}

bool MeasureBinding::route(Mouse kind, int tool, QPoint client, QRect imageRect, QPoint scroll,
                           float zoom) {
    if (!measure_ || tool != kMeasureTool) {
        return false;
    }
    const std::optional<QPoint> point = pictureDisplayPoint(client, imageRect, scroll);
    if (!point) {
        return false;
    }
    measure_->SetScale(zoom);
    switch (kind) {
        case Mouse::Move:
            measure_->OnMouseMove(*point);
            break;
        case Mouse::Press:
            measure_->OnLButtonDown(*point);
            break;
        case Mouse::Release:
            measure_->OnLButtonUp(*point);
            break;
        case Mouse::DoubleClick:
            measure_->OnLButtonDblClk(*point);
            break;
    }
    return true;
}

void MeasureBinding::drawOnScreen(QPainter& painter, float zoom, QPoint imageTopLeft) {
    if (!measure_) {
        return;
    }
    measure_->SetScale(zoom);
    measure_->DrawAllUnit(&painter, QSize(imageTopLeft.x(), imageTopLeft.y()));
}

void MeasureBinding::drawOnPaper(QPainter& painter, QSize printSize, int pictureWidth, float zoom) {
    if (!measure_ || pictureWidth <= 0) {
        return;
    }
    const float ratio = float(printSize.width()) / float(pictureWidth);
    measure_->SetScale(ratio);
    measure_->SetInfoFrmZoom(1, ratio);
    measure_->DrawAllUnit(&painter, printSize);
    measure_->SetInfoFrmZoom(0, 1.0f);
    // Mouse points keep arriving in screen pixels.
    measure_->SetScale(zoom);
}

BurnedPicture MeasureBinding::burn(QSize picture, const std::function<void(QPainter&)>& drawPicture,
                                   float zoom) {
    BurnedPicture result;
    if (!measure_ || picture.isEmpty()) {
        return result;
    }
    // The items go onto a see-through layer first: a layer left untouched means there is
    // nothing to burn, and the picture is written as it is.
    QImage layer(picture, QImage::Format_ARGB32_Premultiplied);
    if (layer.isNull()) {
        result.drawn = true;  // cannot tell, cannot draw: the caller fails the save
        return result;
    }
    layer.fill(Qt::transparent);
    {
        QPainter painter(&layer);
        measure_->SetScale(1.0f);
        measure_->SetInfoFrmZoom(1, savedSizeFactor(zoom));
        measure_->DrawAllUnit(&painter, QSize(0, 0));
        measure_->SetInfoFrmZoom(0, 1.0f);
        measure_->SetScale(zoom);
    }
    result.drawn = !fullyTransparent(layer);
    if (!result.drawn) {
        return result;
    }
    QImage flat(picture, QImage::Format_RGB32);
    if (flat.isNull()) {
        return result;
    }
    flat.fill(kWorkspaceGrey);
    QPainter painter(&flat);
    drawPicture(painter);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(0, 0, layer);
    painter.end();
    result.image = std::move(flat);
    return result;
}

}  // namespace korvel::measure
