#include "Demosaic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "RawSynthesis.h"

namespace krvcamera {

namespace {

using Lut = std::array<std::uint8_t, 256>;

// The row loops are also built for AVX2, picked at load time where the processor has it;
// the baseline x86-64 instruction set lacks the wide multiplies the colour loops need.
// Sanitizer builds go without: their start-up code cannot resolve the clones.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && \
    !defined(__SANITIZE_THREAD__) && !defined(__SANITIZE_ADDRESS__)
#define KRV_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KRV_VECTOR_CLONES
#endif

// Gamma then contrast as one table; `identity` lets the common case skip the lookups.
struct ToneCurve {
    Lut table{};
    bool identity = true;

    explicit ToneCurve(const DecodeSettings& settings) {
        const double gamma = settings.gamma > 0 ? settings.gamma / 100.0 : 1.0;
        const int c = std::clamp(settings.contrast, 0, 255);
        const double contrast = c <= 20 ? 1.0 - c / 40.0 : 1.0 + (c - 20) / 80.0;
        for (int v = 0; v < 256; ++v) {
            double out = 255.0 * std::pow(v / 255.0, 1.0 / gamma);
            out = 128.0 + (out - 128.0) * contrast;
            table[v] = static_cast<std::uint8_t>(std::clamp(std::lround(out), 0L, 255L));
            identity = identity && table[v] == v;
        }
    }
};

// One raw row with a one-pixel reflected border on each side, so that the neighbours of
// column 0 and column width - 1 exist and carry the right mosaic colour. The tone curve is
// applied as rows are loaded: one lookup per raw sample instead of three per pixel later.
class PaddedRows {
public:
    PaddedRows(const std::uint8_t* raw, int width, int height, const ToneCurve& tone)
        : raw_(raw), width_(width), height_(height), tone_(tone.identity ? nullptr : &tone.table) {
        for (auto& row : rows_) {
            row.resize(static_cast<std::size_t>(width) + 2);
        }
    }

    // Pointer to column 0 of raw row y (reflected beyond the top and bottom).
    const std::uint8_t* row(int y) {
        const auto slot = static_cast<std::size_t>(y + 3) % 3;
        std::uint8_t* padded = rows_[slot].data();
        if (loaded_[slot] != y) {
            const int source = y < 0 ? -y : (y >= height_ ? 2 * height_ - 2 - y : y);
            const std::uint8_t* in = raw_ + static_cast<std::size_t>(source) * width_;
            if (tone_) {
                mapRow(in, width_, *tone_, padded + 1);
            } else {
                std::memcpy(padded + 1, in, static_cast<std::size_t>(width_));
            }
            padded[0] = padded[2];
            padded[width_ + 1] = padded[width_ - 1];
            loaded_[slot] = y;
        }
        return padded + 1;
    }

private:
    static void mapRow(const std::uint8_t* __restrict in, int width, const Lut& lut,
                       std::uint8_t* __restrict out) {
        for (int x = 0; x < width; ++x) {
            out[x] = lut[in[x]];
        }
    }

    const std::uint8_t* raw_;
    int width_;
    int height_;
    const Lut* tone_;
    std::array<std::vector<std::uint8_t>, 3> rows_;
    std::array<int, 3> loaded_{-10, -10, -10};
};

// `ownMask` is 0xFF where the row's own colour (red or blue) was sampled and 0 at green.
KRV_VECTOR_CLONES void bilinearRow(const std::uint8_t* __restrict up,
                                   const std::uint8_t* __restrict mid,
                                   const std::uint8_t* __restrict down,
                                   const std::uint8_t* __restrict ownMask, int width,
                                   std::uint8_t* __restrict own, std::uint8_t* __restrict green,
                                   std::uint8_t* __restrict other) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t horizontal =
            static_cast<std::uint8_t>((mid[x - 1] + mid[x + 1] + 1) >> 1);
        const std::uint8_t vertical = static_cast<std::uint8_t>((up[x] + down[x] + 1) >> 1);
        const std::uint8_t cross =
            static_cast<std::uint8_t>((mid[x - 1] + mid[x + 1] + up[x] + down[x] + 2) >> 2);
        const std::uint8_t diagonal =
            static_cast<std::uint8_t>((up[x - 1] + up[x + 1] + down[x - 1] + down[x + 1] + 2) >> 2);
        const std::uint8_t m = ownMask[x];
        own[x] = static_cast<std::uint8_t>((mid[x] & m) | (horizontal & ~m));
        green[x] = static_cast<std::uint8_t>((cross & m) | (mid[x] & ~m));
        other[x] = static_cast<std::uint8_t>((diagonal & m) | (vertical & ~m));
    }
}

KRV_VECTOR_CLONES void nearestRow(const std::uint8_t* __restrict mid,
                                  const std::uint8_t* __restrict down,
                                  const std::uint8_t* __restrict ownMask, int width,
                                  std::uint8_t* __restrict own, std::uint8_t* __restrict green,
                                  std::uint8_t* __restrict other) {
    for (int x = 0; x < width; ++x) {
        const std::uint8_t m = ownMask[x];
        own[x] = static_cast<std::uint8_t>((mid[x] & m) | (mid[x + 1] & ~m));
        green[x] = static_cast<std::uint8_t>((mid[x + 1] & m) | (mid[x] & ~m));
        other[x] = static_cast<std::uint8_t>((down[x + 1] & m) | (down[x] & ~m));
    }
}

KRV_VECTOR_CLONES void toGrey(std::uint8_t* __restrict r, std::uint8_t* __restrict g,
                              std::uint8_t* __restrict b, int width) {
    for (int x = 0; x < width; ++x) {
        const auto y = static_cast<std::uint8_t>((77 * r[x] + 150 * g[x] + 29 * b[x] + 128) >> 8);
        r[x] = y;
        g[x] = y;
        b[x] = y;
    }
}

// Moves each colour away from (or towards) the pixel's luminance; factor 256 = unchanged.
// The arithmetic is arranged to fit 16-bit lanes: the difference and the factor are scaled
// by 16 and multiplied keeping the high half, which equals (difference x factor) >> 8.
KRV_VECTOR_CLONES void saturate(std::uint8_t* __restrict r, std::uint8_t* __restrict g,
                                std::uint8_t* __restrict b, int width, int factor) {
    const auto scaledFactor = static_cast<std::int16_t>(std::clamp(factor, 0, 2047) * 16);
    auto shift = [scaledFactor](int colour, int luma) {
        const auto difference = static_cast<std::int16_t>((colour - luma) * 16);
        const int moved = luma + static_cast<std::int16_t>((difference * scaledFactor) >> 16);
        return static_cast<std::uint8_t>(std::clamp(moved, 0, 255));
    };
    for (int x = 0; x < width; ++x) {
        const int y = static_cast<std::uint16_t>(77 * r[x] + 150 * g[x] + 29 * b[x] + 128) >> 8;
        r[x] = shift(r[x], y);
        g[x] = shift(g[x], y);
        b[x] = shift(b[x], y);
    }
}

KRV_VECTOR_CLONES void pack(const std::uint8_t* __restrict r, const std::uint8_t* __restrict g,
                            const std::uint8_t* __restrict b, int width,
                            std::uint8_t* __restrict out) {
    for (int x = 0; x < width; ++x) {
        out[3 * x] = b[x];
        out[3 * x + 1] = g[x];
        out[3 * x + 2] = r[x];
    }
}

}  // namespace

bool decodeFrame(const std::uint8_t* raw, std::uint8_t* image, int width, int height,
                 const DecodeSettings& settings) {
    if (!raw || !image || width < 2 || height < 2) {
        return false;
    }
    const ToneCurve tone(settings);
    const bool mono = settings.phase >= kMonochromePhase;
    const int saturationFactor =
        std::clamp(settings.saturation, 0, 255) * (settings.colourEnhancement ? 3 : 2);
    const bool saturating = !mono && !settings.monochrome && saturationFactor != 256;
    const bool grey = !mono && settings.monochrome;

    const auto w = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> planes(3 * w);
    std::uint8_t* red = planes.data();
    std::uint8_t* green = red + w;
    std::uint8_t* blue = green + w;
    std::vector<std::uint8_t> masks(2 * w);
    for (std::size_t x = 0; x < w; ++x) {
        masks[x] = x % 2 == 0 ? 0xFF : 0x00;      // own colour at even columns
        masks[w + x] = x % 2 == 1 ? 0xFF : 0x00;  // own colour at odd columns
    }

    PaddedRows rows(raw, width, height, tone);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = image + static_cast<std::size_t>(height - 1 - y) * w * 3;
        if (mono) {
            const std::uint8_t* in = rows.row(y);
            pack(in, in, in, width, out);
            continue;
        }
        const Channel atEven = mosaicChannel(settings.phase, y, 0);
        const bool ownAtEven = atEven != kGreen;
        const Channel ownChannel = ownAtEven ? atEven : mosaicChannel(settings.phase, y, 1);
        std::uint8_t* own = ownChannel == kRed ? red : blue;
        std::uint8_t* other = ownChannel == kRed ? blue : red;
        const std::uint8_t* mask = masks.data() + (ownAtEven ? 0 : w);
        const std::uint8_t* up = rows.row(y - 1);
        const std::uint8_t* mid = rows.row(y);
        const std::uint8_t* down = rows.row(y + 1);
        if (settings.sharp) {
            nearestRow(mid, down, mask, width, own, green, other);
        } else {
            bilinearRow(up, mid, down, mask, width, own, green, other);
        }
        if (grey) {
            toGrey(red, green, blue, width);
        } else if (saturating) {
            saturate(red, green, blue, width, saturationFactor);
        }
        pack(red, green, blue, width, out);
    }
    return true;
}

}  // namespace krvcamera
