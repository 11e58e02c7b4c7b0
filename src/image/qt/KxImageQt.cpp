// The display members of KxImage: pictures from and to QImage.

#include <QImage>
#include <QPainter>

#include <cstring>

#include "image/KxImage.h"

bool KxImage::CreateFromHBITMAP(const QImage& hbmp, const std::vector<RGBQUAD>* hpal) {
    if (hbmp.isNull()) {
        SetError("null image!!!");
        return false;
    }
    const uint32_t w = static_cast<uint32_t>(hbmp.width());
    const uint32_t h = static_cast<uint32_t>(hbmp.height());
    const bool indexed = hbmp.format() == QImage::Format_Indexed8 ||
                         hbmp.format() == QImage::Format_Mono ||
                         hbmp.format() == QImage::Format_MonoLSB;
    if (indexed) {
        const QImage source = hbmp.convertToFormat(QImage::Format_Indexed8);
        const QList<QRgb> table = source.colorTable();
        const uint32_t bpp = table.size() <= 2 ? 1 : (table.size() <= 16 ? 4 : 8);
        if (Create(w, h, bpp, GetType()) == nullptr)
            return false;
        for (int i = 0; i < table.size() && i < static_cast<int>(GetNumColors()); ++i)
            SetPaletteColor(static_cast<uint8_t>(i), static_cast<uint8_t>(qRed(table[i])),
                            static_cast<uint8_t>(qGreen(table[i])),
                            static_cast<uint8_t>(qBlue(table[i])));
        if (hpal != nullptr)
            SetPalette(hpal->data(), static_cast<uint32_t>(hpal->size()));
        for (uint32_t y = 0; y < h; ++y) {
            const uchar* in = source.constScanLine(static_cast<int>(y));
            const int32_t row = static_cast<int32_t>(h - 1 - y);
            for (uint32_t x = 0; x < w; ++x)
                SetPixelIndex(static_cast<int32_t>(x), row, in[x]);
        }
        return true;
    }

    const bool alpha = hbmp.hasAlphaChannel();
    const QImage source = hbmp.convertToFormat(QImage::Format_ARGB32);
    if (Create(w, h, 24, GetType()) == nullptr)
        return false;
    if (alpha && !AlphaCreate())
        return false;
    for (uint32_t y = 0; y < h; ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(source.constScanLine(static_cast<int>(y)));
        const uint32_t row = h - 1 - y;
        uint8_t* out = GetBits(row);
        uint8_t* a = alpha ? AlphaGetPointer(0, static_cast<int32_t>(row)) : nullptr;
        for (uint32_t x = 0; x < w; ++x, out += 3) {
            out[0] = static_cast<uint8_t>(qBlue(in[x]));
            out[1] = static_cast<uint8_t>(qGreen(in[x]));
            out[2] = static_cast<uint8_t>(qRed(in[x]));
            if (a != nullptr)
                a[x] = static_cast<uint8_t>(qAlpha(in[x]));
        }
    }
    if (hbmp.dotsPerMeterX() > 0)
        SetXDPI(static_cast<int32_t>(hbmp.dotsPerMeterX() * 0.0254 + 0.5));
    if (hbmp.dotsPerMeterY() > 0)
        SetYDPI(static_cast<int32_t>(hbmp.dotsPerMeterY() * 0.0254 + 0.5));
    return true;
}

QImage KxImage::MakeBitmap(QPainter* hdc) const {
    (void)hdc;  // the picture is device independent; the painter only names the target
    if (!IsValid())
        return QImage();
    const int w = static_cast<int>(GetWidth()), h = static_cast<int>(GetHeight());
    QImage image(w, h, AlphaIsValid() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull())
        return image;
    if (GetBpp() == 24 && !AlphaIsValid()) {
        // The common case row by row: bottom-up BGR triples to top-down RGB32.
        for (int y = 0; y < h; ++y) {
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            const uint8_t* in = GetBits(static_cast<uint32_t>(h - 1 - y));
            for (int x = 0; x < w; ++x, in += 3) {
                out[x] = 0xFF000000u | (uint32_t(in[2]) << 16) | (uint32_t(in[1]) << 8) | in[0];
            }
        }
    } else {
        for (int y = 0; y < h; ++y) {
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            const int32_t row = h - 1 - y;
            for (int x = 0; x < w; ++x) {
                const RGBQUAD c = GetPixelColor(x, row, true);
                out[x] =
                    qRgba(c.rgbRed, c.rgbGreen, c.rgbBlue, AlphaIsValid() ? c.rgbReserved : 255);
            }
        }
    }
    image.setDotsPerMeterX(head.biXPelsPerMeter);
    image.setDotsPerMeterY(head.biYPelsPerMeter);
    return image;
}
