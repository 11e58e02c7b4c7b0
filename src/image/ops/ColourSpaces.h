#pragma once

// 8-bit colour-space conversions of the channel operations. Chroma channels carry 128 as
// zero; values that leave 0...255 are clamped.

#include <cstdint>

#include "image/KxImage.h"
#include "image/ops/OpsInternal.h"

namespace kxops::detail {

struct Triple {
    uint8_t a, b, c;
};

// Full-range BT.601 YUV.
inline Triple RgbToYuv(int r, int g, int b) {
    return {Clamp8f(0.299f * r + 0.587f * g + 0.114f * b),
            Clamp8f(-0.168736f * r - 0.331264f * g + 0.5f * b + 128.0f),
            Clamp8f(0.5f * r - 0.418688f * g - 0.081312f * b + 128.0f)};
}
inline Triple YuvToRgb(int y, int u, int v) {
    const float fu = u - 128.0f, fv = v - 128.0f;
    return {Clamp8f(y + 1.402f * fv), Clamp8f(y - 0.344136f * fu - 0.714136f * fv),
            Clamp8f(y + 1.772f * fu)};
}

inline Triple RgbToYiq(int r, int g, int b) {
    return {Clamp8f(0.299f * r + 0.587f * g + 0.114f * b),
            Clamp8f(0.595716f * r - 0.274453f * g - 0.321263f * b + 128.0f),
            Clamp8f(0.211456f * r - 0.522591f * g + 0.311135f * b + 128.0f)};
}
inline Triple YiqToRgb(int y, int i, int q) {
    const float fi = i - 128.0f, fq = q - 128.0f;
    return {Clamp8f(y + 0.9563f * fi + 0.6210f * fq), Clamp8f(y - 0.2721f * fi - 0.6474f * fq),
            Clamp8f(y - 1.1070f * fi + 1.7046f * fq)};
}

// Linear sRGB primaries with a D65 white.
inline Triple RgbToXyz(int r, int g, int b) {
    return {Clamp8f(0.412453f * r + 0.357580f * g + 0.180423f * b),
            Clamp8f(0.212671f * r + 0.715160f * g + 0.072169f * b),
            Clamp8f(0.019334f * r + 0.119193f * g + 0.950227f * b)};
}
inline Triple XyzToRgb(int x, int y, int z) {
    return {Clamp8f(3.240479f * x - 1.537150f * y - 0.498535f * z),
            Clamp8f(-0.969256f * x + 1.875992f * y + 0.041556f * z),
            Clamp8f(0.055648f * x - 0.204043f * y + 1.057311f * z)};
}

inline Triple RgbToHsl(int r, int g, int b) {
    const RGBQUAD hsl = KxImage::RGBtoHSL(RGBQUAD{uint8_t(b), uint8_t(g), uint8_t(r), 0});
    return {hsl.rgbRed, hsl.rgbGreen, hsl.rgbBlue};
}
inline Triple HslToRgb(int h, int s, int l) {
    const RGBQUAD c = KxImage::HSLtoRGB(RGBQUAD{uint8_t(l), uint8_t(s), uint8_t(h), 0});
    return {c.rgbRed, c.rgbGreen, c.rgbBlue};
}

// Forward conversion of an RGB colour into the channels of a colour space 0...4.
inline Triple ToSpace(int space, int r, int g, int b) {
    switch (space) {
        case 1:
            return RgbToHsl(r, g, b);
        case 2:
            return RgbToYuv(r, g, b);
        case 3:
            return RgbToYiq(r, g, b);
        case 4:
            return RgbToXyz(r, g, b);
        default:
            return {uint8_t(r), uint8_t(g), uint8_t(b)};
    }
}
// Back to RGB (returned as r, g, b).
inline Triple FromSpace(int space, int a, int b, int c) {
    switch (space) {
        case 1:
            return HslToRgb(a, b, c);
        case 2:
            return YuvToRgb(a, b, c);
        case 3:
            return YiqToRgb(a, b, c);
        case 4:
            return XyzToRgb(a, b, c);
        default:
            return {uint8_t(a), uint8_t(b), uint8_t(c)};
    }
}

}  // namespace kxops::detail
