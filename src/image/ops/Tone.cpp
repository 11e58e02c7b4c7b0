// Tone operations: per-pixel lookup tables, grey conversion, threshold, colourising and
// the histogram family. With a selection only the selected pixels change.

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <memory>

#include "image/ops/ColourSpaces.h"
#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"
#include "image/ops/PixelRows.h"

namespace kxops {

using namespace detail;

namespace {

using Lut = std::array<uint8_t, 256>;

bool CheckValid(KxImage& img) {
    if (!img.IsValid()) {
        SetError(img, kErrorEmpty);
        return false;
    }
    return true;
}

// Table lookups do not vectorise (byte gathers are slower than loads); eight bytes per step
// through one 64-bit load and store keep the loop at the speed of the lookups themselves.
void LutBytes(uint8_t* p, size_t n, const uint8_t* lut) {
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t v;
        std::memcpy(&v, p + i, 8);
        const uint64_t r =
            uint64_t(lut[v & 0xFF]) | uint64_t(lut[(v >> 8) & 0xFF]) << 8 |
            uint64_t(lut[(v >> 16) & 0xFF]) << 16 | uint64_t(lut[(v >> 24) & 0xFF]) << 24 |
            uint64_t(lut[(v >> 32) & 0xFF]) << 32 | uint64_t(lut[(v >> 40) & 0xFF]) << 40 |
            uint64_t(lut[(v >> 48) & 0xFF]) << 48 | uint64_t(lut[v >> 56]) << 56;
        std::memcpy(p + i, &r, 8);
    }
    for (; i < n; ++i)
        p[i] = lut[p[i]];
}

void LutRow24(uint8_t* p, uint32_t w, const uint8_t* lb, const uint8_t* lg, const uint8_t* lr,
              const uint8_t* mask) {
    for (uint32_t x = 0; x < w; ++x, p += 3) {
        if (mask != nullptr && mask[x] == 0)
            continue;
        p[0] = lb[p[0]];
        p[1] = lg[p[1]];
        p[2] = lr[p[2]];
    }
}

void LutRow8(uint8_t* p, uint32_t w, const uint8_t* lut, const uint8_t* mask) {
    if (mask == nullptr) {
        LutBytes(p, w, lut);
        return;
    }
    for (uint32_t x = 0; x < w; ++x)
        if (mask[x] != 0)
            p[x] = lut[p[x]];
}

// Applies one table per channel. Palette pictures without a selection change their palette;
// grey pictures become colour pictures only when the tables differ.
bool ApplyLuts(KxImage& img, const Lut& lb, const Lut& lg, const Lut& lr) {
    if (!CheckValid(img))
        return false;
    const bool uniform = lb == lg && lg == lr;
    if (img.GetBpp() <= 8 && !img.SelectionIsValid() && !(uniform && IsGreyRamp(img))) {
        RGBQUAD* pal = img.GetPalette();
        std::vector<RGBQUAD> entries(pal, pal + img.GetNumColors());
        for (RGBQUAD& c : entries) {
            c.rgbBlue = lb[c.rgbBlue];
            c.rgbGreen = lg[c.rgbGreen];
            c.rgbRed = lr[c.rgbRed];
        }
        img.SetPalette(entries.data(), static_cast<uint32_t>(entries.size()));
        img.SetProgress(100);
        return true;
    }
    if (img.GetBpp() <= 8 && !(uniform && IsGreyRamp(img))) {
        if (IsGreyRamp(img)) {
            KxImage work;
            if (!ExpandTo24(img, work) || !img.Transfer(work)) {
                SetError(img, work.GetLastError());
                return false;
            }
        } else {
            return OnDirectPixels(img, [&](KxImage& work) { return ApplyLuts(work, lb, lg, lr); });
        }
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    const bool colour = img.GetBpp() == 24;
    return ForRows(img, h, ThreadsFor(uint64_t(w) * h), [&](uint32_t b, uint32_t e, RowGate& gate) {
        for (uint32_t y = b; y < e; ++y) {
            if (!gate.Pass(y))
                return false;
            const uint8_t* mask = SelectionRow(img, y);
            if (!colour)
                LutRow8(Row(img, y), w, lb.data(), mask);
            else if (uniform && mask == nullptr)
                LutBytes(Row(img, y), size_t(w) * 3, lb.data());
            else
                LutRow24(Row(img, y), w, lb.data(), lg.data(), lr.data(), mask);
        }
        return true;
    });
}

bool ApplyLut(KxImage& img, const Lut& lut) {
    return ApplyLuts(img, lut, lut, lut);
}

void GreyRow(const uint8_t* s, uint8_t* d, uint32_t w) {
    GreyBgrRow(s, d, w);
}

// Counts byte values into four tables taken in turn, so that runs of equal values do not
// each wait for the previous increment of the same counter. A picture holds fewer than 2^32
// pixels, so 32-bit counters cannot overflow.
class ByteCounter {
public:
    void Add(const uint8_t* p, size_t n) {
        size_t i = 0;
        for (; i + 4 <= n; i += 4) {
            ++tables_[0][p[i]];
            ++tables_[1][p[i + 1]];
            ++tables_[2][p[i + 2]];
            ++tables_[3][p[i + 3]];
        }
        for (; i < n; ++i)
            ++tables_[0][p[i]];
    }
    void Add(uint8_t v) { ++tables_[0][v]; }
    // Adds the counts to `hist` and returns how many values were counted.
    uint64_t Into(std::array<uint64_t, 256>& hist) const {
        uint64_t count = 0;
        for (int v = 0; v < 256; ++v) {
            const uint64_t c =
                uint64_t(tables_[0][v]) + tables_[1][v] + tables_[2][v] + tables_[3][v];
            hist[v] += c;
            count += c;
        }
        return count;
    }

private:
    std::array<std::array<uint32_t, 256>, 4> tables_{};
};

// Grey histogram (house weights) of the selected pixels; returns the pixel count.
uint64_t GreyHistogram(const KxImage& img, std::array<uint64_t, 256>& hist) {
    hist.fill(0);
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    const int ch = DirectChannels(img);
    std::vector<uint8_t> grey(w);
    auto counter = std::make_unique<ByteCounter>();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        const uint8_t* grow = s;
        if (ch == 3) {
            GreyRow(s, grey.data(), w);
            grow = grey.data();
        } else if (ch == 0) {
            for (uint32_t x = 0; x < w; ++x)
                grey[x] = KxImage::GrayLevel(img.GetPaletteColor(PackedIndex(s, x, img.GetBpp())));
            grow = grey.data();
        }
        const uint8_t* mask = SelectionRow(img, y);
        if (mask == nullptr) {
            counter->Add(grow, w);
            continue;
        }
        for (uint32_t x = 0; x < w; ++x)
            if (mask[x] != 0)
                counter->Add(grow[x]);
    }
    return counter->Into(hist);
}

// Moves the luminance of every selected pixel through `lut`, keeping its chroma.
bool ApplyLumaLut(KxImage& img, const Lut& lut) {
    return OnDirectPixels(img, [&](KxImage& work) {
        if (DirectChannels(work) == 1)
            return ApplyLut(work, lut);
        const uint32_t w = work.GetWidth(), h = work.GetHeight();
        return ForRows(img, h, ThreadsFor(uint64_t(w) * h),
                       [&](uint32_t b, uint32_t e, RowGate& gate) {
                           std::vector<uint8_t> grey(w);
                           for (uint32_t y = b; y < e; ++y) {
                               if (!gate.Pass(y))
                                   return false;
                               uint8_t* p = Row(work, y);
                               const uint8_t* mask = SelectionRow(work, y);
                               GreyRow(p, grey.data(), w);
                               for (uint32_t x = 0; x < w; ++x, p += 3) {
                                   if (mask != nullptr && mask[x] == 0)
                                       continue;
                                   const int d = lut[grey[x]] - grey[x];
                                   p[0] = Clamp8(p[0] + d);
                                   p[1] = Clamp8(p[1] + d);
                                   p[2] = Clamp8(p[2] + d);
                               }
                           }
                           return true;
                       });
    });
}

Lut LinearStretch(int lo, int hi) {
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = hi > lo ? Clamp8(((v - lo) * 255 + (hi - lo) / 2) / (hi - lo)) : uint8_t(v);
    return lut;
}

// Per-channel histograms of the selected pixels of a direct picture (b, g, r order).
void ChannelHistograms(const KxImage& img, std::array<std::array<uint64_t, 256>, 3>& hist) {
    for (auto& hh : hist)
        hh.fill(0);
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    const int ch = DirectChannels(img);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* p = Row(img, y);
        const uint8_t* mask = SelectionRow(img, y);
        for (uint32_t x = 0; x < w; ++x, p += ch)
            if (mask == nullptr || mask[x] != 0)
                for (int c = 0; c < 3; ++c)
                    ++hist[c][p[ch == 3 ? c : 0]];
    }
}

// Range [lo, hi] holding all but `tail` of the counts on each side.
std::pair<int, int> Range(const std::array<uint64_t, 256>& hist, uint64_t tail) {
    uint64_t acc = 0;
    int lo = 0, hi = 255;
    for (lo = 0; lo < 255; ++lo) {
        acc += hist[lo];
        if (acc > tail)
            break;
    }
    acc = 0;
    for (hi = 255; hi > 0; --hi) {
        acc += hist[hi];
        if (acc > tail)
            break;
    }
    return {lo, std::max(lo, hi)};
}

bool StretchChannels(KxImage& img, double tailFraction) {
    return OnDirectPixels(img, [&](KxImage& work) {
        std::array<std::array<uint64_t, 256>, 3> hist;
        ChannelHistograms(work, hist);
        uint64_t total = 0;
        for (uint64_t c : hist[0])
            total += c;
        const uint64_t tail = static_cast<uint64_t>(total * tailFraction);
        Lut luts[3];
        for (int c = 0; c < 3; ++c) {
            const auto [lo, hi] = Range(hist[c], tail);
            luts[c] = LinearStretch(lo, hi);
        }
        return ApplyLuts(work, luts[0], luts[1], luts[2]);
    });
}

// Turns grey levels into flags: 1 above `level`, else 0.
KX_VECTOR_CLONES void AboveLevel(uint8_t* p, size_t n, uint8_t level) {
    for (size_t i = 0; i < n; ++i)
        p[i] = p[i] > level ? 1 : 0;
}

// Packs eight 0/1 flags into one byte, the first flag in the top bit: one multiplication
// moves flag k of a little-endian word to bit 63 - k without carries between them.
inline uint8_t PackFlags(const uint8_t* flags) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t v;
        std::memcpy(&v, flags, 8);
        return static_cast<uint8_t>((v * 0x8040201008040201ull) >> 56);
    } else {
        uint8_t bits = 0;
        for (int k = 0; k < 8; ++k)
            bits = static_cast<uint8_t>((bits << 1) | flags[k]);
        return bits;
    }
}

KX_VECTOR_CLONES void InvertBytes(uint8_t* p, size_t n) {
    for (size_t i = 0; i < n; ++i)
        p[i] = static_cast<uint8_t>(~p[i]);
}

}  // namespace

bool Negative(KxImage& img) {
    if (DirectChannels(img) != 0 && !img.SelectionIsValid()) {
        const uint32_t w = img.GetWidth(), h = img.GetHeight();
        const size_t bytes = size_t(w) * DirectChannels(img);
        return ForRows(img, h, ThreadsFor(uint64_t(w) * h),
                       [&](uint32_t b, uint32_t e, RowGate& gate) {
                           for (uint32_t y = b; y < e; ++y) {
                               if (!gate.Pass(y))
                                   return false;
                               InvertBytes(Row(img, y), bytes);
                           }
                           return true;
                       });
    }
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = static_cast<uint8_t>(255 - v);
    return ApplyLut(img, lut);
}

bool Light(KxImage& img, int32_t brightness, int32_t contrast) {
    if (!CheckValid(img))
        return false;
    const float c = (100.0f + std::clamp(contrast, -100, 1000)) / 100.0f;
    const float offset = 128.0f + std::clamp(brightness, -255, 255);
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = Clamp8(static_cast<int>(std::floor((v - 128) * c + offset + 0.5f)));
    return ApplyLut(img, lut);
}

bool Gamma(KxImage& img, float gamma) {
    if (!CheckValid(img))
        return false;
    if (!(gamma > 0.0f) || !std::isfinite(gamma)) {
        SetError(img, kErrorParameter);
        return false;
    }
    Lut lut;
    const double inv = 1.0 / gamma;
    for (int v = 0; v < 256; ++v)
        lut[v] = Clamp8(static_cast<int>(std::floor(255.0 * std::pow(v / 255.0, inv) + 0.5)));
    return ApplyLut(img, lut);
}

bool ShiftRGB(KxImage& img, int32_t r, int32_t g, int32_t b) {
    if (!CheckValid(img))
        return false;
    Lut lr, lg, lb;
    for (int v = 0; v < 256; ++v) {
        lr[v] = Clamp8(v + std::clamp(r, -255, 255));
        lg[v] = Clamp8(v + std::clamp(g, -255, 255));
        lb[v] = Clamp8(v + std::clamp(b, -255, 255));
    }
    return ApplyLuts(img, lb, lg, lr);
}

bool GrayScale(KxImage& img) {
    if (!CheckValid(img))
        return false;
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    if (img.SelectionIsValid()) {
        // Only the selected pixels turn grey; the picture keeps its depth.
        return OnDirectPixels(img, [&](KxImage& work) {
            if (DirectChannels(work) == 1) {
                work.SetProgress(100);
                return true;
            }
            return ForRows(img, h, 1, [&](uint32_t b, uint32_t e, RowGate& gate) {
                for (uint32_t y = b; y < e; ++y) {
                    if (!gate.Pass(y))
                        return false;
                    uint8_t* p = Row(work, y);
                    const uint8_t* mask = SelectionRow(work, y);
                    for (uint32_t x = 0; x < w; ++x, p += 3)
                        if (mask[x] != 0)
                            p[0] = p[1] = p[2] =
                                static_cast<uint8_t>((601 * p[1] + 306 * p[2] + 117 * p[0]) >> 10);
                }
                return true;
            });
        });
    }
    if (bpp < 8) {
        RGBQUAD* pal = img.GetPalette();
        for (uint32_t i = 0; i < img.GetNumColors(); ++i) {
            const uint8_t v = KxImage::GrayLevel(pal[i]);
            img.SetPaletteColor(static_cast<uint8_t>(i), RGBQUAD{v, v, v, pal[i].rgbReserved});
        }
        img.SetProgress(100);
        return true;
    }
    if (IsGreyRamp(img)) {
        img.SetProgress(100);
        return true;
    }
    KxImage out;
    MakeGrey(out, img, w, h, NewPixels::Overwritten);
    if (!out.IsValid()) {
        SetError(img, out.GetLastError());
        return false;
    }
    Lut paletteGrey{};
    if (bpp == 8)
        for (int i = 0; i < 256; ++i)
            paletteGrey[i] = KxImage::GrayLevel(img.GetPaletteColor(static_cast<uint8_t>(i)));
    const bool ok =
        ForRows(img, h, ThreadsFor(uint64_t(w) * h), [&](uint32_t b, uint32_t e, RowGate& gate) {
            for (uint32_t y = b; y < e; ++y) {
                if (!gate.Pass(y))
                    return false;
                if (bpp == 24) {
                    GreyRow(Row(img, y), Row(out, y), w);
                } else {
                    std::memcpy(Row(out, y), Row(img, y), w);
                    LutBytes(Row(out, y), w, paletteGrey.data());
                }
            }
            return true;
        });
    if (!ok)
        return false;
    if (img.GetTransIndex() >= 0 && bpp == 8)
        out.SetTransIndex(paletteGrey[img.GetTransIndex()]);
    if (img.AlphaIsValid() && out.AlphaCreate())
        std::memcpy(out.AlphaGetPointer(), img.AlphaGetPointer(), size_t(w) * h);
    out.AlphaPaletteEnable(false);
    img.Transfer(out);
    img.SetProgress(100);
    return true;
}

bool Threshold(KxImage& img, uint8_t level) {
    if (!CheckValid(img))
        return false;
    if (img.SelectionIsValid()) {
        Lut lut;
        for (int v = 0; v < 256; ++v)
            lut[v] = v > level ? 255 : 0;
        return GrayScale(img) && ApplyLut(img, lut);
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    Lut paletteGrey{};
    if (bpp <= 8)
        for (uint32_t i = 0; i < img.GetNumColors(); ++i)
            paletteGrey[i] = KxImage::GrayLevel(img.GetPaletteColor(static_cast<uint8_t>(i)));
    KxImage out;
    if (!MakeLike(out, img, w, h, 1, NewPixels::Overwritten)) {
        SetError(img, out.GetLastError());
        return false;
    }
    out.SetPaletteColor(0, RGBQUAD{0, 0, 0, 0});
    out.SetPaletteColor(1, RGBQUAD{255, 255, 255, 0});
    out.SetTransIndex(-1);
    const bool ok =
        ForRows(img, h, ThreadsFor(uint64_t(w) * h), [&](uint32_t b, uint32_t e, RowGate& gate) {
            std::vector<uint8_t> grey(w + 8, 0);
            for (uint32_t y = b; y < e; ++y) {
                if (!gate.Pass(y))
                    return false;
                const uint8_t* s = Row(img, y);
                if (bpp == 24)
                    GreyRow(s, grey.data(), w);
                else
                    for (uint32_t x = 0; x < w; ++x)
                        grey[x] = paletteGrey[PackedIndex(s, x, bpp)];
                AboveLevel(grey.data(), w, level);
                uint8_t* d = Row(out, y);
                for (uint32_t x = 0; x < w; x += 8)
                    d[x >> 3] = PackFlags(&grey[x]);
                // Keep the row padding clean.
                if (w % 8 != 0)
                    d[w >> 3] &= static_cast<uint8_t>(0xFF << (8 - w % 8));
            }
            return true;
        });
    if (!ok)
        return false;
    if (img.AlphaIsValid() && out.AlphaCreate())
        std::memcpy(out.AlphaGetPointer(), img.AlphaGetPointer(), size_t(w) * h);
    out.AlphaPaletteEnable(false);
    img.Transfer(out);
    img.SetProgress(100);
    return true;
}

bool Colorize(KxImage& img, uint8_t hue, uint8_t sat, float blend) {
    if (!CheckValid(img))
        return false;
    if (!std::isfinite(blend)) {
        SetError(img, kErrorParameter);
        return false;
    }
    const int wb = static_cast<int>(std::clamp(blend, 0.0f, 1.0f) * 256.0f + 0.5f);
    // The new colour depends only on the pixel's lightness.
    std::array<RGBQUAD, 256> tint;
    for (int l = 0; l < 256; ++l)
        tint[l] = KxImage::HSLtoRGB(RGBQUAD{static_cast<uint8_t>(l), sat, hue, 0});
    auto mixed = [&](uint8_t& b, uint8_t& g, uint8_t& r) {
        const int mx = std::max({r, g, b}), mn = std::min({r, g, b});
        const RGBQUAD& t = tint[((mx + mn) * 255 + 255) / 510];
        b = static_cast<uint8_t>((b * (256 - wb) + t.rgbBlue * wb + 128) >> 8);
        g = static_cast<uint8_t>((g * (256 - wb) + t.rgbGreen * wb + 128) >> 8);
        r = static_cast<uint8_t>((r * (256 - wb) + t.rgbRed * wb + 128) >> 8);
    };
    if (img.GetBpp() <= 8 && !img.SelectionIsValid()) {
        for (uint32_t i = 0; i < img.GetNumColors(); ++i) {
            RGBQUAD c = img.GetPaletteColor(static_cast<uint8_t>(i));
            mixed(c.rgbBlue, c.rgbGreen, c.rgbRed);
            img.SetPaletteColor(static_cast<uint8_t>(i), c);
        }
        img.SetProgress(100);
        return true;
    }
    if (img.GetBpp() <= 8) {
        KxImage work;
        if (!ExpandTo24(img, work) || !img.Transfer(work)) {
            SetError(img, work.GetLastError());
            return false;
        }
    }
    const uint32_t w = img.GetWidth(), h = img.GetHeight();
    return ForRows(img, h, ThreadsFor(uint64_t(w) * h), [&](uint32_t b, uint32_t e, RowGate& gate) {
        for (uint32_t y = b; y < e; ++y) {
            if (!gate.Pass(y))
                return false;
            uint8_t* p = Row(img, y);
            const uint8_t* mask = SelectionRow(img, y);
            for (uint32_t x = 0; x < w; ++x, p += 3)
                if (mask == nullptr || mask[x] != 0)
                    mixed(p[0], p[1], p[2]);
        }
        return true;
    });
}

bool HistogramEqualize(KxImage& img) {
    if (!CheckValid(img))
        return false;
    return OnDirectPixels(img, [&](KxImage& work) {
        std::array<uint64_t, 256> hist;
        const uint64_t total = GreyHistogram(work, hist);
        uint64_t cdfMin = 0;
        for (uint64_t c : hist)
            if (c != 0) {
                cdfMin = c;
                break;
            }
        Lut lut;
        uint64_t cdf = 0;
        for (int v = 0; v < 256; ++v) {
            cdf += hist[v];
            lut[v] = total > cdfMin
                         ? static_cast<uint8_t>(
                               ((cdf > cdfMin ? cdf - cdfMin : 0) * 255 + (total - cdfMin) / 2) /
                               (total - cdfMin))
                         : static_cast<uint8_t>(v);
        }
        return ApplyLumaLut(work, lut);
    });
}

bool HistogramStretch(KxImage& img, int32_t method) {
    if (!CheckValid(img))
        return false;
    if (method < 0 || method > 2) {
        SetError(img, kErrorParameter);
        return false;
    }
    if (method == 1)
        return StretchChannels(img, 0.0);
    return OnDirectPixels(img, [&](KxImage& work) {
        std::array<uint64_t, 256> hist;
        GreyHistogram(work, hist);
        const auto [lo, hi] = Range(hist, 0);
        const Lut lut = LinearStretch(lo, hi);
        if (method == 0) {
            // The same mapping for every channel, taken from the luminance range.
            std::array<std::array<uint64_t, 256>, 3> ch;
            ChannelHistograms(work, ch);
            int cmin = 255, cmax = 0;
            for (int c = 0; c < 3; ++c) {
                const auto [l, h] = Range(ch[c], 0);
                cmin = std::min(cmin, l);
                cmax = std::max(cmax, h);
            }
            return ApplyLut(work, LinearStretch(cmin, cmax));
        }
        return ApplyLumaLut(work, lut);
    });
}

bool HistogramNormalize(KxImage& img) {
    if (!CheckValid(img))
        return false;
    // Each channel spread over 0...255, ignoring half a percent of outliers at either end.
    return StretchChannels(img, 0.005);
}

bool HistogramLog(KxImage& img) {
    if (!CheckValid(img))
        return false;
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = Clamp8(static_cast<int>(255.0 * std::log1p(v) / std::log(256.0) + 0.5));
    return ApplyLumaLut(img, lut);
}

bool HistogramRoot(KxImage& img) {
    if (!CheckValid(img))
        return false;
    Lut lut;
    for (int v = 0; v < 256; ++v)
        lut[v] = Clamp8(static_cast<int>(255.0 * std::sqrt(v / 255.0) + 0.5));
    return ApplyLumaLut(img, lut);
}

int32_t Histogram(const KxImage& img, int32_t* red, int32_t* green, int32_t* blue, int32_t* gray,
                  int32_t colorspace) {
    if (!img.IsValid() || colorspace < 0 || colorspace > 4)
        return 0;
    int32_t* out[4] = {red, green, blue, gray};
    for (int32_t* o : out)
        if (o != nullptr)
            std::fill(o, o + 256, 0);
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    std::array<std::array<int32_t, 256>, 4> counts{};
    const RGBQUAD* pal = img.GetPalette();
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        const uint8_t* mask = SelectionRow(img, y);
        for (uint32_t x = 0; x < w; ++x) {
            if (mask != nullptr && mask[x] == 0)
                continue;
            int r, g, b;
            if (bpp == 24) {
                b = s[3 * x];
                g = s[3 * x + 1];
                r = s[3 * x + 2];
            } else {
                const RGBQUAD& c = pal[PackedIndex(s, x, bpp)];
                b = c.rgbBlue;
                g = c.rgbGreen;
                r = c.rgbRed;
            }
            ++counts[3][(601 * g + 306 * r + 117 * b) >> 10];
            if (colorspace == 0) {
                ++counts[0][r];
                ++counts[1][g];
                ++counts[2][b];
            } else {
                const Triple t = ToSpace(colorspace, r, g, b);
                ++counts[0][t.a];
                ++counts[1][t.b];
                ++counts[2][t.c];
            }
        }
    }
    int32_t largest = 0;
    for (int k = 0; k < 4; ++k) {
        if (out[k] == nullptr)
            continue;
        std::copy(counts[k].begin(), counts[k].end(), out[k]);
        largest = std::max(largest, *std::max_element(counts[k].begin(), counts[k].end()));
    }
    return largest;
}

float Mean(const KxImage& img) {
    if (!img.IsValid())
        return 0.0f;
    std::array<uint64_t, 256> hist;
    const uint64_t count = GreyHistogram(img, hist);
    if (count == 0)
        return 0.0f;
    double sum = 0;
    for (int v = 0; v < 256; ++v)
        sum += static_cast<double>(v) * hist[v];
    return static_cast<float>(sum / count);
}

}  // namespace kxops
