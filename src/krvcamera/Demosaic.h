#pragma once

// Decoding of raw frames into 24-bit pictures: demosaicing, colour saturation, monochrome,
// gamma and contrast. Written as row loops without per-pixel branches so that the compiler
// can vectorise them; the live picture of the largest sensors depends on it.

#include <cstdint>

namespace krvcamera {

inline constexpr std::uint8_t kMonochromePhase = 4;

struct DecodeSettings {
    std::uint8_t phase = 0;  // mosaic phase 0..3, or kMonochromePhase
    bool sharp = false;      // nearest-neighbour instead of bilinear interpolation
    int gamma = 100;         // 100 = linear; larger brightens the mid-tones
    int contrast = 0;        // 0 = unchanged, 1..20 less contrast, 21..100 more
    int saturation = 128;    // 128 = unchanged, 0 = grey
    bool colourEnhancement = false;
    bool monochrome = false;
};

// Decodes width x height raw bytes (top row first) into width x height x 3 bytes of
// blue-green-red, bottom row first. Returns false for sizes below 2 x 2 or null buffers.
bool decodeFrame(const std::uint8_t* raw, std::uint8_t* image, int width, int height,
                 const DecodeSettings& settings);

}  // namespace krvcamera
