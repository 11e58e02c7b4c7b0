#pragma once

// Shared machinery of the processing operations: error text, progress and cancellation,
// row access, the two-thread row splitter and conversions between pixel layouts.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "image/KxImage.h"

// Hot loops get an AVX2 clone chosen when the library loads. Sanitizer builds instrument the
// clone resolvers, which run before the sanitizer runtime starts, so they keep one version.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KX_VECTOR_CLONES
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
#define KX_VECTOR_CLONES
#endif
#endif
#ifndef KX_VECTOR_CLONES
#define KX_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#endif

namespace kxops::detail {

inline constexpr char kErrorEmpty[] = "null image!!!";
inline constexpr char kErrorCancelled[] = "Cancelled";
inline constexpr char kErrorParameter[] = "Invalid parameter";
inline constexpr char kErrorSizeMismatch[] = "Images must have the same size";

// Writes the last-error text of a picture.
void SetError(KxImage& img, const char* text);

inline uint8_t Clamp8(int v) {
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}
inline uint8_t Clamp8f(float v) {
    return static_cast<uint8_t>(v <= 0.0f ? 0 : (v >= 255.0f ? 255 : static_cast<int>(v + 0.5f)));
}

inline uint8_t* Row(const KxImage& img, uint32_t y) {
    return img.GetBits(0) + static_cast<size_t>(y) * img.GetEffWidth();
}
inline uint8_t* SelectionRow(const KxImage& img, uint32_t y) {
    uint8_t* plane = img.SelectionGetPointer();
    return plane == nullptr ? nullptr : plane + static_cast<size_t>(y) * img.GetWidth();
}
inline uint8_t* AlphaRow(const KxImage& img, uint32_t y) {
    uint8_t* plane = img.AlphaGetPointer();
    return plane == nullptr ? nullptr : plane + static_cast<size_t>(y) * img.GetWidth();
}

// Reports progress of a run of steps to a picture and watches its escape field.
class Progress {
public:
    Progress(KxImage& img, int64_t total, int32_t from = 0, int32_t to = 100);
    // False once the escape field is set (the last error then says "Cancelled").
    bool Step(int64_t done);
    void Finish() { img_.SetProgress(to_); }

private:
    KxImage& img_;
    int64_t total_;
    int32_t from_, to_, last_ = -1;
};

// Passes rows to one worker of ForRows: the first worker reports progress, every worker
// stops when the escape field is set.
class RowGate {
public:
    RowGate(KxImage& img, uint32_t begin, uint32_t end, bool reports)
        : img_(img), begin_(begin), end_(end), reports_(reports) {}
    bool Pass(uint32_t y);

private:
    KxImage& img_;
    uint32_t begin_, end_;
    bool reports_;
    int32_t last_ = -1;
};

// Number of worker threads for a job of that many pixels: 1 for small jobs, otherwise
// KORVEL_IMAGE_THREADS (default 2, at most the hardware threads).
unsigned ThreadsFor(uint64_t pixels);

using RowJob = std::function<bool(uint32_t begin, uint32_t end, RowGate& gate)>;
// Splits [0, rows) into one contiguous band per thread and runs `job` on each. Returns false
// (with "Cancelled") when a worker stopped early; sets progress 100 on success.
bool ForRows(KxImage& progressImg, uint32_t rows, unsigned threads, const RowJob& job);

// 8 bpp with palette entry i equal to grey i: the pixel bytes are grey levels.
bool IsGreyRamp(const KxImage& img);
// Channels of the layouts the fast paths work on: 3 for 24 bpp, 1 for a grey ramp, else 0.
int DirectChannels(const KxImage& img);

// Whether a new picture starts black or is about to have every pixel written.
enum class NewPixels { Cleared, Overwritten };

// Makes `dst` a picture of the given size and depth with src's info record and, for palette
// depths equal to src's, src's palette.
bool MakeLike(KxImage& dst, const KxImage& src, uint32_t width, uint32_t height, uint32_t bpp,
              NewPixels pixels = NewPixels::Cleared);
void MakeGrey(KxImage& dst, const KxImage& like, uint32_t width, uint32_t height,
              NewPixels pixels = NewPixels::Cleared);

// The picture as 24 bits (selection and alpha kept; an enabled alpha palette becomes an alpha
// plane when no plane exists).
bool ExpandTo24(const KxImage& src, KxImage& dst);

// Exact nearest-colour search in a palette, with a cache for repeated colours.
class NearestIndex {
public:
    NearestIndex(const RGBQUAD* palette, uint32_t count);
    uint8_t operator()(uint8_t r, uint8_t g, uint8_t b);

private:
    uint8_t Search(int r, int g, int b) const;
    std::vector<RGBQUAD> palette_;
    // Cache keyed by 15 bits of the colour; each slot remembers the full colour + 1.
    std::vector<uint32_t> keys_;
    std::vector<uint8_t> values_;
};

// Writes the 24-bit picture into `dst` at `bpp` with the nearest colours of `palette`.
bool MapToPalette(const KxImage& src24, KxImage& dst, uint32_t bpp, const RGBQUAD* palette,
                  uint32_t count);

// Runs `op` on a picture whose pixels are 24-bit colours or 8-bit grey levels; any other
// palette picture is expanded to 24 bits and mapped back to its own palette afterwards.
bool OnDirectPixels(KxImage& img, const std::function<bool(KxImage&)>& op);

// Bit-packed palette index access for 1 and 4 bpp rows.
inline uint8_t PackedIndex(const uint8_t* row, uint32_t x, uint32_t bpp) {
    if (bpp == 8)
        return row[x];
    if (bpp == 4)
        return (x & 1) ? (row[x >> 1] & 0x0F) : (row[x >> 1] >> 4);
    return (row[x >> 3] >> (7 - (x & 7))) & 1;
}
inline void SetPackedIndex(uint8_t* row, uint32_t x, uint32_t bpp, uint8_t i) {
    if (bpp == 8) {
        row[x] = i;
    } else if (bpp == 4) {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (i & 0x0F))
                    : static_cast<uint8_t>((b & 0x0F) | (i << 4));
    } else {
        uint8_t& b = row[x >> 3];
        const uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        b = (i & 1) ? (b | bit) : (b & ~bit);
    }
}

// Small deterministic generator (xorshift) for noise; seeded per row so that results do
// not depend on the number of threads.
class Random {
public:
    explicit Random(uint64_t seed) : s_(seed * 0x9E3779B97F4A7C15ull + 0x632BE59BD9B4E019ull) {
        Next();
    }
    uint32_t Next() {
        s_ ^= s_ << 13;
        s_ ^= s_ >> 7;
        s_ ^= s_ << 17;
        return static_cast<uint32_t>(s_ >> 16);
    }
    // Uniform in [lo, hi].
    int Range(int lo, int hi) {
        return lo + static_cast<int>(Next() % static_cast<uint32_t>(hi - lo + 1));
    }

private:
    uint64_t s_;
};

// Colour samplers over a whole picture (geometry operations).
struct SampleSource {
    const KxImage* img;
    int32_t width, height, channels;  // channels 1, 3 (direct) or 4 (with alpha)
};

}  // namespace kxops::detail
