#include "browser/ThumbnailRenderer.h"

#include "browser/JpegHeader.h"
#include "browser/ThumbnailGeometry.h"
#include "document/ImageFormats.h"
#include "image/KxImage.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>

namespace korvel::browser {

namespace {

// Colours as the tile has always used them.
constexpr QRgb kStripeColour = 0x9B9B9B;
constexpr QRgb kBorderColour = 0x828282;
constexpr int kStripeWidth = 15;
constexpr int kStripePeriod = 31;

QImage whiteTile() {
    QImage tile(kTileWidth, kTileHeight, QImage::Format_RGB32);
    tile.fill(Qt::white);
    return tile;
}

void drawBorder(QPainter& painter) {
    painter.setPen(QPen(QColor(kBorderColour), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(0, 0, kTileWidth - 1, kTileHeight - 1);
}

}  // namespace

QImage ThumbnailRenderer::composeTile(const KxImage* picture, int x, int y, bool video) {
    QImage tile = whiteTile();
    QPainter painter(&tile);
    if (video) {
        for (int left = 0; left < kTileWidth; left += kStripePeriod) {
            painter.fillRect(left, 0, kStripeWidth, kTileHeight, QColor(kStripeColour));
        }
    }
    if (picture && picture->IsValid()) {
        picture->Draw(&painter, x, y);
    }
    drawBorder(painter);
    return tile;
}

QImage ThumbnailRenderer::cameraTile() {
    QImage tile = whiteTile();
    QPainter painter(&tile);
    painter.setRenderHint(QPainter::Antialiasing);
    // A camera body with its lens and viewfinder.
    painter.setPen(QPen(QColor(0x40, 0x40, 0x40), 3));
    painter.setBrush(QColor(0xD8, 0xD8, 0xD8));
    painter.drawRoundedRect(QRectF(45, 60, 110, 72), 10, 10);
    painter.drawRect(QRectF(75, 46, 36, 14));
    painter.setBrush(QColor(0x50, 0x70, 0x90));
    painter.drawEllipse(QPointF(100, 96), 24, 24);
    painter.setBrush(QColor(0xA0, 0xC0, 0xE0));
    painter.drawEllipse(QPointF(100, 96), 10, 10);
    painter.setRenderHint(QPainter::Antialiasing, false);
    drawBorder(painter);
    return tile;
}

QImage ThumbnailRenderer::noPictureTile() {
    QImage tile = whiteTile();
    QPainter painter(&tile);
    // A picture frame crossed out.
    painter.setPen(QPen(QColor(0xA0, 0xA0, 0xA0), 3));
    const QRect frame(60, 50, 80, 80);
    painter.drawRect(frame);
    painter.setPen(QPen(QColor(0xC0, 0x30, 0x30), 4));
    painter.drawLine(frame.topLeft(), frame.bottomRight());
    painter.drawLine(frame.topRight(), frame.bottomLeft());
    drawBorder(painter);
    return tile;
}

bool ThumbnailRenderer::fitPicture(KxImage& picture, int originalWidth, int originalHeight,
                                   KxImage& fitted, int& x, int& y) {
    const TilePlacement place = fitThumbnail(originalWidth, originalHeight);
    if (place.width <= 0 || place.height <= 0) {
        return false;
    }
    x = place.x;
    y = place.y;
    return picture.Resample(place.width, place.height, 1, &fitted) && fitted.IsValid();
}

bool ThumbnailRenderer::loadFitted(const QString& path, int formatId, KxImage& fitted, int& x,
                                   int& y) {
    KxImage picture;
    int width = 0;
    int height = 0;
    int denominator = 1;
    JpegSize size;
    // A JPEG is decoded only as large as the tile needs: libjpeg's scaled decoding then
    // skips most of the work of a large photograph.
    if (formatId == 3 && readJpegSize(path, size)) {
        const TilePlacement place = fitThumbnail(size.width, size.height);
        denominator = jpegScaleDenominator(size.width, size.height, place.width, place.height);
        picture.SetJpegScale(static_cast<uint8_t>(denominator));
    }
    if (!picture.Load(QFile::encodeName(path).constData(), static_cast<uint32_t>(formatId)) ||
        !picture.IsValid()) {
        return false;
    }
    width = static_cast<int>(picture.GetWidth());
    height = static_cast<int>(picture.GetHeight());
    // The fitting follows the picture's own size, not the rounded size of a scaled decode.
    if (denominator > 1 && width == (size.width + denominator - 1) / denominator &&
        height == (size.height + denominator - 1) / denominator) {
        width = size.width;
        height = size.height;
    }
    return fitPicture(picture, width, height, fitted, x, y);
}

QImage ThumbnailRenderer::render(const QString& path, int formatId, bool* ok) const {
    if (ok) {
        *ok = false;
    }
    KxImage fitted;
    int x = 0;
    int y = 0;
    if (formatId == document::kFileTypeAvi) {
        if (!readVideoFrame_) {
            if (ok) {
                *ok = true;
            }
            return composeTile(nullptr, 0, 0, true);
        }
        KxImage frame;
        if (!readVideoFrame_(path, frame) || !frame.IsValid() ||
            !fitPicture(frame, static_cast<int>(frame.GetWidth()),
                        static_cast<int>(frame.GetHeight()), fitted, x, y)) {
            return noPictureTile();
        }
        if (ok) {
            *ok = true;
        }
        return composeTile(&fitted, x, y, true);
    }
    if (formatId <= 0 || !loadFitted(path, formatId, fitted, x, y)) {
        return noPictureTile();
    }
    if (ok) {
        *ok = true;
    }
    return composeTile(&fitted, x, y, false);
}

}  // namespace korvel::browser
