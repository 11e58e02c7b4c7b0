#include "camera/PreviewGeometry.h"

#include <algorithm>
#include <numeric>

namespace korvel::camera {

std::size_t previewBufferSize(int typeId, int width, int height) {
    const std::size_t frame = static_cast<std::size_t>(std::max(width, 0)) *
                              static_cast<std::size_t>(std::max(height, 0)) * 3;
    std::size_t fixed = 0;
    switch (typeId) {
        case 14:
            fixed = 10'506'240;
            break;
        case 17:
        case 23:
            fixed = 4'177'920;
            break;
        case 21:
            fixed = 18'337'536;
            break;
        case 25:
            fixed = 23'970'816;
            break;
        default:
            break;
    }
    return std::max(fixed, frame);
}

float frameRateFromTicks(std::uint32_t lastTick, std::uint32_t tick) {
    const std::uint32_t elapsed = std::max<std::uint32_t>(tick - lastTick, 1);
    return 1000.0f / static_cast<float>(elapsed);
}

int recordingFrameRate(float measuredRate) {
    const float rate = std::clamp(measuredRate, 1.0f, 1000.0f);  // also maps NaN below
    return rate >= 1.0f ? static_cast<int>(rate) : 1;
}

int meanBrightness(std::span<const std::uint8_t> raw, int width, int height, int typeId,
                   int previewResolution) {
    std::size_t count = static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0);
    if (typeId == 14 && (previewResolution == 2 || previewResolution == 3)) {
        count = std::size_t{2048} * 1536;
    }
    count = std::min(count, raw.size());
    if (count == 0) {
        return 1;
    }
    const std::uint64_t sum = std::accumulate(
        raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(count), std::uint64_t{0});
    return std::max<int>(1, static_cast<int>(sum / count));
}

Region alignRegion(Region r, int imageWidth, int imageHeight) {
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, imageWidth);
    r.bottom = std::min(r.bottom, imageHeight);
    if (r.isEmpty()) {
        return {};
    }
    while (r.width() % 4 != 0) {
        if (r.left >= 1) {
            --r.left;
        } else if (r.right < imageWidth) {
            ++r.right;
        } else {
            r.right -= r.width() % 4;  // the whole width is not a multiple of 4
        }
    }
    while (r.height() % 2 != 0) {
        if (r.top > 0) {
            --r.top;
        } else if (r.bottom < imageHeight) {
            ++r.bottom;
        } else {
            --r.bottom;  // the whole height is odd
        }
    }
    return r.isEmpty() ? Region{} : r;
}

Region regionFromSelection(const Region& selection, int surfaceWidth, int imageWidth,
                           int imageHeight) {
    if (selection.isEmpty() || surfaceWidth <= 0 || imageWidth <= 0 || imageHeight <= 0) {
        return {};
    }
    const double k = static_cast<double>(imageWidth) / surfaceWidth;
    Region r;
    r.top = std::max(0, static_cast<int>(k * selection.top));
    r.bottom = std::min(imageHeight, static_cast<int>(k * selection.bottom));
    r.left = std::max(0, static_cast<int>(k * selection.left));
    r.right = std::min(imageWidth, static_cast<int>(k * selection.right));
    if (r.isEmpty()) {
        return {};
    }
    return alignRegion(r, imageWidth, imageHeight);
}

SurfacePlacement fitSurface(int windowWidth, int windowHeight, int regionWidth, int regionHeight) {
    if (windowWidth <= 0 || windowHeight <= 0 || regionWidth <= 0 || regionHeight <= 0) {
        return {};
    }
    const double k = std::max(static_cast<double>(regionWidth) / windowWidth,
                              static_cast<double>(regionHeight) / windowHeight);
    SurfacePlacement placement;
    placement.width = static_cast<int>(regionWidth / k);
    placement.height = static_cast<int>(regionHeight / k);
    placement.x = (windowWidth - placement.width) / 2;
    placement.y = (windowHeight - placement.height) / 2;
    return placement;
}

void cropRegion(const std::uint8_t* image, int width, int height, const Region& region,
                std::uint8_t* crop) {
    const int w = region.width();
    const int h = region.height();
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    for (int i = 0; i < h; ++i) {
        const std::uint8_t* source =
            image +
            (static_cast<std::size_t>(height - 1 - (region.top + i)) * width + region.left) * 3;
        std::copy_n(source, rowBytes, crop + static_cast<std::size_t>(h - 1 - i) * rowBytes);
    }
}

void applyPixelCorrections(std::uint8_t* image, int width, int height,
                           std::span<const PixelCorrection> corrections) {
    for (const PixelCorrection& c : corrections) {
        if (c.x < 0 || c.y < 0 || c.x >= width || c.y >= height || c.percent[0] == 0 ||
            c.percent[1] == 0 || c.percent[2] == 0) {
            continue;
        }
        std::uint8_t* pixel = image + (static_cast<std::size_t>(c.y) * width + c.x) * 3;
        for (int b = 0; b < 3; ++b) {
            pixel[b] = static_cast<std::uint8_t>(std::min(255, pixel[b] * 100 / c.percent[b]));
        }
    }
}

}  // namespace korvel::camera
