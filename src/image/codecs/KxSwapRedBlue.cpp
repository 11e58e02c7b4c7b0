// Swapping the first and third byte of every 3-byte pixel: RGB rows to BGR and back.

#include "image/codecs/KxSwapRedBlue.h"

#include <utility>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KX_HAVE_SSSE3_PATH 1
#endif

namespace kx {
namespace {

void SwapScalar(uint8_t* p, size_t pixels) {
    for (size_t i = 0; i < pixels; ++i, p += 3)
        std::swap(p[0], p[2]);
}

#if KX_HAVE_SSSE3_PATH
// Five pixels (15 bytes) per 16-byte shuffle; the 16th byte is stored back unchanged and
// handled by the next step, which starts there.
__attribute__((target("ssse3"))) void SwapSsse3(uint8_t* p, size_t pixels) {
    const __m128i order = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
    size_t done = 0;
    while (pixels - done >= 6) {  // 6 pixels = 18 bytes: the 16-byte access stays inside
        uint8_t* q = p + 3 * done;
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(q), _mm_shuffle_epi8(v, order));
        done += 5;
    }
    SwapScalar(p + 3 * done, pixels - done);
}

bool HaveSsse3() {
    static const bool have = __builtin_cpu_supports("ssse3");
    return have;
}
#endif

}  // namespace

void SwapRedBlue(uint8_t* pixels, size_t count) {
#if KX_HAVE_SSSE3_PATH
    if (HaveSsse3()) {
        SwapSsse3(pixels, count);
        return;
    }
#endif
    SwapScalar(pixels, count);
}

void CopySwapRedBlue(const uint8_t* in, uint8_t* out, size_t count) {
    std::memcpy(out, in, count * 3);
    SwapRedBlue(out, count);
}

}  // namespace kx
