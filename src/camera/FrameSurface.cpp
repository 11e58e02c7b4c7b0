#include "camera/FrameSurface.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvel::camera {

namespace {

// The row loops are also built for AVX2 where the processor has it.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define KORVEL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KORVEL_VECTOR_CLONES
#endif

// Blends two source rows with weight `w` (0..256) of the second.
KORVEL_VECTOR_CLONES void blendRows(const std::uint8_t* __restrict a,
                                    const std::uint8_t* __restrict b, int w, int count,
                                    std::uint8_t* __restrict out) {
    const unsigned wb = static_cast<unsigned>(w);
    const unsigned wa = 256u - wb;
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<std::uint8_t>((a[i] * wa + b[i] * wb + 128u) >> 8);
    }
}

std::uint32_t load32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// One destination pixel from the four bytes at each tap, two channels per multiply: the
// even and the odd bytes sit in 16-bit lanes that cannot overflow (255 x 256 + 128).
std::uint32_t blendPixel(const std::uint8_t* row, const RegionScaler::Tap& t) {
    const std::uint32_t a = load32(row + t.offset);
    const std::uint32_t b = load32(row + t.offset + t.next);
    const std::uint32_t wb = t.weight;
    const std::uint32_t wa = 256u - wb;
    const std::uint32_t even =
        (((a & 0x00FF00FFu) * wa + (b & 0x00FF00FFu) * wb + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t odd =
        (((a >> 8) & 0x00FF00FFu) * wa + ((b >> 8) & 0x00FF00FFu) * wb + 0x00800080u) & 0xFF00FF00u;
    return even | odd;
}

// `row` must have four readable bytes past its last pixel.
void blendColumns(const std::uint8_t* __restrict row, const RegionScaler::Tap* taps,
                  [[maybe_unused]] const std::uint16_t* leftWeights,
                  [[maybe_unused]] const std::uint16_t* rightWeights, int count,
                  std::uint8_t* __restrict out) {
    // Each pixel is stored as four bytes, the fourth overwritten by the next pixel; the
    // last one is stored as three so the row never spills over.
    int x = 0;
#if defined(__SSE2__)
    // Four pixels at a time, each channel a 16-bit lane.
    const __m128i zero = _mm_setzero_si128();
    const __m128i half = _mm_set1_epi16(128);
    for (; x + 4 < count; x += 4) {
        const RegionScaler::Tap* t = taps + x;
        const auto left = [&](int k) { return static_cast<int>(load32(row + t[k].offset)); };
        const auto right = [&](int k) {
            return static_cast<int>(load32(row + t[k].offset + t[k].next));
        };
        const __m128i a = _mm_setr_epi32(left(0), left(1), left(2), left(3));
        const __m128i b = _mm_setr_epi32(right(0), right(1), right(2), right(3));
        const auto* wa = reinterpret_cast<const __m128i*>(leftWeights + 4 * x);
        const auto* wb = reinterpret_cast<const __m128i*>(rightWeights + 4 * x);
        const __m128i low = _mm_srli_epi16(
            _mm_add_epi16(
                _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), _mm_loadu_si128(wa)),
                              _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), _mm_loadu_si128(wb))),
                half),
            8);
        const __m128i high = _mm_srli_epi16(
            _mm_add_epi16(
                _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), _mm_loadu_si128(wa + 1)),
                              _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), _mm_loadu_si128(wb + 1))),
                half),
            8);
        __m128i pixels = _mm_packus_epi16(low, high);
        for (int k = 0; k < 4; ++k) {
            const std::uint32_t v = static_cast<std::uint32_t>(_mm_cvtsi128_si32(pixels));
            std::memcpy(out, &v, 4);
            out += 3;
            pixels = _mm_srli_si128(pixels, 4);
        }
    }
#endif
    for (; x + 1 < count; ++x) {
        const std::uint32_t v = blendPixel(row, taps[x]);
        std::memcpy(out, &v, 4);
        out += 3;
    }
    if (count > 0) {
        const std::uint32_t v = blendPixel(row, taps[count - 1]);
        std::memcpy(out, &v, 3);
    }
}

// Source position of destination sample i, centre-aligned, in 1/256 steps.
struct Position {
    int index;
    int next;  // 1, or 0 at the last source sample
    unsigned weight;
};

Position sourcePosition(int i, int sourceCount, int destinationCount) {
    const std::int64_t scaled =
        ((2 * std::int64_t{i} + 1) * sourceCount * 256) / (2 * std::int64_t{destinationCount}) -
        128;
    std::int64_t clamped = std::clamp<std::int64_t>(scaled, 0, std::int64_t{sourceCount - 1} * 256);
    const int index = static_cast<int>(clamped >> 8);
    const unsigned weight = static_cast<unsigned>(clamped & 0xFF);
    return {index, index + 1 < sourceCount ? 1 : 0, weight};
}

}  // namespace

void SurfacePicture::resize(int w, int h) {
    width = std::max(w, 0);
    height = std::max(h, 0);
    stride = (width * 3 + 3) & ~3;
    pixels.resize(static_cast<std::size_t>(stride) * height);
}

QImage SurfacePicture::image() const {
    if (width <= 0 || height <= 0) {
        return {};
    }
    return QImage(pixels.data(), width, height, stride, QImage::Format_BGR888);
}

void scaleRegion(const std::uint8_t* image, int width, int height, const Region& region,
                 SurfacePicture& out) {
    RegionScaler().scale(image, width, height, region, out);
}

void RegionScaler::scale(const std::uint8_t* image, int width, int height, const Region& region,
                         SurfacePicture& out) {
    const int sw = region.width();
    const int sh = region.height();
    if (out.width <= 0 || out.height <= 0 || sw <= 0 || sh <= 0 || region.left < 0 ||
        region.top < 0 || region.right > width || region.bottom > height) {
        return;
    }
    taps_.resize(static_cast<std::size_t>(out.width));
    for (int x = 0; x < out.width; ++x) {
        const Position p = sourcePosition(x, sw, out.width);
        taps_[static_cast<std::size_t>(x)] = {p.index * 3, p.next * 3, p.weight};
    }
    leftWeights_.resize(taps_.size() * 4);
    rightWeights_.resize(taps_.size() * 4);
    for (std::size_t x = 0; x < taps_.size(); ++x) {
        std::fill_n(&leftWeights_[4 * x], 4, static_cast<std::uint16_t>(256 - taps_[x].weight));
        std::fill_n(&rightWeights_[4 * x], 4, static_cast<std::uint16_t>(taps_[x].weight));
    }
    const std::size_t spanBytes = static_cast<std::size_t>(sw) * 3;
    blended_.resize(spanBytes + 4);  // room for the four-byte reads of the last pixel
    const std::size_t sourceStride = static_cast<std::size_t>(width) * 3;
    // Row r counted from the top lies at bottom-up row height - 1 - r.
    const auto sourceRow = [&](int r) {
        return image + static_cast<std::size_t>(height - 1 - (region.top + r)) * sourceStride +
               static_cast<std::size_t>(region.left) * 3;
    };
    const std::size_t outBytes = static_cast<std::size_t>(out.width) * 3;
    if (sh < out.height && sw != out.width) {
        // Enlarging vertically: each source row serves several destination rows, so it is
        // scaled across once and the destination rows blend the two scaled rows.
        for (auto& row : across_) {
            row.resize(outBytes);
        }
        int cached[2] = {-1, -1};
        const auto scaledAcross = [&](int r, int slot) {
            if (cached[slot] != r) {
                if (cached[1 - slot] == r) {
                    across_[slot].swap(across_[1 - slot]);
                    std::swap(cached[slot], cached[1 - slot]);
                } else {
                    std::memcpy(blended_.data(), sourceRow(r), spanBytes);
                    blendColumns(blended_.data(), taps_.data(), leftWeights_.data(),
                                 rightWeights_.data(), out.width, across_[slot].data());
                    cached[slot] = r;
                }
            }
            return across_[slot].data();
        };
        for (int y = 0; y < out.height; ++y) {
            const Position p = sourcePosition(y, sh, out.height);
            std::uint8_t* destination =
                out.pixels.data() + static_cast<std::size_t>(y) * out.stride;
            const std::uint8_t* first = scaledAcross(p.index, 0);
            if (p.weight == 0) {
                std::memcpy(destination, first, outBytes);
            } else {
                const std::uint8_t* second = scaledAcross(p.index + p.next, 1);
                blendRows(first, second, static_cast<int>(p.weight), static_cast<int>(outBytes),
                          destination);
            }
        }
        return;
    }
    for (int y = 0; y < out.height; ++y) {
        const Position p = sourcePosition(y, sh, out.height);
        const std::uint8_t* row = sourceRow(p.index);
        std::uint8_t* destination = out.pixels.data() + static_cast<std::size_t>(y) * out.stride;
        if (sw == out.width) {
            // Same width: the vertical blend is the whole work.
            if (p.weight != 0) {
                blendRows(row, sourceRow(p.index + p.next), static_cast<int>(p.weight),
                          static_cast<int>(spanBytes), destination);
            } else {
                std::memcpy(destination, row, spanBytes);
            }
            continue;
        }
        if (p.weight != 0) {
            blendRows(row, sourceRow(p.index + p.next), static_cast<int>(p.weight),
                      static_cast<int>(spanBytes), blended_.data());
        } else {
            std::memcpy(blended_.data(), row, spanBytes);
        }
        blendColumns(blended_.data(), taps_.data(), leftWeights_.data(), rightWeights_.data(),
                     out.width, destination);
    }
}

void FrameSurface::setTargetSize(QSize size) {
    const auto w = static_cast<std::uint32_t>(std::max(size.width(), 0));
    const auto h = static_cast<std::uint32_t>(std::max(size.height(), 0));
    packedSize_.store((std::uint64_t{w} << 32) | h);
}

QSize FrameSurface::targetSize() const {
    const std::uint64_t packed = packedSize_.load();
    return {static_cast<int>(packed >> 32), static_cast<int>(packed & 0xFFFFFFFFu)};
}

void FrameSurface::publish() {
    {
        std::lock_guard lock(swapMutex_);
        buffers_[back_].serial = serial_.fetch_add(1) + 1;
        std::swap(back_, ready_);
        fresh_ = true;
    }
    if (published_ && !notifyPending_.exchange(true)) {
        published_();
    }
}

const SurfacePicture& FrameSurface::takeNewest() {
    notifyPending_.store(false);
    std::lock_guard lock(swapMutex_);
    if (fresh_) {
        std::swap(front_, ready_);
        fresh_ = false;
    }
    return buffers_[front_];
}

}  // namespace korvel::camera
