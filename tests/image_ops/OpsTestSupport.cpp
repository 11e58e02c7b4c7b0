#include "OpsTestSupport.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace opstest {

KxImage Smooth24(uint32_t w, uint32_t h) {
    KxImage img(w, h, 24);
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* p = img.GetBits(y);
        for (uint32_t x = 0; x < w; ++x, p += 3) {
            const double u = double(x) / w, v = double(y) / h;
            p[0] = static_cast<uint8_t>(128 + 90 * std::sin(2.0 * u + 1.0) * std::cos(1.5 * v));
            p[1] = static_cast<uint8_t>(128 + 100 * std::cos(3.0 * u - 2.0 * v));
            p[2] = static_cast<uint8_t>(120 + 80 * std::sin(2.5 * v + u));
        }
    }
    return img;
}

KxImage Random24(uint32_t w, uint32_t h, uint32_t seed) {
    KxImage img(w, h, 24);
    uint32_t s = seed * 2654435761u + 1;
    for (uint32_t y = 0; y < h; ++y) {
        uint8_t* p = img.GetBits(y);
        for (uint32_t x = 0; x < w * 3; ++x) {
            s = s * 1664525u + 1013904223u;
            p[x] = static_cast<uint8_t>(s >> 24);
        }
    }
    return img;
}

bool SameColours(const KxImage& a, const KxImage& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight() || a.GetBpp() != b.GetBpp())
        return false;
    return MaxDifference(a, b) == 0;
}

int MaxDifference(const KxImage& a, const KxImage& b) {
    int worst = 0;
    for (int32_t y = 0; y < int32_t(a.GetHeight()); ++y)
        for (int32_t x = 0; x < int32_t(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            worst = std::max({worst, std::abs(p.rgbRed - q.rgbRed),
                              std::abs(p.rgbGreen - q.rgbGreen), std::abs(p.rgbBlue - q.rgbBlue)});
        }
    return worst;
}

double Psnr(const KxImage& a, const KxImage& b) {
    double sum = 0;
    uint64_t n = 0;
    for (int32_t y = 0; y < int32_t(a.GetHeight()); ++y)
        for (int32_t x = 0; x < int32_t(a.GetWidth()); ++x) {
            const RGBQUAD p = a.GetPixelColor(x, y, false), q = b.GetPixelColor(x, y, false);
            for (int d : {p.rgbRed - q.rgbRed, p.rgbGreen - q.rgbGreen, p.rgbBlue - q.rgbBlue})
                sum += double(d) * d;
            n += 3;
        }
    const double mse = sum / n;
    return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

uint8_t Grey(const KxImage& img, int32_t x, int32_t y) {
    return KxImage::GrayLevel(img.GetPixelColor(x, y, false));
}

}  // namespace opstest
