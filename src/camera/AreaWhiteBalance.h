#pragma once

// Area white balance: the raw mosaic is turned into colour with a plain demosaic of its
// own (independent of the camera library's decode, so the gains do not depend on the
// camera's current colour settings), and the mean colour of the chosen area gives the
// red and blue gains that make it neutral.

#include "camera/PreviewGeometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace korvel::camera {

// Colour of a mosaic site: the byte it fills in a blue-green-red pixel.
enum class MosaicColour { Blue = 0, Green = 1, Red = 2 };

// Which colour the sample at (row, column) carries for mosaic phase 0..3 (the camera
// library's decode type): phase 0 red at (even, even), blue at (odd, odd); phase 1 blue at
// (even, odd), red at (odd, even); phase 2 red at (even, odd), blue at (odd, even); phase 3
// blue at (even, even), red at (odd, odd); green elsewhere.
MosaicColour mosaicColour(int phase, int row, int column);

// Demosaics a width x height raw frame into blue-green-red pixels, row for row (row 0 of
// the raw frame is row 0 of the result). Red and blue sites take green from the flatter
// direction and the other colour from the diagonal mean; green sites take red and blue
// from the two neighbours that carry them. The one-pixel border is black.
std::vector<std::uint8_t> demosaicForBalance(std::span<const std::uint8_t> raw, int width,
                                             int height, int phase);

struct ColourGainSet {
    int red = 64;
    int green = 64;
    int blue = 64;
    friend bool operator==(const ColourGainSet&, const ColourGainSet&) = default;
};

// Gains that make the mean of `area` (row for row with `pixels`) neutral, green fixed at 64.
ColourGainSet balanceGains(std::span<const std::uint8_t> pixels, int width, int height,
                           const Region& area);

// A selection in surface coordinates as image pixels for the area balance: each corner c
// becomes (c + 1) x image width / surface width, truncated, kept inside the image.
Region balanceAreaFromSelection(const Region& selection, int surfaceWidth, int imageWidth,
                                int imageHeight);

}  // namespace korvel::camera
