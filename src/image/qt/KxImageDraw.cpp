// The drawing members of KxImage: painting the picture into a painter and rendering text
// into its pixels.

#include "image/KxImage.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstring>

namespace {

QColor fromColorRef(uint32_t colour, int alpha = 255) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF), alpha);
}

QRect toQRect(const RECT& r) {
    return QRect(QPoint(r.left, r.top), QPoint(r.right - 1, r.bottom - 1)).normalized();
}

// The picture as painted, with its see-through parts: a pixel with the transparent palette
// index (or, in a true-colour picture whose transparency is on, the transparent colour)
// is fully transparent; otherwise its opacity is the alpha plane's byte, times the palette
// entry's alpha byte when the alpha palette is enabled, scaled by the alpha maximum.
QImage paintable(const KxImage& image) {
    const bool alphaPlane = image.AlphaIsValid();
    const bool paletted = image.GetBpp() < 24;
    const bool alphaPalette = paletted && image.AlphaPaletteIsEnabled();
    const int32_t transIndex = image.GetTransIndex();
    if (!alphaPlane && !alphaPalette && transIndex < 0) {
        return image.MakeBitmap();
    }
    const int w = static_cast<int>(image.GetWidth());
    const int h = static_cast<int>(image.GetHeight());
    QImage picture(w, h, QImage::Format_ARGB32);
    if (picture.isNull()) {
        return picture;
    }
    const RGBQUAD key = image.GetTransColor();
    const uint32_t keyColour = qRgb(key.rgbRed, key.rgbGreen, key.rgbBlue) & 0xFFFFFFu;
    const uint32_t ceiling = image.AlphaGetMax();
    for (int y = 0; y < h; ++y) {
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        const int32_t row = h - 1 - y;
        for (int x = 0; x < w; ++x) {
            // Without the alpha plane; for an enabled alpha palette the entry's own byte.
            const RGBQUAD c = image.GetPixelColor(x, row, false);
            const QRgb rgb = qRgb(c.rgbRed, c.rgbGreen, c.rgbBlue);
            const bool keyed =
                transIndex >= 0 && (paletted ? image.GetPixelIndex(x, row) == uint32_t(transIndex)
                                             : (rgb & 0xFFFFFFu) == keyColour);
            uint32_t alpha = 0;
            if (!keyed) {
                alpha = 255;
                if (alphaPalette) {
                    alpha = c.rgbReserved;
                }
                if (alphaPlane) {
                    alpha = alpha * image.AlphaGet(x, row) / 255;
                }
                if (alphaPlane || alphaPalette) {
                    alpha = alpha * ceiling / 255;
                }
            }
            out[x] = (rgb & 0xFFFFFFu) | (alpha << 24);
        }
    }
    return picture;
}

QFont fontOf(const KxLogFont& lf) {
    QFont font(QString::fromUtf8(lf.lfFaceName, int(strnlen(lf.lfFaceName, 32))));
    font.setPixelSize(std::max(1, lf.lfHeight == 0 ? 16 : std::abs(lf.lfHeight)));
    if (lf.lfWeight > 0) {
        font.setWeight(QFont::Weight(std::clamp(lf.lfWeight, 100, 900)));
    }
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

}  // namespace

bool KxImage::Draw(QPainter* hdc, int32_t x, int32_t y, int32_t cx, int32_t cy,
                   const RECT* pClipRect, bool bSmooth) const {
    if (!hdc || !IsValid()) {
        return false;
    }
    const QRect target(x, y, cx < 0 ? int(GetWidth()) : cx, cy < 0 ? int(GetHeight()) : cy);
    hdc->save();
    if (pClipRect) {
        hdc->setClipRect(toQRect(*pClipRect), Qt::IntersectClip);
    }
    hdc->setRenderHint(QPainter::SmoothPixmapTransform, bSmooth);
    hdc->drawImage(target, paintable(*this));
    hdc->restore();
    return true;
}

bool KxImage::Draw(QPainter* hdc, const RECT& rect, const RECT* pClipRect, bool bSmooth) const {
    const QRect r = toQRect(rect);
    return Draw(hdc, r.x(), r.y(), r.width(), r.height(), pClipRect, bSmooth);
}

bool KxImage::Stretch(QPainter* hdc, int32_t xoffset, int32_t yoffset, int32_t xsize,
                      int32_t ysize) const {
    if (!hdc || !IsValid() || xsize <= 0 || ysize <= 0) {
        return false;
    }
    // A plain copy: whatever alpha the picture has is not applied.
    hdc->drawImage(QRect(xoffset, yoffset, xsize, ysize),
                   MakeBitmap().convertToFormat(QImage::Format_RGB32));
    return true;
}

bool KxImage::Tile(QPainter* hdc, const RECT& rc) const {
    if (!hdc || !IsValid()) {
        return false;
    }
    hdc->drawTiledPixmap(toQRect(rc), QPixmap::fromImage(paintable(*this)));
    return true;
}

void KxImage::InitTextInfo(tagKxTextInfo* txt) {
    if (!txt) {
        return;
    }
    *txt = tagKxTextInfo{};
    std::strcpy(txt->text, "text");
    txt->lfont.lfHeight = -24;
    txt->lfont.lfWeight = 400;
    std::strcpy(txt->lfont.lfFaceName, "Arial");
}

bool KxImage::DrawStringEx(QPainter* hdc, int32_t x, int32_t y, const tagKxTextInfo* pTextType,
                           bool bSetAlpha) {
    if (!pTextType || (!hdc && !IsValid())) {
        return false;
    }
    const QString text =
        QString::fromUtf8(pTextType->text, int(strnlen(pTextType->text, sizeof(pTextType->text))));
    const QFont font = fontOf(pTextType->lfont);
    const QFontMetrics metrics(font);
    const QStringList lines = text.split('\n');
    int width = 0;
    for (const QString& line : lines) {
        width = std::max(width, metrics.horizontalAdvance(line));
    }
    const int lineHeight = metrics.height();
    const int height = lineHeight * int(lines.size());
    const int margin = std::max(2, lineHeight / 4) + pTextType->b_outline;
    const QRect box(x - margin, y - margin, width + 2 * margin, height + 2 * margin);

    const auto render = [&](QPainter& p) {
        p.setRenderHint(QPainter::Antialiasing, pTextType->smooth != 0);
        p.setRenderHint(QPainter::TextAntialiasing, pTextType->smooth != 0);
        if (pTextType->opaque) {
            const double radius = std::min(box.width(), box.height()) * pTextType->b_round / 200.0;
            QPainterPath path;
            path.addRoundedRect(QRectF(box), radius, radius);
            const int alpha = int(std::clamp(pTextType->b_opacity, 0.0f, 1.0f) * 255.0f + 0.5f);
            p.fillPath(path, fromColorRef(pTextType->bcolor, alpha));
            if (pTextType->b_outline > 0) {
                p.setPen(QPen(fromColorRef(pTextType->fcolor), pTextType->b_outline));
                p.drawPath(path);
            }
        }
        p.setFont(font);
        p.setPen(fromColorRef(pTextType->fcolor));
        const int flags = pTextType->align == KX_TEXT_LEFT    ? Qt::AlignLeft
                          : pTextType->align == KX_TEXT_RIGHT ? Qt::AlignRight
                                                              : Qt::AlignHCenter;
        for (int i = 0; i < int(lines.size()); ++i) {
            p.drawText(QRect(x, y + i * lineHeight, width, lineHeight), flags | Qt::AlignVCenter,
                       lines[i]);
        }
    };

    if (hdc) {
        hdc->save();
        render(*hdc);
        hdc->restore();
        return true;
    }
    // Into the pixels: paint over the picture as displayed, then take the result back.
    QImage canvas = MakeBitmap().convertToFormat(QImage::Format_ARGB32);
    {
        QPainter painter(&canvas);
        render(painter);
    }
    const bool hadAlpha = AlphaIsValid();
    KxImage drawn;
    if (!drawn.CreateFromHBITMAP(canvas.convertToFormat(
            hadAlpha || bSetAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32))) {
        SetError(drawn.GetLastError());
        return false;
    }
    drawn.CopyInfo(*this);
    return Transfer(drawn);
}
