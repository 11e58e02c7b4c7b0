// Two-dimensional discrete Fourier transform of grey pictures. Sizes that are powers of two
// use an iterative radix-2 transform; other sizes use Bluestein's chirp transform, so every
// size is exact and fast ("force FFT" instead resamples to powers of two first).
//
// Scaling is unitary (1/sqrt(N) both ways) so that a forward and an inverse transform give
// the picture back. Spectra are stored with 128 as zero; spatial pictures without offset.

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

#include "image/ops/KxImageOps.h"
#include "image/ops/OpsInternal.h"

namespace kxops {

using namespace detail;

namespace {

using Complex = std::complex<float>;

inline Complex Mul(Complex a, Complex b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

bool IsPowerOfTwo(uint32_t n) {
    return n != 0 && (n & (n - 1)) == 0;
}

uint32_t NextPowerOfTwo(uint32_t n) {
    uint32_t p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

// Radix-2 transform of a fixed power-of-two length (forward sign -1) over separate real
// and imaginary arrays, with the twiddles of each stage stored contiguously so that the
// butterflies vectorise.
class Radix2 {
public:
    explicit Radix2(uint32_t n) : n_(n), reverse_(n) {
        for (uint32_t half = 1; half < n; half <<= 1)
            for (uint32_t k = 0; k < half; ++k) {
                const double a = -std::numbers::pi * k / half;
                twRe_.push_back(static_cast<float>(std::cos(a)));
                twIm_.push_back(static_cast<float>(std::sin(a)));
                twImInv_.push_back(static_cast<float>(-std::sin(a)));
            }
        uint32_t bits = 0;
        while ((1u << bits) < n)
            ++bits;
        for (uint32_t i = 0; i < n; ++i) {
            uint32_t r = 0;
            for (uint32_t b = 0; b < bits; ++b)
                r |= ((i >> b) & 1u) << (bits - 1 - b);
            reverse_[i] = r;
        }
    }

    void Run(float* re, float* im, bool inverse) const {
        for (uint32_t i = 0; i < n_; ++i)
            if (i < reverse_[i]) {
                std::swap(re[i], re[reverse_[i]]);
                std::swap(im[i], im[reverse_[i]]);
            }
        const float* twIm = inverse ? twImInv_.data() : twIm_.data();
        for (uint32_t half = 1, offset = 0; half < n_; offset += half, half <<= 1)
            Stage(re, im, n_, half, twRe_.data() + offset, twIm + offset);
    }

private:
    // One stage of butterflies over the whole array.
    KX_VECTOR_CLONES static void Stage(float* re, float* im, uint32_t n, uint32_t half,
                                       const float* wr, const float* wi) {
        if (half == 1) {
            for (uint32_t s = 0; s < n; s += 2) {
                const float ar = re[s], ai = im[s], br = re[s + 1], bi = im[s + 1];
                re[s] = ar + br;
                im[s] = ai + bi;
                re[s + 1] = ar - br;
                im[s + 1] = ai - bi;
            }
            return;
        }
        for (uint32_t start = 0; start < n; start += 2 * half) {
            float* __restrict ar = re + start;
            float* __restrict ai = im + start;
            float* __restrict br = re + start + half;
            float* __restrict bi = im + start + half;
            for (uint32_t k = 0; k < half; ++k) {
                const float vr = br[k] * wr[k] - bi[k] * wi[k];
                const float vi = br[k] * wi[k] + bi[k] * wr[k];
                br[k] = ar[k] - vr;
                bi[k] = ai[k] - vi;
                ar[k] = ar[k] + vr;
                ai[k] = ai[k] + vi;
            }
        }
    }

    uint32_t n_;
    std::vector<float> twRe_, twIm_, twImInv_;
    std::vector<uint32_t> reverse_;
};

// Discrete transform of any length (unscaled); other lengths use Bluestein's method.
class Transform1D {
public:
    explicit Transform1D(uint32_t n)
        : n_(n), m_(IsPowerOfTwo(n) ? n : NextPowerOfTwo(2 * n - 1)), fft_(m_) {
        if (IsPowerOfTwo(n))
            return;
        chirp_.resize(n);
        for (uint32_t k = 0; k < n; ++k) {
            // k^2 mod 2n keeps the angle accurate for long rows.
            const uint64_t k2 = (uint64_t(k) * k) % (2ull * n);
            const double a = std::numbers::pi * static_cast<double>(k2) / n;
            chirp_[k] = Complex(static_cast<float>(std::cos(a)), static_cast<float>(-std::sin(a)));
        }
        std::vector<float> kr(m_, 0.0f), ki(m_, 0.0f);
        kr[0] = chirp_[0].real();
        ki[0] = -chirp_[0].imag();
        for (uint32_t k = 1; k < n; ++k) {
            kr[k] = kr[m_ - k] = chirp_[k].real();
            ki[k] = ki[m_ - k] = -chirp_[k].imag();
        }
        fft_.Run(kr.data(), ki.data(), false);
        kernel_.resize(m_);
        for (uint32_t k = 0; k < m_; ++k)
            kernel_[k] = Complex(kr[k], ki[k]);
        workRe_.resize(m_);
        workIm_.resize(m_);
    }

    void Run(float* re, float* im, bool inverse) {
        if (m_ == n_) {
            fft_.Run(re, im, inverse);
            return;
        }
        std::fill(workRe_.begin(), workRe_.end(), 0.0f);
        std::fill(workIm_.begin(), workIm_.end(), 0.0f);
        for (uint32_t k = 0; k < n_; ++k) {
            const Complex c = inverse ? std::conj(chirp_[k]) : chirp_[k];
            const Complex v = Mul(Complex(re[k], im[k]), c);
            workRe_[k] = v.real();
            workIm_[k] = v.imag();
        }
        fft_.Run(workRe_.data(), workIm_.data(), false);
        for (uint32_t k = 0; k < m_; ++k) {
            const Complex f = inverse ? std::conj(kernel_[(m_ - k) % m_]) : kernel_[k];
            const Complex v = Mul(Complex(workRe_[k], workIm_[k]), f);
            workRe_[k] = v.real();
            workIm_[k] = v.imag();
        }
        fft_.Run(workRe_.data(), workIm_.data(), true);
        const float scale = 1.0f / m_;
        for (uint32_t k = 0; k < n_; ++k) {
            const Complex c = inverse ? std::conj(chirp_[k]) : chirp_[k];
            const Complex v = Mul(Complex(workRe_[k], workIm_[k]), c) * scale;
            re[k] = v.real();
            im[k] = v.imag();
        }
    }

private:
    uint32_t n_, m_;
    Radix2 fft_;
    std::vector<Complex> chirp_, kernel_;
    std::vector<float> workRe_, workIm_;
};

// dst rows are `stride` floats apart; a stride off the powers of two keeps the columns of a
// block out of each other's cache sets.
void Transpose(const float* src, float* dst, uint32_t w, uint32_t h, size_t stride) {
    constexpr uint32_t kBlock = 32;
    for (uint32_t by = 0; by < h; by += kBlock)
        for (uint32_t bx = 0; bx < w; bx += kBlock)
            for (uint32_t y = by; y < std::min(h, by + kBlock); ++y)
                for (uint32_t x = bx; x < std::min(w, bx + kBlock); ++x)
                    dst[size_t(x) * stride + y] = src[size_t(y) * w + x];
}

std::vector<uint8_t> Levels(const KxImage& img) {
    const uint32_t w = img.GetWidth(), h = img.GetHeight(), bpp = img.GetBpp();
    std::vector<uint8_t> v(size_t(w) * h);
    const bool ramp = IsGreyRamp(img);
    for (uint32_t y = 0; y < h; ++y) {
        const uint8_t* s = Row(img, y);
        for (uint32_t x = 0; x < w; ++x) {
            uint8_t g;
            if (ramp)
                g = s[x];
            else if (bpp == 24)
                g = static_cast<uint8_t>(
                    (601 * s[3 * x + 1] + 306 * s[3 * x + 2] + 117 * s[3 * x]) >> 10);
            else
                g = KxImage::GrayLevel(img.GetPaletteColor(PackedIndex(s, x, bpp)));
            v[size_t(y) * w + x] = g;
        }
    }
    return v;
}

}  // namespace

bool FFT2(KxImage& img, KxImage* srcReal, KxImage* srcImag, KxImage* dstReal, KxImage* dstImag,
          int32_t direction, bool bForceFFT, bool bMagnitude) {
    const bool haveReal = srcReal != nullptr && srcReal->IsValid();
    const bool haveImag = srcImag != nullptr && srcImag->IsValid();
    if (!haveReal && !haveImag) {
        SetError(img, kErrorEmpty);
        return false;
    }
    if (direction != 1 && direction != -1) {
        SetError(img, kErrorParameter);
        return false;
    }
    const KxImage& first = haveReal ? *srcReal : *srcImag;
    uint32_t w = first.GetWidth(), h = first.GetHeight();
    if (haveReal && haveImag && (srcImag->GetWidth() != w || srcImag->GetHeight() != h)) {
        SetError(img, kErrorSizeMismatch);
        return false;
    }
    const bool inverse = direction == -1;
    // Force FFT: resample the inputs to powers of two.
    KxImage resizedReal, resizedImag;
    const KxImage* inReal = haveReal ? srcReal : nullptr;
    const KxImage* inImag = haveImag ? srcImag : nullptr;
    if (bForceFFT && (!IsPowerOfTwo(w) || !IsPowerOfTwo(h))) {
        const uint32_t pw = NextPowerOfTwo(w), ph = NextPowerOfTwo(h);
        if (inReal != nullptr) {
            resizedReal.Copy(*inReal);
            if (!Resample2(resizedReal, pw, ph, IM_BILINEAR, OM_REPEAT, nullptr, false)) {
                SetError(img, resizedReal.GetLastError());
                return false;
            }
            inReal = &resizedReal;
        }
        if (inImag != nullptr) {
            resizedImag.Copy(*inImag);
            if (!Resample2(resizedImag, pw, ph, IM_BILINEAR, OM_REPEAT, nullptr, false)) {
                SetError(img, resizedImag.GetLastError());
                return false;
            }
            inImag = &resizedImag;
        }
        w = pw;
        h = ph;
    }
    const size_t count = size_t(w) * h;
    if (count * sizeof(float) * 4 > 4ull * KXIMAGE_MAX_MEMORY) {
        SetError(img, "KXIMAGE_MAX_MEMORY exceeded");
        return false;
    }
    const size_t stride = size_t(h) + 16;
    std::vector<float> re(count, 0.0f), im(count, 0.0f), turnedRe(stride * w), turnedIm(stride * w);
    {
        const float offset = inverse ? 128.0f : 0.0f;
        if (inReal != nullptr) {
            const std::vector<uint8_t> v = Levels(*inReal);
            for (size_t i = 0; i < count; ++i)
                re[i] = v[i] - offset;
        }
        if (inImag != nullptr) {
            const std::vector<uint8_t> v = Levels(*inImag);
            for (size_t i = 0; i < count; ++i)
                im[i] = v[i] - offset;
        }
    }
    Progress progress(img, int64_t(w) + h + 2);
    Transform1D rows(w);
    if (!inverse && inImag == nullptr && h % 2 == 0) {
        // Real rows: two at a time as the real and imaginary parts of one transform, then
        // separated through the symmetry of real spectra.
        std::vector<float> xr(w), xi(w), yr(w), yi(w);
        for (uint32_t y = 0; y < h; y += 2) {
            if ((y & 63) == 0 && !progress.Step(y))
                return false;
            float* r0 = &re[size_t(y) * w];
            float* i0 = &im[size_t(y) * w];
            float* r1 = &re[size_t(y + 1) * w];
            float* i1 = &im[size_t(y + 1) * w];
            std::copy(r1, r1 + w, i0);
            rows.Run(r0, i0, false);
            for (uint32_t k = 0; k < w; ++k) {
                const uint32_t m = k == 0 ? 0 : w - k;
                const float ar = r0[k], ai = i0[k], br = r0[m], bi = -i0[m];
                xr[k] = 0.5f * (ar + br);
                xi[k] = 0.5f * (ai + bi);
                yr[k] = 0.5f * (ai - bi);
                yi[k] = -0.5f * (ar - br);
            }
            std::copy(xr.begin(), xr.end(), r0);
            std::copy(xi.begin(), xi.end(), i0);
            std::copy(yr.begin(), yr.end(), r1);
            std::copy(yi.begin(), yi.end(), i1);
        }
    } else {
        for (uint32_t y = 0; y < h; ++y) {
            if ((y & 63) == 0 && !progress.Step(y))
                return false;
            rows.Run(&re[size_t(y) * w], &im[size_t(y) * w], inverse);
        }
    }
    Transpose(re.data(), turnedRe.data(), w, h, stride);
    Transpose(im.data(), turnedIm.data(), w, h, stride);
    Transform1D columns(h);
    for (uint32_t x = 0; x < w; ++x) {
        if ((x & 63) == 0 && !progress.Step(int64_t(h) + x))
            return false;
        columns.Run(&turnedRe[size_t(x) * stride], &turnedIm[size_t(x) * stride], inverse);
    }
    // Results, read through the transposition.
    const float scale = 1.0f / std::sqrt(static_cast<float>(count));
    const float outOffset = inverse ? 0.0f : 128.0f;
    KxImage outReal, outImag;
    MakeGrey(outReal, first, w, h);
    MakeGrey(outImag, first, w, h);
    if (!outReal.IsValid() || !outImag.IsValid()) {
        SetError(img, outReal.GetLastError());
        return false;
    }
    // Tiles keep both the transposed reads and the row writes in cache.
    constexpr uint32_t kTile = 32;
    for (uint32_t by = 0; by < h; by += kTile)
        for (uint32_t bx = 0; bx < w; bx += kTile)
            for (uint32_t y = by; y < std::min(h, by + kTile); ++y) {
                uint8_t* r = Row(outReal, y);
                uint8_t* i = Row(outImag, y);
                for (uint32_t x = bx; x < std::min(w, bx + kTile); ++x) {
                    const float zr = turnedRe[size_t(x) * stride + y] * scale;
                    const float zi = turnedIm[size_t(x) * stride + y] * scale;
                    if (bMagnitude) {
                        r[x] = Clamp8f(std::sqrt(zr * zr + zi * zi));
                        const float phase = std::atan2(zi, zr);
                        i[x] = Clamp8f((phase + std::numbers::pi_v<float>)*(
                            255.0f / (2.0f * std::numbers::pi_v<float>)));
                    } else {
                        r[x] = Clamp8f(zr + outOffset);
                        i[x] = Clamp8f(zi + outOffset);
                    }
                }
            }
    KxImage* targetReal = dstReal != nullptr ? dstReal : (dstImag == nullptr ? srcReal : nullptr);
    KxImage* targetImag = dstImag != nullptr ? dstImag : (dstReal == nullptr ? srcImag : nullptr);
    if (targetReal != nullptr)
        targetReal->Transfer(outReal);
    if (targetImag != nullptr)
        targetImag->Transfer(outImag);
    progress.Finish();
    return true;
}

}  // namespace kxops
