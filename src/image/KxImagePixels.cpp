// Pixel access, palette handling and colour-space helpers of KxImage.

#include <algorithm>
#include <cmath>
#include <cstring>

#include "image/KxImage.h"
#include "image/KxKernels.h"

namespace {

constexpr int kHslMax = 255;
constexpr int kRgbMax = 255;
constexpr int kHueUndefined = kHslMax * 2 / 3;

bool SameColor(const RGBQUAD& a, const RGBQUAD& b) {
    return a.rgbRed == b.rgbRed && a.rgbGreen == b.rgbGreen && a.rgbBlue == b.rgbBlue;
}

using kxkernels::Bicubic2Weight;
using kxkernels::BicubicWeight;
using kxkernels::BoxWeight;
using kxkernels::BSplineWeight;
using kxkernels::HammingWeight;
using kxkernels::HermiteWeight;
using kxkernels::Kernel;
using kxkernels::LanczosWeight;

Kernel KernelFor(InterpolationMethod method) {
    switch (method) {
        case IM_BSPLINE:
            return {2.0, BSplineWeight};
        case IM_BICUBIC:
            return {2.0, BicubicWeight};
        case IM_BICUBIC2:
            return {2.0, Bicubic2Weight};
        case IM_LANCZOS:
            return {3.0, LanczosWeight};
        case IM_BOX:
            return {1.0, BoxWeight};
        case IM_HERMITE:
            return {1.0, HermiteWeight};
        case IM_HAMMING:
            return {1.0, HammingWeight};
        default:
            return {2.0, BicubicWeight};
    }
}

uint8_t ClampByte(double v) {
    if (v <= 0.0)
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<uint8_t>(v + 0.5);
}

}  // namespace

uint8_t KxImage::BlindGetPixelIndex(int32_t x, int32_t y) const {
    const uint8_t* row = info.pImage + static_cast<size_t>(y) * info.dwEffWidth;
    switch (head.biBitCount) {
        case 8:
            return row[x];
        case 4: {
            const uint8_t byte = row[x >> 1];
            return (x & 1) ? (byte & 0x0F) : (byte >> 4);
        }
        case 1:
            return (row[x >> 3] >> (7 - (x & 7))) & 1;
        default:
            return 0;
    }
}

void KxImage::BlindSetPixelIndex(int32_t x, int32_t y, uint8_t i) {
    uint8_t* row = info.pImage + static_cast<size_t>(y) * info.dwEffWidth;
    switch (head.biBitCount) {
        case 8:
            row[x] = i;
            break;
        case 4: {
            uint8_t& byte = row[x >> 1];
            if (x & 1)
                byte = static_cast<uint8_t>((byte & 0xF0) | (i & 0x0F));
            else
                byte = static_cast<uint8_t>((byte & 0x0F) | ((i & 0x0F) << 4));
            break;
        }
        case 1: {
            uint8_t& byte = row[x >> 3];
            const uint8_t mask = static_cast<uint8_t>(0x80 >> (x & 7));
            byte = (i & 1) ? (byte | mask) : (byte & ~mask);
            break;
        }
        default:
            break;
    }
}

uint8_t KxImage::GetPixelIndex(int32_t x, int32_t y) const {
    if (pDib == nullptr || head.biClrUsed == 0)
        return 0;
    if (!IsInside(x, y)) {
        if (info.nBkgndIndex >= 0)
            return static_cast<uint8_t>(info.nBkgndIndex);
        return *info.pImage;
    }
    return BlindGetPixelIndex(x, y);
}

void KxImage::SetPixelIndex(int32_t x, int32_t y, uint8_t i) {
    if (pDib == nullptr || head.biClrUsed == 0 || !IsInside(x, y))
        return;
    BlindSetPixelIndex(x, y, i);
}

RGBQUAD KxImage::BlindGetPixelColor(int32_t x, int32_t y, bool bGetAlpha) const {
    RGBQUAD c;
    if (head.biClrUsed != 0) {
        c = reinterpret_cast<const RGBQUAD*>(pDib + head.biSize)[BlindGetPixelIndex(x, y)];
        if (!info.bAlphaPaletteEnabled)
            c.rgbReserved = 0;
    } else {
        const uint8_t* p = info.pImage + static_cast<size_t>(y) * info.dwEffWidth + x * 3;
        c = RGBQUAD{p[0], p[1], p[2], 0};
    }
    if (bGetAlpha && pAlpha != nullptr)
        c.rgbReserved = pAlpha[static_cast<size_t>(y) * head.biWidth + x];
    return c;
}

RGBQUAD KxImage::GetPixelColor(int32_t x, int32_t y, bool bGetAlpha) const {
    if (pDib == nullptr)
        return RGBQUAD{0, 0, 0, 0};
    if (!IsInside(x, y)) {
        if (info.nBkgndIndex >= 0) {
            if (head.biBitCount < 24)
                return GetPaletteColor(static_cast<uint8_t>(info.nBkgndIndex));
            return info.nBkgndColor;
        }
        return BlindGetPixelColor(0, 0, bGetAlpha);
    }
    return BlindGetPixelColor(x, y, bGetAlpha);
}

void KxImage::SetPixelColor(int32_t x, int32_t y, RGBQUAD c, bool bSetAlpha) {
    if (pDib == nullptr || !IsInside(x, y))
        return;
    if (head.biClrUsed != 0) {
        BlindSetPixelIndex(x, y, GetNearestIndex(c));
    } else {
        uint8_t* p = info.pImage + static_cast<size_t>(y) * info.dwEffWidth + x * 3;
        p[0] = c.rgbBlue;
        p[1] = c.rgbGreen;
        p[2] = c.rgbRed;
    }
    if (bSetAlpha && pAlpha != nullptr)
        pAlpha[static_cast<size_t>(y) * head.biWidth + x] = c.rgbReserved;
}

uint8_t KxImage::GetNearestIndex(RGBQUAD c) {
    const RGBQUAD* palette = GetPalette();
    if (palette == nullptr)
        return 0;
    if (info.last_c_isvalid && SameColor(info.last_c, c))
        return info.last_c_index;
    int best = 0;
    long bestDistance = 0x7FFFFFFF;
    for (uint32_t i = 0; i < head.biClrUsed; ++i) {
        const long dr = palette[i].rgbRed - c.rgbRed;
        const long dg = palette[i].rgbGreen - c.rgbGreen;
        const long db = palette[i].rgbBlue - c.rgbBlue;
        const long distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
            if (distance == 0)
                break;
        }
    }
    info.last_c = c;
    info.last_c_index = static_cast<uint8_t>(best);
    info.last_c_isvalid = true;
    return static_cast<uint8_t>(best);
}

void KxImage::OverflowCoordinates(int32_t& x, int32_t& y, OverflowMethod ofMethod) const {
    const int32_t w = head.biWidth, h = head.biHeight;
    switch (ofMethod) {
        case OM_REPEAT:
            x = std::clamp(x, 0, w - 1);
            y = std::clamp(y, 0, h - 1);
            break;
        case OM_WRAP:
            x %= w;
            y %= h;
            if (x < 0)
                x += w;
            if (y < 0)
                y += h;
            break;
        case OM_MIRROR: {
            auto mirror = [](int32_t v, int32_t n) {
                const int32_t period = 2 * n;
                v %= period;
                if (v < 0)
                    v += period;
                return v < n ? v : period - 1 - v;
            };
            x = mirror(x, w);
            y = mirror(y, h);
            break;
        }
        default:
            break;
    }
}

void KxImage::OverflowCoordinates(float& x, float& y, OverflowMethod ofMethod) const {
    const float w = static_cast<float>(head.biWidth), h = static_cast<float>(head.biHeight);
    switch (ofMethod) {
        case OM_REPEAT:
            x = std::clamp(x, 0.0f, w - 1.0f);
            y = std::clamp(y, 0.0f, h - 1.0f);
            break;
        case OM_WRAP:
            x = std::fmod(x, w);
            y = std::fmod(y, h);
            if (x < 0)
                x += w;
            if (y < 0)
                y += h;
            break;
        case OM_MIRROR: {
            auto mirror = [](float v, float n) {
                const float period = 2 * n;
                v = std::fmod(v, period);
                if (v < 0)
                    v += period;
                return v < n ? v : period - 1 - v;
            };
            x = mirror(x, w);
            y = mirror(y, h);
            break;
        }
        default:
            break;
    }
}

RGBQUAD KxImage::GetPixelColorWithOverflow(int32_t x, int32_t y, OverflowMethod ofMethod,
                                           const RGBQUAD* rplColor) const {
    if (!IsInside(x, y)) {
        switch (ofMethod) {
            case OM_COLOR:
                return rplColor != nullptr ? *rplColor : RGBQUAD{255, 255, 255, 0};
            case OM_BACKGROUND:
                if (info.nBkgndIndex >= 0 && head.biBitCount < 24)
                    return GetPaletteColor(static_cast<uint8_t>(info.nBkgndIndex));
                return info.nBkgndColor;
            case OM_TRANSPARENT: {
                RGBQUAD c = GetTransColor();
                c.rgbReserved = 0;
                return c;
            }
            case OM_WRAP:
            case OM_REPEAT:
            case OM_MIRROR:
                OverflowCoordinates(x, y, ofMethod);
                break;
        }
        if (!IsInside(x, y))
            return RGBQUAD{0, 0, 0, 0};
    }
    return BlindGetPixelColor(x, y, true);
}

RGBQUAD KxImage::GetPixelColorInterpolated(float x, float y, InterpolationMethod inMethod,
                                           OverflowMethod ofMethod, const RGBQUAD* rplColor) const {
    if (pDib == nullptr || !std::isfinite(x) || !std::isfinite(y))
        return RGBQUAD{0, 0, 0, 0};
    // Keep far-away coordinates in range before converting them to integers.
    const float limit = 4.0f * std::max(head.biWidth, head.biHeight) + 8.0f;
    if (std::fabs(x) > limit || std::fabs(y) > limit) {
        if (ofMethod == OM_WRAP || ofMethod == OM_MIRROR || ofMethod == OM_REPEAT)
            OverflowCoordinates(x, y, ofMethod);
        else
            return GetPixelColorWithOverflow(-1, -1, ofMethod, rplColor);
    }

    if (inMethod == IM_NEAREST_NEIGHBOUR) {
        return GetPixelColorWithOverflow(static_cast<int32_t>(std::floor(x + 0.5f)),
                                         static_cast<int32_t>(std::floor(y + 0.5f)), ofMethod,
                                         rplColor);
    }
    if (inMethod == IM_BILINEAR || inMethod < IM_NEAREST_NEIGHBOUR || inMethod > IM_HAMMING) {
        const float fx = std::floor(x), fy = std::floor(y);
        const int32_t x0 = static_cast<int32_t>(fx), y0 = static_cast<int32_t>(fy);
        const float tx = x - fx, ty = y - fy;
        const RGBQUAD c00 = GetPixelColorWithOverflow(x0, y0, ofMethod, rplColor);
        const RGBQUAD c10 = GetPixelColorWithOverflow(x0 + 1, y0, ofMethod, rplColor);
        const RGBQUAD c01 = GetPixelColorWithOverflow(x0, y0 + 1, ofMethod, rplColor);
        const RGBQUAD c11 = GetPixelColorWithOverflow(x0 + 1, y0 + 1, ofMethod, rplColor);
        auto mix = [&](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
            return ClampByte((a * (1 - tx) + b * tx) * (1 - ty) + (c * (1 - tx) + d * tx) * ty);
        };
        return RGBQUAD{mix(c00.rgbBlue, c10.rgbBlue, c01.rgbBlue, c11.rgbBlue),
                       mix(c00.rgbGreen, c10.rgbGreen, c01.rgbGreen, c11.rgbGreen),
                       mix(c00.rgbRed, c10.rgbRed, c01.rgbRed, c11.rgbRed),
                       mix(c00.rgbReserved, c10.rgbReserved, c01.rgbReserved, c11.rgbReserved)};
    }

    const Kernel kernel = KernelFor(inMethod);
    const int32_t r = static_cast<int32_t>(kernel.radius);
    const int32_t cx = static_cast<int32_t>(std::floor(x));
    const int32_t cy = static_cast<int32_t>(std::floor(y));
    double sum[4] = {0, 0, 0, 0};
    double total = 0;
    for (int32_t j = cy - r + 1; j <= cy + r; ++j) {
        const double wy = kernel.weight(y - j);
        if (wy == 0.0)
            continue;
        for (int32_t i = cx - r + 1; i <= cx + r; ++i) {
            const double w = wy * kernel.weight(x - i);
            if (w == 0.0)
                continue;
            const RGBQUAD c = GetPixelColorWithOverflow(i, j, ofMethod, rplColor);
            sum[0] += w * c.rgbBlue;
            sum[1] += w * c.rgbGreen;
            sum[2] += w * c.rgbRed;
            sum[3] += w * c.rgbReserved;
            total += w;
        }
    }
    if (total == 0.0)
        return GetPixelColorWithOverflow(cx, cy, ofMethod, rplColor);
    return RGBQUAD{ClampByte(sum[0] / total), ClampByte(sum[1] / total), ClampByte(sum[2] / total),
                   ClampByte(sum[3] / total)};
}

RGBQUAD* KxImage::GetPalette() const {
    if (pDib == nullptr || head.biClrUsed == 0)
        return nullptr;
    return reinterpret_cast<RGBQUAD*>(pDib + head.biSize);
}

void KxImage::SetPalette(const RGBQUAD* pPal, uint32_t nColors) {
    RGBQUAD* palette = GetPalette();
    if (pPal == nullptr || palette == nullptr)
        return;
    std::memcpy(palette, pPal, std::min(nColors, head.biClrUsed) * sizeof(RGBQUAD));
    info.last_c_isvalid = false;
}

void KxImage::SetPalette(const rgb_color* rgb, uint32_t nColors) {
    RGBQUAD* palette = GetPalette();
    if (rgb == nullptr || palette == nullptr)
        return;
    const uint32_t n = std::min(nColors, head.biClrUsed);
    for (uint32_t i = 0; i < n; ++i)
        palette[i] = RGBQUAD{rgb[i].b, rgb[i].g, rgb[i].r, 0};
    info.last_c_isvalid = false;
}

RGBQUAD KxImage::GetPaletteColor(uint8_t idx) const {
    const RGBQUAD* palette = GetPalette();
    if (palette == nullptr || idx >= head.biClrUsed)
        return RGBQUAD{0, 0, 0, 0};
    return palette[idx];
}

bool KxImage::GetPaletteColor(uint8_t i, uint8_t* r, uint8_t* g, uint8_t* b) const {
    const RGBQUAD* palette = GetPalette();
    if (palette == nullptr || i >= head.biClrUsed || r == nullptr || g == nullptr || b == nullptr)
        return false;
    *r = palette[i].rgbRed;
    *g = palette[i].rgbGreen;
    *b = palette[i].rgbBlue;
    return true;
}

void KxImage::SetPaletteColor(uint8_t idx, RGBQUAD c) {
    RGBQUAD* palette = GetPalette();
    if (palette == nullptr || idx >= head.biClrUsed)
        return;
    palette[idx] = c;
    info.last_c_isvalid = false;
}

void KxImage::SetPaletteColor(uint8_t idx, uint8_t r, uint8_t g, uint8_t b, uint8_t alpha) {
    SetPaletteColor(idx, RGBQUAD{b, g, r, alpha});
}

void KxImage::SetGrayPalette() {
    RGBQUAD* palette = GetPalette();
    if (palette == nullptr)
        return;
    const uint32_t n = head.biClrUsed;
    for (uint32_t i = 0; i < n; ++i) {
        const uint8_t v = static_cast<uint8_t>(i * 255 / (n - 1));
        palette[i] = RGBQUAD{v, v, v, 0};
    }
    info.last_c_isvalid = false;
}

void KxImage::HuePalette(float correction) {
    if (GetPalette() == nullptr)
        return;
    const uint32_t n = head.biClrUsed;
    for (uint32_t j = 0; j < n; ++j) {
        const double hue = std::clamp(j * correction * (255.0 / (n - 1)), 0.0, 255.0);
        // In an HSL quad the red byte holds hue, green saturation and blue lightness.
        const RGBQUAD hsl{120, 240, static_cast<uint8_t>(hue), 0};
        SetPaletteColor(static_cast<uint8_t>(j), HSLtoRGB(hsl));
    }
}

RGBQUAD KxImage::RGBtoHSL(RGBQUAD lRGBColor) {
    const int R = lRGBColor.rgbRed, G = lRGBColor.rgbGreen, B = lRGBColor.rgbBlue;
    const int cMax = std::max({R, G, B});
    const int cMin = std::min({R, G, B});
    int H, S;
    const int L = (((cMax + cMin) * kHslMax) + kRgbMax) / (2 * kRgbMax);
    if (cMax == cMin) {
        S = 0;
        H = kHueUndefined;
    } else {
        const int delta = cMax - cMin;
        if (L <= kHslMax / 2)
            S = (delta * kHslMax + (cMax + cMin) / 2) / (cMax + cMin);
        else
            S = (delta * kHslMax + (2 * kRgbMax - cMax - cMin) / 2) / (2 * kRgbMax - cMax - cMin);
        const int rDelta = ((cMax - R) * (kHslMax / 6) + delta / 2) / delta;
        const int gDelta = ((cMax - G) * (kHslMax / 6) + delta / 2) / delta;
        const int bDelta = ((cMax - B) * (kHslMax / 6) + delta / 2) / delta;
        if (R == cMax)
            H = bDelta - gDelta;
        else if (G == cMax)
            H = kHslMax / 3 + rDelta - bDelta;
        else
            H = 2 * kHslMax / 3 + gDelta - rDelta;
        if (H < 0)
            H += kHslMax;
        if (H > kHslMax)
            H -= kHslMax;
    }
    return RGBQUAD{static_cast<uint8_t>(std::clamp(L, 0, 255)),
                   static_cast<uint8_t>(std::clamp(S, 0, 255)),
                   static_cast<uint8_t>(std::clamp(H, 0, 255)), 0};
}

RGBQUAD KxImage::HSLtoRGB(RGBQUAD lHSLColor) {
    const double h = lHSLColor.rgbRed / 255.0;
    const double s = lHSLColor.rgbGreen / 255.0;
    const double l = lHSLColor.rgbBlue / 255.0;
    if (s == 0.0) {
        const uint8_t v = ClampByte(l * 255.0);
        return RGBQUAD{v, v, v, 0};
    }
    const double m2 = l <= 0.5 ? l * (1.0 + s) : l + s - l * s;
    const double m1 = 2.0 * l - m2;
    auto hue = [m1, m2](double t) {
        if (t < 0)
            t += 1.0;
        if (t > 1)
            t -= 1.0;
        if (t < 1.0 / 6.0)
            return m1 + (m2 - m1) * t * 6.0;
        if (t < 0.5)
            return m2;
        if (t < 2.0 / 3.0)
            return m1 + (m2 - m1) * (2.0 / 3.0 - t) * 6.0;
        return m1;
    };
    return RGBQUAD{ClampByte(hue(h - 1.0 / 3.0) * 255.0), ClampByte(hue(h) * 255.0),
                   ClampByte(hue(h + 1.0 / 3.0) * 255.0), 0};
}
