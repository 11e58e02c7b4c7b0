#include "browser/ThumbnailGeometry.h"

#include <algorithm>

namespace korvel::browser {

TilePlacement fitThumbnail(int width, int height, int tileWidth, int tileHeight) {
    TilePlacement placement;
    if (width <= 0 || height <= 0 || tileWidth <= 0 || tileHeight <= 0) {
        return placement;
    }
    const double aspect = static_cast<double>(height) / width;
    if (aspect > static_cast<double>(tileHeight) / tileWidth) {
        placement.height = tileHeight;
        placement.width = std::clamp(static_cast<int>(tileHeight / aspect), 1, tileWidth);
    } else {
        placement.width = tileWidth;
        placement.height = std::clamp(static_cast<int>(tileWidth * aspect), 1, tileHeight);
    }
    placement.x = (tileWidth - placement.width) / 2;
    placement.y = (tileHeight - placement.height) / 2;
    return placement;
}

int jpegScaleDenominator(int width, int height, int neededWidth, int neededHeight) {
    for (int denominator : {8, 4, 2}) {
        // libjpeg rounds scaled sizes up.
        const int scaledWidth = (width + denominator - 1) / denominator;
        const int scaledHeight = (height + denominator - 1) / denominator;
        if (scaledWidth >= neededWidth && scaledHeight >= neededHeight) {
            return denominator;
        }
    }
    return 1;
}

}  // namespace korvel::browser
