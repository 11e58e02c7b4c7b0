#include "image/codecs/KxTiffSamples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

namespace kx {

namespace {

uint8_t ToByte(double unit) {
    return static_cast<uint8_t>(std::lround(std::clamp(unit, 0.0, 1.0) * 255.0));
}

}  // namespace

bool TiffSamplesSupported(const TiffLayout& layout) {
    const uint16_t bits = layout.bitsPerSample;
    bool formatOk = false;
    switch (layout.sampleFormat) {
        case SAMPLEFORMAT_UINT:
        case SAMPLEFORMAT_INT:
            formatOk = bits == 8 || bits == 16 || bits == 32;
            break;
        case SAMPLEFORMAT_IEEEFP:
            formatOk = bits == 32 || bits == 64;
            break;
        default:
            break;
    }
    const bool colourOk =
        layout.colorChannels == 1 || layout.colorChannels == 3 || layout.colorChannels == 4;
    const uint16_t needed =
        static_cast<uint16_t>(layout.colorChannels + (layout.alpha != TiffAlpha::None ? 1 : 0));
    return formatOk && colourOk && layout.samplesPerPixel >= needed && layout.width > 0 &&
           layout.height > 0;
}

bool TiffSamples::Read(TIFF* tif, uint64_t byteLimit) {
    const uint32_t width = layout_.width, height = layout_.height;
    const size_t bytes = layout_.bitsPerSample / 8u;
    const uint16_t planeCount = layout_.separatePlanes ? layout_.samplesPerPixel : 1;
    const uint64_t perPixel =
        layout_.separatePlanes ? bytes : static_cast<uint64_t>(bytes) * layout_.samplesPerPixel;
    const uint64_t rowBytes = perPixel * width;
    if (rowBytes * height * planeCount > byteLimit)
        return false;
    rowBytes_ = static_cast<size_t>(rowBytes);
    try {
        planes_.assign(planeCount, std::vector<uint8_t>(rowBytes_ * height));
    } catch (const std::bad_alloc&) {
        return false;
    }

    if (TIFFIsTiled(tif)) {
        uint32_t tileWidth = 0, tileHeight = 0;
        TIFFGetField(tif, TIFFTAG_TILEWIDTH, &tileWidth);
        TIFFGetField(tif, TIFFTAG_TILELENGTH, &tileHeight);
        const tmsize_t tileSize = TIFFTileSize(tif);
        const tmsize_t tileRow = TIFFTileRowSize(tif);
        // A tile larger than the whole decoded picture may be is a broken file.
        if (tileWidth == 0 || tileHeight == 0 || tileSize <= 0 || tileRow <= 0 ||
            static_cast<uint64_t>(tileSize) > byteLimit ||
            static_cast<uint64_t>(tileRow) < perPixel * tileWidth ||
            static_cast<uint64_t>(tileSize) / tileHeight < static_cast<uint64_t>(tileRow))
            return false;
        std::vector<uint8_t> tile;
        try {
            tile.resize(static_cast<size_t>(tileSize));
        } catch (const std::bad_alloc&) {
            return false;
        }
        for (uint16_t p = 0; p < planeCount; ++p)
            for (uint32_t ty = 0; ty < height; ty += tileHeight)
                for (uint32_t tx = 0; tx < width; tx += tileWidth) {
                    if (TIFFReadTile(tif, tile.data(), tx, ty, 0, p) < 0)
                        return false;
                    const uint32_t rows = std::min(tileHeight, height - ty);
                    const size_t span =
                        static_cast<size_t>(perPixel) * std::min(tileWidth, width - tx);
                    for (uint32_t r = 0; r < rows; ++r)
                        std::memcpy(planes_[p].data() + (ty + r) * rowBytes_ + tx * perPixel,
                                    tile.data() + r * static_cast<size_t>(tileRow), span);
                }
    } else {
        const tmsize_t scanline = TIFFScanlineSize(tif);
        if (scanline <= 0 || static_cast<uint64_t>(scanline) < rowBytes ||
            static_cast<uint64_t>(scanline) > byteLimit)
            return false;
        std::vector<uint8_t> row(static_cast<size_t>(scanline));
        for (uint16_t p = 0; p < planeCount; ++p)
            for (uint32_t y = 0; y < height; ++y) {
                if (TIFFReadScanline(tif, row.data(), y, p) < 0)
                    return false;
                std::memcpy(planes_[p].data() + y * rowBytes_, row.data(), rowBytes_);
            }
    }
    FindRange();
    return true;
}

double TiffSamples::Sample(uint32_t x, uint32_t y, uint16_t channel) const {
    const size_t bytes = layout_.bitsPerSample / 8u;
    const uint8_t* p =
        layout_.separatePlanes
            ? planes_[channel].data() + y * rowBytes_ + x * bytes
            : planes_[0].data() + y * rowBytes_ +
                  (static_cast<size_t>(x) * layout_.samplesPerPixel + channel) * bytes;
    switch (layout_.sampleFormat) {
        case SAMPLEFORMAT_IEEEFP:
            if (bytes == 4) {
                float f;
                std::memcpy(&f, p, 4);
                return f;
            } else {
                double d;
                std::memcpy(&d, p, 8);
                return d;
            }
        case SAMPLEFORMAT_INT:
            if (bytes == 1)
                return static_cast<int8_t>(*p);
            if (bytes == 2) {
                int16_t v;
                std::memcpy(&v, p, 2);
                return v;
            } else {
                int32_t v;
                std::memcpy(&v, p, 4);
                return v;
            }
        default:
            if (bytes == 1)
                return *p;
            if (bytes == 2) {
                uint16_t v;
                std::memcpy(&v, p, 2);
                return v;
            } else {
                uint32_t v;
                std::memcpy(&v, p, 4);
                return v;
            }
    }
}

void TiffSamples::FindRange() {
    ranged_ = layout_.sampleFormat != SAMPLEFORMAT_UINT ||
              (layout_.colorChannels == 1 && layout_.bitsPerSample > 8);
    if (!ranged_)
        return;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (uint32_t y = 0; y < layout_.height; ++y)
        for (uint32_t x = 0; x < layout_.width; ++x)
            for (uint16_t c = 0; c < layout_.colorChannels; ++c) {
                const double v = Sample(x, y, c);
                if (std::isfinite(v)) {
                    low = std::min(low, v);
                    high = std::max(high, v);
                }
            }
    low_ = low;
    high_ = high;
}

double TiffSamples::Unit(double v, bool colour) const {
    if (std::isnan(v))
        return 0.0;
    if (colour && ranged_) {
        if (std::isinf(v))
            return v > 0 ? 1.0 : 0.0;
        // A constant picture (or one without finite values) shows as flat mid grey.
        if (!(high_ > low_))
            return 0.5;
        return (v - low_) / (high_ - low_);
    }
    switch (layout_.sampleFormat) {
        case SAMPLEFORMAT_IEEEFP:
            return std::clamp(v, 0.0, 1.0);
        case SAMPLEFORMAT_INT:
            return std::clamp(v / (std::ldexp(1.0, layout_.bitsPerSample - 1) - 1.0), 0.0, 1.0);
        default:
            return v / (std::ldexp(1.0, layout_.bitsPerSample) - 1.0);
    }
}

void TiffSamples::Pixel(uint32_t x, uint32_t y, uint8_t bgra[4]) const {
    const uint16_t n = layout_.colorChannels;
    double a = 1.0;
    if (layout_.alpha != TiffAlpha::None)
        a = Unit(Sample(x, y, n), false);
    double r, g, b;
    if (n == 1) {
        r = g = b = Unit(Sample(x, y, 0), true);
    } else if (n == 3) {
        r = Unit(Sample(x, y, 0), true);
        g = Unit(Sample(x, y, 1), true);
        b = Unit(Sample(x, y, 2), true);
    } else {
        // Ink coverage to light: each ink and the black take their share away.
        const double k = 1.0 - Unit(Sample(x, y, 3), true);
        r = (1.0 - Unit(Sample(x, y, 0), true)) * k;
        g = (1.0 - Unit(Sample(x, y, 1), true)) * k;
        b = (1.0 - Unit(Sample(x, y, 2), true)) * k;
    }
    if (layout_.alpha == TiffAlpha::Premultiplied && n != 4) {
        // KxImage keeps straight alpha: undo the multiplication by the opacity.
        if (a > 0) {
            r = std::min(1.0, r / a);
            g = std::min(1.0, g / a);
            b = std::min(1.0, b / a);
        } else {
            r = g = b = 0.0;
        }
    }
    if (n == 1 && layout_.photometric == PHOTOMETRIC_MINISWHITE)
        r = g = b = 1.0 - r;
    bgra[0] = ToByte(b);
    bgra[1] = ToByte(g);
    bgra[2] = ToByte(r);
    bgra[3] = ToByte(a);
}

}  // namespace kx
