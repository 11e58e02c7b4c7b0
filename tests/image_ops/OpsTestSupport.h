#pragma once

// Pictures and comparisons shared by the operation tests.

#include <cstdint>
#include <vector>

#include "image/KxImage.h"

namespace opstest {

// A smooth colour picture (sums of low-frequency waves).
KxImage Smooth24(uint32_t w, uint32_t h);
// Deterministic noise-like colour picture.
KxImage Random24(uint32_t w, uint32_t h, uint32_t seed = 1);
// 8-bit grey picture with a grey-ramp palette, levels from `level(x, y)`.
template <class F>
KxImage Grey8(uint32_t w, uint32_t h, F level) {
    KxImage img(w, h, 8);
    img.SetGrayPalette();
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            img.GetBits(y)[x] = static_cast<uint8_t>(level(x, y));
    return img;
}

// True when both pictures have the same size, depth and pixel colours.
bool SameColours(const KxImage& a, const KxImage& b);
// Largest difference of any colour channel (pictures of the same size).
int MaxDifference(const KxImage& a, const KxImage& b);
double Psnr(const KxImage& a, const KxImage& b);
uint8_t Grey(const KxImage& img, int32_t x, int32_t y);

}  // namespace opstest
