#include "camera/AreaWhiteBalance.h"

#include <algorithm>
#include <cstdlib>

namespace korvel::camera {

MosaicColour mosaicColour(int phase, int row, int column) {
    const bool oddRow = (row & 1) != 0;
    const bool oddColumn = (column & 1) != 0;
    switch (phase & 3) {
        case 0:
            if (!oddRow && !oddColumn)
                return MosaicColour::Red;
            if (oddRow && oddColumn)
                return MosaicColour::Blue;
            break;
        case 1:
            if (!oddRow && oddColumn)
                return MosaicColour::Blue;
            if (oddRow && !oddColumn)
                return MosaicColour::Red;
            break;
        case 2:
            if (!oddRow && oddColumn)
                return MosaicColour::Red;
            if (oddRow && !oddColumn)
                return MosaicColour::Blue;
            break;
        default:
            if (!oddRow && !oddColumn)
                return MosaicColour::Blue;
            if (oddRow && oddColumn)
                return MosaicColour::Red;
            break;
    }
    return MosaicColour::Green;
}

std::vector<std::uint8_t> demosaicForBalance(std::span<const std::uint8_t> raw, int width,
                                             int height, int phase) {
    std::vector<std::uint8_t> out(static_cast<std::size_t>(std::max(width, 0)) *
                                  std::max(height, 0) * 3);
    if (width < 3 || height < 3 || raw.size() < static_cast<std::size_t>(width) * height) {
        return out;
    }
    const auto at = [&](int y, int x) { return int{raw[static_cast<std::size_t>(y) * width + x]}; };
    for (int y = 1; y < height - 1; ++y) {
        for (int x = 1; x < width - 1; ++x) {
            std::uint8_t* pixel = &out[(static_cast<std::size_t>(y) * width + x) * 3];
            const MosaicColour site = mosaicColour(phase, y, x);
            const int left = at(y, x - 1), right = at(y, x + 1);
            const int up = at(y - 1, x), down = at(y + 1, x);
            if (site == MosaicColour::Green) {
                pixel[1] = static_cast<std::uint8_t>(at(y, x));
                // The row neighbours carry one of red and blue, the column neighbours the other.
                const MosaicColour rowColour = mosaicColour(phase, y, x + 1);
                const int rowMean = (left + right) / 2;
                const int columnMean = (up + down) / 2;
                const int rowByte = static_cast<int>(rowColour);
                pixel[rowByte] = static_cast<std::uint8_t>(rowMean);
                pixel[2 - rowByte] = static_cast<std::uint8_t>(columnMean);
            } else {
                const int own = static_cast<int>(site);
                pixel[own] = static_cast<std::uint8_t>(at(y, x));
                pixel[1] = static_cast<std::uint8_t>(std::abs(left - right) < std::abs(up - down)
                                                         ? (left + right) / 2
                                                         : (up + down) / 2);
                const int diagonal =
                    (at(y - 1, x - 1) + at(y - 1, x + 1) + at(y + 1, x - 1) + at(y + 1, x + 1)) / 4;
                pixel[2 - own] = static_cast<std::uint8_t>(diagonal);
            }
        }
    }
    return out;
}

ColourGainSet balanceGains(std::span<const std::uint8_t> pixels, int width, int height,
                           const Region& area) {
    const Region a{std::max(area.left, 0), std::max(area.top, 0), std::min(area.right, width),
                   std::min(area.bottom, height)};
    std::uint64_t sums[3] = {0, 0, 0};
    std::uint64_t count = 0;
    if (!a.isEmpty() && pixels.size() >= static_cast<std::size_t>(width) * height * 3) {
        for (int y = a.top; y < a.bottom; ++y) {
            const std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + a.left) * 3];
            for (int x = a.left; x < a.right; ++x, p += 3) {
                sums[0] += p[0];
                sums[1] += p[1];
                sums[2] += p[2];
            }
        }
        count = static_cast<std::uint64_t>(a.width()) * a.height();
    }
    count = std::max<std::uint64_t>(count, 1);
    // A channel without light must not divide by zero: its mean counts as 1.
    const auto mean = [&](int b) { return std::max<std::uint64_t>(sums[b] / count, 1); };
    const std::uint64_t m0 = mean(0), m1 = mean(1), m2 = mean(2);
    return {static_cast<int>(m1 * 64 / m2), 64, static_cast<int>(m1 * 64 / m0)};
}

Region balanceAreaFromSelection(const Region& selection, int surfaceWidth, int imageWidth,
                                int imageHeight) {
    if (surfaceWidth <= 0 || selection.isEmpty()) {
        return {};
    }
    const double k = static_cast<double>(imageWidth) / surfaceWidth;
    const auto scale = [k](int c) { return static_cast<int>((c + 1) * k); };
    Region r{std::max(0, scale(selection.left)), std::max(0, scale(selection.top)),
             std::min(imageWidth, scale(selection.right)),
             std::min(imageHeight, scale(selection.bottom))};
    return r.isEmpty() ? Region{} : r;
}

}  // namespace korvel::camera
