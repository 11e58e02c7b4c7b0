#include "image/ops/PixelRows.h"

#include <tmmintrin.h>

#include <array>

namespace kxops::detail {

namespace {

// Shuffle masks that gather channel c of 16 pixels from the k-th 16-byte block of 48.
constexpr std::array<int8_t, 16> Gather(int k, int c) {
    std::array<int8_t, 16> m{};
    for (int i = 0; i < 16; ++i) {
        const int j = 3 * i + c - 16 * k;
        m[i] = (j >= 0 && j < 16) ? static_cast<int8_t>(j) : static_cast<int8_t>(-128);
    }
    return m;
}

template <int C>
__attribute__((target("ssse3"))) inline __m128i Channel(__m128i v0, __m128i v1, __m128i v2) {
    static constexpr auto m0 = Gather(0, C), m1 = Gather(1, C), m2 = Gather(2, C);
    const __m128i a =
        _mm_shuffle_epi8(v0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(m0.data())));
    const __m128i b =
        _mm_shuffle_epi8(v1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(m1.data())));
    const __m128i c =
        _mm_shuffle_epi8(v2, _mm_loadu_si128(reinterpret_cast<const __m128i*>(m2.data())));
    return _mm_or_si128(_mm_or_si128(a, b), c);
}

__attribute__((target("ssse3"))) size_t SplitVector(const uint8_t* src, uint8_t* b, uint8_t* g,
                                                    uint8_t* r, size_t n) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16, src += 48) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(b + i), Channel<0>(v0, v1, v2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(g + i), Channel<1>(v0, v1, v2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r + i), Channel<2>(v0, v1, v2));
    }
    return i;
}

__attribute__((target("ssse3"))) size_t GreyVector(const uint8_t* src, uint8_t* grey, size_t n) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i wgr = _mm_set1_epi32((306 << 16) | 601);  // pairs (green, red)
    const __m128i wb = _mm_set1_epi32(117);                 // pairs (blue, 0)
    size_t i = 0;
    for (; i + 16 <= n; i += 16, src += 48) {
        const __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
        const __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 16));
        const __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 32));
        const __m128i b = Channel<0>(v0, v1, v2), g = Channel<1>(v0, v1, v2),
                      r = Channel<2>(v0, v1, v2);
        __m128i words[2];
        for (int half = 0; half < 2; ++half) {
            const __m128i b16 = half ? _mm_unpackhi_epi8(b, zero) : _mm_unpacklo_epi8(b, zero);
            const __m128i g16 = half ? _mm_unpackhi_epi8(g, zero) : _mm_unpacklo_epi8(g, zero);
            const __m128i r16 = half ? _mm_unpackhi_epi8(r, zero) : _mm_unpacklo_epi8(r, zero);
            const __m128i lo = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(g16, r16), wgr),
                                             _mm_madd_epi16(_mm_unpacklo_epi16(b16, zero), wb));
            const __m128i hi = _mm_add_epi32(_mm_madd_epi16(_mm_unpackhi_epi16(g16, r16), wgr),
                                             _mm_madd_epi16(_mm_unpackhi_epi16(b16, zero), wb));
            words[half] = _mm_packs_epi32(_mm_srli_epi32(lo, 10), _mm_srli_epi32(hi, 10));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(grey + i),
                         _mm_packus_epi16(words[0], words[1]));
    }
    return i;
}

bool HaveVectors() {
    return __builtin_cpu_supports("ssse3");
}

}  // namespace

void SplitBgrRow(const uint8_t* src, uint8_t* b, uint8_t* g, uint8_t* r, size_t n) {
    size_t i = HaveVectors() ? SplitVector(src, b, g, r, n) : 0;
    for (; i < n; ++i) {
        b[i] = src[3 * i];
        g[i] = src[3 * i + 1];
        r[i] = src[3 * i + 2];
    }
}

void GreyBgrRow(const uint8_t* src, uint8_t* grey, size_t n) {
    size_t i = HaveVectors() ? GreyVector(src, grey, n) : 0;
    for (; i < n; ++i)
        grey[i] = static_cast<uint8_t>(
            (601 * src[3 * i + 1] + 306 * src[3 * i + 2] + 117 * src[3 * i]) >> 10);
}

}  // namespace kxops::detail
